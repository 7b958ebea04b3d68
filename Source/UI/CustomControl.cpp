#include "UI/CustomControl.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "UI/Graphics/CanvasBase.h"
#include "ui/Log.h"

namespace Skia::UI {

namespace {

int RoundToEven(double v) { return static_cast<int>(std::nearbyint(v)); }

// Unmaps a mapped bitmap on every way out.
class TMapping {
public:
    TMapping(Ui::TBitmap& bitmap, Ui::TMapAccess access) : fBitmap(bitmap) { fMapped = bitmap.Map(access, fData); }
    ~TMapping() {
        if (fMapped) fBitmap.Unmap(fData);
    }
    bool Mapped() const { return fMapped; }
    const Ui::TBitmapData& Data() const { return fData; }

private:
    Ui::TBitmap& fBitmap;
    Ui::TBitmapData fData;
    bool fMapped = false;
};

void RunOn(const Ref<ISkCanvas>& canvas, const TSkDrawProc& proc, bool startClean) {
    if (startClean) canvas->Clear(Ui::TAlphaColors::Null);
    proc(canvas);
}

}  // namespace

void DrawIntoBitmap(Ui::TBitmap& ABitmap, const TSkDrawProc& AProc, bool AStartClean) {
    assert(AProc && "DrawIntoBitmap needs a drawing procedure");
    if (ABitmap.IsEmpty()) throw ESkBitmapHelper("Invalid bitmap");

    if (dynamic_cast<const TSkCanvasBaseClass*>(ABitmap.CanvasClass())) {
        // The bitmap's own Skia canvas. Shared pixels need no copy here: the framework gives a
        // bitmap storage of its own when a scene starts on it, and keeps the canvas's scenes.
        auto& canvas = dynamic_cast<TSkCanvasCustom&>(ABitmap.Canvas());
        if (canvas.BeginSceneCount() > 0) {
            RunOn(canvas.Canvas(), AProc, AStartClean);
        } else if (canvas.BeginScene()) {
            try {
                RunOn(canvas.Canvas(), AProc, AStartClean);
            } catch (...) {
                canvas.EndScene();
                throw;
            }
            canvas.EndScene();
        }
        return;
    }

    TSkColorType colorType;
    switch (ABitmap.PixelFormat()) {
        case Ui::TPixelFormat::RGBA: colorType = TSkColorType::RGBA8888; break;
        case Ui::TPixelFormat::BGRA: colorType = TSkColorType::BGRA8888; break;
        default: throw ESkBitmapHelper("Invalid pixelformat");
    }
    TMapping mapping(ABitmap, AStartClean ? Ui::TMapAccess::Write : Ui::TMapAccess::ReadWrite);
    if (!mapping.Mapped()) return;
    const TSkImageInfo info(ABitmap.Width(), ABitmap.Height(), colorType, TSkAlphaType::Premul);
    Ref<ISkSurface> surface =
        TSkSurface::MakeRasterDirect(info, mapping.Data().Data, static_cast<size_t>(mapping.Data().Pitch));
    if (!surface) return;
    RunOn(surface->GetCanvas(), AProc, AStartClean);
}

// ---- the paint path ----

TSkControlPainter::~TSkControlPainter() = default;

void TSkControlPainter::DrawContent(const Ref<ISkCanvas>&, const Ui::TRectF&, float) {}

bool TSkControlPainter::MustRedrawBuffer() const {
    return !(FDrawCached && FDrawCacheKind != TSkDrawCacheKind::Never && FBuffer);
}

void TSkControlPainter::RedrawControl() {
    FDrawCached = false;
    FControl.Repaint();
}

void TSkControlPainter::SetDrawCacheKindValue(TSkDrawCacheKind AValue) {
    if (AValue == FDrawCacheKind) return;
    FDrawCacheKind = AValue;
    if (AValue != TSkDrawCacheKind::Always) FControl.Repaint();
}

void TSkControlPainter::SetOnDrawValue(TSkDrawEvent AValue) {
    if (AValue.SameHandler(FOnDraw)) return;
    FOnDraw = std::move(AValue);
    RedrawControl();
}

Ui::TRectF TSkControlPainter::AlignedDest(const Ui::TCanvas& ACanvas) const {
    const Ui::TRectF r = FControl.LocalRect();
    const float scale = ACanvas.Scale();
    const float left = ACanvas.AlignToPixelHorizontally(r.Left);
    const float top = ACanvas.AlignToPixelVertically(r.Top);
    return {left, top, left + RoundToEven(r.Width() * scale) / scale, top + RoundToEven(r.Height() * scale) / scale};
}

void TSkControlPainter::PaintControl() {
    Ui::TCanvas* canvas = FControl.Canvas();
    if (!canvas) return;
    auto* skiaCanvas = dynamic_cast<TSkCanvasCustom*>(canvas);
    if (FDrawCacheKind == TSkDrawCacheKind::Always || !skiaCanvas) {
        DrawCached(canvas);
        return;
    }
    const Ui::TRectF dest = AlignedDest(*canvas);
    const float opacity = FControl.AbsoluteOpacity();
    Ref<ISkCanvas> target = skiaCanvas->Canvas();
    DrawContent(target, dest, opacity);
    if (FOnDraw) FOnDraw(&FControl, target, dest, opacity);
    FBuffer.reset();
}

void TSkControlPainter::DrawCached(Ui::TCanvas* ACanvas) {
    const float sceneScale = FControl.Scene() ? FControl.Scene()->GetSceneScale() : 1.0f;
    const Ui::TPointF s = FControl.AbsoluteScale();
    const double w = double(FControl.Width()) * s.X * sceneScale;
    const double h = double(FControl.Height()) * s.Y * sceneScale;
    const int width = FRoundUp ? int(std::ceil(w)) : RoundToEven(w);
    const int height = FRoundUp ? int(std::ceil(h)) : RoundToEven(h);
    // Nothing to draw on: a bitmap of no size cannot be drawn into.
    if (width <= 0 || height <= 0) return;

    const int maxSize = ACanvas->MaxBitmapSize();
    float exceededRatio = 1;
    int bitmapWidth = width, bitmapHeight = height;
    const auto bufferDiffers = [&] {
        return !FBuffer || FBuffer->Width() != bitmapWidth || FBuffer->Height() != bitmapHeight;
    };
    if (width > maxSize || height > maxSize) {
        exceededRatio = maxSize > 0 ? std::max(float(width) / maxSize, float(height) / maxSize) : 1.0f;
        bitmapWidth = int(std::trunc(width / exceededRatio + 0.5f));
        bitmapHeight = int(std::trunc(height / exceededRatio + 0.5f));
        if (MustRedrawBuffer() || bufferDiffers())
            Ui::Log::d("Skia.UI: A control has exceeded the size allowed for a bitmap (class " + FControl.ClassName() +
                       ", name \"" + FControl.Name() +
                       "\"). We will reduce the drawing quality to avoid this exception. Consider using "
                       "\"GlobalUseSkia = true\" to avoid this kind of problem.");
    }

    if (MustRedrawBuffer() || bufferDiffers()) {
        if (!FBuffer)
            FBuffer = std::make_unique<Ui::TBitmap>(bitmapWidth, bitmapHeight);
        else if (bufferDiffers())
            FBuffer->SetSize(bitmapWidth, bitmapHeight);
        const float kx = s.X * sceneScale / exceededRatio, ky = s.Y * sceneScale / exceededRatio;
        DrawIntoBitmap(*FBuffer, [&](const Ref<ISkCanvas>& c) {
            c->Clear(Ui::TAlphaColors::Null);
            c->Concat(Ui::TMatrix::CreateScaling(kx, ky));
            const Ui::TRectF dest(0, 0, bitmapWidth / kx, bitmapHeight / ky);
            DrawContent(c, dest, 1);
            if (FOnDraw) FOnDraw(&FControl, c, dest, 1);
        });
        FDrawCached = true;
    }
    ACanvas->DrawBitmap(*FBuffer, Ui::TRectF(0, 0, float(bitmapWidth), float(bitmapHeight)), AlignedDest(*ACanvas),
                        FControl.AbsoluteOpacity(), false);
}

TSkCustomControl::TSkCustomControl(Ui::TComponent* AOwner) : Ui::TControl(AOwner), TSkControlPainter(*this, false) {
    EnsureSkiaUIRegistered();
    SetHitTest(false);
}

TSkStyledControl::TSkStyledControl(Ui::TComponent* AOwner) : Ui::TControl(AOwner), TSkControlPainter(*this, true) {
    EnsureSkiaUIRegistered();
    SetHitTest(false);
}

}  // namespace Skia::UI
