// What the tests of the Skia framework canvases share: the stand-in engine, bitmaps kept by the
// Skia raster canvas class, and windows of the offscreen back end.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "FakeSkia.h"
#include "UI/Graphics/RasterCanvas.h"
#include "ui/Bitmap.h"
#include "ui/Offscreen.h"
#include "ui/Window.h"

namespace kit {

using namespace Skia::UI;

inline bool Near(Ui::TPointF a, Ui::TPointF b) { return std::fabs(a.X - b.X) < 1e-4f && std::fabs(a.Y - b.Y) < 1e-4f; }

// A raster canvas that shows its paint.
struct Probe : TSkRasterCanvas {
    using TSkRasterCanvas::TSkRasterCanvas;
    using TSkCanvasCustom::Paint;
    plix_handle PaintHandle() const { return Paint()->GetHandle(); }
};

// Bitmaps made from here on keep their pixels in Skia bitmap handles.
inline void UseSkiaRasterForBitmaps() {
    Ui::TCanvasManager::UnInitialize();
    Ui::TCanvasManager::RegisterCanvas(TSkRasterCanvas::Class(), true, false);
}

// An offscreen window of the given client size at the given scale.
inline std::unique_ptr<Ui::TWindowHandle> MakeWindow(int width, int height, float scale = 1) {
    Ui::Offscreen::SetScale(scale);
    Ui::TWindowParams params;
    params.ClientWidth = width;
    params.ClientHeight = height;
    auto window = std::make_unique<Ui::TWindowHandle>(nullptr, params);
    Ui::Offscreen::SetScale(1);
    return window;
}

class CanvasTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { UseSkiaRasterForBitmaps(); }

    // Declared first: every wrapper made during a test is gone before the stand-ins are.
    fake::FakeSkia skia;
};

}  // namespace kit
