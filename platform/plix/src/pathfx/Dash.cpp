// Dashes: on and off lengths laid along each contour in turn, starting phase into the pattern.
// A closed contour whose pattern ends "on" joins its last dash to its first.
#include <cmath>
#include <vector>

#include "geometry/PathMeasure.h"
#include "pathfx/PathEffect.h"

namespace plix {

namespace {

// More dashes than this in one draw draw nothing, as the reference engine does: they would be
// finer than any pixel and cost unbounded time and memory.
constexpr double kMaxDashes = 1000000;

class DashEffect final : public PathEffect {
public:
    DashEffect(std::vector<float> intervals, float phase) : fIntervals(std::move(intervals)) {
        double len = 0;
        for (float v : fIntervals) len += v;
        fIntervalLength = float(len);
        if (!std::isfinite(phase)) phase = 0;
        // Bring the phase into [0, intervalLength); a negative phase counts back from the end.
        if (phase < 0) {
            phase = -phase;
            if (phase > fIntervalLength) phase = std::fmod(phase, fIntervalLength);
            phase = fIntervalLength - phase;
            if (phase == fIntervalLength) phase = 0;
        } else if (phase >= fIntervalLength) {
            phase = std::fmod(phase, fIntervalLength);
        }
        fFirstIndex = 0;
        fFirstLength = fIntervals[0];
        for (size_t i = 0; i < fIntervals.size(); ++i) {
            const float gap = fIntervals[i];
            if (phase > gap || (phase == gap && gap != 0)) {
                phase -= gap;
            } else {
                fFirstIndex = i;
                fFirstLength = gap - phase;
                break;
            }
        }
    }

    bool filterPath(Path* dst, const Path& src, StrokeRec* rec, const Matrix&) const override {
        dst->reset();
        PathMeasure meas(src, false, rec->resScale);
        const size_t n = fIntervals.size();
        double dashes = 0;
        for (bool more = meas.hasContour(); more; more = meas.nextContour()) {
            const float length = meas.length();
            dashes += double(length) / fIntervalLength * double(n);
            if (dashes > kMaxDashes) {
                dst->reset();
                return true;
            }
            const bool closedJoin = meas.isClosed() && fFirstIndex % 2 == 0;
            bool skipFirst = closedJoin, added = false;
            size_t index = fFirstIndex;
            float dlen = fFirstLength;
            double d = 0;
            while (d < length) {
                added = false;
                if (index % 2 == 0 && !skipFirst) {
                    added = true;
                    meas.getSegment(float(d), float(d + dlen), dst, true);
                }
                d += dlen;
                skipFirst = false;
                if (++index == n) index = 0;
                dlen = fIntervals[index];
            }
            if (closedJoin && fFirstLength >= 0) meas.getSegment(0, fFirstLength, dst, !added);
        }
        return true;
    }

private:
    std::vector<float> fIntervals;
    float fIntervalLength = 0;
    size_t fFirstIndex = 0;
    float fFirstLength = 0;
};

}  // namespace

// An even count of at least two finite, non-negative lengths with a positive sum.
sp<PathEffect> makeDashEffect(const float intervals[], int count, float phase) {
    if (!intervals || count < 2 || count % 2 != 0) return nullptr;
    double sum = 0;
    for (int i = 0; i < count; ++i) {
        if (!(intervals[i] >= 0) || !std::isfinite(intervals[i])) return nullptr;
        sum += intervals[i];
    }
    if (!(sum > 0) || !std::isfinite(float(sum))) return nullptr;
    return make_sp<DashEffect>(std::vector<float>(intervals, intervals + count), phase);
}

}  // namespace plix
