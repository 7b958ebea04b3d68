// Raster surfaces: pixels with the canvas that draws into them. A snapshot shares the surface's
// pixels until the canvas next writes them, when the surface moves to a copy (copy on write).
// Surfaces over the caller's memory cannot move, so their snapshots copy at once.
#pragma once

#include <memory>

#include "canvas/Canvas.h"
#include "canvas/SurfaceProps.h"
#include "core/Image.h"
#include "core/RefCnt.h"

namespace plix {

class Surface final : public RefCnt {
public:
    // rowBytes 0: the minimum. Null for an invalid info or row bytes, or a size beyond
    // PixelStorage::kMaxPixelBytes.
    static sp<Surface> MakeRaster(const ImageInfo& info, size_t rowBytes, const SurfaceProps* props);
    // Draws into the caller's pixels. On success release (may be null) is called exactly once,
    // when the surface is gone; on failure never.
    static sp<Surface> MakeRasterDirect(const Pixmap& pixels, RasterReleaseProc release, void* context,
                                        const SurfaceProps* props);

    ~Surface() override;

    Canvas* canvas() { return fCanvas.get(); }
    const ImageInfo& info() const { return fPixmap.info(); }
    const SurfaceProps& props() const { return fProps; }
    int width() const { return fPixmap.width(); }
    int height() const { return fPixmap.height(); }

    // The pixels as they are now (valid until the next draw).
    const Pixmap& peekPixels() const { return fPixmap; }
    sp<Image> makeImageSnapshot();
    // The part inside bounds (clipped to the surface); null when nothing is left.
    sp<Image> makeImageSnapshot(const IRect& bounds);
    bool readPixels(const Pixmap& dst, int srcX, int srcY) const;
    // Draws the surface's current pixels with their top-left at (x, y) of canvas.
    void draw(Canvas* canvas, float x, float y, const SamplingOptions& sampling, const Paint* paint);

private:
    Surface(const Pixmap& pm, sp<PixelStorage> storage, bool canMove, const SurfaceProps& props);
    void beforeWrite();

    Pixmap fPixmap;
    sp<PixelStorage> fStorage;
    bool fCanMove;
    SurfaceProps fProps;
    std::unique_ptr<Canvas> fCanvas;
};

}  // namespace plix
