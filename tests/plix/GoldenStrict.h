// The strict acceptance rule of the golden suites: our premultiplied pixels within a few levels
// of the reference engine's on nearly every pixel. The few pixels allowed past it are where
// coverage and rounding meet at a tie; a scene whose outline is off shows up as a band of them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

namespace plix::test {

constexpr int kStrictLevels = 3;
constexpr double kStrictShare = 0.99;

struct StrictResult {
    int within = 0;  // pixels whose every channel is within the levels
    int total = 0;
    int worst = 0;   // largest channel difference
    bool pass() const { return total > 0 && within >= int(double(total) * kStrictShare + 0.999999); }
    std::string describe() const {
        return std::to_string(total - within) + " of " + std::to_string(total) + " pixels beyond " +
               std::to_string(kStrictLevels) + " levels (at most 1% may be), worst " + std::to_string(worst);
    }
};

// Both images RGBA8888, w x h, rows packed. slack: extra levels for formats that store less.
inline StrictResult compareStrict(const uint8_t* ours, const uint8_t* reference, int w, int h, int slack = 0) {
    StrictResult r;
    r.total = w * h;
    for (int i = 0; i < w * h; ++i) {
        int d = 0;
        for (int c = 0; c < 4; ++c) d = std::max(d, std::abs(int(ours[size_t(i) * 4 + size_t(c)]) - int(reference[size_t(i) * 4 + size_t(c)])));
        r.worst = std::max(r.worst, d);
        if (d <= kStrictLevels + slack) ++r.within;
    }
    return r;
}

}  // namespace plix::test
