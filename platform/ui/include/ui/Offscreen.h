// The offscreen back end: windows are pixel buffers in memory and events come from a queue
// that tests fill. It is the back end in use unless another is chosen, so forms can run
// without a display.
#pragma once

#include <string>
#include <vector>

#include "ui/Platform.h"

namespace Ui::Offscreen {

const TPlatformBackend& Backend();

struct TWindowInfo {
    std::string Caption;
    int ClientWidth = 0, ClientHeight = 0;  // logical units
    float Scale = 1;
    bool Visible = false;
    bool Centered = false;
    bool OpenGL = false;
    int PresentCount = 0;  // frames presented so far
};

// Windows alive, in creation order.
std::vector<TPlatformWindow*> Windows();
TWindowInfo Info(TPlatformWindow* window);
// A presented pixel as 0xAARRGGBB (premultiplied); 0 outside the window.
uint32_t Pixel(TPlatformWindow* window, int x, int y);

// Queues an event as if the user had caused it.
void PostEvent(const TPlatformEvent& event);
// Resizes the window as a user would: the size changes and a Resized event is queued.
void ResizeByUser(TPlatformWindow* window, int width, int height);
// Scale of windows made from now on (device pixels per logical unit).
void SetScale(float scale);

// Messages shown by ShowErrorDialog, oldest first.
std::vector<std::string> ErrorDialogs();
void ClearErrorDialogs();

}  // namespace Ui::Offscreen
