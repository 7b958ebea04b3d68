// Runtime effects as the engine's shaders, colour filters, blenders and images: a compiled SkSL
// program with a snapshot of its uniform block and its children, run on the pipeline's pixel
// batches.
#pragma once

#include <vector>

#include "canvas/Surface.h"
#include "core/Image.h"
#include "raster/Shader.h"
#include "sksl/Effect.h"

namespace plix {

// The value set for one child slot: a Shader, ColorFilter or Blender matching the slot's kind,
// or null (unset).
using RuntimeChildren = std::vector<sp<RefCnt>>;

// Checks children against the effect's child slots: false when the count or a kind differs.
bool CheckRuntimeChildren(const sksl::Effect& effect, const RuntimeChildren& children);

// The effect as a shader evaluated in its local space (local: an extra matrix from that space to
// the shader's space, or null). uniforms: effect.reflection().uniformSize bytes, copied (null:
// zeros). Null when the effect is not a shader program or the children do not fit.
sp<Shader> MakeRuntimeShader(sp<sksl::Effect> effect, const void* uniforms, RuntimeChildren children,
                             const Matrix* local = nullptr);

// The effect as a colour filter; null unless it is a colour-filter program.
sp<ColorFilter> MakeRuntimeColorFilter(sp<sksl::Effect> effect, const void* uniforms, RuntimeChildren children);

// The effect as a blender: the source is the paint's shaded colour, the destination the pixels
// drawn on; null unless it is a blender program.
sp<Blender> MakeRuntimeBlender(sp<sksl::Effect> effect, const void* uniforms, RuntimeChildren children);

// The shader effect rendered into a new raster image of the given description.
sp<Image> MakeRuntimeImage(sp<sksl::Effect> effect, const void* uniforms, RuntimeChildren children,
                           const Matrix* local, const ImageInfo& info);

}  // namespace plix
