#include "Render.h"

#include <string>

#include "WholeFile.h"

namespace skslrender {

namespace {

constexpr int32_t kRGBA8888 = 4, kPremul = 2, kUnpremul = 3, kPng = 4;
constexpr int32_t kSrcRectStrict = 0;
constexpr uint32_t kBlenderSourceColor = 0xB23399CC;  // ARGB: (51, 153, 204) at alpha 178

// A paint, destroyed with its scope.
struct Paint {
    plix_handle h = plix_paint_create();
    ~Paint() { plix_paint_destroy(h); }
};

// Draws the whole image over the whole canvas with nearest sampling.
void DrawScaled(plix_handle canvas, plix_handle image, int width, int height, plix_handle paint) {
    const plix_rect src{0, 0, float(plix_image_get_width(image)), float(plix_image_get_height(image))};
    const plix_rect dst{0, 0, float(width), float(height)};
    const plix_sampling_options nearest{0, false, {0, 0}, 0, 0};
    plix_canvas_draw_image_rect(canvas, image, &src, &dst, &nearest, paint, kSrcRectStrict);
}

}  // namespace

void RenderToPng(plix_handle effect, const Options& o, const std::vector<uint32_t>& uniforms,
                 const std::vector<Handle>& children) {
    std::vector<plix_handle> childHandles;
    for (const Handle& c : children) childHandles.push_back(c.get());
    const plix_handle* kids = childHandles.empty() ? nullptr : childHandles.data();

    const plix_handle srgb = plix_colorspace_make_srgb();
    struct ColorSpaceRef {
        plix_handle h;
        ~ColorSpaceRef() { if (h) plix_colorspace_unref(h); }
    } srgbRef{srgb};
    const plix_imageinfo info{o.width, o.height, kRGBA8888, kPremul, srgb};
    Handle surface(plix_surface_make_raster(&info, 0, nullptr));
    if (!surface) throw RenderError("cannot make a " + std::to_string(o.width) + "x" + std::to_string(o.height) + " surface");
    const plix_handle canvas = plix_surface_get_canvas(surface.get());
    plix_canvas_clear(canvas, 0);

    Paint paint;
    if (o.kind == Kind::Shader) {
        Handle shader(plix_runtimeeffect_make_shader(effect, uniforms.data(), kids, nullptr));
        if (!shader) throw RenderError("the engine cannot make a shader of the program");
        plix_paint_set_shader(paint.h, shader.get());
        plix_canvas_draw_paint(canvas, paint.h);
    } else {
        Handle input = ReadImage(o.input, "the input image");
        if (o.kind == Kind::ColorFilter) {
            Handle filter(plix_runtimeeffect_make_color_filter(effect, uniforms.data(), kids));
            if (!filter) throw RenderError("the engine cannot make a colour filter of the program");
            plix_paint_set_color_filter(paint.h, filter.get());
            DrawScaled(canvas, input.get(), o.width, o.height, paint.h);
        } else {
            DrawScaled(canvas, input.get(), o.width, o.height, 0);
            Handle blender(plix_runtimeeffect_make_blender(effect, uniforms.data(), kids));
            if (!blender) throw RenderError("the engine cannot make a blender of the program");
            plix_paint_set_color(paint.h, kBlenderSourceColor);
            plix_paint_set_blender(paint.h, blender.get());
            const plix_rect all{0, 0, float(o.width), float(o.height)};
            plix_canvas_draw_rect(canvas, &all, paint.h);
        }
    }

    std::vector<uint8_t> pixels(size_t(o.width) * size_t(o.height) * 4);
    const plix_imageinfo outInfo{o.width, o.height, kRGBA8888, kUnpremul, srgb};
    const plix_handle pixmap = plix_pixmap_create(&outInfo, pixels.data(), size_t(o.width) * 4);
    const bool read = pixmap && plix_surface_read_pixels(surface.get(), pixmap, 0, 0);
    std::string reason;
    const bool written = read && tools::WriteWholeFile(o.output, [&](const std::string& partial) {
        return plix_imageencoder_encode_to_file(partial.c_str(), pixmap, kPng, 100);
    }, &reason);
    if (pixmap) plix_pixmap_destroy(pixmap);
    if (!read) throw RenderError("cannot read the rendered pixels back");
    if (!written) throw RenderError("cannot write " + o.output + (reason.empty() ? "" : ": " + reason));
}

}  // namespace skslrender
