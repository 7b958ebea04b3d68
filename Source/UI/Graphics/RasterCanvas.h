// TSkRasterCanvas: the CPU flavour of the Skia framework canvas. A window canvas keeps its own
// 32-bit pixel buffer (the back buffer) of the window's pixel size, lets Skia draw straight into
// it, and at the end of each frame copies it onto the window's surface and presents that. The
// buffer and its surface are kept between frames and made again only after a resize. Bitmap
// canvases are the base class's.
#pragma once

#include <cstdint>
#include <memory>

#include "UI/Graphics/CanvasBase.h"

namespace Skia::UI {

class TSkRasterCanvas : public TSkCanvasBase {
public:
    TSkRasterCanvas(Ui::TWindowHandle* parent, int width, int height, Ui::TCanvasQuality quality);
    TSkRasterCanvas(Ui::TBitmap& bitmap, Ui::TCanvasQuality quality);
    ~TSkRasterCanvas() override;

    // The canvas class registered with the framework.
    static const TSkCanvasBaseClass& Class();
    const Ui::TCanvasClass& CanvasClass() const override { return Class(); }

    // Size in device pixels of the back buffer of a canvas of width x height at scale: each side
    // rounded to the nearest integer, ties to even (101 x 51 at 1.5 gives 152 x 76).
    static Ui::TSize BackBufferSize(int width, int height, float scale);
    // How many back buffers this canvas has made so far.
    int BackBufferCount() const { return FBackBufferCount; }

protected:
    Ref<ISkSurface> GetSurfaceFromWindow(Ui::THandle AContextHandle) override;
    void SwapBuffers() override;
    void Resized() override;

private:
    void ReleaseBackBuffer();

    Ref<ISkSurface> FBackBufferSurface;  // over FBitmap; released before it
    std::unique_ptr<uint32_t[]> FBitmap;  // BGRA8888 premultiplied, rows top-down without gaps
    Ui::TSize FBitmapSize;
    int FBackBufferCount = 0;
};

}  // namespace Skia::UI
