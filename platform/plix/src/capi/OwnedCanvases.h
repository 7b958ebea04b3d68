// Canvases handed to the caller to own (SVG writing canvases and the like). plix_canvas_destroy
// frees only canvases registered here, so a canvas that belongs to a surface or a recorder is
// never freed by mistake and a second destroy of the same handle does nothing.
#pragma once

#include <functional>

#include "plix/plix_types.h"

namespace plix {
class Canvas;
}

namespace plix::capi {

// Registers canvas as the caller's; destroy runs once, at plix_canvas_destroy (it deletes the
// canvas and finishes whatever the canvas writes). Returns the handle, or 0 when canvas is null.
plix_handle adoptCallerCanvas(Canvas* canvas, std::function<void()> destroy);
// Runs and forgets the destroy of a registered canvas; false when the handle is not one.
bool destroyCallerCanvas(plix_handle handle);

}  // namespace plix::capi
