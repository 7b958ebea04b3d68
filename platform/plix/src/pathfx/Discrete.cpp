// Discrete: each contour cut into pieces of about segLength, every joint moved along the
// normal by a pseudo-random amount up to deviation. The sequence is seeded by the contour's
// length and seedAssist, so the same path always comes out the same.
#include <bit>
#include <cmath>

#include "geometry/PathMeasure.h"
#include "pathfx/PathEffect.h"

namespace plix {

namespace {

constexpr double kMaxPieces = 1000000;

class DiscreteEffect final : public PathEffect {
public:
    DiscreteEffect(float seg, float dev, uint32_t seed) : fSegLength(seg), fDeviation(dev), fSeed(seed) {}

    bool filterPath(Path* dst, const Path& src, StrokeRec* rec, const Matrix&) const override {
        dst->reset();
        PathMeasure meas(src, false, rec->resScale);
        double pieces = 0;
        for (bool more = meas.hasContour(); more; more = meas.nextContour()) {
            const float length = meas.length();
            int n = int(std::ceil(length / fSegLength));
            pieces += n;
            if (pieces > kMaxPieces) return false;  // finer than any pixel: draw the path plainly
            uint32_t state = fSeed ^ std::bit_cast<uint32_t>(length);
            auto jitter = [&] {
                state = state * 1664525u + 1013904223u;
                return (float(state >> 8) / float(1 << 24) * 2 - 1) * fDeviation;
            };
            if (n < 1) n = 1;
            const float step = length / float(n);
            const bool closed = meas.isClosed();
            for (int i = 0; i <= n; ++i) {
                if (closed && i == n) break;
                Point p, t;
                meas.posTan(step * float(i), &p, &t);
                // Open contours keep their ends in place.
                if (closed || (i != 0 && i != n)) p += Point{-t.y, t.x} * jitter();
                if (i == 0) dst->moveTo(p);
                else dst->lineTo(p);
            }
            if (closed) dst->close();
        }
        return true;
    }

    Rect fastBounds(const Rect& r) const override { return r.makeOutset(fDeviation, fDeviation); }

private:
    float fSegLength, fDeviation;
    uint32_t fSeed;
};

}  // namespace

// A positive, finite piece length and a finite deviation.
sp<PathEffect> makeDiscreteEffect(float segLength, float deviation, uint32_t seedAssist) {
    if (!(segLength > 0) || !std::isfinite(segLength) || !std::isfinite(deviation)) return nullptr;
    return make_sp<DiscreteEffect>(segLength, std::fabs(deviation), seedAssist);
}

}  // namespace plix
