// Scalar shading functions that both the reference interpreter and the fast stages use where
// the fast stages have nothing better than going lane by lane (noise, colour models). They
// are compiled once, for the baseline instruction set.
#pragma once

#include "raster/StageContexts.h"

namespace plix {

// Noise of the four channels at (x, y), each in [0, 1], unpremultiplied.
void perlinNoiseAt(const PerlinCtx& ctx, float x, float y, float out[4]);

// Unpremultiplied r, g, b in [0, 1] <-> hue (turns, [0, 1)), saturation, lightness.
void rgbToHsl(float& r, float& g, float& b);
void hslToRgb(float& h, float& s, float& l);

// The high-contrast adjustment of one unpremultiplied linear colour.
void highContrast(const HighContrastCtx& ctx, float& r, float& g, float& b);

// One pixel of an image, sampled as the context says, premultiplied; the plain way.
void sampleImage(const ImageCtx& ctx, float x, float y, float out[4]);

// The cubic filter's weight at distance d (Mitchell-Netravali family with B, C).
float cubicWeight(float B, float C, float d);

// An integer pixel index through a tile mode; false when it falls outside under Decal.
bool tileIndex(TileMode mode, int i, int n, int* out);

// The pixel a nearest read at coordinate v takes: the one holding v, and on the boundary
// between two pixels the one before it, as the reference engine breaks the tie. NaN gives 0;
// the rest is limited far outside any image. Truncation, then one down where that did not go
// below v (exact: floats this large are whole), so that no library call is made per point.
inline int nearestIndex(float v) {
    if (!(v == v)) return 0;
    v = v < -1e9f ? -1e9f : v > 1e9f ? 1e9f : v;
    const int i = int(v);
    return i - (float(i) >= v ? 1 : 0);
}

// nearestIndex through a tile mode; false outside under Decal. Repeat wraps the coordinate
// before it picks, so a boundary between two tiles reads the first pixel, not the last.
inline bool nearestTile(TileMode mode, float v, int n, int* out) {
    const int i = nearestIndex(v);
    if (!tileIndex(mode, i, n, out)) return false;
    if (mode == TileMode::Repeat && *out == n - 1 && float(i + 1) == v) *out = 0;
    return true;
}

// atan2(y, x) / 2pi in [0, 1).
float unitAngle(float y, float x);

}  // namespace plix
