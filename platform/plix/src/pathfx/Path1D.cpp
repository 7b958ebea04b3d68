// Stamps along a path: a copy of the stamp every advance along each contour, short of its end;
// translated to the spot, also turned along the tangent, or bent to follow the contour (morph).
#include <cmath>

#include "geometry/PathMeasure.h"
#include "pathfx/PathEffect.h"

namespace plix {

namespace {

constexpr double kMaxStamps = 1000000;

class Path1DEffect final : public PathEffect {
public:
    Path1DEffect(const Path& stamp, float advance, float phase, Path1DStyle style)
        : fStamp(stamp), fAdvance(advance), fStyle(style) {
        // The first stamp sits advance - phase along (phase taken modulo advance), as in the
        // reference engine: the phase counts how far the pattern has already run.
        if (!std::isfinite(phase)) phase = 0;
        phase = std::fmod(phase, advance);
        if (phase < 0) phase += advance;
        fStart = phase > 0 ? advance - phase : 0;
        const Rect b = stamp.bounds();
        fReach = std::fmax(std::fmax(std::fabs(b.left), std::fabs(b.right)),
                           std::fmax(std::fabs(b.top), std::fabs(b.bottom)));
    }

    bool filterPath(Path* dst, const Path& src, StrokeRec* rec, const Matrix&) const override {
        dst->reset();
        PathMeasure meas(src, false, rec->resScale);
        double stamps = 0;
        for (bool more = meas.hasContour(); more; more = meas.nextContour()) {
            const float length = meas.length();
            stamps += double(length) / fAdvance;
            if (stamps > kMaxStamps) return false;
            for (double d = fStart; d < length; d += fAdvance) stamp(meas, float(d), dst);
        }
        return true;
    }

    Rect fastBounds(const Rect& r) const override { return r.makeOutset(fReach, fReach); }

private:
    void stamp(const PathMeasure& meas, float d, Path* dst) const {
        if (fStyle != Path1DStyle::Morph) {
            Matrix m;
            if (!meas.getMatrix(d, &m, fStyle == Path1DStyle::Rotate ? 3 : 1)) return;
            dst->addPath(fStamp, m);
            return;
        }
        // Each point moves to its x along the contour and its y along the normal there.
        auto bend = [&](Point p) {
            Point pos, tan;
            meas.posTan(d + p.x, &pos, &tan);
            return pos + Point{-tan.y, tan.x} * p.y;
        };
        Path::Iter it(fStamp, false);
        Point pts[4];
        float w = 1;
        for (Path::Iter::Kind k; (k = it.next(pts, &w)) != Path::Iter::kDone;) {
            switch (k) {
                case Path::Iter::kMove: dst->moveTo(bend(pts[0])); break;
                // A straight piece bends too: it becomes a quadratic through its bent middle.
                case Path::Iter::kLine: {
                    const Point a = bend(pts[0]), m = bend(lerp(pts[0], pts[1], 0.5f)), b = bend(pts[1]);
                    dst->quadTo(m * 2 - (a + b) * 0.5f, b);
                    break;
                }
                case Path::Iter::kQuad: dst->quadTo(bend(pts[1]), bend(pts[2])); break;
                case Path::Iter::kConic: dst->conicTo(bend(pts[1]), bend(pts[2]), w); break;
                case Path::Iter::kCubic: dst->cubicTo(bend(pts[1]), bend(pts[2]), bend(pts[3])); break;
                case Path::Iter::kClose: dst->close(); break;
                default: break;
            }
        }
    }

    Path fStamp;
    float fAdvance, fStart = 0, fReach = 0;
    Path1DStyle fStyle;
};

}  // namespace

// A stamp with something in it, a positive finite advance and a known style.
sp<PathEffect> makePath1DEffect(const Path& stamp, float advance, float phase, Path1DStyle style) {
    if (stamp.isEmpty() || !stamp.isFinite() || !(advance > 0) || !std::isfinite(advance)) return nullptr;
    if (int(style) < 0 || int(style) > int(Path1DStyle::Morph)) return nullptr;
    return make_sp<Path1DEffect>(stamp, advance, phase, style);
}

}  // namespace plix
