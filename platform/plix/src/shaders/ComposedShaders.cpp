// Shaders made of other shaders: a blend of two, one under a further local matrix, one through
// a colour filter.
#include "shaders/Shaders.h"

namespace plix {

namespace {

// Runs dst, keeps its colour, runs src from the same coordinates, and blends.
class BlendShader final : public Shader {
public:
    BlendShader(BlendMode m, sp<Shader> dst, sp<Shader> src) : fMode(m), fDst(std::move(dst)), fSrc(std::move(src)) {}

    bool appendStages(const StageRec& rec, const Matrix& ctm) const override {
        Pipeline& p = *rec.pipeline;
        SavedColor* coords = p.make(SavedColor{});
        SavedColor* dstColor = p.make(SavedColor{});
        p.append(Op::save_src, coords);
        if (!fDst->appendStages(rec, ctm)) return false;
        p.append(Op::save_src, dstColor);
        p.append(Op::restore_xy, coords);
        if (!fSrc->appendStages(rec, ctm)) return false;
        p.append(Op::saved_to_dst, dstColor);
        p.append(blendOp(fMode));
        return true;
    }
    bool isOpaque() const override {
        switch (fMode) {
            case BlendMode::Src: return fSrc->isOpaque();
            case BlendMode::Dst: return fDst->isOpaque();
            case BlendMode::SrcOver: case BlendMode::DstOver: return fSrc->isOpaque() || fDst->isOpaque();
            default: return false;
        }
    }

private:
    BlendMode fMode;
    sp<Shader> fDst, fSrc;
};

class LocalMatrixShader final : public Shader {
public:
    LocalMatrixShader(sp<Shader> s, const Matrix& m) : fShader(std::move(s)), fLocal(m) {}
    bool appendStages(const StageRec& rec, const Matrix& ctm) const override {
        return fShader->appendStages(rec, ctm * fLocal);
    }
    bool isOpaque() const override { return fShader->isOpaque(); }
    bool asSolidColor(float rgba[4]) const override { return fShader->asSolidColor(rgba); }

private:
    sp<Shader> fShader;
    Matrix fLocal;
};

class ColorFilterShader final : public Shader {
public:
    ColorFilterShader(sp<Shader> s, sp<ColorFilter> f) : fShader(std::move(s)), fFilter(std::move(f)) {}
    bool appendStages(const StageRec& rec, const Matrix& ctm) const override {
        if (!fShader->appendStages(rec, ctm)) return false;
        fFilter->appendStages(rec);
        return true;
    }
    bool isOpaque() const override { return fShader->isOpaque() && fFilter->preservesOpaque(); }

private:
    sp<Shader> fShader;
    sp<ColorFilter> fFilter;
};

}  // namespace

sp<Shader> MakeBlendShader(BlendMode mode, sp<Shader> dst, sp<Shader> src) {
    if (!dst || !src || !isValidBlendMode(int32_t(mode))) return nullptr;
    if (mode == BlendMode::Src) return src;
    if (mode == BlendMode::Dst) return dst;
    return make_sp<BlendShader>(mode, std::move(dst), std::move(src));
}

sp<Shader> MakeLocalMatrixShader(sp<Shader> shader, const Matrix& local) {
    if (!shader || !local.isFinite()) return nullptr;
    return make_sp<LocalMatrixShader>(std::move(shader), local);
}

sp<Shader> MakeColorFilterShader(sp<Shader> shader, sp<ColorFilter> filter) {
    if (!shader) return nullptr;
    if (!filter) return shader;
    return make_sp<ColorFilterShader>(std::move(shader), std::move(filter));
}

}  // namespace plix
