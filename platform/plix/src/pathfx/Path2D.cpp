// Lattice effects: the lattice matrix maps integer cells onto the path's plane. Every cell whose
// centre lies inside the path gets a stamp (2D path) or, row by row, the runs of such cells get a
// line through their centres, stroked at the given width (2D line).
#include <cmath>

#include "pathfx/PathEffect.h"

namespace plix {

namespace {

constexpr double kMaxCells = 4000000;

class LatticeEffect : public PathEffect {
public:
    explicit LatticeEffect(const Matrix& m) : fMatrix(m) { m.invert(&fInverse); }

    bool filterPath(Path* dst, const Path& src, StrokeRec* rec, const Matrix&) const override {
        dst->reset();
        const Rect b = fInverse.mapRect(src.bounds());
        if (!b.isFinite()) return false;
        const double u0 = std::floor(b.left), u1 = std::ceil(b.right), v0 = std::floor(b.top), v1 = std::ceil(b.bottom);
        if ((u1 - u0) * (v1 - v0) > kMaxCells) return false;
        for (double v = v0; v < v1; ++v) {
            double runStart = 0;
            int run = 0;
            for (double u = u0; u <= u1; ++u) {
                const bool inside = u < u1 && [&] {
                    const Point c = fMatrix.mapPoint({float(u + 0.5), float(v + 0.5)});
                    return src.contains(c.x, c.y);
                }();
                if (inside) {
                    if (run++ == 0) runStart = u;
                } else if (run) {
                    span(float(runStart), float(v), run, dst);
                    run = 0;
                }
            }
        }
        finish(rec);
        return true;
    }

protected:
    virtual void span(float u, float v, int count, Path* dst) const = 0;
    virtual void finish(StrokeRec*) const {}
    Matrix fMatrix, fInverse;
};

class Line2DEffect final : public LatticeEffect {
public:
    Line2DEffect(float width, const Matrix& m) : LatticeEffect(m), fWidth(width) {}
    Rect fastBounds(const Rect& r) const override { return r.makeOutset(fWidth / 2, fWidth / 2); }

private:
    void span(float u, float v, int count, Path* dst) const override {
        if (count < 2) return;
        dst->moveTo(fMatrix.mapPoint({u + 0.5f, v + 0.5f}));
        dst->lineTo(fMatrix.mapPoint({u + float(count) + 0.5f, v + 0.5f}));
    }
    void finish(StrokeRec* rec) const override {
        rec->style = StrokeRec::Style::Stroke;
        rec->params.width = fWidth;
    }
    float fWidth;
};

class Path2DEffect final : public LatticeEffect {
public:
    Path2DEffect(const Matrix& m, const Path& stamp) : LatticeEffect(m), fStamp(stamp) {
        const Rect b = stamp.bounds();
        fReach = std::fmax(std::fmax(std::fabs(b.left), std::fabs(b.right)),
                           std::fmax(std::fabs(b.top), std::fabs(b.bottom)));
    }
    Rect fastBounds(const Rect& r) const override { return r.makeOutset(fReach, fReach); }

private:
    void span(float u, float v, int count, Path* dst) const override {
        for (int i = 0; i < count; ++i) {
            const Point c = fMatrix.mapPoint({u + float(i) + 0.5f, v + 0.5f});
            dst->addPath(fStamp, Matrix::Translate(c.x, c.y));
        }
    }
    Path fStamp;
    float fReach = 0;
};

bool usableLattice(const Matrix& m) {
    Matrix inv;
    return m.isFinite() && !m.hasPerspective() && m.invert(&inv);
}

}  // namespace

// A finite, non-negative width and an invertible affine lattice.
sp<PathEffect> makeLine2DEffect(float width, const Matrix& lattice) {
    if (!(width >= 0) || !std::isfinite(width) || !usableLattice(lattice)) return nullptr;
    return make_sp<Line2DEffect>(width, lattice);
}

sp<PathEffect> makePath2DEffect(const Matrix& lattice, const Path& stamp) {
    if (!usableLattice(lattice) || !stamp.isFinite()) return nullptr;
    return make_sp<Path2DEffect>(lattice, stamp);
}

}  // namespace plix
