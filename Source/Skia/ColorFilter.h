// Colour filters (reference-counted): functions from one colour to another, attached to a paint
// or applied to a shader.
#pragma once

#include <array>
#include <cstdint>

#include "Skia/ColorSpace.h"
#include "Skia/Enums.h"
#include "ui/Types.h"

namespace Skia {

// A 4x5 colour matrix, row by row: each output channel (R, G, B, A) is four multipliers and a
// bias; the bias in 0..1 units.
struct TSkColorMatrix {
    std::array<float, 20> M{1, 0, 0, 0, 0,
                            0, 1, 0, 0, 0,
                            0, 0, 1, 0, 0,
                            0, 0, 0, 1, 0};
};

enum class TSkHighContrastConfigInvertStyle : int32_t { NoInvert, InvertBrightness, InvertLightness };

struct TSkHighContrastConfig {
    bool Grayscale = false;
    TSkHighContrastConfigInvertStyle InvertStyle = TSkHighContrastConfigInvertStyle::NoInvert;
    float Contrast = 0;  // -1..1
};

// Maps each of the 256 channel values.
using TSkTableFilter = std::array<uint8_t, 256>;

// Colours for overdraw counts 0 to 5 and more.
using TSkOverdrawColors = std::array<Ui::TAlphaColor, 6>;

class ISkColorFilter : public virtual ISkReferenceCounted {};

class TSkColorFilter : public TSkReferenceCounted, public virtual ISkColorFilter {
public:
    using TSkReferenceCounted::TSkReferenceCounted;

    static Ref<ISkColorFilter> MakeBlend(Ui::TAlphaColor AColor, TSkBlendMode AMode);
    static Ref<ISkColorFilter> MakeBlend(const Ui::TAlphaColorF& AColor, const Ref<ISkColorSpace>& AColorSpace,
                                         TSkBlendMode AMode);
    // AInner first, then AOuter on its result.
    static Ref<ISkColorFilter> MakeCompose(const Ref<ISkColorFilter>& AOuter, const Ref<ISkColorFilter>& AInner);
    static Ref<ISkColorFilter> MakeHighContrast(const TSkHighContrastConfig& AConfig);
    static Ref<ISkColorFilter> MakeHSLAMatrix(const TSkColorMatrix& AMatrix);
    static Ref<ISkColorFilter> MakeLighting(Ui::TAlphaColor AMultiply, Ui::TAlphaColor AAdd);
    static Ref<ISkColorFilter> MakeLinearToSRGBGamma();
    static Ref<ISkColorFilter> MakeLumaColor();
    static Ref<ISkColorFilter> MakeMatrix(const TSkColorMatrix& AMatrix);
    static Ref<ISkColorFilter> MakeOverdraw(const TSkOverdrawColors& AColors);
    // The same table for the four channels.
    static Ref<ISkColorFilter> MakeTable(const TSkTableFilter& ATable);
    // One table per channel; a null table leaves its channel unchanged.
    static Ref<ISkColorFilter> MakeTable(const TSkTableFilter* ATableA, const TSkTableFilter* ATableR,
                                         const TSkTableFilter* ATableG, const TSkTableFilter* ATableB);
};

}  // namespace Skia
