#include "UI/Graphics/RasterCanvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "ui/Window.h"

namespace Skia::UI {

namespace {

class TSkRasterCanvasClass final : public Ui::TCanvasClassFor<TSkRasterCanvas, TSkCanvasBaseClass> {
public:
    std::string Name() const override { return "TSkRasterCanvas"; }
};

int RoundTiesToEven(double value) {
    const double floor = std::floor(value);
    const double fraction = value - floor;
    double result = fraction < 0.5 ? floor : fraction > 0.5 ? floor + 1 : (std::fmod(floor, 2) == 0 ? floor : floor + 1);
    // Sizes beyond what a window can have are not drawn at all.
    if (!(result >= 0) || result > 1 << 16) result = 0;
    return static_cast<int>(result);
}

}  // namespace

const TSkCanvasBaseClass& TSkRasterCanvas::Class() {
    static const TSkRasterCanvasClass instance;
    return instance;
}

TSkRasterCanvas::TSkRasterCanvas(Ui::TWindowHandle* parent, int width, int height, Ui::TCanvasQuality quality)
    : TSkCanvasBase(parent, width, height, quality) {}

TSkRasterCanvas::TSkRasterCanvas(Ui::TBitmap& bitmap, Ui::TCanvasQuality quality) : TSkCanvasBase(bitmap, quality) {}

TSkRasterCanvas::~TSkRasterCanvas() { ReleaseBackBuffer(); }

Ui::TSize TSkRasterCanvas::BackBufferSize(int width, int height, float scale) {
    return {RoundTiesToEven(static_cast<double>(width) * scale), RoundTiesToEven(static_cast<double>(height) * scale)};
}

void TSkRasterCanvas::ReleaseBackBuffer() {
    // The surface draws into the buffer: it goes first.
    FBackBufferSurface = nullptr;
    FBitmap.reset();
    FBitmapSize = {};
}

Ref<ISkSurface> TSkRasterCanvas::GetSurfaceFromWindow(Ui::THandle) {
    if (FBackBufferSurface) return FBackBufferSurface;
    if (!FBitmap) {
        const Ui::TSize size = BackBufferSize(Width(), Height(), Scale());
        if (size.Width <= 0 || size.Height <= 0) return nullptr;
        FBitmap.reset(new (std::nothrow)
                          uint32_t[static_cast<size_t>(size.Width) * static_cast<size_t>(size.Height)]());
        if (!FBitmap) return nullptr;
        FBitmapSize = size;
        ++FBackBufferCount;
    }
    const TSkImageInfo info(FBitmapSize.Width, FBitmapSize.Height, TSkColorType::BGRA8888, TSkAlphaType::Premul);
    FBackBufferSurface =
        TSkSurface::MakeRasterDirect(info, FBitmap.get(), static_cast<size_t>(FBitmapSize.Width) * 4);
    return FBackBufferSurface;
}

void TSkRasterCanvas::SwapBuffers() {
    // The window's own pixels stand for the device context: when they cannot be had, nothing is
    // copied and the frame stays in the back buffer.
    Ui::TWindowSurface target;
    if (!FBitmap || !Parent() || !Parent()->LockSurface(target) || !target.Pixels) return;
    const int rows = std::min(FBitmapSize.Height, target.Height);
    const size_t rowBytes = static_cast<size_t>(std::min(FBitmapSize.Width, target.Width)) * 4;
    if (rowBytes > 0)
        for (int y = 0; y < rows; ++y)
            std::memcpy(static_cast<uint8_t*>(target.Pixels) + static_cast<ptrdiff_t>(y) * target.Pitch,
                        FBitmap.get() + static_cast<size_t>(y) * static_cast<size_t>(FBitmapSize.Width), rowBytes);
    Parent()->Present();
}

void TSkRasterCanvas::Resized() {
    TSkCanvasBase::Resized();
    if (Parent()) ReleaseBackBuffer();
}

}  // namespace Skia::UI
