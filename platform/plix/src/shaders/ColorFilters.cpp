#include "shaders/ColorFilters.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "shaders/StageHelpers.h"

namespace plix {

namespace {

// The input as destination, a constant colour as source, blended with the mode.
class BlendColorFilter final : public ColorFilter {
public:
    BlendColorFilter(const Color4f& c, sp<ColorSpace> cs, BlendMode m) : fColor(c), fCS(std::move(cs)), fMode(m) {}
    void appendStages(const StageRec& rec) const override {
        Pipeline& p = *rec.pipeline;
        float c[4] = {fColor.r, fColor.g, fColor.b, fColor.a};
        convertColor(c, fCS.get(), rec.dstColorSpace);
        float* premul = p.makeArray<float>(4);
        for (int i = 0; i < 3; ++i) premul[i] = c[i] * c[3];
        premul[3] = c[3];
        p.append(Op::swap_src_dst);
        p.append(Op::constant_color, premul);
        p.append(blendOp(fMode));
    }

private:
    Color4f fColor;
    sp<ColorSpace> fCS;
    BlendMode fMode;
};

class ComposeColorFilter final : public ColorFilter {
public:
    ComposeColorFilter(sp<ColorFilter> outer, sp<ColorFilter> inner) : fOuter(std::move(outer)), fInner(std::move(inner)) {}
    void appendStages(const StageRec& rec) const override {
        fInner->appendStages(rec);
        fOuter->appendStages(rec);
    }
    bool preservesOpaque() const override { return fInner->preservesOpaque() && fOuter->preservesOpaque(); }

private:
    sp<ColorFilter> fOuter, fInner;
};

// A 4x5 matrix on unpremultiplied colours, in RGBA or HSLA, clamped.
class MatrixColorFilter final : public ColorFilter {
public:
    MatrixColorFilter(const float m[20], bool hsla) : fHSLA(hsla) { std::copy(m, m + 20, fMatrix.begin()); }
    void appendStages(const StageRec& rec) const override {
        Pipeline& p = *rec.pipeline;
        p.append(Op::unpremul);
        if (fHSLA) p.append(Op::rgb_to_hsl);
        p.append(Op::matrix_4x5, fMatrix.data());
        if (fHSLA) p.append(Op::hsl_to_rgb);
        p.append(Op::clamp_01);
        p.append(Op::premul);
    }
    bool preservesOpaque() const override {
        return fMatrix[15] == 0 && fMatrix[16] == 0 && fMatrix[17] == 0 && fMatrix[18] == 1 && fMatrix[19] == 0;
    }

private:
    std::array<float, 20> fMatrix;
    bool fHSLA;
};

// r, g, b through a transfer curve, unpremultiplied.
class CurveColorFilter final : public ColorFilter {
public:
    explicit CurveColorFilter(const TransferFn& fn) : fFn(fn) {}
    void appendStages(const StageRec& rec) const override {
        Pipeline& p = *rec.pipeline;
        p.append(Op::unpremul);
        p.append(Op::transfer_fn, &fFn);
        p.append(Op::premul);
    }
    bool preservesOpaque() const override { return true; }

private:
    TransferFn fFn;
};

// (0, 0, 0, luma) of the premultiplied input.
class LumaColorFilter final : public ColorFilter {
public:
    void appendStages(const StageRec& rec) const override {
        static const float kLuma[20] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0.2126f, 0.7152f, 0.0722f, 0, 0};
        rec.pipeline->append(Op::matrix_4x5, kLuma);
        rec.pipeline->append(Op::clamp_01);
    }
};

class HighContrastColorFilter final : public ColorFilter {
public:
    explicit HighContrastColorFilter(const HighContrastCtx& c) : fCtx(c) {}
    void appendStages(const StageRec& rec) const override {
        Pipeline& p = *rec.pipeline;
        // Works on linear values of the destination's curve (sRGB when it has none).
        const TransferFn fn = rec.dstColorSpace ? rec.dstColorSpace->transferFn() : named::kSRGB;
        TransferFn inv;
        const bool curve = !(fn == named::kLinear) && fn.invert(&inv);
        p.append(Op::unpremul);
        p.append(Op::clamp_01);
        if (curve) p.append(Op::transfer_fn, p.make(fn));
        p.append(Op::high_contrast, &fCtx);
        if (curve) p.append(Op::transfer_fn, p.make(inv));
        p.append(Op::premul);
    }
    bool preservesOpaque() const override { return true; }

private:
    HighContrastCtx fCtx;
};

class OverdrawColorFilter final : public ColorFilter {
public:
    explicit OverdrawColorFilter(const uint32_t colors[6]) {
        for (int i = 0; i < 6; ++i) {
            const Color4f c = colorFromARGB(colors[i]);
            fColors[size_t(4 * i)] = c.r * c.a, fColors[size_t(4 * i + 1)] = c.g * c.a;
            fColors[size_t(4 * i + 2)] = c.b * c.a, fColors[size_t(4 * i + 3)] = c.a;
        }
    }
    void appendStages(const StageRec& rec) const override { rec.pipeline->append(Op::overdraw, fColors.data()); }

private:
    std::array<float, 24> fColors;
};

class TableColorFilter final : public ColorFilter {
public:
    TableColorFilter(const uint8_t* a, const uint8_t* r, const uint8_t* g, const uint8_t* b) {
        const uint8_t* src[4] = {r, g, b, a};
        for (int ch = 0; ch < 4; ++ch)
            for (int i = 0; i < 256; ++i) fTable[size_t(256 * ch + i)] = src[ch] ? src[ch][i] : uint8_t(i);
        fKeepsAlpha = !a;
    }
    void appendStages(const StageRec& rec) const override {
        Pipeline& p = *rec.pipeline;
        p.append(Op::unpremul);
        p.append(Op::table, fTable.data());
        p.append(Op::premul);
    }
    bool preservesOpaque() const override { return fKeepsAlpha || fTable[1023] == 255; }

private:
    std::array<uint8_t, 1024> fTable;
    bool fKeepsAlpha;
};

bool finiteColor(const Color4f& c) {
    return std::isfinite(c.r) && std::isfinite(c.g) && std::isfinite(c.b) && std::isfinite(c.a);
}

}  // namespace

sp<ColorFilter> MakeBlendColorFilter(const Color4f& color, sp<ColorSpace> cs, BlendMode mode) {
    if (!isValidBlendMode(int32_t(mode)) || !finiteColor(color)) return nullptr;
    Color4f c = color;
    c.a = std::clamp(c.a, 0.0f, 1.0f);
    return make_sp<BlendColorFilter>(c, std::move(cs), mode);
}

sp<ColorFilter> MakeComposeColorFilter(sp<ColorFilter> outer, sp<ColorFilter> inner) {
    if (!outer) return inner;
    if (!inner) return outer;
    return make_sp<ComposeColorFilter>(std::move(outer), std::move(inner));
}

sp<ColorFilter> MakeMatrixColorFilter(const float m[20]) {
    if (!m) return nullptr;
    for (int i = 0; i < 20; ++i)
        if (!std::isfinite(m[i])) return nullptr;
    return make_sp<MatrixColorFilter>(m, false);
}

sp<ColorFilter> MakeHSLAMatrixColorFilter(const float m[20]) {
    if (!m) return nullptr;
    for (int i = 0; i < 20; ++i)
        if (!std::isfinite(m[i])) return nullptr;
    return make_sp<MatrixColorFilter>(m, true);
}

sp<ColorFilter> MakeLightingColorFilter(uint32_t multiply, uint32_t add) {
    const Color4f m = colorFromARGB(multiply), a = colorFromARGB(add);
    const float rows[20] = {m.r, 0, 0, 0, a.r, 0, m.g, 0, 0, a.g, 0, 0, m.b, 0, a.b, 0, 0, 0, 1, 0};
    return make_sp<MatrixColorFilter>(rows, false);
}

sp<ColorFilter> MakeLinearToSRGBGammaColorFilter() {
    TransferFn inv;
    named::kSRGB.invert(&inv);
    return make_sp<CurveColorFilter>(inv);
}

sp<ColorFilter> MakeSRGBToLinearGammaColorFilter() { return make_sp<CurveColorFilter>(named::kSRGB); }

sp<ColorFilter> MakeLumaColorFilter() { return make_sp<LumaColorFilter>(); }

sp<ColorFilter> MakeHighContrastColorFilter(bool grayscale, int invertStyle, float contrast) {
    if (invertStyle < 0 || invertStyle > 2 || !(contrast >= -1 && contrast <= 1)) return nullptr;
    // The contrast in (-1, 1) as a slope around the middle grey.
    constexpr float eps = 1.0f / 255;
    const float k = std::clamp(contrast, -1 + eps, 1 - eps);
    return make_sp<HighContrastColorFilter>(HighContrastCtx{grayscale, invertStyle, (1 + k) / (1 - k)});
}

sp<ColorFilter> MakeOverdrawColorFilter(const uint32_t colors[6]) {
    if (!colors) return nullptr;
    return make_sp<OverdrawColorFilter>(colors);
}

sp<ColorFilter> MakeTableColorFilter(const uint8_t* a, const uint8_t* r, const uint8_t* g, const uint8_t* b) {
    return make_sp<TableColorFilter>(a, r, g, b);
}

}  // namespace plix
