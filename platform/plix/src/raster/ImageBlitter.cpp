#include "raster/ImageBlitter.h"

#include "raster/Pipeline.h"

#include <immintrin.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace plix {

namespace {

// The columns and a row of samples, kept per thread so that draws allocate nothing once grown.
struct Scratch {
    std::vector<int32_t> x0;       // left image column of each device column
    struct alignas(16) Weights {
        int16_t v[8];  // (256 - w, w) four times
    };
    std::vector<Weights> weights;
    std::vector<uint32_t> row;
    std::vector<uint64_t> vrow;  // an image row pair blended down, four 16-bit channels a pixel
};
thread_local Scratch tScratch;

// The left one of the two pixels a sample at f (pixel-centre units) reads, and the weight of
// the right one in 1/256, kept inside [0, n - 2] (clamped tiling).
inline void tap(float f, int n, int32_t* i0, int32_t* w) {
    f -= 0.5f;
    const float fl = std::floor(f);
    if (!(fl >= 0)) {  // before the first pixel, or NaN
        *i0 = 0, *w = 0;
        return;
    }
    if (fl >= float(n - 1)) {
        *i0 = n - 2, *w = 256;
        return;
    }
    *i0 = int32_t(fl);
    *w = int32_t((f - fl) * 256 + 0.5f);
}

// Source over destination, both premultiplied 8888: s + d (255 - sa) / 255 per channel, two
// channels at a time, rounded.
inline uint32_t srcOver(uint32_t s, uint32_t d) {
    const uint32_t ia = 255 - (s >> 24);
    uint32_t rb = (d & 0x00ff00ffu) * ia + 0x00800080u;
    rb = ((rb + ((rb >> 8) & 0x00ff00ffu)) >> 8) & 0x00ff00ffu;
    uint32_t ag = ((d >> 8) & 0x00ff00ffu) * ia + 0x00800080u;
    ag = (ag + ((ag >> 8) & 0x00ff00ffu)) & 0xff00ff00u;
    return s + (rb | ag);
}

// Two image rows blended down, n pixels: each channel r0 (256 - wy) + r1 wy, halved (value x
// 128), into four 16-bit channels a pixel.
void downSse2(const uint32_t* r0, const uint32_t* r1, int n, int wy, uint64_t* out) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i wTop = _mm_set1_epi16(int16_t(256 - wy)), wBottom = _mm_set1_epi16(int16_t(wy));
    auto down = [&](__m128i a, __m128i b, __m128i* lo, __m128i* hi) {
        *lo = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(a, zero), wTop),
                                           _mm_mullo_epi16(_mm_unpacklo_epi8(b, zero), wBottom)), 1);
        *hi = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(a, zero), wTop),
                                           _mm_mullo_epi16(_mm_unpackhi_epi8(b, zero), wBottom)), 1);
    };
    int c = 0;
    for (; c + 4 <= n; c += 4) {
        __m128i lo, hi;
        down(_mm_loadu_si128(reinterpret_cast<const __m128i*>(r0 + c)),
             _mm_loadu_si128(reinterpret_cast<const __m128i*>(r1 + c)), &lo, &hi);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + c), lo);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + c + 2), hi);
    }
    for (; c < n; ++c) {
        __m128i lo, hi;
        down(_mm_cvtsi32_si128(int(r0[c])), _mm_cvtsi32_si128(int(r1[c])), &lo, &hi);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + c), lo);
    }
}

// The same with 256-bit registers, on CPUs that have them.
__attribute__((target("avx2"))) void downAvx2(const uint32_t* r0, const uint32_t* r1, int n, int wy, uint64_t* out) {
    const __m256i wTop = _mm256_set1_epi16(int16_t(256 - wy)), wBottom = _mm256_set1_epi16(int16_t(wy));
    int c = 0;
    for (; c + 4 <= n; c += 4) {
        const __m256i a = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(r0 + c)));
        const __m256i b = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(r1 + c)));
        const __m256i v = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(a, wTop), _mm256_mullo_epi16(b, wBottom)), 1);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + c), v);
    }
    if (c < n) downSse2(r0 + c, r1 + c, n - c, wy, out + c);
}

// Across a row blended down, four pixels at a time with 256-bit registers: each 128-bit lane
// holds one pixel's two neighbours. Writes whole groups of four to out and returns how many
// pixels it did (a multiple of four); the caller does the rest.
// One pixel's neighbours in each 128-bit lane (pixels i and i + 1), weighted and summed.
__attribute__((target("avx2"))) inline __m256i acrossTwoAvx2(const uint64_t* vr, const int32_t* x0, const int16_t* wx,
                                                              int i) {
    __m256i p = _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(vr + x0[i]))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(vr + x0[i + 1])), 1);
    p = _mm256_unpacklo_epi16(p, _mm256_srli_si256(p, 8));
    __m256i s = _mm256_madd_epi16(p, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(wx + 8 * i)));
    s = _mm256_srli_epi32(_mm256_add_epi32(s, _mm256_set1_epi32(1 << 14)), 15);
    return _mm256_min_epi16(s, _mm256_shuffle_epi32(s, 0xff));
}

// Across a row blended down, four pixels at a time with 256-bit registers. Writes whole groups
// of four to out (blending over it when asked) and returns how many pixels it did; the caller
// does the rest.
__attribute__((target("avx2"))) int acrossAvx2(const uint64_t* vr, const int32_t* x0, const int16_t* wx, int w,
                                               uint32_t* out, bool blend) {
    const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
    int i = 0;
    for (; i + 4 <= w; i += 4) {
        // Lanes hold (i, i + 2) and (i + 1, i + 3) after packing; put them in order.
        const __m256i packed = _mm256_packs_epi32(acrossTwoAvx2(vr, x0, wx, i), acrossTwoAvx2(vr, x0, wx, i + 2));
        const __m256i bytes = _mm256_permutevar8x32_epi32(_mm256_packus_epi16(packed, packed), order);
        const __m128i four = _mm256_castsi256_si128(bytes);
        if (!blend) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), four);
            continue;
        }
        // Where all four are opaque they replace what is there; otherwise pixel by pixel.
        const __m128i alphaMin = _mm_and_si128(four, _mm_set1_epi32(int(0xff000000u)));
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(alphaMin, _mm_set1_epi32(int(0xff000000u)))) == 0xffff) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), four);
            continue;
        }
        alignas(16) uint32_t px[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(px), four);
        for (int k = 0; k < 4; ++k)
            if (px[k]) out[i + k] = px[k] >= 0xff000000u ? px[k] : srcOver(px[k], out[i + k]);
    }
    return i;
}

// The same two passes with 512-bit registers: eight pixels a step. (GCC 12's 512-bit
// intrinsics start from an undefined register, which its flow analysis reports.)
#pragma GCC diagnostic push
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
__attribute__((target("avx512f,avx512bw,avx512vl,avx2"))) void downAvx512(const uint32_t* r0, const uint32_t* r1,
                                                                          int n, int wy, uint64_t* out) {
    const __m512i wTop = _mm512_set1_epi16(int16_t(256 - wy)), wBottom = _mm512_set1_epi16(int16_t(wy));
    int c = 0;
    for (; c + 8 <= n; c += 8) {
        const __m512i a = _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(r0 + c)));
        const __m512i b = _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(r1 + c)));
        _mm512_storeu_si512(out + c,
                            _mm512_srli_epi16(_mm512_add_epi16(_mm512_mullo_epi16(a, wTop), _mm512_mullo_epi16(b, wBottom)), 1));
    }
    if (c < n) downAvx2(r0 + c, r1 + c, n - c, wy, out + c);
}

// Four pixels' neighbours, one pixel in each 128-bit lane, weighted and summed.
__attribute__((target("avx512f,avx512bw,avx512vl,avx2"))) inline __m512i acrossFourAvx512(const uint64_t* vr,
                                                                                         const int32_t* x0,
                                                                                         const int16_t* wx, int i) {
    auto pair = [&](int k) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(vr + x0[i + k])); };
    __m512i p = _mm512_castsi128_si512(pair(0));
    p = _mm512_inserti32x4(p, pair(1), 1);
    p = _mm512_inserti32x4(p, pair(2), 2);
    p = _mm512_inserti32x4(p, pair(3), 3);
    p = _mm512_unpacklo_epi16(p, _mm512_bsrli_epi128(p, 8));
    __m512i s = _mm512_madd_epi16(p, _mm512_loadu_si512(wx + 8 * i));
    s = _mm512_srli_epi32(_mm512_add_epi32(s, _mm512_set1_epi32(1 << 14)), 15);
    return _mm512_min_epi16(s, _mm512_shuffle_epi32(s, _MM_PERM_DDDD));
}

__attribute__((target("avx512f,avx512bw,avx512vl,avx2"))) int acrossAvx512(const uint64_t* vr, const int32_t* x0,
                                                                          const int16_t* wx, int w, uint32_t* out,
                                                                          bool blend) {
    // Lane k holds pixels i + k and i + 4 + k after packing; put them in order.
    const __m512i order = _mm512_setr_epi32(0, 4, 8, 12, 1, 5, 9, 13, 0, 0, 0, 0, 0, 0, 0, 0);
    int i = 0;
    for (; i + 8 <= w; i += 8) {
        const __m512i packed = _mm512_packs_epi32(acrossFourAvx512(vr, x0, wx, i), acrossFourAvx512(vr, x0, wx, i + 4));
        const __m256i eight =
            _mm512_castsi512_si256(_mm512_permutexvar_epi32(order, _mm512_packus_epi16(packed, packed)));
        const __m256i opaque = _mm256_set1_epi32(int(0xff000000u));
        if (!blend || _mm256_movemask_epi8(_mm256_cmpeq_epi32(_mm256_and_si256(eight, opaque), opaque)) == -1) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), eight);
            continue;
        }
        alignas(32) uint32_t px[8];
        _mm256_store_si256(reinterpret_cast<__m256i*>(px), eight);
        for (int k = 0; k < 8; ++k)
            if (px[k]) out[i + k] = px[k] >= 0xff000000u ? px[k] : srcOver(px[k], out[i + k]);
    }
    return i + acrossAvx2(vr, x0 + i, wx + 8 * i, w - i, out + i, blend);
}
#pragma GCC diagnostic pop

using DownFn = void (*)(const uint32_t*, const uint32_t*, int, int, uint64_t*);
DownFn downFn() {
    switch (activeIsa()) {
        case Isa::AVX512: return downAvx512;
        case Isa::AVX2: return downAvx2;
        default: return downSse2;
    }
}

}  // namespace

bool ScaledImageBlitter::init(const Pixmap& dst, const Paint& paint, const Matrix& ctm) {
    ImageDraw d;
    if (!paint.shader || paint.colorFilter || !(paint.alpha() >= 1) || !paint.shader->asImageDraw(ctm, &d)) return false;
    BlendMode mode;
    if (!paint.asBlendMode(&mode) || (mode != BlendMode::SrcOver && mode != BlendMode::Src)) return false;
    const ColorType ct = dst.colorType();
    if (!dst.valid() || (ct != ColorType::RGBA8888 && ct != ColorType::BGRA8888) || d.pixels.colorType() != ct) return false;
    if (dst.alphaType() == AlphaType::Unpremul || d.pixels.alphaType() == AlphaType::Unpremul) return false;
    if (!d.raw && dst.colorSpace() && d.pixels.colorSpace() &&
        !ColorSpace::Equals(dst.colorSpace(), d.pixels.colorSpace()))
        return false;
    if (d.sampling.useCubic || d.sampling.mipmap != MipmapMode::None || d.sampling.filter != FilterMode::Linear)
        return false;
    if (d.tileX != TileMode::Clamp || d.tileY != TileMode::Clamp) return false;
    const Matrix& m = d.deviceToImage;
    if (m.hasPerspective() || m[Matrix::kKX] != 0 || m[Matrix::kKY] != 0 || !m.isFinite()) return false;
    if (!(m[Matrix::kSX] > 0) || !(m[Matrix::kSY] > 0)) return false;
    if (d.pixels.width() < 2 || d.pixels.height() < 2 || d.pixels.rowBytes() % 4) return false;
    fDst = dst;
    fSrc = d.pixels;
    fSx = m[Matrix::kSX], fTx = m[Matrix::kTX], fSy = m[Matrix::kSY], fTy = m[Matrix::kTY];
    fSrcMode = mode == BlendMode::Src;
    fColW = -1;
    return true;
}

void ScaledImageBlitter::prepareColumns(int x, int w) {
    if (x == fColX && w == fColW) return;
    Scratch& s = tScratch;
    if (s.x0.size() < size_t(w)) s.x0.resize(size_t(w)), s.weights.resize(size_t(w)), s.row.resize(size_t(w));
    for (int i = 0; i < w; ++i) {
        int32_t wx;
        tap((float(x + i) + 0.5f) * fSx + fTx, fSrc.width(), &s.x0[size_t(i)], &wx);
        for (int k = 0; k < 8; k += 2) s.weights[size_t(i)].v[k] = int16_t(256 - wx), s.weights[size_t(i)].v[k + 1] = int16_t(wx);
    }
    fColX = x, fColW = w;
}

template <class Emit, class Emit2>
void ScaledImageBlitter::sampleRow(int y, int w, Emit&& emit, Emit2&& emit2) const {
    int32_t y0, wy;
    tap((float(y) + 0.5f) * fSy + fTy, fSrc.height(), &y0, &wy);
    const uint32_t* r0 = fSrc.row<const uint32_t>(y0);
    const uint32_t* r1 = fSrc.row<const uint32_t>(y0 + 1);
    const __m128i half = _mm_set1_epi32(1 << 14);
    const int32_t* x0 = tScratch.x0.data();
    const Scratch::Weights* wx = tScratch.weights.data();
    // First down: the two image rows blended over the columns the run reads (x0 never
    // decreases along a run).
    const int c0 = x0[0], c1 = x0[w - 1] + 2;
    std::vector<uint64_t>& vrow = tScratch.vrow;
    if (vrow.size() < size_t(c1 - c0) + 4) vrow.resize(size_t(c1 - c0) + 4);
    downFn()(r0 + c0, r1 + c0, c1 - c0, wy, vrow.data());
    // Then across: each pixel's two neighbours side by side, weighted and summed; two pixels
    // at a time.
    const uint64_t* vr = vrow.data() - c0;
    int i = 0;
    if (fBulk)
        i = activeIsa() == Isa::AVX512 ? acrossAvx512(vr, x0, wx[0].v, w, fBulk, fBulkBlend)
                                       : acrossAvx2(vr, x0, wx[0].v, w, fBulk, fBulkBlend);
    auto across = [&](int i) {
        __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(vr + x0[i]));
        p = _mm_unpacklo_epi16(p, _mm_srli_si128(p, 8));  // left and right of each channel side by side
        __m128i s = _mm_madd_epi16(p, _mm_load_si128(reinterpret_cast<const __m128i*>(wx[i].v)));
        s = _mm_srli_epi32(_mm_add_epi32(s, half), 15);
        return _mm_min_epi16(s, _mm_shuffle_epi32(s, 0xff));  // colour within alpha
    };
    for (; i + 2 <= w; i += 2) {
        const __m128i two = _mm_packs_epi32(across(i), across(i + 1));
        emit2(i, _mm_packus_epi16(two, two));
    }
    if (i < w) {
        const __m128i one = _mm_packs_epi32(across(i), across(i));
        emit(i, uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(one, one))));
    }
}

void ScaledImageBlitter::blitH(int x, int y, int w) {
    if (w <= 0) return;
    prepareColumns(x, w);
    uint32_t* d = fDst.row<uint32_t>(y) + x;
    // Groups of four go straight into the row on CPUs with 256-bit registers.
    fBulk = activeIsa() != Isa::SSE2 ? d : nullptr;
    fBulkBlend = !fSrcMode;
    struct Reset {
        uint32_t*& bulk;
        ~Reset() { bulk = nullptr; }
    } reset{fBulk};
    if (fSrcMode) {
        sampleRow(
            y, w, [d](int i, uint32_t s) { d[i] = s; },
            [d](int i, __m128i two) { _mm_storel_epi64(reinterpret_cast<__m128i*>(d + i), two); });
        return;
    }
    auto one = [d](int i, uint32_t s) {
        if (s >= 0xff000000u) d[i] = s;
        else if (s) d[i] = srcOver(s, d[i]);
    };
    sampleRow(y, w, one, [d, one](int i, __m128i two) {
        const uint32_t s0 = uint32_t(_mm_cvtsi128_si32(two)), s1 = uint32_t(_mm_cvtsi128_si32(_mm_srli_si128(two, 4)));
        if ((s0 & s1) >= 0xff000000u) {
            _mm_storel_epi64(reinterpret_cast<__m128i*>(d + i), two);  // both opaque
        } else {
            one(i, s0);
            one(i + 1, s1);
        }
    });
}

void ScaledImageBlitter::blitAntiH(int x, int y, const uint8_t* cov, int n) {
    if (n <= 0) return;
    prepareColumns(x, n);
    uint32_t* samples = tScratch.row.data();
    sampleRow(
        y, n, [samples](int i, uint32_t s) { samples[i] = s; },
        [samples](int i, __m128i two) { _mm_storel_epi64(reinterpret_cast<__m128i*>(samples + i), two); });
    uint32_t* d = fDst.row<uint32_t>(y) + x;
    for (int i = 0; i < n; ++i) {
        // The sample scaled by coverage, then as for a full run.
        const float k = cov[i] * (1 / 255.0f);
        uint32_t s = 0;
        for (int c = 0; c < 4; ++c) s |= uint32_t(float((samples[i] >> (8 * c)) & 255) * k + 0.5f) << (8 * c);
        if (fSrcMode) {
            uint32_t o = 0;
            for (int c = 0; c < 4; ++c) {
                const float dc = float((d[i] >> (8 * c)) & 255), sc = float((samples[i] >> (8 * c)) & 255);
                o |= uint32_t(dc + (sc - dc) * k + 0.5f) << (8 * c);
            }
            d[i] = o;
        } else {
            d[i] = srcOver(s, d[i]);
        }
    }
}

void ScaledImageBlitter::blitRect(int x, int y, int w, int h) {
    for (int j = 0; j < h; ++j) blitH(x, y + j, w);
}

}  // namespace plix
