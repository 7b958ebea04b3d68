// How something is drawn: colour, shader, filters, blending, style and stroke settings.
#pragma once

#include <array>

#include "core/BlendMode.h"
#include "core/RefCnt.h"
#include "geometry/Stroker.h"
#include "raster/Shader.h"

namespace plix {

class PathEffect;
class MaskFilter;
class ImageFilter;

enum class PaintStyle : int32_t { Fill, Stroke, StrokeAndFill };

struct Paint {
    std::array<float, 4> color{0, 0, 0, 1};  // unpremultiplied sRGB
    sp<Shader> shader;
    sp<ColorFilter> colorFilter;
    sp<Blender> blender;  // null: SrcOver
    sp<RefCnt> pathEffect, maskFilter, imageFilter;  // kinds defined by their modules
    PaintStyle style = PaintStyle::Fill;
    float strokeWidth = 0;
    float strokeMiter = 4;
    StrokeCap cap = StrokeCap::Butt;
    StrokeJoin join = StrokeJoin::Miter;
    bool antiAlias = false;
    bool dither = false;

    float alpha() const { return color[3]; }
    void setAlpha(float a) { color[3] = a; }
    // 0xAARRGGBB
    void setColor(uint32_t argb) {
        color = {((argb >> 16) & 255) / 255.0f, ((argb >> 8) & 255) / 255.0f, (argb & 255) / 255.0f,
                 (argb >> 24) / 255.0f};
    }
    uint32_t colorARGB() const;
    // The blend mode when the blender is one (SrcOver without a blender); false otherwise.
    bool asBlendMode(BlendMode* m) const {
        if (!blender) { *m = BlendMode::SrcOver; return true; }
        return blender->asBlendMode(m);
    }
    void setBlendMode(BlendMode m) { blender = m == BlendMode::SrcOver ? nullptr : make_sp<ModeBlender>(m); }
};

inline uint32_t Paint::colorARGB() const {
    auto byte = [](float v) { return uint32_t((v > 0 ? (v < 1 ? v : 1.0f) : 0.0f) * 255 + 0.5f); };
    return byte(color[3]) << 24 | byte(color[0]) << 16 | byte(color[1]) << 8 | byte(color[2]);
}

}  // namespace plix
