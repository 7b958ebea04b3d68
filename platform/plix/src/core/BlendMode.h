// The 29 blend modes: Porter-Duff, the arithmetic ones, and the separable and non-separable
// modes of the W3C compositing rules, all on premultiplied colours.
#pragma once

#include <cstdint>

namespace plix {

#define PLIX_BLEND_MODES(X)                                                                    \
    X(Clear) X(Src) X(Dst) X(SrcOver) X(DstOver) X(SrcIn) X(DstIn) X(SrcOut) X(DstOut)        \
    X(SrcATop) X(DstATop) X(Xor) X(Plus) X(Modulate) X(Screen) X(Overlay) X(Darken) X(Lighten) \
    X(ColorDodge) X(ColorBurn) X(HardLight) X(SoftLight) X(Difference) X(Exclusion)           \
    X(Multiply) X(Hue) X(Saturation) X(Color) X(Luminosity)

enum class BlendMode : int32_t {
#define PLIX_BM_ENUM(name) name,
    PLIX_BLEND_MODES(PLIX_BM_ENUM)
#undef PLIX_BM_ENUM
};
constexpr int kBlendModeCount = 29;
static_assert(int(BlendMode::Luminosity) == kBlendModeCount - 1);

constexpr bool isValidBlendMode(int32_t m) { return m >= 0 && m < kBlendModeCount; }

// Modes where drawing with coverage c equals drawing the source scaled by c.
constexpr bool blendSupportsCoverageAsAlpha(BlendMode m) {
    switch (m) {
        case BlendMode::Dst: case BlendMode::SrcOver: case BlendMode::DstOver:
        case BlendMode::DstOut: case BlendMode::SrcATop: case BlendMode::Xor: case BlendMode::Plus:
            return true;
        default:
            return false;
    }
}

}  // namespace plix
