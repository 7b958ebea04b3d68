// IEEE half-precision conversions (round to nearest even), written without intrinsics so that
// loops over them vectorize on any target.
#pragma once

#include <bit>
#include <cstdint>

namespace plix {

inline uint16_t floatToHalf(float f) {
    const uint32_t x = std::bit_cast<uint32_t>(f);
    const uint32_t sign = (x >> 16) & 0x8000u;
    uint32_t ax = x & 0x7fffffffu;
    if (ax >= 0x7f800000u) return uint16_t(sign | 0x7c00u | (ax > 0x7f800000u ? 0x200u : 0u));
    if (ax >= 0x477ff000u) return uint16_t(sign | 0x7c00u);  // rounds past the largest half
    if (ax < 0x38800000u) {
        // Below the smallest normal half: adding 0.5 leaves the value in units of 2^-24 in the
        // low mantissa bits, rounded to nearest even by the FPU.
        const float v = std::bit_cast<float>(ax) + 0.5f;
        return uint16_t(sign | (std::bit_cast<uint32_t>(v) - 0x3f000000u));
    }
    const uint32_t odd = (ax >> 13) & 1u;
    ax += 0xc8000fffu + odd;  // rebias the exponent by (15 - 127) and round
    return uint16_t(sign | (ax >> 13));
}

inline float halfToFloat(uint16_t h) {
    const uint32_t sign = uint32_t(h & 0x8000u) << 16;
    const uint32_t e = (h >> 10) & 0x1fu, m = h & 0x3ffu;
    if (e == 0) {
        const float v = float(m) * (1.0f / 16777216.0f);
        return sign ? -v : v;
    }
    if (e == 31) return std::bit_cast<float>(sign | 0x7f800000u | (m << 13));
    return std::bit_cast<float>(sign | ((e + 112u) << 23) | (m << 13));
}

}  // namespace plix
