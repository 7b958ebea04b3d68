// The four gradients. Each maps device points into a space where t is simple (the unit
// segment, the unit circle, angles around the origin, circles along +x), then t goes through
// the tile mode and the colour stops; colours are interpolated unpremultiplied in the
// destination's colour space and premultiplied after.
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "shaders/Shaders.h"
#include "shaders/StageHelpers.h"

namespace plix {

namespace {

constexpr float kDegenerate = 1.0f / (1 << 15);

bool finite(const Color4f& c) {
    return std::isfinite(c.r) && std::isfinite(c.g) && std::isfinite(c.b) && std::isfinite(c.a);
}

// Stops with positions from 0 to 1, increasing.
struct Stops {
    std::vector<Color4f> colors;
    std::vector<float> pos;
    sp<ColorSpace> cs;
};

bool normalize(const GradientStops& in, Stops* out) {
    if (!in.colors || in.count < 1) return false;
    const int n = in.count;
    for (int i = 0; i < n; ++i)
        if (!finite(in.colors[i])) return false;
    out->cs = in.cs;
    out->colors.clear();
    out->pos.clear();
    auto add = [&](const Color4f& c, float p) {
        Color4f k = c;
        k.a = std::clamp(k.a, 0.0f, 1.0f);
        out->colors.push_back(k);
        out->pos.push_back(p);
    };
    if (!in.positions) {
        for (int i = 0; i < n; ++i) add(in.colors[i], n == 1 ? 0.0f : float(i) / float(n - 1));
        if (n == 1) add(in.colors[0], 1);
        return true;
    }
    // Each position within [previous, 1]; NaN takes the previous one.
    float prev = 0;
    std::vector<float> p(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        float v = in.positions[i];
        v = v > prev ? (v < 1 ? v : 1.0f) : prev;
        p[size_t(i)] = prev = v;
    }
    if (p[0] > 0) add(in.colors[0], 0);
    for (int i = 0; i < n; ++i) add(in.colors[i], p[size_t(i)]);
    if (p[size_t(n - 1)] < 1) add(in.colors[n - 1], 1);
    return true;
}

// The mean colour over t in [0, 1] (what a repeating gradient squeezed to nothing shows).
Color4f averageColor(const Stops& s) {
    float acc[4] = {};
    for (size_t i = 1; i < s.colors.size(); ++i) {
        const float w = (s.pos[i] - s.pos[i - 1]) * 0.5f;
        const Color4f &a = s.colors[i - 1], &b = s.colors[i];
        acc[0] += (a.r + b.r) * w, acc[1] += (a.g + b.g) * w, acc[2] += (a.b + b.b) * w, acc[3] += (a.a + b.a) * w;
    }
    return {acc[0], acc[1], acc[2], acc[3]};
}

// A gradient whose extent shrank to nothing: transparent when decal, the mean colour when
// repeating or mirrored, the last colour when clamped.
sp<Shader> degenerate(const Stops& s, TileMode tile) {
    switch (tile) {
        case TileMode::Decal: return MakeEmptyShader();
        case TileMode::Repeat: case TileMode::Mirror: return MakeColorShader(averageColor(s), s.cs);
        case TileMode::Clamp: break;
    }
    return MakeColorShader(s.colors.back(), s.cs);
}

class Gradient : public Shader {
public:
    Gradient(Stops stops, TileMode tile, const Matrix* local)
        : fStops(std::move(stops)), fTile(tile), fLocal(local ? *local : Matrix()) {}

    bool appendStages(const StageRec& rec, const Matrix& ctm) const override {
        Pipeline& p = *rec.pipeline;
        if (!appendT(p, ctm * fLocal)) return false;
        switch (fTile) {
            case TileMode::Clamp: p.append(Op::tile_t_clamp); break;
            case TileMode::Repeat: p.append(Op::tile_t_repeat); break;
            case TileMode::Mirror: p.append(Op::tile_t_mirror); break;
            case TileMode::Decal: p.append(Op::tile_t_decal); break;
        }
        p.append(Op::gradient, makeContext(p, rec.dstColorSpace));
        p.append(Op::premul);
        if (fTile == TileMode::Decal || masksPoints()) p.append(Op::mask_y);
        return true;
    }
    bool isOpaque() const override {
        if (fTile == TileMode::Decal || masksPoints()) return false;
        for (const Color4f& c : fStops.colors)
            if (c.a < 1) return false;
        return true;
    }

protected:
    // Appends the stages that turn device points into t (and the mask into y).
    virtual bool appendT(Pipeline& p, const Matrix& total) const = 0;
    // Whether some points have no t at all.
    virtual bool masksPoints() const { return false; }

private:
    const GradientCtx* makeContext(Pipeline& p, const ColorSpace* dst) const {
        const int n = int(fStops.colors.size());
        GradientCtx* ctx = p.make(GradientCtx{});
        float* ts = p.makeArray<float>(size_t(n));
        ctx->stops = n;
        ctx->ts = ts;
        std::vector<std::array<float, 4>> c(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            const Color4f& k = fStops.colors[size_t(i)];
            c[size_t(i)] = {k.r, k.g, k.b, k.a};
            convertColor(c[size_t(i)].data(), fStops.cs.get(), dst);
            ts[i] = fStops.pos[size_t(i)];
        }
        for (int ch = 0; ch < 4; ++ch) {
            float* f = p.makeArray<float>(size_t(n) + 1);
            float* b = p.makeArray<float>(size_t(n) + 1);
            f[0] = 0, b[0] = c[0][size_t(ch)];
            for (int k = 1; k < n; ++k) {
                const float p0 = ts[k - 1], p1 = ts[k];
                const float c0 = c[size_t(k - 1)][size_t(ch)], c1 = c[size_t(k)][size_t(ch)];
                if (p1 > p0) {
                    f[k] = (c1 - c0) / (p1 - p0);
                    b[k] = c0 - f[k] * p0;
                } else {
                    f[k] = 0, b[k] = c1;  // a hard stop: no t lands here
                }
            }
            f[n] = 0, b[n] = c[size_t(n - 1)][size_t(ch)];
            ctx->f[ch] = f;
            ctx->b[ch] = b;
        }
        return ctx;
    }

    Stops fStops;
    TileMode fTile;
    Matrix fLocal;
};

class LinearGradient final : public Gradient {
public:
    LinearGradient(Point a, Point b, Stops s, TileMode tile, const Matrix* local)
        : Gradient(std::move(s), tile, local), fA(a), fB(b) {}
    bool appendT(Pipeline& p, const Matrix& total) const override {
        // (0, 0) -> a, (1, 0) -> b.
        const float dx = fB.x - fA.x, dy = fB.y - fA.y;
        if (!appendInverseMatrix(p, total * Matrix::MakeAll(dx, -dy, fA.x, dy, dx, fA.y, 0, 0, 1))) return false;
        p.append(Op::xy_to_linear);
        return true;
    }

private:
    Point fA, fB;
};

class RadialGradient final : public Gradient {
public:
    RadialGradient(Point c, float r, Stops s, TileMode tile, const Matrix* local)
        : Gradient(std::move(s), tile, local), fC(c), fR(r) {}
    bool appendT(Pipeline& p, const Matrix& total) const override {
        if (!appendInverseMatrix(p, total * Matrix::MakeAll(fR, 0, fC.x, 0, fR, fC.y, 0, 0, 1))) return false;
        p.append(Op::xy_to_radius);
        return true;
    }

private:
    Point fC;
    float fR;
};

class SweepGradient final : public Gradient {
public:
    SweepGradient(Point c, float t0, float t1, Stops s, TileMode tile, const Matrix* local)
        : Gradient(std::move(s), tile, local), fC(c), fT0(t0), fT1(t1) {}
    bool appendT(Pipeline& p, const Matrix& total) const override {
        if (!appendInverseMatrix(p, total * Matrix::Translate(fC.x, fC.y))) return false;
        p.append(Op::xy_to_unit_angle);
        if (fT0 != 0 || fT1 != 1) {
            float* sb = p.makeArray<float>(2);
            sb[0] = 1 / (fT1 - fT0);
            sb[1] = -fT0 * sb[0];
            p.append(Op::t_scale_bias, sb);
        }
        return true;
    }

private:
    Point fC;
    float fT0, fT1;  // turns
};

class ConicalGradient final : public Gradient {
public:
    ConicalGradient(Point c0, float r0, Point c1, float r1, Stops s, TileMode tile, const Matrix* local)
        : Gradient(std::move(s), tile, local), fC0(c0), fC1(c1), fR0(r0), fR1(r1) {}
    bool appendT(Pipeline& p, const Matrix& total) const override {
        // The start centre at the origin, the end centre on +x.
        const float dx = fC1.x - fC0.x, dy = fC1.y - fC0.y;
        const float d = std::sqrt(dx * dx + dy * dy);
        const float cs = d > 0 ? dx / d : 1, sn = d > 0 ? dy / d : 0;
        if (!appendInverseMatrix(p, total * Matrix::MakeAll(cs, -sn, fC0.x, sn, cs, fC0.y, 0, 0, 1))) return false;
        p.append(Op::xy_to_2pt_conical, p.make(ConicalCtx{d, fR0, fR1 - fR0}));
        return true;
    }
    bool masksPoints() const override { return true; }

private:
    Point fC0, fC1;
    float fR0, fR1;
};

bool finitePoint(Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }
bool usable(const Matrix* local) { return !local || local->isFinite(); }

}  // namespace

sp<Shader> MakeLinearGradient(Point a, Point b, const GradientStops& in, TileMode tile, const Matrix* local) {
    Stops s;
    if (!finitePoint(a) || !finitePoint(b) || !usable(local) || !normalize(in, &s)) return nullptr;
    if (in.count == 1) return MakeColorShader(s.colors[0], s.cs);
    const float len = std::hypot(b.x - a.x, b.y - a.y);
    if (!(len > kDegenerate) || !std::isfinite(len)) return degenerate(s, tile);
    return make_sp<LinearGradient>(a, b, std::move(s), tile, local);
}

sp<Shader> MakeRadialGradient(Point c, float r, const GradientStops& in, TileMode tile, const Matrix* local) {
    Stops s;
    if (!finitePoint(c) || !std::isfinite(r) || r < 0 || !usable(local) || !normalize(in, &s)) return nullptr;
    if (in.count == 1) return MakeColorShader(s.colors[0], s.cs);
    if (r <= kDegenerate) return degenerate(s, tile);
    return make_sp<RadialGradient>(c, r, std::move(s), tile, local);
}

sp<Shader> MakeSweepGradient(Point c, float startAngle, float endAngle, const GradientStops& in, TileMode tile,
                             const Matrix* local) {
    Stops s;
    if (!finitePoint(c) || !std::isfinite(startAngle) || !std::isfinite(endAngle) || startAngle > endAngle ||
        !usable(local) || !normalize(in, &s))
        return nullptr;
    if (in.count == 1) return MakeColorShader(s.colors[0], s.cs);
    if (endAngle - startAngle <= kDegenerate) {
        if (tile == TileMode::Clamp && endAngle > kDegenerate) {
            // Clamped to an angle of zero width: the first colour up to the angle, the last past it.
            const Color4f colors[3] = {s.colors.front(), s.colors.front(), s.colors.back()};
            const float pos[3] = {0, 1, 1};
            return MakeSweepGradient(c, 0, endAngle, {colors, pos, 3, s.cs}, tile, local);
        }
        return degenerate(s, tile);
    }
    // A range covering the whole turn needs no tiling.
    if (startAngle <= 0 && endAngle >= 360) tile = TileMode::Clamp;
    return make_sp<SweepGradient>(c, startAngle / 360, endAngle / 360, std::move(s), tile, local);
}

sp<Shader> MakeTwoPointConicalGradient(Point c0, float r0, Point c1, float r1, const GradientStops& in,
                                       TileMode tile, const Matrix* local) {
    Stops s;
    if (!finitePoint(c0) || !finitePoint(c1) || !std::isfinite(r0) || !std::isfinite(r1) || r0 < 0 || r1 < 0 ||
        !usable(local) || !normalize(in, &s))
        return nullptr;
    if (in.count == 1) return MakeColorShader(s.colors[0], s.cs);
    const bool sameCentre = std::hypot(c1.x - c0.x, c1.y - c0.y) <= kDegenerate;
    if (sameCentre) {
        if (std::fabs(r1 - r0) <= kDegenerate) {
            if (tile == TileMode::Clamp && r1 > kDegenerate) {
                // A ring of no width: the first colour inside it, the last outside.
                const Color4f colors[3] = {s.colors.front(), s.colors.front(), s.colors.back()};
                const float pos[3] = {0, 1, 1};
                return MakeRadialGradient(c0, r1, {colors, pos, 3, s.cs}, tile, local);
            }
            return degenerate(s, tile);
        }
        if (r0 <= kDegenerate) return MakeRadialGradient(c0, r1, in, tile, local);
    }
    return make_sp<ConicalGradient>(c0, r0, c1, r1, std::move(s), tile, local);
}

}  // namespace plix
