#include "Skia/Image.h"

#include "Skia/API.h"
#include "Skia/Delegate.h"
#include "Skia/ImageEncoder.h"
#include "Skia/Marshal.h"
#include "Skia/Stream.h"

namespace Skia {

using Marshal::Ord;
using Marshal::ToNative;

namespace {

Ref<ISkImage> Result(plix_handle handle) { return WrapOrNil<TSkImage>(handle); }

using RasterRelease = TSkDelegate<TSkImageRasterReleaseProc>;
using TextureRelease = TSkDelegate<TSkImageTextureReleaseProc>;

void RasterReleaseCallback(void* pixels, void* context) { RasterRelease::Call(context, pixels); }
void TextureReleaseCallback(void* context) { TextureRelease::Call(context); }

// A local matrix crosses by pointer, null when the overload has none.
const plix_matrix* MatrixOrNil(const Ui::TMatrix* matrix, plix_matrix& storage) {
    if (!matrix) return nullptr;
    storage = ToNative(*matrix);
    return &storage;
}

}  // namespace

// ---- factories ----

Ref<ISkImage> TSkImage::MakeFromEncoded(std::span<const uint8_t> ABytes) {
    CheckNotEmpty(ABytes, "ABytes");
    Ui::TMemoryStream stream(std::vector<uint8_t>(ABytes.begin(), ABytes.end()));
    return MakeFromEncodedStream(stream);
}

Ref<ISkImage> TSkImage::MakeFromEncodedFile(const std::string& AFileName) {
    if (AFileName.empty()) RaiseFileNameEmpty();
    return Result(API::plix_image_make_from_encoded_file(AFileName.c_str()));
}

Ref<ISkImage> TSkImage::MakeFromEncodedStream(Ui::TStream& AStream) {
    const Ref<ISkStream> stream = TSkStreamAdapter::Create(AStream);
    return Result(API::plix_image_make_from_encoded_stream(stream->GetHandle()));
}

Ref<ISkImage> TSkImage::MakeRasterCopy(const Ref<ISkPixmap>& APixmap) {
    CheckNotNil(APixmap, "APixmap");
    return Result(API::plix_image_make_raster_copy(APixmap->GetHandle()));
}

Ref<ISkImage> TSkImage::MakeRasterCopy(const TSkImageInfo& AImageInfo, const void* APixels, size_t ARowBytes) {
    const Ref<ISkPixmap> pixmap = TSkPixmap::Make(AImageInfo, APixels, ARowBytes);
    return pixmap ? MakeRasterCopy(pixmap) : nullptr;
}

Ref<ISkImage> TSkImage::MakeFromRaster(const Ref<ISkPixmap>& APixmap,
                                       const TSkImageRasterReleaseProc& ARasterReleaseProc) {
    CheckNotNil(APixmap, "APixmap");
    const plix_handle pixmap = APixmap->GetHandle();
    return Result(RasterRelease::Invoke(ARasterReleaseProc, &RasterReleaseCallback,
                                        [pixmap](plix_image_raster_release_proc proc, void* context) {
                                            return API::plix_image_make_from_raster(pixmap, proc, context);
                                        }));
}

Ref<ISkImage> TSkImage::MakeFromRaster(const TSkImageInfo& AImageInfo, const void* APixels, size_t ARowBytes,
                                       const TSkImageRasterReleaseProc& ARasterReleaseProc) {
    const Ref<ISkPixmap> pixmap = TSkPixmap::Make(AImageInfo, APixels, ARowBytes);
    return pixmap ? MakeFromRaster(pixmap, ARasterReleaseProc) : nullptr;
}

Ref<ISkImage> TSkImage::FromPicture(const Ref<ISkPicture>& APicture, const Ui::TSize& ADimensions,
                                    const TMatrix* AMatrix, const TSkSurfaceProperties* AProperties,
                                    const Ref<ISkPaint>& APaint, const Ref<ISkColorSpace>& AColorSpace) {
    CheckNotNil(APicture, "APicture");
    const plix_isize dimensions = ToNative(ADimensions);
    plix_matrix matrix;
    const plix_surface_props props = AProperties ? AProperties->ToNative() : plix_surface_props{};
    return Result(API::plix_image_make_from_picture(APicture->GetHandle(), &dimensions, MatrixOrNil(AMatrix, matrix),
                                                    HandleOrZero(APaint), HandleOrZero(AColorSpace),
                                                    AProperties ? &props : nullptr));
}

Ref<ISkImage> TSkImage::MakeFromPicture(const Ref<ISkPicture>& APicture, const Ui::TSize& ADimensions,
                                        const Ref<ISkPaint>& APaint, const Ref<ISkColorSpace>& AColorSpace) {
    return FromPicture(APicture, ADimensions, nullptr, nullptr, APaint, AColorSpace);
}

Ref<ISkImage> TSkImage::MakeFromPicture(const Ref<ISkPicture>& APicture, const Ui::TSize& ADimensions,
                                        const TMatrix& AMatrix, const Ref<ISkPaint>& APaint,
                                        const Ref<ISkColorSpace>& AColorSpace) {
    return FromPicture(APicture, ADimensions, &AMatrix, nullptr, APaint, AColorSpace);
}

Ref<ISkImage> TSkImage::MakeFromPicture(const Ref<ISkPicture>& APicture, const Ui::TSize& ADimensions,
                                        const TSkSurfaceProperties& AProperties, const Ref<ISkPaint>& APaint,
                                        const Ref<ISkColorSpace>& AColorSpace) {
    return FromPicture(APicture, ADimensions, nullptr, &AProperties, APaint, AColorSpace);
}

Ref<ISkImage> TSkImage::MakeFromPicture(const Ref<ISkPicture>& APicture, const Ui::TSize& ADimensions,
                                        const TMatrix& AMatrix, const TSkSurfaceProperties& AProperties,
                                        const Ref<ISkPaint>& APaint, const Ref<ISkColorSpace>& AColorSpace) {
    return FromPicture(APicture, ADimensions, &AMatrix, &AProperties, APaint, AColorSpace);
}

Ref<ISkImage> TSkImage::MakeCrossContext(const Ref<IGrDirectContext>& AContext, const Ref<ISkPixmap>& APixmap,
                                         bool ABuildMips, bool ALimitToMaxTextureSize) {
    CheckNotNil(AContext, "AContext");
    CheckNotNil(APixmap, "APixmap");
    return Result(API::plix_image_make_cross_context(AContext->GetHandle(), APixmap->GetHandle(), ABuildMips,
                                                     ALimitToMaxTextureSize));
}

Ref<ISkImage> TSkImage::MakeCrossContext(const Ref<IGrDirectContext>& AContext, const TSkImageInfo& AImageInfo,
                                         const void* APixels, size_t ARowBytes, bool ABuildMips,
                                         bool ALimitToMaxTextureSize) {
    CheckNotNil(AContext, "AContext");
    const Ref<ISkPixmap> pixmap = TSkPixmap::Make(AImageInfo, APixels, ARowBytes);
    return pixmap ? MakeCrossContext(AContext, pixmap, ABuildMips, ALimitToMaxTextureSize) : nullptr;
}

Ref<ISkImage> TSkImage::MakeFromTexture(const Ref<IGrDirectContext>& AContext, const Ref<IGrBackendTexture>& ATexture,
                                        TGrSurfaceOrigin AOrigin, TSkColorType AColorType, TSkAlphaType AAlphaType,
                                        const Ref<ISkColorSpace>& AColorSpace,
                                        const TSkImageTextureReleaseProc& ATextureReleaseProc) {
    CheckNotNil(AContext, "AContext");
    CheckNotNil(ATexture, "ATexture");
    const plix_handle context = AContext->GetHandle();
    const plix_handle texture = ATexture->GetHandle();
    const plix_handle colorSpace = HandleOrZero(AColorSpace);
    return Result(TextureRelease::Invoke(
        ATextureReleaseProc, &TextureReleaseCallback, [&](plix_image_texture_release_proc proc, void* releaseContext) {
            return API::plix_image_make_from_texture(context, texture, Ord(AOrigin), Ord(AColorType), Ord(AAlphaType),
                                                     colorSpace, proc, releaseContext);
        }));
}

Ref<ISkImage> TSkImage::MakeFromAdoptedTexture(const Ref<IGrDirectContext>& AContext,
                                               const Ref<IGrBackendTexture>& ATexture, TGrSurfaceOrigin AOrigin,
                                               TSkColorType AColorType, TSkAlphaType AAlphaType,
                                               const Ref<ISkColorSpace>& AColorSpace) {
    CheckNotNil(AContext, "AContext");
    CheckNotNil(ATexture, "ATexture");
    return Result(API::plix_image_make_from_adopted_texture(AContext->GetHandle(), ATexture->GetHandle(), Ord(AOrigin),
                                                            Ord(AColorType), Ord(AAlphaType),
                                                            HandleOrZero(AColorSpace)));
}

// ---- encoding ----

std::vector<uint8_t> TSkImage::Encode(TSkEncodedImageFormat AEncodedImageFormat, int32_t AQuality) {
    Ui::TMemoryStream stream;
    EncodeToStream(stream, AEncodedImageFormat, AQuality);
    return stream.Bytes();
}

bool TSkImage::EncodeToFile(const std::string& AFileName, int32_t AQuality) {
    return EncodeToFile(AFileName, TSkImageEncoder::FormatFromFileName(AFileName), AQuality);
}

bool TSkImage::EncodeToFile(const std::string& AFileName, TSkEncodedImageFormat AEncodedImageFormat,
                            int32_t AQuality) {
    if (AFileName.empty()) RaiseFileNameEmpty();
    return API::plix_image_encode_to_file(Handle(), AFileName.c_str(), Ord(AEncodedImageFormat), AQuality);
}

bool TSkImage::EncodeToStream(Ui::TStream& AStream, TSkEncodedImageFormat AEncodedImageFormat, int32_t AQuality) {
    const Ref<ISkWStream> stream = TSkWStreamAdapter::Create(AStream);
    return API::plix_image_encode_to_stream(Handle(), stream->GetHandle(), Ord(AEncodedImageFormat), AQuality);
}

// ---- properties ----

TSkAlphaType TSkImage::GetAlphaType() { return static_cast<TSkAlphaType>(API::plix_image_get_alpha_type(Handle())); }

Ref<ISkColorSpace> TSkImage::GetColorSpace() {
    return WrapOrNil<TSkColorSpace>(API::plix_image_get_color_space(Handle()));
}

TSkColorType TSkImage::GetColorType() { return static_cast<TSkColorType>(API::plix_image_get_color_type(Handle())); }
int32_t TSkImage::GetHeight() { return API::plix_image_get_height(Handle()); }

TSkImageInfo TSkImage::GetImageInfo() {
    plix_imageinfo info{};
    API::plix_image_get_image_info(Handle(), &info);
    return TSkImageInfo::FromNative(info);
}

uint32_t TSkImage::GetUniqueId() { return API::plix_image_get_unique_id(Handle()); }
int32_t TSkImage::GetWidth() { return API::plix_image_get_width(Handle()); }

bool TSkImage::IsAlphaOnly() {
    const TSkColorType colorType = GetColorType();
    return colorType == TSkColorType::Alpha8 || colorType == TSkColorType::AlphaF16 ||
           colorType == TSkColorType::Alpha16;
}

bool TSkImage::IsLazyGenerated() { return API::plix_image_is_lazy_generated(Handle()); }
bool TSkImage::IsOpaque() { return GetAlphaType() == TSkAlphaType::Opaque; }
bool TSkImage::IsTextureBacked() { return API::plix_image_is_texture_backed(Handle()); }

bool TSkImage::IsValid(const Ref<IGrDirectContext>& AContext) {
    return API::plix_image_is_valid(Handle(), HandleOrZero(AContext));
}

// ---- derived images and shaders ----

Ref<ISkImage> TSkImage::MakeNonTextureImage() { return Result(API::plix_image_make_non_texture_image(Handle())); }
Ref<ISkImage> TSkImage::MakeRasterImage() { return Result(API::plix_image_make_raster_image(Handle())); }

Ref<ISkShader> TSkImage::MakeRawShader(TSkTileMode ATileModeX, TSkTileMode ATileModeY) {
    return MakeRawShader(TSkSamplingOptions(), ATileModeX, ATileModeY);
}

Ref<ISkShader> TSkImage::MakeRawShader(const TMatrix& ALocalMatrix, TSkTileMode ATileModeX, TSkTileMode ATileModeY) {
    return MakeRawShader(ALocalMatrix, TSkSamplingOptions(), ATileModeX, ATileModeY);
}

Ref<ISkShader> TSkImage::MakeRawShader(const TSkSamplingOptions& ASampling, TSkTileMode ATileModeX,
                                       TSkTileMode ATileModeY) {
    const plix_sampling_options sampling = ASampling.ToNative();
    return WrapOrNil<TSkShader>(
        API::plix_image_make_raw_shader(Handle(), Ord(ATileModeX), Ord(ATileModeY), &sampling, nullptr));
}

Ref<ISkShader> TSkImage::MakeRawShader(const TMatrix& ALocalMatrix, const TSkSamplingOptions& ASampling,
                                       TSkTileMode ATileModeX, TSkTileMode ATileModeY) {
    const plix_sampling_options sampling = ASampling.ToNative();
    const plix_matrix matrix = ToNative(ALocalMatrix);
    return WrapOrNil<TSkShader>(
        API::plix_image_make_raw_shader(Handle(), Ord(ATileModeX), Ord(ATileModeY), &sampling, &matrix));
}

Ref<ISkShader> TSkImage::MakeShader(TSkTileMode ATileModeX, TSkTileMode ATileModeY) {
    return MakeShader(TSkSamplingOptions(), ATileModeX, ATileModeY);
}

Ref<ISkShader> TSkImage::MakeShader(const TMatrix& ALocalMatrix, TSkTileMode ATileModeX, TSkTileMode ATileModeY) {
    return MakeShader(ALocalMatrix, TSkSamplingOptions(), ATileModeX, ATileModeY);
}

Ref<ISkShader> TSkImage::MakeShader(const TSkSamplingOptions& ASampling, TSkTileMode ATileModeX,
                                    TSkTileMode ATileModeY) {
    const plix_sampling_options sampling = ASampling.ToNative();
    return WrapOrNil<TSkShader>(
        API::plix_image_make_shader(Handle(), Ord(ATileModeX), Ord(ATileModeY), &sampling, nullptr));
}

Ref<ISkShader> TSkImage::MakeShader(const TMatrix& ALocalMatrix, const TSkSamplingOptions& ASampling,
                                    TSkTileMode ATileModeX, TSkTileMode ATileModeY) {
    const plix_sampling_options sampling = ASampling.ToNative();
    const plix_matrix matrix = ToNative(ALocalMatrix);
    return WrapOrNil<TSkShader>(
        API::plix_image_make_shader(Handle(), Ord(ATileModeX), Ord(ATileModeY), &sampling, &matrix));
}

Ref<ISkImage> TSkImage::MakeSubset(const Ui::TRect& ASubset, const Ref<IGrDirectContext>& AContext) {
    const plix_irect subset = ToNative(ASubset);
    return Result(API::plix_image_make_subset(Handle(), &subset, HandleOrZero(AContext)));
}

Ref<ISkImage> TSkImage::MakeTextureImage(const Ref<IGrDirectContext>& AContext, bool AIsMipmapped) {
    CheckNotNil(AContext, "AContext");
    return Result(API::plix_image_make_texture_image(Handle(), AContext->GetHandle(), AIsMipmapped));
}

Ref<ISkImage> TSkImage::MakeWithFilter(const Ref<ISkImageFilter>& AFilter, const Ui::TRect& ASubset,
                                       const Ui::TRect& AClipBounds, Ui::TRect& AOutSubset, Ui::TPoint& AOffset,
                                       const Ref<IGrDirectContext>& AContext) {
    CheckNotNil(AFilter, "AFilter");
    const plix_irect subset = ToNative(ASubset);
    const plix_irect clipBounds = ToNative(AClipBounds);
    plix_irect outSubset{};
    plix_ipoint offset{};
    Ref<ISkImage> result = Result(API::plix_image_make_with_filter(
        Handle(), HandleOrZero(AContext), AFilter->GetHandle(), &subset, &clipBounds, &outSubset, &offset));
    AOutSubset = Marshal::FromNative(outSubset);
    AOffset = Marshal::FromNative(offset);
    return result;
}

Ref<ISkPixmap> TSkImage::PeekPixels() { return WrapOrNil<TSkPixmap>(API::plix_image_peek_pixels(Handle())); }

// ---- reading and scaling ----

bool TSkImage::ReadPixels(const Ref<ISkPixmap>& ADest, int32_t ASrcX, int32_t ASrcY, TSkImageCachingHint ACachingHint,
                          const Ref<IGrDirectContext>& AContext) {
    CheckNotNil(ADest, "ADest");
    return API::plix_image_read_pixels(Handle(), HandleOrZero(AContext), ADest->GetHandle(), ASrcX, ASrcY,
                                       Ord(ACachingHint));
}

bool TSkImage::ReadPixels(const TSkImageInfo& ADestImageInfo, void* ADestPixels, size_t ADestRowBytes, int32_t ASrcX,
                          int32_t ASrcY, TSkImageCachingHint ACachingHint, const Ref<IGrDirectContext>& AContext) {
    const Ref<ISkPixmap> dest = TSkPixmap::Make(ADestImageInfo, ADestPixels, ADestRowBytes);
    return dest && ReadPixels(dest, ASrcX, ASrcY, ACachingHint, AContext);
}

bool TSkImage::ScalePixels(const Ref<ISkPixmap>& ADest, TSkImageCachingHint ACachingHint) {
    return ScalePixels(ADest, TSkSamplingOptions(), ACachingHint);
}

bool TSkImage::ScalePixels(const Ref<ISkPixmap>& ADest, const TSkSamplingOptions& ASampling,
                           TSkImageCachingHint ACachingHint) {
    CheckNotNil(ADest, "ADest");
    const plix_sampling_options sampling = ASampling.ToNative();
    return API::plix_image_scale_pixels(Handle(), ADest->GetHandle(), &sampling, Ord(ACachingHint));
}

bool TSkImage::ScalePixels(const TSkImageInfo& ADestImageInfo, void* ADestPixels, size_t ADestRowBytes,
                           TSkImageCachingHint ACachingHint) {
    const Ref<ISkPixmap> dest = TSkPixmap::Make(ADestImageInfo, ADestPixels, ADestRowBytes);
    return dest && ScalePixels(dest, ACachingHint);
}

bool TSkImage::ScalePixels(const TSkImageInfo& ADestImageInfo, void* ADestPixels, size_t ADestRowBytes,
                           const TSkSamplingOptions& ASampling, TSkImageCachingHint ACachingHint) {
    const Ref<ISkPixmap> dest = TSkPixmap::Make(ADestImageInfo, ADestPixels, ADestRowBytes);
    return dest && ScalePixels(dest, ASampling, ACachingHint);
}

}  // namespace Skia
