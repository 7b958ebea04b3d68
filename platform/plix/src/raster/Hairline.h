// Hairlines: paths stroked one device pixel thin, drawn the way the reference engine draws them.
//
// Each line is converted to 26.6 fixed point and walked along its major axis one pixel at a
// time with a 16.16 position on the minor axis. Anti-aliased, every step splits full coverage
// between the two pixels the centre line falls between, and the end pixels get the part of the
// step the line covers; aliased, every step lights the one pixel the centre line is in.
// Curves are cut into 2^n chords. Every line (and chord) is blended on its own, so a pixel two
// segments share is blended twice, as in the reference. Caps lengthen the ends of open
// contours; thin anti-aliased strokes are drawn as hairlines with their alpha scaled by width.
#pragma once

#include <cstdint>

#include "geometry/Matrix.h"
#include "geometry/Path.h"
#include "geometry/Point.h"
#include "geometry/Rect.h"
#include "geometry/Stroker.h"
#include "raster/Blitter.h"

namespace plix {

// Draws the device-space lines between consecutive points (count - 1 lines), each on its own.
void hairLines(const Point pts[], int count, const IRect& clip, bool antiAlias, Blitter& blitter);

// Draws a device-space path as a hairline. Square and round caps lengthen the ends of open
// contours by 1/2 and pi/8 of a pixel (the area of the cap); closed contours have none.
void hairPath(const Path& devicePath, StrokeCap cap, const IRect& clip, bool antiAlias, Blitter& blitter);

// The path in device space for hairlines: mapped by m, with quads and conics kept exact under
// perspective (as conics).
Path hairlineDevicePath(const Path& path, const Matrix& m);

// True when an anti-aliased stroke of this width under ctm is drawn as a hairline: the width
// mapped along both axes is at most one pixel (a cheap length, as the reference measures it).
// *coverage gets the mapped width (1 for width 0). Never under perspective.
bool strokeDrawsAsHairline(float width, const Matrix& ctm, float* coverage);

// The alpha byte a hairline standing in for a thin stroke is drawn with.
inline uint8_t thinStrokeAlpha(uint8_t alpha, float coverage) {
    const int scale = int(coverage * 256);
    return uint8_t((alpha * scale) >> 8);
}

}  // namespace plix
