// TSkCanvasCustom: the framework's canvas carried out on a Skia canvas.
//
// The framework's public drawing operations end in protected Do... hooks; this class turns each
// of them into calls on the Skia canvas of the surface its subclass opened for the scene. It owns
// one reusable paint: every primitive converts its brush into that paint, draws, and resets it.
// Skia's matrix, clip and save stack follow the framework's: SetMatrix installs the framework
// matrix followed by the device scale, clip rectangles go to Skia's clip, and each saved state
// of the framework is one Skia save.
//
// Skia-drawn controls take the Skia canvas straight from here:
//
//   if (auto* sk = dynamic_cast<Skia::UI::TSkCanvasCustom*>(&canvas))
//       if (Ref<Skia::ISkCanvas> c = sk->Canvas()) { ... draw on c ... }
//
// Between BeginScene and EndScene that canvas carries the framework's current matrix followed by
// the device scale and the clip set inside the current saved state, and no opacity: the control
// applies its own. Outside a scene there is none (nil).
#pragma once

#include "Skia/Canvas.h"
#include "Skia/Image.h"
#include "Skia/Paint.h"
#include "Skia/Path.h"
#include "Skia/Sampling.h"
#include "ui/Canvas.h"

namespace Skia::UI {

class TSkCanvasCustom : public Ui::TCanvas {
public:
    ~TSkCanvasCustom() override;

    // The Skia canvas of the current scene's surface; nil outside a scene.
    Ref<ISkCanvas> Canvas() const { return GetCanvas(); }

    // No clip-rectangle lists, no colour modulation: opacity arrives through the primitives.
    Ui::TCanvasStyles GetCanvasStyle() const override { return {}; }
    // The framework's SetSize and then Resized, when the size really changes.
    void SetSize(int width, int height) override;
    // Every pixel inside the current clip becomes the colour, without blending.
    void Clear(Ui::TAlphaColor color) override;
    void ClearRect(const Ui::TRectF& r, Ui::TAlphaColor color) override;
    // Inside a scene; undone by restoring a saved state.
    void IntersectClipRect(const Ui::TRectF& r) override;
    void ExcludeClipRect(const Ui::TRectF& r) override;
    // Even-odd containment of the point in the path; needs no scene.
    bool PtInPath(Ui::TPointF point, const Ui::TPathData& path) override;
    bool LoadFontFromStream(Ui::TStream& stream) override;

    // How bitmaps are sampled: nearest for high speed, else by the canvas quality.
    TSkSamplingOptions GetSamplingOptions(bool highSpeed) const;

    // The framework path as a Skia path with the even-odd fill rule. A curve without its two
    // following points raises Ui::EArgumentOutOfRange.
    static Ref<ISkPath> PathDataToSkPath(const Ui::TPathData& path);

protected:
    // One Skia save per framework saved state; restoring goes back to the Skia save count the
    // state was taken at, so restoring an older state also drops the saves of newer ones (which
    // the framework discards with it).
    class TSaveState : public Ui::TCanvasSaveState {
    public:
        void Assign(Ui::TPersistent* source) override;

    protected:
        void AssignTo(Ui::TPersistent* dest) override;

    private:
        int32_t FSaveCount = 0;  // Skia save count before this state's save; 0 when none was made
    };

    TSkCanvasCustom(Ui::TWindowHandle* parent, int width, int height, Ui::TCanvasQuality quality);
    TSkCanvasCustom(Ui::TBitmap& bitmap, Ui::TCanvasQuality quality);

    // Runs just before a saved state is restored into this canvas.
    virtual void BeforeRestore() {}
    // An image that already holds the bitmap's pixels, or nil (then the pixels are mapped).
    virtual Ref<ISkImage> GetCachedImage(Ui::TBitmap& bitmap);
    // The Skia canvas of the current surface; nil outside a scene.
    virtual Ref<ISkCanvas> GetCanvas() const = 0;
    // Runs after SetSize really changed the size.
    virtual void Resized() {}

    Ui::TCanvasSaveState* CreateSaveState() override { return new TSaveState(); }
    void DoSetMatrix(const Ui::TMatrix& m) override;
    void DoFillRect(const Ui::TRectF& r, float opacity, const Ui::TBrush& brush) override;
    void DoFillPath(const Ui::TPathData& path, float opacity, const Ui::TBrush& brush) override;
    void DoFillEllipse(const Ui::TRectF& r, float opacity, const Ui::TBrush& brush) override;
    void DoDrawBitmap(Ui::TBitmap& bitmap, const Ui::TRectF& srcRect, const Ui::TRectF& dstRect, float opacity,
                      bool highSpeed) override;
    void DoDrawLine(Ui::TPointF p1, Ui::TPointF p2, float opacity, const Ui::TStrokeBrush& brush) override;
    void DoDrawRect(const Ui::TRectF& r, float opacity, const Ui::TStrokeBrush& brush) override;
    void DoDrawPath(const Ui::TPathData& path, float opacity, const Ui::TStrokeBrush& brush) override;
    void DoDrawEllipse(const Ui::TRectF& r, float opacity, const Ui::TStrokeBrush& brush) override;

    // Paint preparation for one primitive; False means draw nothing. rect is the geometry's
    // bounds (gradients and stretched bitmaps are placed by it).
    bool BeginFill(const Ui::TBrush& brush, const Ui::TRectF& rect, float opacity);
    bool BeginStroke(const Ui::TStrokeBrush& brush, const Ui::TRectF& rect, float opacity);
    // The brush of the primitive in progress into the paint.
    void ApplyBrush(const Ui::TRectF& rect, float opacity);
    // After a primitive: the paint back to its defaults and a bitmap brush's pixels unmapped.
    void EndDraw();

    // The one paint of the canvas.
    const Ref<ISkPaint>& Paint() const { return FPaint; }

private:
    // Holds the native library for the canvas's life.
    struct TLibraryHold {
        TLibraryHold();
        ~TLibraryHold();
        TLibraryHold(const TLibraryHold&) = delete;
        TLibraryHold& operator=(const TLibraryHold&) = delete;
    };

    // Draws the primitive with the prepared paint and cleans up after it, also when it raises.
    template <class Draw>
    void DrawPrepared(Draw&& draw);
    Ref<ISkImage> WrapBrushBitmap(Ui::TBitmap& bitmap);

    TLibraryHold FLibrary;
    const Ui::TBrush* FBrush = nullptr;           // the resolved brush of the primitive in progress
    Ui::TBitmap* FBrushBitmap = nullptr;          // the bitmap brush's bitmap while mapped
    Ui::TBitmapData FBrushBitmapData;             // its read mapping
    bool FBrushBitmapMapped = false;
    Ref<ISkPaint> FPaint;
};

}  // namespace Skia::UI
