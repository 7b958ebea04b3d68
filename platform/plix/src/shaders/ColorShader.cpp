// One colour everywhere, and transparent black.
#include <cmath>

#include "shaders/Shaders.h"
#include "shaders/StageHelpers.h"

namespace plix {

Color4f colorFromARGB(uint32_t argb) {
    return {((argb >> 16) & 255) / 255.0f, ((argb >> 8) & 255) / 255.0f, (argb & 255) / 255.0f, (argb >> 24) / 255.0f};
}

namespace {

class ColorShader final : public Shader {
public:
    ColorShader(const Color4f& c, sp<ColorSpace> cs) : fColor(c), fCS(std::move(cs)) {}

    bool appendStages(const StageRec& rec, const Matrix&) const override {
        float c[4] = {fColor.r, fColor.g, fColor.b, fColor.a};
        convertColor(c, fCS.get(), rec.dstColorSpace);
        float* premul = rec.pipeline->makeArray<float>(4);
        const float a = c[3] > 0 ? (c[3] < 1 ? c[3] : 1.0f) : 0.0f;
        for (int i = 0; i < 3; ++i) premul[i] = c[i] * a;
        premul[3] = a;
        rec.pipeline->append(Op::constant_color, premul);
        return true;
    }
    bool isOpaque() const override { return fColor.a >= 1; }
    bool asSolidColor(float rgba[4]) const override {
        float c[4] = {fColor.r, fColor.g, fColor.b, fColor.a};
        if (fCS && !fCS->isSRGB()) {
            auto srgb = ColorSpace::MakeSRGB();
            ColorSpaceXform(fCS.get(), srgb.get()).apply(c);
        }
        for (int i = 0; i < 4; ++i) rgba[i] = c[i];
        return true;
    }

private:
    Color4f fColor;
    sp<ColorSpace> fCS;
};

class EmptyShader final : public Shader {
public:
    bool appendStages(const StageRec& rec, const Matrix&) const override {
        static const float kClear[4] = {0, 0, 0, 0};
        rec.pipeline->append(Op::constant_color, kClear);
        return true;
    }
};

}  // namespace

sp<Shader> MakeColorShader(const Color4f& color, sp<ColorSpace> cs) {
    if (!std::isfinite(color.r) || !std::isfinite(color.g) || !std::isfinite(color.b) || !std::isfinite(color.a))
        return nullptr;
    Color4f c = color;
    c.a = c.a > 0 ? (c.a < 1 ? c.a : 1.0f) : 0.0f;
    return make_sp<ColorShader>(c, std::move(cs));
}

sp<Shader> MakeEmptyShader() { return make_sp<EmptyShader>(); }

}  // namespace plix
