#include "UI/Graphics/Switches.h"

#include "UI/Graphics/CanvasService.h"

namespace Skia::UI {

bool GlobalUseSkia = false;
bool GlobalUseSkiaRaster = true;
bool GlobalKeepFrameworkImageCodecs = false;

namespace {

// Start-up of the Skia canvas: a program that sets the switches has the canvas service in place
// before its main block runs.
struct TStartUp {
    TStartUp() { InstallCanvasService(); }
} gStartUp;

}  // namespace

}  // namespace Skia::UI
