// Tilefall's entry point: the framework draws through Skia on OpenGL, the main form is recorded
// and the message loop runs until the window closes.
#include <cstdio>
#include <exception>
#include <string>

#include "MainForm.h"
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
    Skia::UI::GlobalUseSkia = true;
    Skia::UI::GlobalUseSkiaRaster = false;
    Ui::Sdl::Use();

    Ui::TApplication application;
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
        if (message != lastReported || fatal) application.ShowException(exception);
        lastReported = message;
        if (fatal) {
            status = 1;
            application.Terminate();
        }
    };

    try {
        application.Initialize();
        Host::TfrmMain* frmMain = nullptr;
        application.CreateForm(frmMain);
        application.FormFactor.Orientations = {Ui::TFormOrientation::Landscape, Ui::TFormOrientation::InvertedLandscape};
        application.Run();
    } catch (...) {
        // Start-up failed (no display, a missing or broken shader file): nothing was shown.
        application.ShowException(std::current_exception());
        return 1;
    }
    return status;
}
