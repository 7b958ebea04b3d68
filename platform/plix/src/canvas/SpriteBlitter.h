// Draws pixels one-to-one onto a device: layers coming back at restore, images placed at whole
// pixels. The source must be premultiplied (or opaque) and in the device's colour space; the
// paint adds its alpha, colour filter and blend mode. Rows arrive in device coordinates.
// SrcOver of premultiplied 32-bit pixels onto the same kind of pixels runs the 8-bit sprite
// rule (LowpKernels.h), as the reference engine does; everything else the float pipeline.
#pragma once

#include <memory>

#include "core/ImageInfo.h"
#include "geometry/Rect.h"
#include "raster/Blitter.h"
#include "raster/LowpKernels.h"
#include "raster/Paint.h"
#include "raster/Pipeline.h"

namespace plix {

class SpriteBlitter final : public Blitter {
public:
    // src's pixel (0, 0) lands on device pixel (x, y); area (device pixels) must lie inside both
    // src so placed and dst. Null when a format cannot be read or written.
    static std::unique_ptr<SpriteBlitter> Make(const Pixmap& dst, const Pixmap& src, int x, int y, const IRect& area,
                                               const Paint& paint);

    void blitH(int x, int y, int w) override;
    void blitAntiH(int x, int y, const uint8_t* cov, int n) override;

private:
    SpriteBlitter() = default;
    Pipeline fFull, fPartial;
    Batch fBatch;
    IRect fArea;
    // The 8-bit path for fully covered runs: null when the draw does not fit it.
    const LowpKernels* fLowp = nullptr;
    const char* fSrcRow0 = nullptr;  // src pixel of the area's top left
    size_t fSrcRowBytes = 0;
    char* fDstRow0 = nullptr;        // dst pixel of the area's top left
    size_t fDstRowBytes = 0;
    uint32_t fAlpha = 255;           // the paint's alpha in 0..255
};

}  // namespace plix
