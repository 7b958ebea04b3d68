#include "X11ErrorTrap.h"

#include <X11/Xlib.h>

namespace Ui::Sdl {

namespace {

// One trap at a time, on the thread that runs the windows.
XErrorHandler gPrevious = nullptr;
bool gCaught = false;
XErrorEvent gFirst{};

int KeepError(Display*, XErrorEvent* error) {
    // Only plain data here: an error handler must not send requests.
    if (!gCaught) gFirst = *error;
    gCaught = true;
    return 0;
}

}  // namespace

TX11ErrorTrap::TX11ErrorTrap() {
    gCaught = false;
    gFirst = {};
    gPrevious = XSetErrorHandler(KeepError);
}

TX11ErrorTrap::~TX11ErrorTrap() { XSetErrorHandler(gPrevious); }

void TX11ErrorTrap::Sync(void* ADisplay) {
    if (ADisplay) XSync(static_cast<Display*>(ADisplay), False);
}

bool TX11ErrorTrap::Caught() const { return gCaught; }

std::string TX11ErrorTrap::Message() const {
    if (!gCaught) return {};
    char text[256] = "";
    if (gFirst.display) XGetErrorText(gFirst.display, gFirst.error_code, text, sizeof text);
    std::string message = *text ? text : "X error " + std::to_string(gFirst.error_code);
    return message + ", request " + std::to_string(gFirst.request_code) + "." + std::to_string(gFirst.minor_code);
}

}  // namespace Ui::Sdl
