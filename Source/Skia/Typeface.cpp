#include "Skia/Typeface.h"

#include "Skia/API.h"
#include "Skia/Stream.h"
#include "Skia/String.h"

namespace Skia {

Ref<ISkTypeface> TSkTypeface::MakeDefault() { return WrapOrNil<TSkTypeface>(API::plix_typeface_make_default()); }

Ref<ISkTypeface> TSkTypeface::MakeFromFile(const std::string& AFileName, int32_t ATTCIndex) {
    if (AFileName.empty()) RaiseFileNameEmpty();
    return WrapOrNil<TSkTypeface>(API::plix_typeface_make_from_file(AFileName.c_str(), ATTCIndex));
}

Ref<ISkTypeface> TSkTypeface::MakeFromName(const std::string& AFamilyName, const TSkFontStyle& AStyle) {
    const plix_font_style* style = reinterpret_cast<const plix_font_style*>(&AStyle);
    return WrapOrNil<TSkTypeface>(
        API::plix_typeface_make_from_name(AFamilyName.empty() ? nullptr : AFamilyName.c_str(), style));
}

Ref<ISkTypeface> TSkTypeface::MakeFromStream(Ui::TStream& AStream, int32_t ATTCIndex) {
    const Ref<ISkStream> stream = TSkStreamAdapter::Create(AStream);
    return WrapOrNil<TSkTypeface>(API::plix_typeface_make_from_stream(stream->GetHandle(), ATTCIndex));
}

std::string TSkTypeface::GetFamilyName() {
    return Wrap<TSkString>(API::plix_typeface_get_family_name(Handle()))->GetText();
}

TSkFontSlant TSkTypeface::GetSlant() { return TSkFontSlant(API::plix_typeface_get_slant(Handle())); }

TSkFontStyle TSkTypeface::GetStyle() {
    TSkFontStyle result;
    API::plix_typeface_get_style(Handle(), reinterpret_cast<plix_font_style*>(&result));
    return result;
}

int32_t TSkTypeface::GetWeight() { return API::plix_typeface_get_weight(Handle()); }
int32_t TSkTypeface::GetWidth() { return API::plix_typeface_get_width(Handle()); }
bool TSkTypeface::IsBold() { return GetWeight() > 599; }
bool TSkTypeface::IsItalic() { return GetSlant() != TSkFontSlant::Upright; }

Ref<ISkTypefaceFontProvider> TSkTypefaceFontProvider::Create() {
    return WrapCreated<TSkTypefaceFontProvider>(API::plix_typefacefontprovider_create());
}

void TSkTypefaceFontProvider::RegisterTypeface(const Ref<ISkTypeface>& ATypeface) {
    CheckNotNil(ATypeface, "ATypeface");
    API::plix_typefacefontprovider_register_typeface(Handle(), ATypeface->GetHandle());
}

void TSkTypefaceFontProvider::RegisterTypeface(const Ref<ISkTypeface>& ATypeface, const std::string& AFamilyName) {
    CheckNotNil(ATypeface, "ATypeface");
    if (AFamilyName.empty()) RaiseParameterEmpty("AFamilyName");
    API::plix_typefacefontprovider_register_typeface2(Handle(), ATypeface->GetHandle(), AFamilyName.c_str());
}

}  // namespace Skia
