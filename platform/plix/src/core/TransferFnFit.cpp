// Fitting sampled tone curves (the table curves of ICC profiles) with the parametric form:
// named curves first, then a pure power, then a power segment over a linear toe for each break,
// then a simplex search over the full form from the best so far.
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "core/IccProfile.h"

namespace plix {

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();

float maxError(const TransferFn& fn, const float* y, int n) {
    if (!fn.isValid()) return kInf;
    float worst = 0;
    for (int i = 0; i < n; ++i) {
        const float e = std::fabs(fn.eval(float(i) / float(n - 1)) - y[i]);
        if (!(e <= worst)) worst = std::isfinite(e) ? e : kInf;
    }
    return worst;
}

// The best pure power x^g, by golden-section search.
TransferFn fitPower(const float* y, int n) {
    float lo = 0.1f, hi = 8.0f;
    const float r = 0.618034f;
    auto err = [&](float g) { return maxError({g, 1, 0, 0, 0, 0, 0}, y, n); };
    for (int i = 0; i < 60; ++i) {
        const float m1 = hi - r * (hi - lo), m2 = lo + r * (hi - lo);
        if (err(m1) < err(m2)) hi = m2;
        else lo = m1;
    }
    return {(lo + hi) / 2, 1, 0, 0, 0, 0, 0};
}

// For a break d (a sample position) the toe is a line through the origin fitted to the samples
// below it, and for each power g the power segment's a and b are a linear fit of y^(1/g) to x;
// g is found by golden-section search. The best over all breaks.
TransferFn fitByBreak(const float* y, int n) {
    TransferFn best = named::kLinear;
    float bestError = maxError(best, y, n);
    const float r = 0.618034f;
    for (int k = 0; k <= n / 2; ++k) {
        const float d = float(k) / float(n - 1);
        double sxy = 0, sxx = 0;
        for (int i = 0; i < k; ++i) {
            const double x = double(i) / (n - 1);
            sxy += x * y[i], sxx += x * x;
        }
        const float c = sxx > 0 ? float(sxy / sxx) : 0;
        auto withPower = [&](float g) {
            double sx = 0, sy = 0, sxx2 = 0, sxy2 = 0;
            int m = 0;
            for (int i = k; i < n; ++i) {
                const double x = double(i) / (n - 1), v = std::pow(std::max(0.0f, y[i]), 1.0 / g);
                sx += x, sy += v, sxx2 += x * x, sxy2 += x * v, ++m;
            }
            const double den = m * sxx2 - sx * sx;
            if (m < 2 || den == 0) return TransferFn{g, 1, 0, c, d, 0, 0};
            const double a = (m * sxy2 - sx * sy) / den, b = (sy - a * sx) / m;
            return TransferFn{g, float(a), float(b), c, d, 0, 0};
        };
        float lo = 0.3f, hi = 6.0f;
        for (int i = 0; i < 40; ++i) {
            const float m1 = hi - r * (hi - lo), m2 = lo + r * (hi - lo);
            if (maxError(withPower(m1), y, n) < maxError(withPower(m2), y, n)) hi = m2;
            else lo = m1;
        }
        const TransferFn fn = withPower((lo + hi) / 2);
        if (const float e = maxError(fn, y, n); e < bestError) best = fn, bestError = e;
    }
    return best;
}

// Nelder-Mead over g, a, b, c, d (e = f = 0), minimizing the largest error.
TransferFn refine(const TransferFn& start, const float* y, int n) {
    using P = std::array<float, 5>;
    auto fnOf = [](const P& p) { return TransferFn{p[0], p[1], p[2], p[3], p[4], 0, 0}; };
    auto cost = [&](const P& p) { return maxError(fnOf(p), y, n); };
    std::array<P, 6> s;
    std::array<float, 6> c;
    s[0] = {start.g, start.a, start.b, start.c, start.d};
    for (int i = 1; i < 6; ++i) {
        s[size_t(i)] = s[0];
        float& v = s[size_t(i)][size_t(i - 1)];
        v += std::fabs(v) > 1e-3f ? v * 0.05f : 0.01f;
    }
    for (int i = 0; i < 6; ++i) c[size_t(i)] = cost(s[size_t(i)]);
    for (int iter = 0; iter < 600; ++iter) {
        // Order: best first, worst last.
        for (size_t i = 1; i < 6; ++i)
            for (size_t j = i; j > 0 && c[j] < c[j - 1]; --j) std::swap(c[j], c[j - 1]), std::swap(s[j], s[j - 1]);
        P centroid{};
        for (size_t i = 0; i < 5; ++i)
            for (size_t k = 0; k < 5; ++k) centroid[k] += s[i][k] / 5;
        auto along = [&](float t) {
            P p;
            for (size_t k = 0; k < 5; ++k) p[k] = centroid[k] + t * (s[5][k] - centroid[k]);
            return p;
        };
        const P reflected = along(-1);
        const float cr = cost(reflected);
        if (cr < c[0]) {
            const P expanded = along(-2);
            const float ce = cost(expanded);
            if (ce < cr) s[5] = expanded, c[5] = ce;
            else s[5] = reflected, c[5] = cr;
        } else if (cr < c[4]) {
            s[5] = reflected, c[5] = cr;
        } else {
            const P contracted = along(0.5f);
            const float cc = cost(contracted);
            if (cc < c[5]) {
                s[5] = contracted, c[5] = cc;
            } else {
                for (size_t i = 1; i < 6; ++i) {
                    for (size_t k = 0; k < 5; ++k) s[i][k] = s[0][k] + 0.5f * (s[i][k] - s[0][k]);
                    c[i] = cost(s[i]);
                }
            }
        }
    }
    size_t best = 0;
    for (size_t i = 1; i < 6; ++i)
        if (c[i] < c[best]) best = i;
    return fnOf(s[best]);
}

}  // namespace

bool fitTransferFn(const float* y, int n, float maxErr, TransferFn* out) {
    if (!y || n < 2 || !out) return false;
    for (int i = 0; i < n; ++i)
        if (!std::isfinite(y[i])) return false;
    // A named curve that fits wins, so common tables give exactly the common space.
    const TransferFn named[] = {named::kSRGB, named::k2Dot2, named::kLinear, named::kRec2020};
    const TransferFn* bestNamed = nullptr;
    float bestNamedError = kInf;
    for (const TransferFn& fn : named) {
        const float e = maxError(fn, y, n);
        if (e < bestNamedError) bestNamedError = e, bestNamed = &fn;
    }
    if (bestNamedError <= maxErr) return *out = *bestNamed, true;

    TransferFn best = *bestNamed;
    float bestError = bestNamedError;
    const TransferFn power = fitPower(y, n);
    if (const float e = maxError(power, y, n); e < bestError) best = power, bestError = e;
    if (bestError > maxErr) {
        const TransferFn byBreak = fitByBreak(y, n);
        if (const float e = maxError(byBreak, y, n); e < bestError) best = byBreak, bestError = e;
    }
    if (bestError > maxErr) {
        const TransferFn refined = refine(best, y, n);
        if (const float e = maxError(refined, y, n); e < bestError) best = refined, bestError = e;
    }
    if (!(bestError <= maxErr)) return false;
    TransferFn inv;
    if (!best.invert(&inv)) return false;
    *out = best;
    return true;
}

}  // namespace plix
