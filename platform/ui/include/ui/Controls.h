// The object tree: TFmxObject (parent and children, the root it belongs to) and TControl
// (a rectangle in its parent with alignment, visibility, opacity, scale, mouse and gesture
// events, and painting through the canvas of its scene).
//
// Children are heap objects: a parent destroys its children, an owner its owned components,
// and whichever comes first wins (a destroyed object leaves both lists).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "ui/Classes.h"
#include "ui/Types.h"

namespace Ui {

class TCanvas;
class TControl;
class TFmxObject;

// The top of a tree (a form).
class IRoot {
public:
    virtual ~IRoot() = default;
    virtual TFmxObject* GetObject() = 0;
};

// What controls paint on (a form): its canvas, scale and update region.
class IScene {
public:
    virtual ~IScene() = default;
    virtual TFmxObject* GetObject() = 0;
    virtual TCanvas* GetCanvas() = 0;
    virtual float GetSceneScale() = 0;
    // Marks a rectangle of the scene (in its coordinates) to be painted again.
    virtual void AddUpdateRect(const TRectF& r) = 0;
    // A control left the scene (or is being destroyed): the scene forgets it.
    virtual void ControlRemoved(TControl*) {}
};

class TFmxObject : public TComponent {
public:
    explicit TFmxObject(TComponent* owner);
    ~TFmxObject() override;

    TFmxObject* Parent() const { return fParent; }
    // Moves the object under parent (nullptr takes it out of the tree); a parent of its own
    // subtree raises EInvalidOperation.
    void SetParent(TFmxObject* parent);
    void AddObject(TFmxObject* child) { if (child) child->SetParent(this); }
    void RemoveObject(TFmxObject* child);
    int ChildrenCount() const { return static_cast<int>(fChildren.size()); }
    TFmxObject* Children(int index) const;
    const std::vector<TFmxObject*>& ChildList() const { return fChildren; }
    // Destroys every child.
    void DeleteChildren();
    // Lays the aligned children out again (containers override).
    virtual void Realign() {}

    // The root of the tree the object is in, or nullptr.
    IRoot* Root() const { return fRoot; }

    void BeforeDestruction() override;

protected:
    // The object's parent changed.
    virtual void ParentChanged() {}
    // A child was added or removed.
    virtual void ChildrenChanged() {}
    // The object's root changed (it joined or left a rooted tree).
    virtual void DoRootChanged() {}
    // For a root: the root this object is (nullptr for other objects).
    virtual IRoot* OwnRoot() { return nullptr; }
    // Recomputes the root of this subtree; a root calls it once constructed.
    void UpdateRoot();

private:

    TFmxObject* fParent = nullptr;
    std::vector<TFmxObject*> fChildren;
    IRoot* fRoot = nullptr;
};

enum class TAlignLayout {
    None, Top, Left, Right, Bottom, MostTop, MostBottom, MostLeft, MostRight, Client, Contents, Center,
    VertCenter, HorzCenter, Horizontal, Vertical, Scale, Fit, FitLeft, FitRight
};

enum class TInteractiveGesture { Zoom, Pan, Rotate, TwoFingerTap, PressAndTap, LongTap, DoubleTap };
using TInteractiveGestures = TSet<TInteractiveGesture>;

// Gesture identifiers of TGestureEventInfo.
inline constexpr int igiBegin = 257;
inline constexpr int igiEnd = 258;
inline constexpr int igiZoom = 259;
inline constexpr int igiPan = 260;
inline constexpr int igiRotate = 261;
inline constexpr int igiTwoFingerTap = 262;
inline constexpr int igiPressAndTap = 263;
inline constexpr int igiLongTap = 264;
inline constexpr int igiDoubleTap = 265;

enum class TInteractiveGestureFlag { Begin, Inertia, End };
using TInteractiveGestureFlags = TSet<TInteractiveGestureFlag>;

struct TGestureEventInfo {
    int GestureID = 0;
    TPointF Location;  // in the form's client coordinates
    TInteractiveGestureFlags Flags;
    float Angle = 0;
    int Distance = 0;
    TPointF TapLocation;
};

struct TTouchManager {
    TInteractiveGestures InteractiveGestures;
};

using TMouseEvent = std::function<void(TObject* sender, TMouseButton button, TShiftState shift, float x, float y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, float x, float y)>;
using TMouseWheelEvent = std::function<void(TObject* sender, TShiftState shift, int wheelDelta, bool& handled)>;
using TKeyEvent = std::function<void(TObject* sender, uint16_t& key, char32_t& keyChar, TShiftState shift)>;
using TGestureEvent = std::function<void(TObject* sender, const TGestureEventInfo& info, bool& handled)>;
using TOnPaintEvent = std::function<void(TObject* sender, TCanvas& canvas, const TRectF& rect)>;

class TControl : public TFmxObject {
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    // Geometry in the parent's coordinates.
    TPointF Position() const { return fPosition; }
    void SetPosition(TPointF position);
    float Width() const { return fWidth; }
    float Height() const { return fHeight; }
    void SetWidth(float width) { SetSize(width, fHeight); }
    void SetHeight(float height) { SetSize(fWidth, height); }
    // Negative or non-finite sizes count as 0.
    void SetSize(float width, float height);
    void SetBounds(float x, float y, float width, float height);
    TRectF BoundsRect() const { return TRectF::FromSize(fPosition, fWidth, fHeight); }

    TAlignLayout Align() const { return fAlign; }
    void SetAlign(TAlignLayout align);
    const TBounds& Margins() const { return fMargins; }
    void SetMargins(const TBounds& margins);
    const TBounds& Padding() const { return fPadding; }
    void SetPadding(const TBounds& padding);
    // Lays the aligned children out again inside this control.
    void Realign() override;

    bool Visible() const { return fVisible; }
    void SetVisible(bool visible);
    // Visible together with every parent control.
    bool ParentedVisible() const;
    float Opacity() const { return fOpacity; }
    void SetOpacity(float opacity);  // clamped to 0..1
    float AbsoluteOpacity() const;
    TPointF Scale() const { return fScale; }
    void SetScale(TPointF scale);
    float RotationAngle() const { return fRotationAngle; }  // degrees, clockwise
    void SetRotationAngle(float degrees);
    TPointF RotationCenter() const { return fRotationCenter; }  // fraction of the size
    void SetRotationCenter(TPointF center);
    bool ClipChildren() const { return fClipChildren; }
    void SetClipChildren(bool clip) { fClipChildren = clip; }
    bool HitTest() const { return fHitTest; }
    void SetHitTest(bool hitTest) { fHitTest = hitTest; }
    bool Enabled() const { return fEnabled; }
    void SetEnabled(bool enabled) { fEnabled = enabled; }
    bool AbsoluteEnabled() const;
    TTouchManager Touch;

    TRectF LocalRect() const { return {0, 0, fWidth, fHeight}; }
    // Local to parent: scale, rotation about the rotation centre, then the position.
    TMatrix LocalMatrix() const;
    // Local to the scene (the form's client area).
    TMatrix AbsoluteMatrix() const;
    TRectF AbsoluteRect() const { return AbsoluteMatrix().TransformRect(LocalRect()); }
    TPointF AbsoluteScale() const;
    float AbsoluteWidth() const { return fWidth * AbsoluteScale().X; }
    float AbsoluteHeight() const { return fHeight * AbsoluteScale().Y; }
    TPointF LocalToAbsolute(TPointF p) const { return AbsoluteMatrix().Transform(p); }
    TPointF AbsoluteToLocal(TPointF p) const { return AbsoluteMatrix().Inverse().Transform(p); }
    // Whether a point of the scene lies on the control.
    virtual bool PointInObject(TPointF absolute) const;
    // The topmost visible, enabled, hit-testable control under a point of the scene, this one
    // or a descendant; nullptr if none.
    TControl* ObjectAtPoint(TPointF absolute);

    IScene* Scene() const { return fScene; }
    // The canvas to paint on: the temporary canvas if set, else the scene's.
    TCanvas* Canvas() const;
    TCanvas* TempCanvas() const { return fTempCanvas; }
    void SetTempCanvas(TCanvas* canvas) { fTempCanvas = canvas; }

    // Asks the scene to paint the control again.
    void Repaint();
    // The same for part of the control (local coordinates).
    void InvalidateRect(const TRectF& r);

    // Paints the control and its children on canvas (the scene's paint calls it); skipped
    // when invisible or outside updateRect (scene coordinates).
    void PaintTo(TCanvas& canvas, const TRectF& updateRect);

    // Input, in local coordinates; the scene routes events here.
    virtual void MouseDown(TMouseButton button, TShiftState shift, float x, float y);
    virtual void MouseMove(TShiftState shift, float x, float y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, float x, float y);
    virtual void MouseWheel(TShiftState shift, int wheelDelta, bool& handled);
    virtual void Click();
    virtual void DblClick();
    // A gesture event; handled tells the scene to stop offering it to the parents.
    virtual void Gesture(const TGestureEventInfo& info, bool& handled);

    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TMouseWheelEvent OnMouseWheel;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TGestureEvent OnGesture;
    TOnPaintEvent OnPainting;
    TOnPaintEvent OnPaint;
    TNotifyEvent OnResize;
    TNotifyEvent OnResized;

    // Visibility of this control or an ancestor changed to visible; sent down the tree.
    virtual void AncestorVisibleChanged(bool visible);
    // The scene of the control changed; sent down the tree.
    virtual void SetNewScene(IScene* scene);

protected:
    // Draws the control on Canvas(); the base draws nothing.
    virtual void Paint() {}
    virtual void Painting();
    virtual void DoPaint();
    virtual void AfterPaint() {}
    virtual void Resize();
    void ParentChanged() override;
    void ChildrenChanged() override;

private:
    void SizeChanged();
    void NotifyParentRealign();

    TPointF fPosition;
    float fWidth = 0, fHeight = 0;
    TAlignLayout fAlign = TAlignLayout::None;
    TBounds fMargins, fPadding;
    bool fVisible = true;
    float fOpacity = 1;
    TPointF fScale{1, 1};
    float fRotationAngle = 0;
    TPointF fRotationCenter{0.5f, 0.5f};
    bool fClipChildren = false;
    bool fHitTest = true;
    bool fEnabled = true;
    bool fRealigning = false;
    IScene* fScene = nullptr;
    TCanvas* fTempCanvas = nullptr;
};

// Lays out the aligned controls among children inside the content rectangle (the container's
// client area less its padding), the way docking does: Most* first, then Top, Bottom, Left,
// Right, then Client and the centring kinds in what is left; Contents takes the whole
// rectangle. Scale and the Fit kinds are left where they are.
void AlignChildren(const std::vector<TFmxObject*>& children, const TRectF& content);

// Raises BeforeDestruction, then deletes the object.
void Free(TComponent* component);

}  // namespace Ui
