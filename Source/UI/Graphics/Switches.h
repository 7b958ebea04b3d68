// The canvas switches: whether and how the framework draws through Skia. The canvas service reads
// them each time the framework registers its canvas classes, so they are set before the
// application initializes (a later change waits for the next registration). Main thread only.
#pragma once

namespace Skia::UI {

// A Skia canvas class becomes the framework's default canvas (initially false: the framework
// keeps its own canvases).
extern bool GlobalUseSkia;
// With GlobalUseSkia: the CPU canvas TSkRasterCanvas when true (initially), else the OpenGL
// canvas TGlCanvas.
extern bool GlobalUseSkiaRaster;
// With GlobalUseSkia: leave ".jpg", ".jpeg" and ".png" to the framework's own codecs instead of
// the Skia bitmap codec (initially false).
extern bool GlobalKeepFrameworkImageCodecs;

}  // namespace Skia::UI
