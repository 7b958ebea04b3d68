// Effects that map or outline the whole path: matrix, translate, stroke, stroke-and-fill.
#include <cmath>

#include "pathfx/PathEffect.h"

namespace plix {

namespace {

class MatrixEffect final : public PathEffect {
public:
    explicit MatrixEffect(const Matrix& m) : fMatrix(m) {}
    bool filterPath(Path* dst, const Path& src, StrokeRec*, const Matrix&) const override {
        *dst = src.makeTransform(fMatrix);
        return true;
    }
    Rect fastBounds(const Rect& r) const override { return fMatrix.mapRect(r); }

private:
    Matrix fMatrix;
};

class StrokeEffect final : public PathEffect {
public:
    explicit StrokeEffect(const StrokeParams& p) : fParams(p) {}
    bool filterPath(Path* dst, const Path& src, StrokeRec* rec, const Matrix&) const override {
        if (fParams.width == 0) {
            *dst = src;
            rec->style = StrokeRec::Style::Hairline;
            return true;
        }
        dst->reset();
        if (!strokePath(src, fParams, rec->resScale, dst)) return false;
        rec->setFill();
        return true;
    }
    Rect fastBounds(const Rect& r) const override {
        // A miter reaches at most miterLimit half-widths out; caps and round joins one.
        const float reach = fParams.width / 2 * std::fmax(1.0f, fParams.join == StrokeJoin::Miter ? fParams.miterLimit : 1.5f);
        return r.makeOutset(reach, reach);
    }

private:
    StrokeParams fParams;
};

// Turns a stroke into stroke and fill; a fill stays a fill.
class StrokeAndFillEffect final : public PathEffect {
public:
    bool filterPath(Path* dst, const Path& src, StrokeRec* rec, const Matrix&) const override {
        *dst = src;
        if (rec->style == StrokeRec::Style::Stroke) rec->style = StrokeRec::Style::StrokeAndFill;
        return true;
    }
};

}  // namespace

// A finite matrix without perspective.
sp<PathEffect> makeMatrixEffect(const Matrix& m) {
    if (!m.isFinite() || m.hasPerspective()) return nullptr;
    return make_sp<MatrixEffect>(m);
}

sp<PathEffect> makeTranslateEffect(float dx, float dy) {
    if (!std::isfinite(dx) || !std::isfinite(dy)) return nullptr;
    return make_sp<MatrixEffect>(Matrix::Translate(dx, dy));
}

// A finite, non-negative width (0: hairline), a non-negative miter limit, known join and cap.
sp<PathEffect> makeStrokeEffect(float width, StrokeJoin join, StrokeCap cap, float miter) {
    if (!(width >= 0) || !std::isfinite(width) || !(miter >= 0) || !std::isfinite(miter)) return nullptr;
    if (int(join) < 0 || int(join) > 2 || int(cap) < 0 || int(cap) > 2) return nullptr;
    return make_sp<StrokeEffect>(StrokeParams{width, miter, cap, join});
}

sp<PathEffect> makeStrokeAndFillEffect() { return make_sp<StrokeAndFillEffect>(); }

}  // namespace plix
