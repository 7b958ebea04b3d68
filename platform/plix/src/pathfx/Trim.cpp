// Trim: keeps the part of the path between two fractions of its whole length (counted across
// all contours in order), or everything but that part.
#include <algorithm>
#include <cmath>

#include "geometry/PathMeasure.h"
#include "pathfx/PathEffect.h"

namespace plix {

namespace {

class TrimEffect final : public PathEffect {
public:
    TrimEffect(float start, float stop, TrimMode mode) : fStart(start), fStop(stop), fMode(mode) {}

    bool filterPath(Path* dst, const Path& src, StrokeRec* rec, const Matrix&) const override {
        dst->reset();
        double total = 0;
        {
            PathMeasure meas(src, false, rec->resScale);
            for (bool more = meas.hasContour(); more; more = meas.nextContour()) total += meas.length();
        }
        const double a = fStart * total, b = fStop * total;
        auto keep = [&](double from, double to) {
            PathMeasure meas(src, false, rec->resScale);
            double base = 0;
            for (bool more = meas.hasContour(); more && base < to; more = meas.nextContour()) {
                const double len = meas.length();
                if (base + len > from) meas.getSegment(float(from - base), float(to - base), dst, true);
                base += len;
            }
        };
        if (fMode == TrimMode::Normal) {
            keep(a, b);
        } else {
            keep(0, a);
            keep(b, total);
        }
        return true;
    }

private:
    float fStart, fStop;
    TrimMode fMode;
};

}  // namespace

// Fractions are clamped to [0, 1]; not-a-number and unknown modes are refused. Keeping
// everything needs no effect, keeping nothing yields an empty path.
sp<PathEffect> makeTrimEffect(float start, float stop, TrimMode mode) {
    if (std::isnan(start) || std::isnan(stop) || (mode != TrimMode::Normal && mode != TrimMode::Inverted))
        return nullptr;
    start = std::clamp(start, 0.0f, 1.0f);
    stop = std::clamp(stop, 0.0f, 1.0f);
    if (start >= stop && mode == TrimMode::Normal) start = stop;
    return make_sp<TrimEffect>(start, stop, mode);
}

}  // namespace plix
