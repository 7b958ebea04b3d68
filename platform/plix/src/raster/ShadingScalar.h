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

// atan2(y, x) / 2pi in [0, 1).
float unitAngle(float y, float x);

}  // namespace plix
