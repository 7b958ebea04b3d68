#include "raster/PixelFormats.h"

#include <array>
#include <cmath>
#include <cstring>

#include "core/Half.h"

namespace plix {

namespace {

// NaN becomes 0.
inline float clamp01(float v) { return v > 0 ? (v < 1 ? v : 1.0f) : 0.0f; }
inline uint32_t unorm(float v, float scale) { return uint32_t(clamp01(v) * scale + 0.5f); }

template <class T>
inline T ld(const void* p, int i) {
    T v;
    std::memcpy(&v, static_cast<const char*>(p) + sizeof(T) * size_t(i), sizeof(T));
    return v;
}
template <class T>
inline void st(void* p, int i, T v) {
    std::memcpy(static_cast<char*>(p) + sizeof(T) * size_t(i), &v, sizeof(T));
}

void fill(float* p, int n, float v) {
    for (int i = 0; i < n; ++i) p[i] = v;
}

// ---- 8-bit channels ----

template <int R, int G, int B, int A>  // byte offset of each channel, -1 when absent
void load8888(const void* src, int n, float* r, float* g, float* b, float* a) {
    const uint8_t* s = static_cast<const uint8_t*>(src);
    constexpr float k = 1 / 255.0f;
    for (int i = 0; i < n; ++i) {
        r[i] = s[4 * i + R] * k;
        g[i] = s[4 * i + G] * k;
        b[i] = s[4 * i + B] * k;
        a[i] = A < 0 ? 1.0f : s[4 * i + (A < 0 ? 0 : A)] * k;
    }
}

template <int R, int G, int B, int A>
void store8888(void* dst, int n, const float* r, const float* g, const float* b, const float* a) {
    uint8_t* d = static_cast<uint8_t*>(dst);
    for (int i = 0; i < n; ++i) {
        d[4 * i + R] = uint8_t(unorm(r[i], 255));
        d[4 * i + G] = uint8_t(unorm(g[i], 255));
        d[4 * i + B] = uint8_t(unorm(b[i], 255));
        d[4 * i + (A < 0 ? 3 : A)] = A < 0 ? 0xff : uint8_t(unorm(a[i], 255));
    }
}

void loadA8(const void* src, int n, float* r, float* g, float* b, float* a) {
    const uint8_t* s = static_cast<const uint8_t*>(src);
    for (int i = 0; i < n; ++i) a[i] = s[i] * (1 / 255.0f);
    fill(r, n, 0), fill(g, n, 0), fill(b, n, 0);
}
void storeA8(void* dst, int n, const float*, const float*, const float*, const float* a) {
    uint8_t* d = static_cast<uint8_t*>(dst);
    for (int i = 0; i < n; ++i) d[i] = uint8_t(unorm(a[i], 255));
}

void loadGray8(const void* src, int n, float* r, float* g, float* b, float* a) {
    const uint8_t* s = static_cast<const uint8_t*>(src);
    for (int i = 0; i < n; ++i) r[i] = g[i] = b[i] = s[i] * (1 / 255.0f);
    fill(a, n, 1);
}
// Gray keeps the luminance (Rec. 709 weights).
void storeGray8(void* dst, int n, const float* r, const float* g, const float* b, const float*) {
    uint8_t* d = static_cast<uint8_t*>(dst);
    for (int i = 0; i < n; ++i)
        d[i] = uint8_t(unorm(0.2126f * r[i] + 0.7152f * g[i] + 0.0722f * b[i], 255));
}

void loadR8(const void* src, int n, float* r, float* g, float* b, float* a) {
    const uint8_t* s = static_cast<const uint8_t*>(src);
    for (int i = 0; i < n; ++i) r[i] = s[i] * (1 / 255.0f);
    fill(g, n, 0), fill(b, n, 0), fill(a, n, 1);
}
void storeR8(void* dst, int n, const float* r, const float*, const float*, const float*) {
    uint8_t* d = static_cast<uint8_t*>(dst);
    for (int i = 0; i < n; ++i) d[i] = uint8_t(unorm(r[i], 255));
}

void loadRG88(const void* src, int n, float* r, float* g, float* b, float* a) {
    const uint8_t* s = static_cast<const uint8_t*>(src);
    for (int i = 0; i < n; ++i) {
        r[i] = s[2 * i] * (1 / 255.0f);
        g[i] = s[2 * i + 1] * (1 / 255.0f);
    }
    fill(b, n, 0), fill(a, n, 1);
}
void storeRG88(void* dst, int n, const float* r, const float* g, const float*, const float*) {
    uint8_t* d = static_cast<uint8_t*>(dst);
    for (int i = 0; i < n; ++i) {
        d[2 * i] = uint8_t(unorm(r[i], 255));
        d[2 * i + 1] = uint8_t(unorm(g[i], 255));
    }
}

// ---- packed 16-bit ----

void loadRGB565(const void* src, int n, float* r, float* g, float* b, float* a) {
    for (int i = 0; i < n; ++i) {
        const uint16_t p = ld<uint16_t>(src, i);
        r[i] = (p >> 11) * (1 / 31.0f);
        g[i] = ((p >> 5) & 63) * (1 / 63.0f);
        b[i] = (p & 31) * (1 / 31.0f);
    }
    fill(a, n, 1);
}
void storeRGB565(void* dst, int n, const float* r, const float* g, const float* b, const float*) {
    for (int i = 0; i < n; ++i)
        st<uint16_t>(dst, i, uint16_t(unorm(r[i], 31) << 11 | unorm(g[i], 63) << 5 | unorm(b[i], 31)));
}

// r in the top nibble, alpha in the bottom one.
void loadARGB4444(const void* src, int n, float* r, float* g, float* b, float* a) {
    for (int i = 0; i < n; ++i) {
        const uint16_t p = ld<uint16_t>(src, i);
        r[i] = (p >> 12) * (1 / 15.0f);
        g[i] = ((p >> 8) & 15) * (1 / 15.0f);
        b[i] = ((p >> 4) & 15) * (1 / 15.0f);
        a[i] = (p & 15) * (1 / 15.0f);
    }
}
void storeARGB4444(void* dst, int n, const float* r, const float* g, const float* b, const float* a) {
    for (int i = 0; i < n; ++i)
        st<uint16_t>(dst, i, uint16_t(unorm(r[i], 15) << 12 | unorm(g[i], 15) << 8 |
                                      unorm(b[i], 15) << 4 | unorm(a[i], 15)));
}

// ---- 10-bit ----

template <bool BGR, bool HasAlpha>
void load1010102(const void* src, int n, float* r, float* g, float* b, float* a) {
    for (int i = 0; i < n; ++i) {
        const uint32_t p = ld<uint32_t>(src, i);
        const float lo = (p & 1023) * (1 / 1023.0f), hi = ((p >> 20) & 1023) * (1 / 1023.0f);
        r[i] = BGR ? hi : lo;
        g[i] = ((p >> 10) & 1023) * (1 / 1023.0f);
        b[i] = BGR ? lo : hi;
        a[i] = HasAlpha ? (p >> 30) * (1 / 3.0f) : 1.0f;
    }
}
template <bool BGR, bool HasAlpha>
void store1010102(void* dst, int n, const float* r, const float* g, const float* b, const float* a) {
    for (int i = 0; i < n; ++i) {
        const uint32_t R = unorm(r[i], 1023), G = unorm(g[i], 1023), B = unorm(b[i], 1023);
        const uint32_t A = HasAlpha ? unorm(a[i], 3) : 3;
        st<uint32_t>(dst, i, (BGR ? B : R) | G << 10 | (BGR ? R : B) << 20 | A << 30);
    }
}

// ---- 16-bit unorm ----

template <int Channels>  // 1 = alpha, 2 = rg, 4 = rgba
void load16(const void* src, int n, float* r, float* g, float* b, float* a) {
    constexpr float k = 1 / 65535.0f;
    for (int i = 0; i < n; ++i) {
        if (Channels == 1) {
            a[i] = ld<uint16_t>(src, i) * k;
            r[i] = g[i] = b[i] = 0;
        } else if (Channels == 2) {
            r[i] = ld<uint16_t>(src, 2 * i) * k;
            g[i] = ld<uint16_t>(src, 2 * i + 1) * k;
            b[i] = 0, a[i] = 1;
        } else {
            r[i] = ld<uint16_t>(src, 4 * i) * k;
            g[i] = ld<uint16_t>(src, 4 * i + 1) * k;
            b[i] = ld<uint16_t>(src, 4 * i + 2) * k;
            a[i] = ld<uint16_t>(src, 4 * i + 3) * k;
        }
    }
}
template <int Channels>
void store16(void* dst, int n, const float* r, const float* g, const float* b, const float* a) {
    for (int i = 0; i < n; ++i) {
        if (Channels == 1) {
            st<uint16_t>(dst, i, uint16_t(unorm(a[i], 65535)));
        } else if (Channels == 2) {
            st<uint16_t>(dst, 2 * i, uint16_t(unorm(r[i], 65535)));
            st<uint16_t>(dst, 2 * i + 1, uint16_t(unorm(g[i], 65535)));
        } else {
            st<uint16_t>(dst, 4 * i, uint16_t(unorm(r[i], 65535)));
            st<uint16_t>(dst, 4 * i + 1, uint16_t(unorm(g[i], 65535)));
            st<uint16_t>(dst, 4 * i + 2, uint16_t(unorm(b[i], 65535)));
            st<uint16_t>(dst, 4 * i + 3, uint16_t(unorm(a[i], 65535)));
        }
    }
}

// ---- half floats ----

template <int Channels, bool Clamp>
void loadF16(const void* src, int n, float* r, float* g, float* b, float* a) {
    auto h = [&](int j) {
        const float v = halfToFloat(ld<uint16_t>(src, j));
        return Clamp ? clamp01(v) : v;
    };
    for (int i = 0; i < n; ++i) {
        if (Channels == 1) {
            a[i] = h(i);
            r[i] = g[i] = b[i] = 0;
        } else if (Channels == 2) {
            r[i] = h(2 * i), g[i] = h(2 * i + 1), b[i] = 0, a[i] = 1;
        } else {
            r[i] = h(4 * i), g[i] = h(4 * i + 1), b[i] = h(4 * i + 2), a[i] = h(4 * i + 3);
        }
    }
}
template <int Channels, bool Clamp>
void storeF16(void* dst, int n, const float* r, const float* g, const float* b, const float* a) {
    auto h = [&](int j, float v) { st<uint16_t>(dst, j, floatToHalf(Clamp ? clamp01(v) : v)); };
    for (int i = 0; i < n; ++i) {
        if (Channels == 1) {
            h(i, a[i]);
        } else if (Channels == 2) {
            h(2 * i, r[i]), h(2 * i + 1, g[i]);
        } else {
            h(4 * i, r[i]), h(4 * i + 1, g[i]), h(4 * i + 2, b[i]), h(4 * i + 3, a[i]);
        }
    }
}

void loadF32(const void* src, int n, float* r, float* g, float* b, float* a) {
    for (int i = 0; i < n; ++i) {
        r[i] = ld<float>(src, 4 * i), g[i] = ld<float>(src, 4 * i + 1);
        b[i] = ld<float>(src, 4 * i + 2), a[i] = ld<float>(src, 4 * i + 3);
    }
}
void storeF32(void* dst, int n, const float* r, const float* g, const float* b, const float* a) {
    for (int i = 0; i < n; ++i) {
        st<float>(dst, 4 * i, r[i]), st<float>(dst, 4 * i + 1, g[i]);
        st<float>(dst, 4 * i + 2, b[i]), st<float>(dst, 4 * i + 3, a[i]);
    }
}

// ---- sRGB-encoded 8888 ----

const std::array<float, 256>& srgbTable() {
    static const std::array<float, 256> table = [] {
        std::array<float, 256> t{};
        for (int i = 0; i < 256; ++i) t[i] = srgbToLinear(i / 255.0f);
        return t;
    }();
    return table;
}

void loadSRGBA(const void* src, int n, float* r, float* g, float* b, float* a) {
    const uint8_t* s = static_cast<const uint8_t*>(src);
    const auto& t = srgbTable();
    for (int i = 0; i < n; ++i) {
        r[i] = t[s[4 * i]], g[i] = t[s[4 * i + 1]], b[i] = t[s[4 * i + 2]];
        a[i] = s[4 * i + 3] * (1 / 255.0f);
    }
}
void storeSRGBA(void* dst, int n, const float* r, const float* g, const float* b, const float* a) {
    uint8_t* d = static_cast<uint8_t*>(dst);
    for (int i = 0; i < n; ++i) {
        d[4 * i] = uint8_t(unorm(linearToSrgb(clamp01(r[i])), 255));
        d[4 * i + 1] = uint8_t(unorm(linearToSrgb(clamp01(g[i])), 255));
        d[4 * i + 2] = uint8_t(unorm(linearToSrgb(clamp01(b[i])), 255));
        d[4 * i + 3] = uint8_t(unorm(a[i], 255));
    }
}

struct Entry {
    LoadFn load;
    StoreFn store;
};

// The load and store of each colour type; a colour type without one does not compile.
template <ColorType>
struct Fmt;
#define PLIX_FMT(ct, l, s)                          \
    template <>                                     \
    struct Fmt<ColorType::ct> {                     \
        static constexpr LoadFn load = l;           \
        static constexpr StoreFn store = s;         \
    };
PLIX_FMT(Unknown, nullptr, nullptr)
PLIX_FMT(Alpha8, loadA8, storeA8)
PLIX_FMT(RGB565, loadRGB565, storeRGB565)
PLIX_FMT(ARGB4444, loadARGB4444, storeARGB4444)
PLIX_FMT(RGBA8888, (load8888<0, 1, 2, 3>), (store8888<0, 1, 2, 3>))
PLIX_FMT(RGB888X, (load8888<0, 1, 2, -1>), (store8888<0, 1, 2, -1>))
PLIX_FMT(BGRA8888, (load8888<2, 1, 0, 3>), (store8888<2, 1, 0, 3>))
PLIX_FMT(RGBA1010102, (load1010102<false, true>), (store1010102<false, true>))
PLIX_FMT(BGRA1010102, (load1010102<true, true>), (store1010102<true, true>))
PLIX_FMT(RGB101010X, (load1010102<false, false>), (store1010102<false, false>))
PLIX_FMT(BGR101010X, (load1010102<true, false>), (store1010102<true, false>))
PLIX_FMT(Gray8, loadGray8, storeGray8)
PLIX_FMT(RGBAF16, (loadF16<4, false>), (storeF16<4, false>))
PLIX_FMT(RGBAF16Clamped, (loadF16<4, true>), (storeF16<4, true>))
PLIX_FMT(RGBAF32, loadF32, storeF32)
PLIX_FMT(RG88, loadRG88, storeRG88)
PLIX_FMT(AlphaF16, (loadF16<1, false>), (storeF16<1, false>))
PLIX_FMT(RGF16, (loadF16<2, false>), (storeF16<2, false>))
PLIX_FMT(Alpha16, load16<1>, store16<1>)
PLIX_FMT(RG1616, load16<2>, store16<2>)
PLIX_FMT(RGBA16161616, load16<4>, store16<4>)
PLIX_FMT(SRGBA8888, loadSRGBA, storeSRGBA)
PLIX_FMT(R8, loadR8, storeR8)
#undef PLIX_FMT

constexpr Entry kEntries[] = {
#define PLIX_FMT_ENTRY(name, ord, bytes, shift, rule, ch) \
    {Fmt<ColorType::name>::load, Fmt<ColorType::name>::store},
    PLIX_COLOR_TYPES(PLIX_FMT_ENTRY)
#undef PLIX_FMT_ENTRY
};
static_assert(sizeof(kEntries) / sizeof(kEntries[0]) == kColorTypeCount);

}  // namespace

float srgbToLinear(float v) {
    return v <= 0.04045f ? v * (1 / 12.92f) : std::pow((v + 0.055f) * (1 / 1.055f), 2.4f);
}

float linearToSrgb(float v) {
    return v <= 0.0031308f ? v * 12.92f : 1.055f * std::pow(v, 1 / 2.4f) - 0.055f;
}

LoadFn loadFn(ColorType ct) {
    return isValidColorType(int32_t(ct)) ? kEntries[int(ct)].load : nullptr;
}
StoreFn storeFn(ColorType ct) {
    return isValidColorType(int32_t(ct)) ? kEntries[int(ct)].store : nullptr;
}

}  // namespace plix
