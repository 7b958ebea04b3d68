#include <algorithm>
#include <cstdio>

#include "Internal.h"
#include "ui/Forms.h"
#include "ui/Messaging.h"
#include "ui/Threading.h"
#include "ui/Window.h"

namespace Ui {

namespace {

TApplication* gCurrent = nullptr;

std::string MessageOf(std::exception_ptr exception) {
    try {
        std::rethrow_exception(exception);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unknown exception";
    }
}

}  // namespace

TApplication& Application() {
    if (!gCurrent) {
        // Lives until the program ends; its forms are destroyed with it.
        static TApplication application;
    }
    return *gCurrent;
}

TApplication::TApplication() : TComponent(nullptr), fPrevious(gCurrent) { gCurrent = this; }

TApplication::~TApplication() {
    BeginDestruction();
    while (ComponentCount() > 0) Free(Components(ComponentCount() - 1));
    fReleased.clear();
    if (gCurrent == this) gCurrent = fPrevious;
    if (TForm::Forms().empty()) TPlatform::Finalize();
}

void TApplication::Initialize() { TPlatform::EnsureInitialized(); }

void TApplication::CreateForm(std::function<TForm*(TComponent*)> factory, std::function<void(TForm*)> assign) {
    if (!factory) throw EArgumentOutOfRange("CreateForm needs a form factory");
    if (fFormsCreated)
        MakeForm(factory, assign);
    else
        fRecorded.push_back({std::move(factory), std::move(assign)});
}

TForm* TApplication::MakeForm(const std::function<TForm*(TComponent*)>& factory,
                              const std::function<void(TForm*)>& assign) {
    TForm* form = factory(this);
    if (!form) throw EInvalidOperation("The form factory made no form");
    try {
        form->AfterConstruction();
    } catch (...) {
        Free(form);
        throw;
    }
    if (assign) assign(form);
    if (!fMainForm) SetMainForm(form);
    return form;
}

void TApplication::SetMainForm(TForm* form) {
    if (form == fMainForm) return;
    fMainForm = form;
    TMessageManager::DefaultManager().SendMessage(this, TMainFormChangedMessage(form));
}

void TApplication::Run() {
    fRunning = true;
    fTerminated = false;
    try {
        TPlatform::EnsureInitialized();
        if (!fFormsCreated) {
            fFormsCreated = true;
            auto recorded = std::move(fRecorded);
            fRecorded.clear();
            for (const TRecordedForm& r : recorded) MakeForm(r.Factory, r.Assign);
        }
        if (fMainForm) {
            fMainForm->Show();
            while (!fTerminated) HandleMessage();
        }
    } catch (...) {
        fRunning = false;
        throw;
    }
    fRunning = false;
}

void TApplication::Terminate() {
    fTerminated = true;
    if (TPlatform::Initialized()) TPlatform::Backend().WakeUp();
}

void TApplication::RunGuarded(TObject* sender, const std::function<void()>& work) {
    try {
        work();
    } catch (...) {
        HandleException(sender);
    }
}

void TApplication::HandleMessage() {
    TPlatform::EnsureInitialized();
    const TPlatformBackend& backend = TPlatform::Backend();
    int timeout = Internal::Timers().MillisecondsToNext(Internal::TTimerQueue::TClock::now());
    bool pending = !fReleased.empty();
    for (TForm* f : TForm::Forms()) pending = pending || (f->NeedsPaint() && f->Showing());
    if (pending) timeout = 0;
    // Woken early by events, other threads and Terminate; the cap only bounds a lost wake-up.
    if (timeout < 0 || timeout > 500) timeout = 500;
    TPlatformEvent event;
    if (backend.WaitEvent(event, timeout)) {
        DispatchEvent(event);
        for (int i = 0; i < 1024 && backend.WaitEvent(event, 0); ++i) DispatchEvent(event);
    }
    RunGuarded(nullptr, [] { TThread::CheckSynchronize(); });
    Internal::Timers().FireDue(Internal::TTimerQueue::TClock::now(), [this] { HandleException(nullptr); });
    PaintForms();
    ReleaseForms();
}

void TApplication::ProcessMessages() {
    TPlatform::EnsureInitialized();
    const TPlatformBackend& backend = TPlatform::Backend();
    TPlatformEvent event;
    for (int i = 0; i < 4096 && backend.WaitEvent(event, 0); ++i) DispatchEvent(event);
    RunGuarded(nullptr, [] { TThread::CheckSynchronize(); });
    Internal::Timers().FireDue(Internal::TTimerQueue::TClock::now(), [this] { HandleException(nullptr); });
    PaintForms();
    ReleaseForms();
}

void TApplication::PaintForms() {
    for (TForm* f : std::vector<TForm*>(TForm::Forms())) {
        // A form destroyed by an earlier paint's handler is not painted.
        const auto& alive = TForm::Forms();
        if (std::find(alive.begin(), alive.end(), f) == alive.end()) continue;
        if (f->NeedsPaint()) RunGuarded(f, [f] { f->PaintPending(); });
    }
}

void TApplication::ReleaseForms() {
    while (!fReleased.empty()) {
        TForm* f = fReleased.back();
        fReleased.pop_back();
        Free(f);
    }
}

void TApplication::DispatchEvent(const TPlatformEvent& e) {
    if (e.Kind == TPlatformEventKind::Quit) {
        Terminate();
        return;
    }
    TForm* form = TForm::FormOfWindow(e.Window);
    if (!form) return;  // a window that is gone
    RunGuarded(form, [&] {
        switch (e.Kind) {
            case TPlatformEventKind::KeyDown: {
                uint16_t key = e.Key;
                char32_t ch = 0;
                form->KeyDown(key, ch, e.Shift);
                break;
            }
            case TPlatformEventKind::Char: {
                uint16_t key = 0;
                char32_t ch = e.KeyChar;
                form->KeyDown(key, ch, e.Shift);
                break;
            }
            case TPlatformEventKind::KeyUp: {
                uint16_t key = e.Key;
                char32_t ch = 0;
                form->KeyUp(key, ch, e.Shift);
                break;
            }
            case TPlatformEventKind::MouseDown: form->MouseDown(e.Button, e.Shift, e.X, e.Y, e.Clicks); break;
            case TPlatformEventKind::MouseMove: form->MouseMove(e.Shift, e.X, e.Y); break;
            case TPlatformEventKind::MouseUp: form->MouseUp(e.Button, e.Shift, e.X, e.Y); break;
            case TPlatformEventKind::MouseWheel: form->MouseWheel(e.Shift, e.WheelDelta, e.X, e.Y); break;
            case TPlatformEventKind::Resized: form->WindowResized(e.Width, e.Height); break;
            case TPlatformEventKind::CloseRequest: form->Close(); break;
            case TPlatformEventKind::Exposed: form->Invalidate(); break;
            case TPlatformEventKind::Shown: form->WindowShownChanged(true); break;
            case TPlatformEventKind::Hidden: form->WindowShownChanged(false); break;
            case TPlatformEventKind::None:
            case TPlatformEventKind::Quit: break;
        }
    });
}

void TApplication::HandleException(TObject* sender) {
    const std::exception_ptr exception = std::current_exception();
    if (!exception) return;
    try {
        std::rethrow_exception(exception);
    } catch (const EAbort&) {
        return;  // the silent abort
    } catch (...) {
    }
    try {
        if (OnException)
            OnException(sender, exception);
        else
            ShowException(exception);
    } catch (...) {
        // A failing report must not take the loop down.
        std::fprintf(stderr, "%s: %s\n", Title.c_str(), MessageOf(std::current_exception()).c_str());
    }
}

void TApplication::ShowException(std::exception_ptr exception) {
    const std::string message = MessageOf(exception);
    std::fprintf(stderr, "%s: %s\n", Title.c_str(), message.c_str());
    std::fflush(stderr);
    if (TPlatform::Initialized()) TPlatform::Backend().ShowErrorDialog(Title, message);
}

}  // namespace Ui
