// Forms and the application object.
//
// A TForm is a top-level window: the root and the scene of the controls it holds. Forms are
// built in code: a form class makes its child controls in its constructor, and OnCreate is
// raised once the whole object exists (AfterConstruction), as a form loaded from a stored
// description would. The window itself is made when the form is first shown.
//
// TApplication records forms to create, runs the message loop over the platform back end,
// fires timers, paints what was invalidated and reports exceptions that reach the loop.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/Brush.h"
#include "ui/Canvas.h"
#include "ui/Controls.h"
#include "ui/Platform.h"

namespace Ui {

class TWindowHandle;
class TApplication;

enum class TFormPosition {
    Designed, Default, DefaultPosOnly, DefaultSizeOnly, ScreenCenter, DesktopCenter, MainFormCenter, OwnerFormCenter
};
enum class TCloseAction { None, Hide, Free, Minimize };
enum class TFormOrientation { Portrait, Landscape, InvertedPortrait, InvertedLandscape };
using TFormOrientations = TSet<TFormOrientation>;
enum class TDeviceKind { Desktop, iPhone, iPad };
using TDeviceKinds = TSet<TDeviceKind>;
enum class TStatusBarVisibility { Visible, Invisible, VisibleAndOverlap };

struct TFormFactor {
    float Width = 320, Height = 480;
    TDeviceKinds Devices;
};

struct TSystemStatusBar {
    TStatusBarVisibility Visibility = TStatusBarVisibility::Visible;
    TAlphaColor BackgroundColor = TAlphaColors::Null;
};

using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;
using TCloseQueryEvent = std::function<void(TObject* sender, bool& canClose)>;

class TForm : public TFmxObject, public IRoot, public IScene {
public:
    explicit TForm(TComponent* owner);
    ~TForm() override;

    // Raises OnCreate.
    void AfterConstruction() override;
    // Raises OnDestroy while the whole form is still alive.
    void BeforeDestruction() override;

    const std::string& Caption() const { return fCaption; }
    void SetCaption(const std::string& caption);
    int ClientWidth() const { return fClientWidth; }
    int ClientHeight() const { return fClientHeight; }
    void SetClientWidth(int width) { SetClientSize(width, fClientHeight); }
    void SetClientHeight(int height) { SetClientSize(fClientWidth, height); }
    // Negative sizes count as 0; sizes above 16384 are cut to it.
    void SetClientSize(int width, int height);
    TRectF ClientRect() const { return {0, 0, static_cast<float>(fClientWidth), static_cast<float>(fClientHeight)}; }
    int Left() const { return fLeft; }
    int Top() const { return fTop; }
    void SetLeft(int left) { fLeft = left; }
    void SetTop(int top) { fTop = top; }
    TFormPosition Position() const { return fPosition; }
    void SetPosition(TFormPosition position) { fPosition = position; }
    const TBounds& Padding() const { return fPadding; }
    void SetPadding(const TBounds& padding);
    TCanvasQuality Quality() const { return fQuality; }
    void SetQuality(TCanvasQuality quality) { fQuality = quality; }
    // The background: a solid fill clears the window before the controls paint.
    TBrush Fill{TBrushKind::Solid, TAlphaColors::White};
    TFormFactor FormFactor;
    TSystemStatusBar SystemStatusBar;

    // Visible: shown by the program (Show, Hide). Showing: visible and not minimised or hidden by
    // the window system either; only a showing form paints, and its controls see it visible
    // (their visibility notification) only while it is showing.
    bool Visible() const { return fVisible; }
    bool Showing() const { return fVisible && !fWindowHidden; }
    void Show();
    void Hide();
    // Asks OnCloseQuery, then OnClose decides: Hide (the default) hides, Free destroys the form
    // later, Minimize hides, None keeps it. Closing the main form ends the application.
    void Close();
    // Destroys the form once the current event has been handled.
    void Release();

    TWindowHandle* Handle() const { return fHandle.get(); }
    bool HandleAllocated() const { return fHandle != nullptr; }
    // The window canvas, made on first need; nullptr while the form has no window.
    TCanvas* Canvas();

    // Painting: invalidated rectangles gather until the loop paints them.
    void Invalidate();
    void InvalidateRect(const TRectF& r);
    bool NeedsPaint() const { return fUpdateRect.has_value(); }
    // Paints what was invalidated now: a scene on the window canvas, the background, the
    // controls, OnPaint. An exception leaves the form painted as far as it got.
    void PaintPending();

    // Input in client coordinates; the application routes back-end events here.
    void MouseDown(TMouseButton button, TShiftState shift, float x, float y, int clicks = 1);
    void MouseMove(TShiftState shift, float x, float y);
    void MouseUp(TMouseButton button, TShiftState shift, float x, float y);
    void MouseWheel(TShiftState shift, float delta, float x, float y);
    void KeyDown(uint16_t& key, char32_t& keyChar, TShiftState shift);
    void KeyUp(uint16_t& key, char32_t& keyChar, TShiftState shift);
    // Offers a gesture to the control under its location that takes it (Touch), then to
    // that control's parents until one handles it.
    void Gesture(const TGestureEventInfo& info);
    // The window's client area became width x height.
    void WindowResized(int width, int height);
    // The window system hid the window (minimised or unmapped it) or showed it again.
    void WindowShownChanged(bool shown);

    // The topmost control under a client point that takes the mouse, or nullptr.
    TControl* ObjectAtPoint(TPointF p);

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TNotifyEvent OnResize;
    TOnPaintEvent OnPaint;

    // IRoot and IScene.
    TFmxObject* GetObject() override { return this; }
    TCanvas* GetCanvas() override { return Canvas(); }
    float GetSceneScale() override;
    void AddUpdateRect(const TRectF& r) override { InvalidateRect(r); }

    void Realign() override;
    void ControlRemoved(TControl* control) override;

    // Every form alive, in creation order.
    static const std::vector<TForm*>& Forms();
    static TForm* FormOfWindow(TPlatformWindow* window);

protected:
    IRoot* OwnRoot() override { return this; }
    void ChildrenChanged() override { Realign(); }
    // Makes the window (and raises EPlatformError when it cannot).
    virtual void CreateHandle();
    void DestroyHandle();

private:
    // Tells the controls when Showing changed since they were last told.
    void NotifyShowingChanged();

    std::string fCaption;
    int fClientWidth = 640, fClientHeight = 480;
    int fLeft = 0, fTop = 0;
    TFormPosition fPosition = TFormPosition::Designed;
    TBounds fPadding;
    TCanvasQuality fQuality = TCanvasQuality::SystemDefault;
    bool fVisible = false;
    bool fWindowHidden = false;     // minimised or unmapped by the window system
    bool fChildrenSeeShown = false; // what the controls were last told
    bool fDestroyRaised = false;
    std::unique_ptr<TWindowHandle> fHandle;
    std::unique_ptr<TCanvas> fCanvas;
    std::optional<TRectF> fUpdateRect;
    TControl* fCaptured = nullptr;  // the control that took the last mouse press
};

using TExceptionEvent = std::function<void(TObject* sender, std::exception_ptr exception)>;

struct TApplicationFormFactor {
    TFormOrientations Orientations{TFormOrientation::Portrait, TFormOrientation::Landscape,
                                   TFormOrientation::InvertedPortrait, TFormOrientation::InvertedLandscape};
};

class TApplication : public TComponent {
public:
    // The newest application is the current one (Application()) until it is destroyed.
    TApplication();
    ~TApplication() override;

    // Starts the platform back end.
    void Initialize();
    // Records a form class to be made by Run, in order, into reference; once Run has made
    // the recorded forms, the form is made at once.
    template <class T>
    void CreateForm(T*& reference) {
        CreateForm([](TComponent* owner) -> TForm* { return new T(owner); },
                   [&reference](TForm* form) { reference = static_cast<T*>(form); });
    }
    void CreateForm(std::function<TForm*(TComponent* owner)> factory, std::function<void(TForm*)> assign = {});

    TForm* MainForm() const { return fMainForm; }
    // Sends TMainFormChangedMessage when it changes.
    void SetMainForm(TForm* form);

    // Makes the recorded forms (an exception there leaves Run), shows the main form and
    // handles messages until Terminate.
    void Run();
    void Terminate();
    bool Terminated() const { return fTerminated; }
    bool Running() const { return fRunning; }
    // Handles what is pending without waiting.
    void ProcessMessages();
    // Waits for something to do (up to the next timer), then handles what is pending.
    void HandleMessage();

    // Reports the exception being handled (call it from a catch block): OnException when
    // set, else ShowException; EAbort is dropped silently.
    void HandleException(TObject* sender);
    // The default report: the message on stderr and in the back end's error dialog.
    void ShowException(std::exception_ptr exception);
    TExceptionEvent OnException;

    std::string Title = "Application";
    TApplicationFormFactor FormFactor;

private:
    void DispatchEvent(const TPlatformEvent& event);
    void RunGuarded(TObject* sender, const std::function<void()>& work);
    void PaintForms();
    void ReleaseForms();
    TForm* MakeForm(const std::function<TForm*(TComponent*)>& factory, const std::function<void(TForm*)>& assign);

    struct TRecordedForm {
        std::function<TForm*(TComponent*)> Factory;
        std::function<void(TForm*)> Assign;
    };
    std::vector<TRecordedForm> fRecorded;
    TForm* fMainForm = nullptr;
    bool fTerminated = false;
    bool fRunning = false;
    bool fFormsCreated = false;

    friend class TForm;
    std::vector<TForm*> fReleased;
    TApplication* fPrevious;
};

// The current application; one is made on first use when none exists.
TApplication& Application();

// Makes a form of class T outside the application's records, raising its OnCreate.
template <class T, class... A>
T* CreateForm(TComponent* owner, A&&... args) {
    auto* form = new T(owner, std::forward<A>(args)...);
    try {
        form->AfterConstruction();
    } catch (...) {
        Free(form);
        throw;
    }
    return form;
}

}  // namespace Ui
