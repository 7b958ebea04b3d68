#include "Skia/ColorFilter.h"

#include <cstring>

#include "Skia/API.h"
#include "Skia/Marshal.h"

namespace Skia {
namespace {

plix_color_matrix ToNative(const TSkColorMatrix& m) {
    plix_color_matrix native;
    std::memcpy(native.m, m.M.data(), sizeof native.m);
    return native;
}

const uint8_t* TableOrNil(const TSkTableFilter* table) { return table ? table->data() : nullptr; }

Ref<ISkColorFilter> Result(plix_handle handle) { return WrapOrNil<TSkColorFilter>(handle); }

}  // namespace

Ref<ISkColorFilter> TSkColorFilter::MakeBlend(Ui::TAlphaColor AColor, TSkBlendMode AMode) {
    return Result(API::plix_colorfilter_make_blend(AColor, Marshal::Ord(AMode)));
}

Ref<ISkColorFilter> TSkColorFilter::MakeBlend(const Ui::TAlphaColorF& AColor, const Ref<ISkColorSpace>& AColorSpace,
                                              TSkBlendMode AMode) {
    const plix_color4f color = Marshal::ToNative(AColor);
    return Result(API::plix_colorfilter_make_blend2(&color, HandleOrZero(AColorSpace), Marshal::Ord(AMode)));
}

Ref<ISkColorFilter> TSkColorFilter::MakeCompose(const Ref<ISkColorFilter>& AOuter, const Ref<ISkColorFilter>& AInner) {
    CheckNotNil(AOuter, "AOuter");
    CheckNotNil(AInner, "AInner");
    return Result(API::plix_colorfilter_make_compose(AOuter->GetHandle(), AInner->GetHandle()));
}

Ref<ISkColorFilter> TSkColorFilter::MakeHighContrast(const TSkHighContrastConfig& AConfig) {
    const plix_high_contrast_config config{AConfig.Grayscale, Marshal::Ord(AConfig.InvertStyle), AConfig.Contrast};
    return Result(API::plix_colorfilter_make_high_contrast(&config));
}

Ref<ISkColorFilter> TSkColorFilter::MakeHSLAMatrix(const TSkColorMatrix& AMatrix) {
    const plix_color_matrix matrix = ToNative(AMatrix);
    return Result(API::plix_colorfilter_make_hsla_matrix(&matrix));
}

Ref<ISkColorFilter> TSkColorFilter::MakeLighting(Ui::TAlphaColor AMultiply, Ui::TAlphaColor AAdd) {
    return Result(API::plix_colorfilter_make_lighting(AMultiply, AAdd));
}

Ref<ISkColorFilter> TSkColorFilter::MakeLinearToSRGBGamma() {
    return Result(API::plix_colorfilter_make_linear_to_srgb_gamma());
}

Ref<ISkColorFilter> TSkColorFilter::MakeLumaColor() { return Result(API::plix_colorfilter_make_luma_color()); }

Ref<ISkColorFilter> TSkColorFilter::MakeMatrix(const TSkColorMatrix& AMatrix) {
    const plix_color_matrix matrix = ToNative(AMatrix);
    return Result(API::plix_colorfilter_make_matrix(&matrix));
}

Ref<ISkColorFilter> TSkColorFilter::MakeOverdraw(const TSkOverdrawColors& AColors) {
    return Result(API::plix_colorfilter_make_overdraw(AColors.data()));
}

Ref<ISkColorFilter> TSkColorFilter::MakeTable(const TSkTableFilter& ATable) {
    return MakeTable(&ATable, &ATable, &ATable, &ATable);
}

Ref<ISkColorFilter> TSkColorFilter::MakeTable(const TSkTableFilter* ATableA, const TSkTableFilter* ATableR,
                                              const TSkTableFilter* ATableG, const TSkTableFilter* ATableB) {
    return Result(API::plix_colorfilter_make_table(TableOrNil(ATableA), TableOrNil(ATableR), TableOrNil(ATableG),
                                                   TableOrNil(ATableB)));
}

}  // namespace Skia
