#include "ui/Forms.h"

#include <algorithm>

#include "ui/Window.h"

namespace Ui {

namespace {

std::vector<TForm*>& FormList() {
    static std::vector<TForm*>* forms = new std::vector<TForm*>();
    return *forms;
}

constexpr int kMaxClientSide = 1 << 14;

}  // namespace

const std::vector<TForm*>& TForm::Forms() { return FormList(); }

TForm* TForm::FormOfWindow(TPlatformWindow* window) {
    for (TForm* f : FormList())
        if (f->fHandle && f->fHandle->PlatformWindow() == window) return f;
    return nullptr;
}

TForm::TForm(TComponent* owner) : TFmxObject(owner) {
    FormList().push_back(this);
    UpdateRoot();
}

TForm::~TForm() {
    if (!fDestroyRaised) TForm::BeforeDestruction();
    // Children go while the form is still a whole scene.
    DeleteChildren();
    fCanvas.reset();
    fHandle.reset();
    std::erase(FormList(), this);
    TApplication& app = Application();
    std::erase(app.fReleased, this);
    if (app.MainForm() == this) app.SetMainForm(nullptr);
}

void TForm::AfterConstruction() {
    TFmxObject::AfterConstruction();
    Realign();
    if (OnCreate) OnCreate(this);
}

void TForm::BeforeDestruction() {
    TFmxObject::BeforeDestruction();
    if (fDestroyRaised) return;
    fDestroyRaised = true;
    if (OnDestroy) OnDestroy(this);
}

void TForm::SetCaption(const std::string& caption) {
    fCaption = caption;
    if (fHandle) fHandle->Backend().SetCaption(fHandle->PlatformWindow(), caption);
}

void TForm::SetClientSize(int width, int height) {
    width = std::clamp(width, 0, kMaxClientSide);
    height = std::clamp(height, 0, kMaxClientSide);
    if (width == fClientWidth && height == fClientHeight) return;
    if (fHandle) fHandle->Backend().SetClientSize(fHandle->PlatformWindow(), width, height);
    WindowResized(width, height);
}

void TForm::WindowResized(int width, int height) {
    width = std::clamp(width, 0, kMaxClientSide);
    height = std::clamp(height, 0, kMaxClientSide);
    const bool changed = width != fClientWidth || height != fClientHeight;
    fClientWidth = width;
    fClientHeight = height;
    if (fCanvas) fCanvas->SetSize(width, height);
    if (changed) {
        Realign();
        if (OnResize) OnResize(this);
    }
    Invalidate();
}

void TForm::SetPadding(const TBounds& padding) {
    fPadding = padding;
    Realign();
}

void TForm::Realign() {
    if (IsDestroying()) return;
    AlignChildren(ChildList(), {fPadding.Left, fPadding.Top, static_cast<float>(fClientWidth) - fPadding.Right,
                                static_cast<float>(fClientHeight) - fPadding.Bottom});
}

void TForm::CreateHandle() {
    if (fHandle) return;
    TWindowParams params;
    params.Caption = fCaption;
    params.ClientWidth = fClientWidth;
    params.ClientHeight = fClientHeight;
    params.Left = fLeft;
    params.Top = fTop;
    params.Centered = fPosition == TFormPosition::ScreenCenter || fPosition == TFormPosition::DesktopCenter ||
                      fPosition == TFormPosition::MainFormCenter || fPosition == TFormPosition::OwnerFormCenter;
    // The canvas classes are registered before the first window exists, so the window is
    // made the way the default canvas needs it.
    params.OpenGL = TCanvasManager::DefaultCanvas().NeedsOpenGLWindow();
    fHandle = std::make_unique<TWindowHandle>(this, params);
    // The window may not get the size asked for (a screen too small); follow what it got.
    const TSize size = fHandle->ClientSize();
    fClientWidth = size.Width;
    fClientHeight = size.Height;
    Realign();
}

void TForm::DestroyHandle() {
    fCanvas.reset();
    fHandle.reset();
}

TCanvas* TForm::Canvas() {
    if (!fCanvas && fHandle)
        fCanvas.reset(TCanvasManager::CreateFromWindow(fHandle.get(), fClientWidth, fClientHeight, fQuality));
    return fCanvas.get();
}

float TForm::GetSceneScale() { return fHandle ? fHandle->Scale() : 1.0f; }

void TForm::Show() {
    CreateHandle();
    if (fVisible) return;
    fVisible = true;
    // Showing the window maps it again; a window system that keeps it minimised says so.
    fWindowHidden = false;
    fHandle->Backend().SetVisible(fHandle->PlatformWindow(), true);
    NotifyShowingChanged();
    if (OnShow) OnShow(this);
    Invalidate();
}

void TForm::Hide() {
    if (!fVisible) return;
    fVisible = false;
    if (fHandle) fHandle->Backend().SetVisible(fHandle->PlatformWindow(), false);
    NotifyShowingChanged();
    if (OnHide) OnHide(this);
}

void TForm::WindowShownChanged(bool shown) {
    fWindowHidden = !shown;
    NotifyShowingChanged();
    // Nothing of the window was kept while it was away.
    if (Showing()) Invalidate();
}

void TForm::NotifyShowingChanged() {
    const bool showing = Showing();
    if (showing == fChildrenSeeShown) return;
    fChildrenSeeShown = showing;
    // Animated controls stop asking for frames that would never be drawn, and start again.
    for (TFmxObject* child : std::vector<TFmxObject*>(ChildList()))
        if (auto* c = dynamic_cast<TControl*>(child)) c->AncestorVisibleChanged(showing);
}

void TForm::Close() {
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    if (!canClose) return;
    TCloseAction action = TCloseAction::Hide;
    if (OnClose) OnClose(this, action);
    if (action == TCloseAction::None) return;
    TApplication& app = Application();
    if (app.MainForm() == this) app.Terminate();
    if (action == TCloseAction::Free)
        Release();
    else
        Hide();
}

void TForm::Release() {
    auto& released = Application().fReleased;
    if (std::find(released.begin(), released.end(), this) == released.end()) released.push_back(this);
}

void TForm::Invalidate() { InvalidateRect(ClientRect()); }

void TForm::InvalidateRect(const TRectF& r) {
    if (r.IsEmpty()) return;
    fUpdateRect = fUpdateRect ? TRectF::Union(*fUpdateRect, r) : r;
}

void TForm::PaintPending() {
    if (!fUpdateRect) return;
    fUpdateRect.reset();
    // A minimised or hidden window gets no frames; it is painted whole when it shows again.
    if (!Showing() || !fHandle) return;
    TCanvas* canvas = Canvas();
    if (!canvas || !canvas->BeginScene()) return;
    // The window is drawn whole: back ends that swap buffers keep nothing between frames.
    try {
        canvas->SetMatrix(TMatrix::Identity());
        if (Fill.Kind == TBrushKind::Solid) canvas->Clear(Fill.Color);
        const TRectF all = ClientRect();
        for (TFmxObject* child : std::vector<TFmxObject*>(ChildList()))
            if (auto* c = dynamic_cast<TControl*>(child)) c->PaintTo(*canvas, all);
        canvas->SetMatrix(TMatrix::Identity());
        if (OnPaint) OnPaint(this, *canvas, all);
    } catch (...) {
        canvas->EndScene();
        throw;
    }
    canvas->EndScene();
}

TControl* TForm::ObjectAtPoint(TPointF p) {
    const auto& children = ChildList();
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        if (auto* c = dynamic_cast<TControl*>(*it))
            if (TControl* hit = c->ObjectAtPoint(p)) return hit;
    return nullptr;
}

void TForm::ControlRemoved(TControl* control) {
    if (fCaptured == control) fCaptured = nullptr;
}

void TForm::MouseDown(TMouseButton button, TShiftState shift, float x, float y, int clicks) {
    if (clicks >= 2) shift.Include(TShiftStateItem::Double);
    TControl* target = ObjectAtPoint({x, y});
    fCaptured = target;
    if (target) {
        const TPointF local = target->AbsoluteToLocal({x, y});
        target->MouseDown(button, shift, local.X, local.Y);
        if (clicks == 2 && fCaptured == target) target->DblClick();
    } else if (OnMouseDown) {
        OnMouseDown(this, button, shift, x, y);
    }
    if (clicks == 2) {
        TGestureEventInfo info;
        info.GestureID = igiDoubleTap;
        info.Location = info.TapLocation = {x, y};
        Gesture(info);
    }
}

void TForm::MouseMove(TShiftState shift, float x, float y) {
    TControl* target = fCaptured ? fCaptured : ObjectAtPoint({x, y});
    if (target) {
        const TPointF local = target->AbsoluteToLocal({x, y});
        target->MouseMove(shift, local.X, local.Y);
    } else if (OnMouseMove) {
        OnMouseMove(this, shift, x, y);
    }
}

void TForm::MouseUp(TMouseButton button, TShiftState shift, float x, float y) {
    TControl* target = fCaptured ? fCaptured : ObjectAtPoint({x, y});
    fCaptured = nullptr;
    if (target) {
        const TPointF local = target->AbsoluteToLocal({x, y});
        target->MouseUp(button, shift, local.X, local.Y);
        // A click is a press and a release on the same control.
        if (button == TMouseButton::Left && target->LocalRect().Contains(local) && ObjectAtPoint({x, y}) == target)
            target->Click();
    } else if (OnMouseUp) {
        OnMouseUp(this, button, shift, x, y);
    }
}

void TForm::MouseWheel(TShiftState shift, float delta, float x, float y) {
    bool handled = false;
    for (TControl* c = ObjectAtPoint({x, y}); c && !handled; c = dynamic_cast<TControl*>(c->Parent()))
        c->MouseWheel(shift, static_cast<int>(delta * 120), handled);
}

void TForm::KeyDown(uint16_t& key, char32_t& keyChar, TShiftState shift) {
    if (OnKeyDown) OnKeyDown(this, key, keyChar, shift);
}

void TForm::KeyUp(uint16_t& key, char32_t& keyChar, TShiftState shift) {
    if (OnKeyUp) OnKeyUp(this, key, keyChar, shift);
}

void TForm::Gesture(const TGestureEventInfo& info) {
    if (info.GestureID < igiZoom || info.GestureID > igiDoubleTap) return;
    const auto kind = static_cast<TInteractiveGesture>(info.GestureID - igiZoom);
    bool handled = false;
    for (TControl* c = ObjectAtPoint(info.Location); c && !handled; c = dynamic_cast<TControl*>(c->Parent()))
        if (c->Touch.InteractiveGestures.Contains(kind)) c->Gesture(info, handled);
}

}  // namespace Ui
