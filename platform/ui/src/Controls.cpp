#include "ui/Controls.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "ui/Canvas.h"

namespace Ui {

void Free(TComponent* component) {
    if (!component) return;
    if (!component->IsDestroying()) component->BeforeDestruction();
    delete component;
}

// ---- TFmxObject

TFmxObject::TFmxObject(TComponent* owner) : TComponent(owner) {}

TFmxObject::~TFmxObject() {
    BeginDestruction();
    DeleteChildren();
    if (fParent) fParent->RemoveObject(this);
}

void TFmxObject::BeforeDestruction() {
    TComponent::BeforeDestruction();
    for (TFmxObject* child : std::vector<TFmxObject*>(fChildren))
        if (!child->IsDestroying()) child->BeforeDestruction();
}

TFmxObject* TFmxObject::Children(int index) const {
    if (index < 0 || index >= ChildrenCount())
        throw EComponentError("List index out of bounds (" + std::to_string(index) + ")");
    return fChildren[static_cast<size_t>(index)];
}

void TFmxObject::SetParent(TFmxObject* parent) {
    if (parent == fParent) return;
    for (TFmxObject* p = parent; p; p = p->fParent)
        if (p == this) throw EInvalidOperation("An object cannot be its own parent");
    if (fParent) {
        std::erase(fParent->fChildren, this);
        TFmxObject* old = fParent;
        fParent = nullptr;
        if (!old->IsDestroying()) old->ChildrenChanged();
    }
    fParent = parent;
    if (parent) parent->fChildren.push_back(this);
    UpdateRoot();
    ParentChanged();
    if (parent) parent->ChildrenChanged();
}

void TFmxObject::RemoveObject(TFmxObject* child) {
    if (child && child->fParent == this) child->SetParent(nullptr);
}

void TFmxObject::DeleteChildren() {
    while (!fChildren.empty()) Free(fChildren.back());
}

void TFmxObject::UpdateRoot() {
    IRoot* root = OwnRoot();
    if (!root && fParent) root = fParent->fRoot;
    const bool changed = root != fRoot;
    fRoot = root;
    for (TFmxObject* child : fChildren) child->UpdateRoot();
    if (changed && !IsDestroying()) DoRootChanged();
}

// ---- Alignment

namespace {

struct TPlaced {
    TControl* control;
    TRectF bounds;
};

}  // namespace

void AlignChildren(const std::vector<TFmxObject*>& children, const TRectF& content) {
    TRectF rest = content;
    auto place = [](TControl* c, TRectF r) {
        const TBounds& m = c->Margins();
        c->SetBounds(r.Left + m.Left, r.Top + m.Top, std::max(0.0f, r.Width() - m.Left - m.Right),
                     std::max(0.0f, r.Height() - m.Top - m.Bottom));
    };
    auto outerHeight = [](TControl* c) { return c->Height() + c->Margins().Top + c->Margins().Bottom; };
    auto outerWidth = [](TControl* c) { return c->Width() + c->Margins().Left + c->Margins().Right; };
    auto pass = [&](std::initializer_list<TAlignLayout> kinds, auto&& layout) {
        for (TFmxObject* o : children) {
            auto* c = dynamic_cast<TControl*>(o);
            if (!c || !c->Visible() || std::find(kinds.begin(), kinds.end(), c->Align()) == kinds.end()) continue;
            layout(c);
        }
    };
    auto top = [&](TControl* c) {
        const float h = std::min(outerHeight(c), rest.Height());
        place(c, {rest.Left, rest.Top, rest.Right, rest.Top + h});
        rest.Top += h;
    };
    auto bottom = [&](TControl* c) {
        const float h = std::min(outerHeight(c), rest.Height());
        place(c, {rest.Left, rest.Bottom - h, rest.Right, rest.Bottom});
        rest.Bottom -= h;
    };
    auto left = [&](TControl* c) {
        const float w = std::min(outerWidth(c), rest.Width());
        place(c, {rest.Left, rest.Top, rest.Left + w, rest.Bottom});
        rest.Left += w;
    };
    auto right = [&](TControl* c) {
        const float w = std::min(outerWidth(c), rest.Width());
        place(c, {rest.Right - w, rest.Top, rest.Right, rest.Bottom});
        rest.Right -= w;
    };
    pass({TAlignLayout::MostTop}, top);
    pass({TAlignLayout::MostBottom}, bottom);
    pass({TAlignLayout::MostLeft}, left);
    pass({TAlignLayout::MostRight}, right);
    pass({TAlignLayout::Top}, top);
    pass({TAlignLayout::Bottom}, bottom);
    pass({TAlignLayout::Left}, left);
    pass({TAlignLayout::Right}, right);
    pass({TAlignLayout::Client}, [&](TControl* c) { place(c, rest); });
    pass({TAlignLayout::Contents}, [&](TControl* c) { place(c, content); });
    pass({TAlignLayout::Horizontal}, [&](TControl* c) {
        const float h = outerHeight(c);
        place(c, {rest.Left, c->Position().Y - c->Margins().Top, rest.Right, c->Position().Y - c->Margins().Top + h});
    });
    pass({TAlignLayout::Vertical}, [&](TControl* c) {
        const float w = outerWidth(c);
        place(c, {c->Position().X - c->Margins().Left, rest.Top, c->Position().X - c->Margins().Left + w, rest.Bottom});
    });
    auto centre = [&](TControl* c, bool horizontally, bool vertically) {
        const TPointF mid = rest.CenterPoint();
        const float x = horizontally ? mid.X - c->Width() / 2 : c->Position().X;
        const float y = vertically ? mid.Y - c->Height() / 2 : c->Position().Y;
        c->SetBounds(x, y, c->Width(), c->Height());
    };
    pass({TAlignLayout::Center}, [&](TControl* c) { centre(c, true, true); });
    pass({TAlignLayout::VertCenter}, [&](TControl* c) {
        place(c, {rest.Left, rest.CenterPoint().Y - outerHeight(c) / 2, rest.Right, rest.CenterPoint().Y + outerHeight(c) / 2});
    });
    pass({TAlignLayout::HorzCenter}, [&](TControl* c) {
        place(c, {rest.CenterPoint().X - outerWidth(c) / 2, rest.Top, rest.CenterPoint().X + outerWidth(c) / 2, rest.Bottom});
    });
}

// ---- TControl

namespace {

float Sanitize(float v) { return std::isfinite(v) && v > 0 ? v : 0; }

}  // namespace

TControl::TControl(TComponent* owner) : TFmxObject(owner) {}

TControl::~TControl() {
    BeginDestruction();
    if (fScene) fScene->ControlRemoved(this);
}

void TControl::SetPosition(TPointF position) {
    if (!std::isfinite(position.X) || !std::isfinite(position.Y)) return;
    if (position == fPosition) return;
    Repaint();
    fPosition = position;
    Repaint();
}

void TControl::SetSize(float width, float height) {
    width = Sanitize(width);
    height = Sanitize(height);
    if (width == fWidth && height == fHeight) return;
    Repaint();
    fWidth = width;
    fHeight = height;
    SizeChanged();
}

void TControl::SetBounds(float x, float y, float width, float height) {
    SetPosition({x, y});
    SetSize(width, height);
}

void TControl::SizeChanged() {
    Resize();
    Realign();
    NotifyParentRealign();
    Repaint();
    if (OnResized) OnResized(this);
}

void TControl::Resize() {
    if (OnResize) OnResize(this);
}

void TControl::SetAlign(TAlignLayout align) {
    if (align == fAlign) return;
    fAlign = align;
    NotifyParentRealign();
}

void TControl::SetMargins(const TBounds& margins) {
    fMargins = margins;
    NotifyParentRealign();
}

void TControl::SetPadding(const TBounds& padding) {
    fPadding = padding;
    Realign();
}

void TControl::Realign() {
    if (fRealigning || IsDestroying()) return;
    fRealigning = true;
    try {
        AlignChildren(ChildList(), {fPadding.Left, fPadding.Top, fWidth - fPadding.Right, fHeight - fPadding.Bottom});
    } catch (...) {
        fRealigning = false;
        throw;
    }
    fRealigning = false;
}

void TControl::NotifyParentRealign() {
    if (fAlign == TAlignLayout::None || IsDestroying()) return;
    if (Parent()) Parent()->Realign();
}

void TControl::ParentChanged() {
    IScene* scene = nullptr;
    for (TFmxObject* p = Parent(); p && !scene; p = p->Parent()) {
        if (auto* c = dynamic_cast<TControl*>(p))
            scene = c->Scene();
        else
            scene = dynamic_cast<IScene*>(p);
    }
    if (scene != fScene) SetNewScene(scene);
}

void TControl::ChildrenChanged() { Realign(); }

void TControl::SetNewScene(IScene* scene) {
    if (fScene && fScene != scene) fScene->ControlRemoved(this);
    fScene = scene;
    for (TFmxObject* child : ChildList())
        if (auto* c = dynamic_cast<TControl*>(child)) c->SetNewScene(scene);
}

void TControl::SetVisible(bool visible) {
    if (visible == fVisible) return;
    if (!visible) Repaint();
    fVisible = visible;
    if (visible) Repaint();
    NotifyParentRealign();
    AncestorVisibleChanged(visible);
}

void TControl::AncestorVisibleChanged(bool visible) {
    for (TFmxObject* child : ChildList())
        if (auto* c = dynamic_cast<TControl*>(child)) c->AncestorVisibleChanged(visible);
}

bool TControl::ParentedVisible() const {
    for (const TFmxObject* o = this; o; o = o->Parent()) {
        const auto* c = dynamic_cast<const TControl*>(o);
        if (!c) break;
        if (!c->fVisible) return false;
    }
    return true;
}

void TControl::SetOpacity(float opacity) {
    if (!std::isfinite(opacity)) return;
    opacity = std::clamp(opacity, 0.0f, 1.0f);
    if (opacity == fOpacity) return;
    fOpacity = opacity;
    Repaint();
}

float TControl::AbsoluteOpacity() const {
    float o = fOpacity;
    for (const TFmxObject* p = Parent(); p; p = p->Parent())
        if (const auto* c = dynamic_cast<const TControl*>(p)) o *= c->fOpacity;
    return o;
}

void TControl::SetScale(TPointF scale) {
    if (!std::isfinite(scale.X) || !std::isfinite(scale.Y) || scale == fScale) return;
    Repaint();
    fScale = scale;
    Repaint();
}

void TControl::SetRotationAngle(float degrees) {
    if (!std::isfinite(degrees) || degrees == fRotationAngle) return;
    Repaint();
    fRotationAngle = degrees;
    Repaint();
}

void TControl::SetRotationCenter(TPointF center) {
    if (!std::isfinite(center.X) || !std::isfinite(center.Y)) return;
    fRotationCenter = center;
    Repaint();
}

bool TControl::AbsoluteEnabled() const {
    for (const TFmxObject* o = this; o; o = o->Parent())
        if (const auto* c = dynamic_cast<const TControl*>(o); c && !c->fEnabled) return false;
    return true;
}

TMatrix TControl::LocalMatrix() const {
    TMatrix m = TMatrix::CreateScaling(fScale.X, fScale.Y);
    if (fRotationAngle != 0) {
        const TPointF c{fRotationCenter.X * fWidth * fScale.X, fRotationCenter.Y * fHeight * fScale.Y};
        m = m * TMatrix::CreateTranslation(-c.X, -c.Y) *
            TMatrix::CreateRotation(fRotationAngle * std::numbers::pi_v<float> / 180) *
            TMatrix::CreateTranslation(c.X, c.Y);
    }
    return m * TMatrix::CreateTranslation(fPosition.X, fPosition.Y);
}

TMatrix TControl::AbsoluteMatrix() const {
    TMatrix m = LocalMatrix();
    for (const TFmxObject* p = Parent(); p; p = p->Parent())
        if (const auto* c = dynamic_cast<const TControl*>(p)) m = m * c->LocalMatrix();
    return m;
}

TPointF TControl::AbsoluteScale() const {
    TPointF s = fScale;
    for (const TFmxObject* p = Parent(); p; p = p->Parent())
        if (const auto* c = dynamic_cast<const TControl*>(p)) s = {s.X * c->fScale.X, s.Y * c->fScale.Y};
    return s;
}

bool TControl::PointInObject(TPointF absolute) const { return LocalRect().Contains(AbsoluteToLocal(absolute)); }

TControl* TControl::ObjectAtPoint(TPointF absolute) {
    if (!fVisible || !fEnabled) return nullptr;
    const auto& children = ChildList();
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        if (auto* c = dynamic_cast<TControl*>(*it))
            if (TControl* hit = c->ObjectAtPoint(absolute)) return hit;
    return fHitTest && PointInObject(absolute) ? this : nullptr;
}

TCanvas* TControl::Canvas() const {
    if (fTempCanvas) return fTempCanvas;
    return fScene ? fScene->GetCanvas() : nullptr;
}

void TControl::Repaint() {
    if (!fScene || !fVisible || IsDestroying()) return;
    fScene->AddUpdateRect(AbsoluteRect());
}

void TControl::InvalidateRect(const TRectF& r) {
    if (!fScene || !fVisible || IsDestroying()) return;
    fScene->AddUpdateRect(AbsoluteMatrix().TransformRect(r));
}

void TControl::PaintTo(TCanvas& canvas, const TRectF& updateRect) {
    if (!fVisible) return;
    TCanvasSaveState* state = canvas.SaveState();
    try {
        canvas.SetMatrix(AbsoluteMatrix());
        if (fClipChildren) canvas.IntersectClipRect(LocalRect());
        const TRectF absolute = AbsoluteRect();
        if (fWidth > 0 && fHeight > 0 && !TRectF::Intersect(absolute, updateRect).IsEmpty()) {
            Painting();
            DoPaint();
            AfterPaint();
        }
        for (TFmxObject* child : std::vector<TFmxObject*>(ChildList()))
            if (auto* c = dynamic_cast<TControl*>(child)) c->PaintTo(canvas, updateRect);
    } catch (...) {
        canvas.RestoreState(state);
        throw;
    }
    canvas.RestoreState(state);
}

void TControl::Painting() {
    if (OnPainting)
        if (TCanvas* c = Canvas()) OnPainting(this, *c, LocalRect());
}

void TControl::DoPaint() {
    Paint();
    if (OnPaint)
        if (TCanvas* c = Canvas()) OnPaint(this, *c, LocalRect());
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, float x, float y) {
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, float x, float y) {
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, float x, float y) {
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseWheel(TShiftState shift, int wheelDelta, bool& handled) {
    if (OnMouseWheel) OnMouseWheel(this, shift, wheelDelta, handled);
}

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

void TControl::Gesture(const TGestureEventInfo& info, bool& handled) {
    if (OnGesture) OnGesture(this, info, handled);
}

}  // namespace Ui
