// The SDL2 back end (library ui_sdl): real windows, the SDL event loop, window surfaces for
// CPU canvases and native X11 or Wayland windows for EGL.
#pragma once

#include <cstdint>

#include "ui/Platform.h"

namespace Ui::Sdl {

const TPlatformBackend& Backend();
// Makes SDL the back end of the framework (before the first window).
void Use();
// The Windows virtual-key code of an SDL key code (SDL_Keycode); 0 for keys without one.
uint16_t VirtualKeyOf(int32_t sdlKeycode);
// The SDL window id of a window of this back end (for scripting input with SDL_PushEvent).
uint32_t WindowId(const TPlatformWindow* window);

}  // namespace Ui::Sdl
