// Converting pixels between pixmaps of any colour type, alpha type and colour space, and
// resampling them to another size. Shared by images, surfaces, pixmaps and codecs.
#pragma once

#include "core/ImageInfo.h"
#include "core/Sampling.h"
#include "geometry/Rect.h"

namespace plix {

// True when the pixmap describes pixels that can be read and written: a valid info, an address,
// row bytes at least the minimum and aligned, and a size that fits in memory.
bool soundPixmap(const Pixmap& p);

// Copies src into dst (same width and height), converting. False when either is not a valid
// pixmap, the sizes differ, or a colour type is Unknown.
bool convertPixels(const Pixmap& dst, const Pixmap& src);

// Copies the dst-sized rectangle of src at (srcX, srcY) into dst; only the overlapping part is
// written. False when nothing overlaps or the conversion is not possible.
bool readPixelsAt(const Pixmap& src, const Pixmap& dst, int srcX, int srcY);

// Resamples the whole of src to the size of dst, then converts. Mipmaps are not built: a
// downscale samples the source directly with the chosen filter.
bool scalePixels(const Pixmap& dst, const Pixmap& src, const SamplingOptions& sampling);

// Fills the subset of dst (clipped to it) with the unpremultiplied colour rgba, given in colour
// space cs (null: sRGB), converted to the pixmap's format. False when nothing is left to fill.
bool erasePixels(const Pixmap& dst, const float rgba[4], const ColorSpace* cs, const IRect* subset);

}  // namespace plix
