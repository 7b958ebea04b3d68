// Controls that paint themselves with a Skia canvas: straight onto the window's Skia canvas, or
// through a cached framework bitmap on other canvases (or always, with cache kind Always).
#pragma once

#include <functional>
#include <memory>

#include "Skia.h"
#include "UI/Event.h"
#include "UI/Persistent.h"
#include "ui/Bitmap.h"
#include "ui/Controls.h"

namespace Skia::UI {

class ESkBitmapHelper : public ESkUI {
public:
    using ESkUI::ESkUI;
};

enum class TSkDrawCacheKind { Never, Raster, Always };

// (sender, canvas, destination rectangle, opacity)
using TSkDrawEvent =
    TSkEvent<void(Ui::TObject* ASender, const Ref<ISkCanvas>& ACanvas, const Ui::TRectF& ADest, float AOpacity)>;
// Draws on a Skia canvas.
using TSkDrawProc = std::function<void(const Ref<ISkCanvas>& ACanvas)>;

// Draws on a framework bitmap through Skia: on the bitmap's own Skia canvas when it has one,
// else on its mapped pixels (RGBA or BGRA only). With AStartClean the bitmap is cleared first.
void DrawIntoBitmap(Ui::TBitmap& ABitmap, const TSkDrawProc& AProc, bool AStartClean = false);

// Links the start-up of the Skia controls (class registrations) into any program using them.
void EnsureSkiaUIRegistered();

// The paint path shared by TSkCustomControl and TSkStyledControl.
class TSkControlPainter {
public:
    virtual ~TSkControlPainter();

    TSkDrawCacheKind DrawCacheKind() const { return FDrawCacheKind; }
    const TSkDrawEvent& OnDraw() const { return FOnDraw; }
    // Only the cached path has a buffer.
    const Ui::TBitmap* Buffer() const { return FBuffer.get(); }

protected:
    explicit TSkControlPainter(Ui::TControl& AControl, bool ARoundUp) : FControl(AControl), FRoundUp(ARoundUp) {}

    virtual void DrawContent(const Ref<ISkCanvas>& ACanvas, const Ui::TRectF& ADest, float AOpacity);
    virtual bool MustRedrawBuffer() const;
    void PaintControl();
    // Marks the cache stale and repaints.
    void RedrawControl();
    void SetDrawCacheKindValue(TSkDrawCacheKind AValue);
    void SetOnDrawValue(TSkDrawEvent AValue);

    std::unique_ptr<Ui::TBitmap> FBuffer;
    bool FDrawCached = false;
    TSkDrawCacheKind FDrawCacheKind = TSkDrawCacheKind::Raster;
    TSkDrawEvent FOnDraw;

private:
    Ui::TRectF AlignedDest(const Ui::TCanvas& ACanvas) const;
    void DrawCached(Ui::TCanvas* ACanvas);

    Ui::TControl& FControl;
    bool FRoundUp;  // buffer sizes round up (styled controls) instead of to nearest
};

class TSkCustomControl : public Ui::TControl, public TSkControlPainter {
public:
    explicit TSkCustomControl(Ui::TComponent* AOwner);

    // Drops the cached drawing and repaints.
    void Redraw() { RedrawControl(); }
    void SetDrawCacheKind(TSkDrawCacheKind AValue) { SetDrawCacheKindValue(AValue); }
    void SetOnDraw(TSkDrawEvent AValue) { SetOnDrawValue(std::move(AValue)); }

protected:
    void Paint() override { PaintControl(); }
};

class TSkStyledControl : public Ui::TControl, public TSkControlPainter {
public:
    explicit TSkStyledControl(Ui::TComponent* AOwner);

    void Redraw() { RedrawControl(); }
    void SetDrawCacheKind(TSkDrawCacheKind AValue) { SetDrawCacheKindValue(AValue); }
    void SetOnDraw(TSkDrawEvent AValue) { SetOnDrawValue(std::move(AValue)); }

protected:
    void Paint() override { PaintControl(); }
};

// A plain paint box: its drawing is its OnDraw event.
class TSkPaintBox : public TSkCustomControl {
public:
    using TSkCustomControl::TSkCustomControl;
};

}  // namespace Skia::UI
