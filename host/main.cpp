// Tilefall's entry point: the framework draws through Skia on OpenGL, the main form is recorded
// and the message loop runs until the window closes.
#include <cstdio>
#include <exception>
#include <string>

#include "MainForm.h"
#include "TestHooks.h"
#include "ShaderFile.h"
#include "UI/Graphics/CanvasExceptions.h"
#include "UI/Graphics/Switches.h"
#include "ui/Forms.h"
#include "ui/Sdl.h"

namespace {

std::string MessageOf(std::exception_ptr exception) {
    try {
        std::rethrow_exception(exception);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unknown error";
    }
}

}  // namespace

int main() {
    Host::TTestHooks hooks;
    try {
        hooks = Host::TTestHooks::FromEnvironment();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "Tilefall: %s\n", e.what());
        return 1;
    }

    Skia::UI::GlobalUseSkia = true;
    Skia::UI::GlobalUseSkiaRaster = hooks.RasterCanvas;
    Ui::Sdl::Use();

    Ui::TApplication application;
    application.Title = "Tilefall";
    int status = 0;
    // A frame that raises is reported and the next paint tries again; the same failure frame
    // after frame is shown once, not as one dialog after another. A window canvas that cannot
    // be made (no OpenGL) ends the program.
    std::string lastReported;
    application.OnException = [&](Ui::TObject*, std::exception_ptr exception) {
        const std::string message = MessageOf(exception);
        bool fatal = false;
        try {
            std::rethrow_exception(exception);
        } catch (const Skia::UI::EGrCanvas&) {
            fatal = true;
        } catch (...) {
        }
        if (fatal) {
            application.ShowException(
                std::make_exception_ptr(Ui::Exception("The game cannot draw its window with OpenGL: " + message)));
            status = 1;
            application.Terminate();
            return;
        }
        if (message != lastReported) application.ShowException(exception);
        lastReported = message;
    };

    try {
        application.Initialize();
        Host::TfrmMain* frmMain = nullptr;
        application.CreateForm(
            [&hooks](Ui::TComponent* owner) -> Ui::TForm* {
                auto* form = new Host::TfrmMain(owner);
                if (hooks.Any()) hooks.Install(*form);
                return form;
            },
            [&frmMain](Ui::TForm* form) {
                frmMain = static_cast<Host::TfrmMain*>(form);
                // A shader that lacks what the frames set would fail every frame: refuse it now.
                Host::CheckShaderProtocol(*frmMain);
            });
        application.FormFactor.Orientations = {Ui::TFormOrientation::Landscape, Ui::TFormOrientation::InvertedLandscape};
        application.Run();
    } catch (...) {
        // Start-up failed (no display, a missing or broken shader file): nothing was shown.
        application.ShowException(std::current_exception());
        return 1;
    }
    return status;
}
