#include "Skia/Pixmap.h"

#include "Skia/API.h"
#include "Skia/Marshal.h"

namespace Skia {

using Marshal::FromNative;
using Marshal::ToNative;

Ref<ISkPixmap> TSkPixmap::Create(const TSkImageInfo& AImageInfo, const void* APixels, size_t ARowBytes) {
    const plix_imageinfo info = AImageInfo.ToNative();
    return WrapCreated<TSkPixmap>(API::plix_pixmap_create(&info, APixels, ARowBytes));
}

Ref<ISkPixmap> TSkPixmap::Make(const TSkImageInfo& AImageInfo, const void* APixels, size_t ARowBytes) {
    const plix_imageinfo info = AImageInfo.ToNative();
    return WrapOrNil<TSkPixmap>(API::plix_pixmap_create(&info, APixels, ARowBytes));
}

bool TSkPixmap::Erase(TAlphaColor AColor) { return API::plix_pixmap_erase(Handle(), AColor, nullptr); }

bool TSkPixmap::Erase(TAlphaColor AColor, const TRect& ASubset) {
    const plix_irect subset = ToNative(ASubset);
    return API::plix_pixmap_erase(Handle(), AColor, &subset);
}

bool TSkPixmap::Erase(const TAlphaColorF& AColor, const Ref<ISkColorSpace>& AColorSpace) {
    const plix_color4f color = ToNative(AColor);
    return API::plix_pixmap_erase2(Handle(), &color, HandleOrZero(AColorSpace), nullptr);
}

bool TSkPixmap::Erase(const TAlphaColorF& AColor, const TRect& ASubset, const Ref<ISkColorSpace>& AColorSpace) {
    const plix_color4f color = ToNative(AColor);
    const plix_irect subset = ToNative(ASubset);
    return API::plix_pixmap_erase2(Handle(), &color, HandleOrZero(AColorSpace), &subset);
}

bool TSkPixmap::ExtractSubset(const Ref<ISkPixmap>& ADest, const TRect& ASubset) {
    CheckNotNil(ADest, "ADest");
    const plix_irect subset = ToNative(ASubset);
    return API::plix_pixmap_extract_subset(Handle(), ADest->GetHandle(), &subset);
}

float TSkPixmap::GetAlpha(int32_t AX, int32_t AY) { return API::plix_pixmap_get_alpha(Handle(), AX, AY); }

TSkAlphaType TSkPixmap::GetAlphaType() { return static_cast<TSkAlphaType>(API::plix_pixmap_get_alpha_type(Handle())); }

Ui::TAlphaColor TSkPixmap::GetColor(int32_t AX, int32_t AY) { return API::plix_pixmap_get_color(Handle(), AX, AY); }

Ui::TAlphaColorF TSkPixmap::GetColorF(int32_t AX, int32_t AY) {
    plix_color4f color{};
    API::plix_pixmap_get_colorf(Handle(), AX, AY, &color);
    return FromNative(color);
}

Ref<ISkColorSpace> TSkPixmap::GetColorSpace() {
    return WrapOrNil<TSkColorSpace>(API::plix_pixmap_get_color_space(Handle()));
}

TSkColorType TSkPixmap::GetColorType() { return static_cast<TSkColorType>(API::plix_pixmap_get_color_type(Handle())); }

int32_t TSkPixmap::GetHeight() { return API::plix_pixmap_get_height(Handle()); }

TSkImageInfo TSkPixmap::GetImageInfo() {
    plix_imageinfo info{};
    API::plix_pixmap_get_image_info(Handle(), &info);
    return TSkImageInfo::FromNative(info);
}

void* TSkPixmap::GetPixelAddr(int32_t AX, int32_t AY) { return API::plix_pixmap_get_pixel_addr(Handle(), AX, AY); }
void* TSkPixmap::GetPixels() { return API::plix_pixmap_get_pixels(Handle()); }
size_t TSkPixmap::GetRowBytes() { return API::plix_pixmap_get_row_bytes(Handle()); }
int32_t TSkPixmap::GetWidth() { return API::plix_pixmap_get_width(Handle()); }

bool TSkPixmap::ReadPixels(const Ref<ISkPixmap>& ADest, int32_t ASrcX, int32_t ASrcY) {
    CheckNotNil(ADest, "ADest");
    return API::plix_pixmap_read_pixels(Handle(), ADest->GetHandle(), ASrcX, ASrcY);
}

bool TSkPixmap::ReadPixels(const TSkImageInfo& ADestImageInfo, void* ADestPixels, size_t ADestRowBytes, int32_t ASrcX,
                           int32_t ASrcY) {
    const Ref<ISkPixmap> dest = Make(ADestImageInfo, ADestPixels, ADestRowBytes);
    return dest && ReadPixels(dest, ASrcX, ASrcY);
}

bool TSkPixmap::ScalePixels(const Ref<ISkPixmap>& ADest) { return ScalePixels(ADest, TSkSamplingOptions()); }

bool TSkPixmap::ScalePixels(const Ref<ISkPixmap>& ADest, const TSkSamplingOptions& ASampling) {
    CheckNotNil(ADest, "ADest");
    const plix_sampling_options sampling = ASampling.ToNative();
    return API::plix_pixmap_scale_pixels(Handle(), ADest->GetHandle(), &sampling);
}

bool TSkPixmap::ScalePixels(const TSkImageInfo& ADestImageInfo, void* ADestPixels, size_t ADestRowBytes) {
    const Ref<ISkPixmap> dest = Make(ADestImageInfo, ADestPixels, ADestRowBytes);
    return dest && ScalePixels(dest);
}

bool TSkPixmap::ScalePixels(const TSkImageInfo& ADestImageInfo, void* ADestPixels, size_t ADestRowBytes,
                            const TSkSamplingOptions& ASampling) {
    const Ref<ISkPixmap> dest = Make(ADestImageInfo, ADestPixels, ADestRowBytes);
    return dest && ScalePixels(dest, ASampling);
}

void TSkPixmap::SetColorSpace(const Ref<ISkColorSpace>& AValue) {
    API::plix_pixmap_set_colorspace(Handle(), HandleOrZero(AValue));
}

void TSkPixmap::__DestroyHandle(NativeUInt AHandle) { API::plix_pixmap_destroy(AHandle); }

}  // namespace Skia
