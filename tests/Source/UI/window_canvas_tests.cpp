// The Skia canvases in a real window under X: a form whose control draws through the Skia canvas
// (and through the framework's primitives), shown by the SDL back end on the OpenGL canvas and on
// the raster canvas, and read back from the X server. What the server shows must be what the same
// drawing gives on a CPU surface. Skipped without a display.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "Skia/Image.h"
#include "Skia/Paint.h"
#include "Skia/Shader.h"
#include "Skia/Surface.h"
#include "UI/Graphics/GlCanvas.h"
#include "UI/Graphics/RasterCanvas.h"
#include "UI/Graphics/Switches.h"
#include "ui/Forms.h"
#include "ui/Sdl.h"
#include "ui/Window.h"

// After the framework's headers: X11 defines None as a macro.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

// SDL's session bus keeps a buffer, and Mesa's drivers keep theirs, for the life of the process.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\nleak:_dri.so\nleak:libGLX_mesa.so\nleak:libEGL_mesa.so\nleak:libglapi.so\n"
           "leak:libX11.so\nleak:libxcb.so\n";
}

namespace {

using namespace Skia;
using namespace Skia::UI;

constexpr int Width = 160, Height = 90;
constexpr Ui::TAlphaColor Background = 0xFF2040A0;

// What the control draws with Skia, in its own coordinates.
void DrawWithSkia(ISkCanvas& canvas) {
    const Ref<ISkPaint> paint = TSkPaint::Create();
    paint->SetColor(0xFFE03020);
    canvas.DrawRect({5, 5, 45, 35}, paint);
    paint->SetAntiAlias(true);
    paint->SetColor(0xFF30C050);
    canvas.DrawCircle(70, 25, 18, paint);
    const Ui::TAlphaColor colors[] = {0xFF0000FF, 0xFFFFFF00};
    paint->SetShader(TSkShader::MakeGradientLinear({0, 40}, {100, 40}, colors));
    canvas.DrawRect({0, 40, 100, 60}, paint);
}

// A 2 x 2 picture the control draws as a framework bitmap, 0xAARRGGBB row by row.
constexpr Ui::TAlphaColor BitmapPixels[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};

// The same picture on a CPU surface: the form's clear, the control at (20, 10), the framework's
// half-transparent rectangle (its alpha truncated to 127, anti-aliased) and the bitmap scaled
// to 16 x 16 at (120, 40) of the form without filtering.
std::vector<uint32_t> Reference() {
    const Ref<ISkSurface> surface = TSkSurface::MakeRaster(Width, Height);
    const Ref<ISkCanvas> canvas = surface->GetCanvas();
    canvas->Clear(Background);
    canvas->Translate(20, 10);
    DrawWithSkia(*canvas);
    const Ref<ISkPaint> paint = TSkPaint::Create();
    paint->SetAntiAlias(true);
    paint->SetColor(0x7FFF8000);
    canvas->DrawRect({60, 40, 90, 55}, paint);
    const Ref<ISkImage> image = TSkImage::MakeRasterCopy(TSkImageInfo(2, 2), BitmapPixels, 8);
    canvas->DrawImageRect(image, {100, 30, 116, 46}, TSkSamplingOptions(), nullptr);
    std::vector<uint32_t> pixels(size_t(Width) * Height);
    EXPECT_TRUE(surface->ReadPixels(TSkImageInfo(Width, Height), pixels.data(), size_t(Width) * 4));
    return pixels;
}

void Pump(Ui::TApplication& app, int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        app.ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// The window's pixels as the X server has them, 0xRRGGBB.
std::vector<uint32_t> Shown(const Ui::TNativeWindow& native) {
    auto* display = static_cast<Display*>(native.Display);
    XSync(display, False);
    XImage* image = XGetImage(display, static_cast<Window>(native.Window), 0, 0, Width, Height, AllPlanes, ZPixmap);
    std::vector<uint32_t> out;
    if (!image) return out;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) out.push_back(static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF);
    XDestroyImage(image);
    return out;
}

// Shows the form on the canvas the switches choose and compares the server's pixels with the
// reference. Returns the canvas's class name.
std::string ShowAndCompare(bool raster) {
    GlobalUseSkia = true;
    GlobalUseSkiaRaster = raster;
    Ui::TCanvasManager::UnInitialize();
    Ui::Sdl::Use();
    std::string canvasClass;
    {
        Ui::TApplication app;
        app.Initialize();
        app.OnException = [](Ui::TObject*, std::exception_ptr e) {
            try {
                std::rethrow_exception(e);
            } catch (const std::exception& x) {
                ADD_FAILURE() << x.what();
            }
        };
        auto* form = Ui::CreateForm<Ui::TForm>(&app);
        form->SetClientSize(Width, Height);
        form->Fill.Color = Background;
        auto* box = new Ui::TControl(form);
        box->SetParent(form);
        box->SetBounds(20, 10, 100, 60);
        // A framework bitmap: on the OpenGL canvas it is drawn from a texture image uploaded
        // through the shared context.
        Ui::TBitmap bitmap(2, 2);
        Ui::TBitmapData data;
        EXPECT_TRUE(bitmap.Map(Ui::TMapAccess::Write, data));
        for (int i = 0; i < 4; ++i) data.SetPixel(i % 2, i / 2, BitmapPixels[i]);
        bitmap.Unmap(data);
        bool skiaCanvas = false;
        box->OnPaint = [&](Ui::TObject*, Ui::TCanvas& canvas, const Ui::TRectF&) {
            auto* sk = dynamic_cast<TSkCanvasCustom*>(&canvas);
            skiaCanvas = sk && sk->Canvas();
            if (skiaCanvas) DrawWithSkia(*sk->Canvas());
            canvas.FillRect({60, 40, 90, 55}, 0.5f, Ui::TBrush(Ui::TBrushKind::Solid, 0xFFFF8000));
            canvas.DrawBitmap(bitmap, {0, 0, 2, 2}, {100, 30, 116, 46}, 1, true);
        };
        app.SetMainForm(form);
        form->Show();
        Pump(app, 400);
        EXPECT_TRUE(skiaCanvas);
        canvasClass = form->Canvas() ? form->Canvas()->CanvasClass().Name() : "none";
        // Only the GPU canvas keeps an image of the bitmap; the raster canvas maps it each time.
        EXPECT_EQ(TSkCanvasBaseClass::HandleOf(bitmap)->Cache() != nullptr, !raster);

        const std::vector<uint32_t> shown = Shown(form->Handle()->NativeWindow());
        const std::vector<uint32_t> expected = Reference();
        EXPECT_EQ(shown.size(), expected.size());
        int differing = 0;
        for (size_t i = 0; i < std::min(shown.size(), expected.size()); ++i) {
            const uint32_t want = expected[i] & 0xFFFFFF;  // BGRA memory read as 0xAARRGGBB
            int worst = 0;
            for (int shift = 0; shift < 24; shift += 8)
                worst = std::max(worst, std::abs(int((shown[i] >> shift) & 0xFF) - int((want >> shift) & 0xFF)));
            if (worst > 2 && differing++ < 5)
                ADD_FAILURE() << "pixel " << i % Width << "," << i / Width << ": shown " << std::hex << shown[i]
                              << ", drawn on the CPU " << want;
        }
        EXPECT_EQ(differing, 0);
    }
    Ui::TCanvasManager::UnInitialize();
    GlobalUseSkia = false;
    GlobalUseSkiaRaster = true;
    return canvasClass;
}

TEST(SkiaWindow, TheOpenGLCanvasShowsWhatACpuSurfaceDraws) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display";
    EXPECT_EQ(ShowAndCompare(false), "TGlCanvas");
}

TEST(SkiaWindow, TheRasterCanvasShowsWhatACpuSurfaceDraws) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display";
    EXPECT_EQ(ShowAndCompare(true), "TSkRasterCanvas");
}

}  // namespace
