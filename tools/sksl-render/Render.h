// Drawing the program on a CPU surface and writing the picture.
#pragma once

#include <cstdint>
#include <vector>

#include "Effect.h"
#include "Options.h"

namespace skslrender {

// Renders on an sRGB surface of the options' size, cleared to transparent black: a shader fills
// it; a colour filter filters the input picture drawn scaled to the size (nearest pixels); a
// blender blends a rectangle of (51, 153, 204, 178) over that picture. Writes the result to
// options.output as an RGBA 8-bit unpremultiplied PNG. Throws RenderError.
void RenderToPng(plix_handle effect, const Options& options, const std::vector<uint32_t>& uniforms,
                 const std::vector<Handle>& children);

}  // namespace skslrender
