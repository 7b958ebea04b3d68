// The canvas base class and the canvas manager.
//
// A canvas draws either into a window (made with a TWindowHandle) or into a bitmap. Drawing
// happens only inside a scene (BeginScene/EndScene): the public drawing operations check the
// scene, resolve their default brush and end in protected Do... hooks that a concrete canvas
// overrides. The base keeps the state that every canvas shares: scale, matrix, fill and
// stroke brushes, font, clip bookkeeping and saved states.
//
// Each concrete canvas has a canvas class: one object that makes its canvases and owns the
// class-level operations, above all the storage of bitmap pixels (Do...Bitmap hooks). The
// canvas manager keeps the registered canvas classes; the canvas service of the platform
// registers them the first time one is needed.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "ui/Bitmap.h"
#include "ui/Brush.h"
#include "ui/Classes.h"
#include "ui/PathData.h"
#include "ui/Types.h"

namespace Ui {

class TCanvas;
class TWindowHandle;
class TStream;

class ECanvasException : public Exception {
public:
    using Exception::Exception;
};

class ECanvasManagerException : public Exception {
public:
    using Exception::Exception;
};

enum class TCanvasQuality { SystemDefault, HighPerformance, HighQuality };
enum class TCanvasStyle { SupportClipRects, SupportModulation, NeedGPUSurface };
using TCanvasStyles = TSet<TCanvasStyle>;
enum class TCanvasAttribute { MaxBitmapSize };

class TCanvasClass {
public:
    virtual ~TCanvasClass() = default;
    virtual std::string Name() const = 0;

    virtual TCanvas* CreateFromWindow(TWindowHandle* parent, int width, int height, TCanvasQuality quality) const = 0;
    virtual TCanvas* CreateFromBitmap(TBitmap& bitmap, TCanvasQuality quality) const = 0;

    // Bitmap storage. Initialise may choose the pixel format when given None.
    virtual THandle DoInitializeBitmap(int width, int height, float scale, TPixelFormat& pixelFormat) const = 0;
    virtual void DoFinalizeBitmap(THandle& bitmap) const = 0;
    // data arrives with Width, Height and PixelFormat set; the hook sets Data and Pitch.
    virtual bool DoMapBitmap(THandle bitmap, TMapAccess access, TBitmapData& data) const = 0;
    virtual void DoUnmapBitmap(THandle bitmap, TBitmapData& data) const = 0;

    // MaxBitmapSize: the largest bitmap side a canvas of this class can draw (8192 here).
    virtual int GetAttribute(TCanvasAttribute attribute) const;
    // Windows of this class's canvases need an OpenGL-capable visual.
    virtual bool NeedsOpenGLWindow() const { return false; }
};

// A snapshot of a canvas's state: fill, stroke, font, matrix and clip.
class TCanvasSaveState : public TPersistent {
public:
    // From a TCanvas: takes its state.
    void Assign(TPersistent* source) override;
    bool Assigned() const { return fAssigned; }

protected:
    // To a TCanvas: gives the state back.
    void AssignTo(TPersistent* dest) override;

private:
    friend class TCanvas;
    bool fAssigned = false;
    TBrush fFill;
    TStrokeBrush fStroke;
    TFont fFont;
    TMatrix fMatrix;
    std::optional<TRectF> fClipBounds;
    std::vector<TRectF> fExcludedRects;
};

enum class TFillTextFlag { RightToLeft };
using TFillTextFlags = TSet<TFillTextFlag>;
enum class TTextAlign { Center, Leading, Trailing };
enum class TCornerType { Round, Bevel, InnerRound, InnerLine };

class TCanvas : public TPersistent {
public:
    ~TCanvas() override;
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    virtual const TCanvasClass& CanvasClass() const = 0;

    // Scenes. The outermost BeginScene takes the canvas lock and runs DoBeginScene, which
    // may refuse (False, the lock is released); nested scenes only count. EndScene without
    // an open scene does nothing. A bitmap canvas's outermost scene first gives its bitmap
    // unshared storage and keeps it pinned until the scene ends (see TBitmap).
    bool BeginScene(const std::vector<TRectF>* clipRects = nullptr, THandle contextHandle = 0);
    void EndScene();
    int BeginSceneCount() const { return fBeginSceneCount; }

    TWindowHandle* Parent() const { return fParent; }
    TBitmap* Bitmap() const { return fBitmap; }
    TCanvasQuality Quality() const { return fQuality; }
    int Width() const { return fWidth; }
    int Height() const { return fHeight; }
    // Device pixels per logical unit.
    float Scale() const { return fScale; }
    virtual void SetSize(int width, int height);
    virtual TCanvasStyles GetCanvasStyle() const { return {}; }

    TBrush& Fill() { return fFill; }
    TStrokeBrush& Stroke() { return fStroke; }
    TFont& Font() { return fFont; }

    const TMatrix& Matrix() const { return fMatrix; }
    void SetMatrix(const TMatrix& m);
    void MultiplyMatrix(const TMatrix& m) { SetMatrix(m * fMatrix); }

    // Saved states belong to the canvas and must be restored in reverse order.
    TCanvasSaveState* SaveState();
    void RestoreState(TCanvasSaveState* state);

    // Clipping, in the current coordinates; undone by restoring a saved state.
    virtual void IntersectClipRect(const TRectF& r);
    virtual void ExcludeClipRect(const TRectF& r);
    // The intersected clip in device units, if any clip was set in this scene.
    const std::optional<TRectF>& ClipBounds() const { return fClipBounds; }
    const std::vector<TRectF>& ExcludedRects() const { return fExcludedRects; }
    int ClippingChangeCount() const { return fClippingChangeCount; }

    virtual void Clear(TAlphaColor color);
    virtual void ClearRect(const TRectF& r, TAlphaColor color);

    // Drawing; each raises ECanvasException outside a scene.
    void FillRect(const TRectF& r, float opacity) { FillRect(r, opacity, fFill); }
    void FillRect(const TRectF& r, float opacity, const TBrush& brush);
    void FillRect(const TRectF& r, float xRadius, float yRadius, TCorners corners, float opacity,
                  const TBrush& brush, TCornerType cornerType = TCornerType::Round);
    void DrawRect(const TRectF& r, float opacity) { DrawRect(r, opacity, fStroke); }
    void DrawRect(const TRectF& r, float opacity, const TStrokeBrush& brush);
    void DrawRect(const TRectF& r, float xRadius, float yRadius, TCorners corners, float opacity,
                  const TStrokeBrush& brush, TCornerType cornerType = TCornerType::Round);
    void FillEllipse(const TRectF& r, float opacity) { FillEllipse(r, opacity, fFill); }
    void FillEllipse(const TRectF& r, float opacity, const TBrush& brush);
    void DrawEllipse(const TRectF& r, float opacity) { DrawEllipse(r, opacity, fStroke); }
    void DrawEllipse(const TRectF& r, float opacity, const TStrokeBrush& brush);
    void FillPath(const TPathData& path, float opacity) { FillPath(path, opacity, fFill); }
    void FillPath(const TPathData& path, float opacity, const TBrush& brush);
    void DrawPath(const TPathData& path, float opacity) { DrawPath(path, opacity, fStroke); }
    void DrawPath(const TPathData& path, float opacity, const TStrokeBrush& brush);
    void DrawLine(TPointF p1, TPointF p2, float opacity) { DrawLine(p1, p2, opacity, fStroke); }
    void DrawLine(TPointF p1, TPointF p2, float opacity, const TStrokeBrush& brush);
    void FillPolygon(const std::vector<TPointF>& points, float opacity);
    void DrawPolygon(const std::vector<TPointF>& points, float opacity);
    void FillArc(TPointF center, TPointF radius, float startAngle, float sweepAngle, float opacity);
    void DrawArc(TPointF center, TPointF radius, float startAngle, float sweepAngle, float opacity);
    void DrawBitmap(TBitmap& bitmap, const TRectF& srcRect, const TRectF& dstRect, float opacity,
                    bool highSpeed = false);

    // Text, through the text layout registered for the canvas's class (nothing happens when
    // there is none); colour from Fill, font from Font.
    void FillText(const TRectF& r, const std::string& text, bool wordWrap, float opacity, TFillTextFlags flags = {},
                  TTextAlign hAlign = TTextAlign::Center, TTextAlign vAlign = TTextAlign::Center);
    // Sets r to the rectangle the text takes when laid out in r (empty at its corner without
    // a layout).
    void MeasureText(TRectF& r, const std::string& text, bool wordWrap, TFillTextFlags flags = {},
                     TTextAlign hAlign = TTextAlign::Center, TTextAlign vAlign = TTextAlign::Center);
    float TextWidth(const std::string& text);
    float TextHeight(const std::string& text);

    // Where a coordinate of the current space lands on a device pixel edge.
    float AlignToPixelHorizontally(float value) const;
    float AlignToPixelVertically(float value) const;
    TPointF AlignToPixel(TPointF p) const { return {AlignToPixelHorizontally(p.X), AlignToPixelVertically(p.Y)}; }

    // The canvas class's MaxBitmapSize.
    int MaxBitmapSize() const { return CanvasClass().GetAttribute(TCanvasAttribute::MaxBitmapSize); }

    virtual bool PtInPath(TPointF point, const TPathData& path);
    // Makes the fonts of the stream available; False when the canvas cannot.
    virtual bool LoadFontFromStream(TStream& stream);

protected:
    TCanvas(TWindowHandle* parent, int width, int height, TCanvasQuality quality);
    TCanvas(TBitmap& bitmap, TCanvasQuality quality);

    // The outermost scene's start: the base resets the per-scene state (clip and save
    // counters, stroke 1 Flat Miter Solid, solid fill and stroke kinds, identity matrix).
    // Overrides call it first.
    virtual bool DoBeginScene(const std::vector<TRectF>* clipRects, THandle contextHandle);
    // The outermost scene's end: the base tells a bitmap that its pixels changed. Overrides
    // call it last.
    virtual void DoEndScene();

    virtual TCanvasSaveState* CreateSaveState() { return new TCanvasSaveState(); }
    virtual void DoSetMatrix(const TMatrix&) {}
    virtual void DoFillRect(const TRectF&, float, const TBrush&) {}
    virtual void DoFillRoundRect(const TRectF& r, float xRadius, float yRadius, TCorners corners, float opacity,
                                 const TBrush& brush, TCornerType cornerType);
    virtual void DoFillPath(const TPathData&, float, const TBrush&) {}
    virtual void DoFillEllipse(const TRectF&, float, const TBrush&) {}
    virtual void DoDrawBitmap(TBitmap&, const TRectF&, const TRectF&, float, bool) {}
    virtual void DoDrawLine(TPointF, TPointF, float, const TStrokeBrush&) {}
    virtual void DoDrawRect(const TRectF&, float, const TStrokeBrush&) {}
    virtual void DoDrawRoundRect(const TRectF& r, float xRadius, float yRadius, TCorners corners, float opacity,
                                 const TStrokeBrush& brush, TCornerType cornerType);
    virtual void DoDrawPath(const TPathData&, float, const TStrokeBrush&) {}
    virtual void DoDrawEllipse(const TRectF&, float, const TStrokeBrush&) {}

    // Raises ECanvasException outside a scene.
    void CheckScene() const;
    void SetScale(float scale) { fScale = scale; }

private:
    friend class TCanvasSaveState;
    void RestoreFrom(const TCanvasSaveState& state);

    TWindowHandle* fParent = nullptr;
    TBitmap* fBitmap = nullptr;
    TCanvasQuality fQuality;
    int fWidth = 0, fHeight = 0;
    float fScale = 1;
    int fBeginSceneCount = 0;
    std::recursive_mutex fLock;

    TBrush fFill;
    TStrokeBrush fStroke;
    TFont fFont;
    TMatrix fMatrix;
    std::optional<TRectF> fClipBounds;
    std::vector<TRectF> fExcludedRects;
    int fClippingChangeCount = 0;
    std::vector<std::unique_ptr<TCanvasSaveState>> fSavedStates;
};

// A canvas class for a concrete canvas T with constructors (TWindowHandle*, int, int,
// TCanvasQuality) and (TBitmap&, TCanvasQuality); the storage hooks stay to be supplied.
template <class T, class Base = TCanvasClass>
class TCanvasClassFor : public Base {
public:
    TCanvas* CreateFromWindow(TWindowHandle* parent, int width, int height, TCanvasQuality quality) const override {
        return new T(parent, width, height, quality);
    }
    TCanvas* CreateFromBitmap(TBitmap& bitmap, TCanvasQuality quality) const override {
        return new T(bitmap, quality);
    }
};

class TCanvasManager {
public:
    // isDefault: the first class registered as default becomes the default canvas class.
    static void RegisterCanvas(const TCanvasClass& canvasClass, bool isDefault, bool isPrinter);
    // The default canvas class; registers the canvas classes through the platform's canvas
    // service first if that has not happened. ECanvasManagerException when there is none.
    static const TCanvasClass& DefaultCanvas();
    static std::vector<const TCanvasClass*> RegisteredCanvasClasses();
    static TCanvas* CreateFromWindow(TWindowHandle* parent, int width, int height,
                                     TCanvasQuality quality = TCanvasQuality::SystemDefault);
    static TCanvas* CreateFromBitmap(TBitmap& bitmap, TCanvasQuality quality = TCanvasQuality::SystemDefault);
    static void EnableSoftwareCanvas(bool enable);
    static bool SoftwareCanvasEnabled();
    // Unregisters everything (the canvas service's UnregisterCanvasClasses included); the
    // next use registers again.
    static void UnInitialize();
};

}  // namespace Ui
