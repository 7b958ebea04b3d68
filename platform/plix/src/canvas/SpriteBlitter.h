// Draws pixels one-to-one onto a device: layers coming back at restore, images placed at whole
// pixels. The source must be premultiplied (or opaque) and in the device's colour space; the
// paint adds its alpha, colour filter and blend mode. Rows arrive in device coordinates.
#pragma once

#include <memory>

#include "core/ImageInfo.h"
#include "geometry/Rect.h"
#include "raster/Blitter.h"
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
};

}  // namespace plix
