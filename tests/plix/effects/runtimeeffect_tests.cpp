#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "capi/Handles.h"
#include "core/String.h"
#include "plix/plix.h"
#include "raster/ParallelBlit.h"

namespace {

// Owns one reference of a handle for the test's duration.
struct Held {
    plix_handle h;
    ~Held() { if (h) plix_refcnt_unref(h); }
};

plix_imageinfo Info(int w, int h, int colorType) { return {w, h, colorType, /*premul*/ 2, 0}; }
constexpr int RGBA8888 = 4, RGBAF16Clamped = 13;

std::vector<uint8_t> Pixels(plix_handle image, int w, int h) {
    std::vector<uint8_t> px(size_t(w * h * 4));
    const plix_imageinfo info = Info(w, h, RGBA8888);
    const plix_handle pixmap = plix_pixmap_create(&info, px.data(), size_t(w * 4));
    EXPECT_TRUE(plix_image_read_pixels(image, 0, pixmap, 0, 0, 0));
    plix_pixmap_destroy(pixmap);
    return px;
}

TEST(RuntimeEffect, CompilesReflectsAndRendersAnImage) {
    const char* sksl =
        "uniform float2 iResolution; uniform int iFrame; uniform float3 tint;\n"
        "half4 main(float2 p) { return half4(tint * (p.x < iResolution.x / 2 ? 1 : 0.5), 1); }";
    Held effect{plix_runtimeeffect_make_for_shader(sksl, 0)};
    ASSERT_NE(effect.h, 0u);
    ASSERT_EQ(plix_runtimeeffect_get_uniform_count(effect.h), 3);
    EXPECT_EQ(plix_runtimeeffect_get_uniform_data_size(effect.h), 24u);
    EXPECT_EQ(plix_runtimeeffect_index_of_uniform(effect.h, "tint"), 2);
    EXPECT_EQ(plix_runtimeeffect_index_of_uniform(effect.h, "absent"), -1);
    EXPECT_EQ(plix_runtimeeffect_get_uniform_offset(effect.h, 2), 12u);
    EXPECT_EQ(plix_runtimeeffect_get_uniform_type(effect.h, 1), 7);  // Int
    EXPECT_STREQ(plix_runtimeeffect_get_uniform_name(effect.h, 0), "iResolution");

    float uniforms[6] = {4, 2, 0, 1, 0.5f, 0};  // resolution 4 x 2, frame 0 (bits), tint (1, .5, 0)
    std::memset(&uniforms[2], 0, 4);
    const plix_imageinfo info = Info(4, 2, RGBA8888);
    Held image{plix_runtimeeffect_make_image(effect.h, 0, uniforms, nullptr, nullptr, &info, false)};
    ASSERT_NE(image.h, 0u);
    const auto px = Pixels(image.h, 4, 2);
    EXPECT_EQ(px[0], 255);       // left half: the tint
    EXPECT_NEAR(px[1], 128, 1);
    EXPECT_EQ(px[3], 255);
    EXPECT_NEAR(px[3 * 4 + 0], 128, 1);  // right half: half the tint
}

TEST(RuntimeEffect, ACompileErrorComesBackAsTextAndNoEffect) {
    const plix_handle text = plix_string_create();
    EXPECT_EQ(plix_runtimeeffect_make_for_shader("half4 main(float2 p) { return nope; }", text), 0u);
    EXPECT_NE(std::string(plix_string_get_text(text)).find("nope"), std::string::npos);
    EXPECT_EQ(plix_runtimeeffect_make_for_shader(nullptr, text), 0u);
    const plix_handle ok = plix_runtimeeffect_make_for_shader("half4 main(float2 p) { return half4(1); }", text);
    EXPECT_NE(ok, 0u);
    EXPECT_STREQ(plix_string_get_text(text), "");  // cleared on success
    plix_refcnt_unref(ok);
    plix_string_destroy(text);
}

TEST(RuntimeEffect, ChildShadersAreEvaluatedAtTheCoordinatesAskedAndUnsetOnesAreTransparent) {
    Held parent{plix_runtimeeffect_make_for_shader(
        "uniform shader s; half4 main(float2 p) { half4 c = s.eval(p * 2); return half4(c.r + 0.25, c.g, 0, 1); }", 0)};
    ASSERT_NE(parent.h, 0u);
    EXPECT_EQ(plix_runtimeeffect_get_child_count(parent.h), 1);
    EXPECT_EQ(plix_runtimeeffect_get_child_type(parent.h, 0), 0);
    EXPECT_EQ(plix_runtimeeffect_index_of_child(parent.h, "s"), 0);

    // The state image of the game: four half floats a pixel.
    const plix_imageinfo state = Info(14, 14, RGBAF16Clamped);
    const plix_handle none[1] = {0};
    Held first{plix_runtimeeffect_make_image(parent.h, 0, nullptr, none, nullptr, &state, false)};
    ASSERT_NE(first.h, 0u);
    EXPECT_NEAR(Pixels(first.h, 14, 14)[0], 64, 1);  // 0 + 0.25

    // A child whose red is its x coordinate / 16: the parent asks at twice its own position.
    Held childEffect{plix_runtimeeffect_make_for_shader("half4 main(float2 p) { return half4(p.x / 16, 0, 0, 1); }", 0)};
    Held child{plix_runtimeeffect_make_shader(childEffect.h, nullptr, nullptr, nullptr)};
    ASSERT_NE(child.h, 0u);
    const plix_handle children[1] = {child.h};
    Held second{plix_runtimeeffect_make_image(parent.h, 0, nullptr, children, nullptr, &state, false)};
    ASSERT_NE(second.h, 0u);
    const auto px = Pixels(second.h, 14, 14);
    EXPECT_NEAR(px[0], 255 * (0.25 + 1.0 / 16), 1);            // pixel 0: x = 0.5, asked at 1
    EXPECT_NEAR(px[2 * 4], 255 * (0.25 + 5.0 / 16), 1);        // pixel 2: x = 2.5, asked at 5
}

TEST(RuntimeEffect, MakersRefuseWhatDoesNotFit) {
    Held shaderEffect{plix_runtimeeffect_make_for_shader("half4 main(float2 p) { return half4(1); }", 0)};
    Held filterEffect{plix_runtimeeffect_make_for_color_filter("half4 main(half4 c) { return c.bgra; }", 0)};
    ASSERT_NE(shaderEffect.h, 0u);
    ASSERT_NE(filterEffect.h, 0u);
    EXPECT_EQ(plix_runtimeeffect_make_shader(filterEffect.h, nullptr, nullptr, nullptr), 0u);
    EXPECT_EQ(plix_runtimeeffect_make_color_filter(shaderEffect.h, nullptr, nullptr), 0u);
    Held filter{plix_runtimeeffect_make_color_filter(filterEffect.h, nullptr, nullptr)};
    EXPECT_NE(filter.h, 0u);
    EXPECT_EQ(plix_runtimeeffect_make_shader(0, nullptr, nullptr, nullptr), 0u);
    const plix_imageinfo bad = Info(-1, 4, RGBA8888);
    EXPECT_EQ(plix_runtimeeffect_make_image(shaderEffect.h, 0, nullptr, nullptr, nullptr, &bad, false), 0u);

    // A child of the wrong kind: a colour filter where a shader belongs.
    Held withChild{plix_runtimeeffect_make_for_shader("uniform shader s; half4 main(float2 p) { return s.eval(p); }", 0)};
    const plix_handle wrong[1] = {filter.h};
    EXPECT_EQ(plix_runtimeeffect_make_shader(withChild.h, nullptr, wrong, nullptr), 0u);
}

}  // namespace

namespace {

// A w x 1 RGBA8888 premultiplied surface over caller memory.
struct Strip {
    std::vector<uint8_t> px;
    plix_handle pixmap, surface;
    explicit Strip(int w) : px(size_t(w * 4)) {
        const plix_imageinfo info = Info(w, 1, RGBA8888);
        pixmap = plix_pixmap_create(&info, px.data(), size_t(w * 4));
        surface = plix_surface_make_raster_direct(pixmap, nullptr, nullptr, nullptr);
    }
    ~Strip() {
        plix_refcnt_unref(surface);
        plix_pixmap_destroy(pixmap);
    }
    plix_handle canvas() const { return plix_surface_get_canvas(surface); }
};

TEST(RuntimeBlender, APaintBlendsItsColourWithTheDestinationUnderCoverage) {
    Held effect{plix_runtimeeffect_make_for_blender(
        "uniform half k;\n"
        "half4 main(half4 src, half4 dst) { return half4(src.r, dst.g, mix(src.b, dst.b, k), 1); }", 0)};
    ASSERT_NE(effect.h, 0u);
    const float k = 0.5f;
    Held blender{plix_runtimeeffect_make_blender(effect.h, &k, nullptr)};
    ASSERT_NE(blender.h, 0u);

    Strip strip(4);
    plix_canvas_clear(strip.canvas(), 0xFFCC6633);  // (0.8, 0.4, 0.2, 1)
    const plix_handle paint = plix_paint_create();
    plix_paint_set_color(paint, 0xFF0000FF);  // (0, 0, 1, 1)
    plix_paint_set_antialias(paint, true);
    plix_paint_set_blender(paint, blender.h);
    const plix_rect rect{0, 0, 2.5f, 1};  // pixel 2 half covered, pixel 3 untouched
    plix_canvas_draw_rect(strip.canvas(), &rect, paint);
    plix_paint_destroy(paint);

    // Blend: (0, 0.4, (1 + 0.2) / 2, 1); half coverage: halfway between the blend and the destination.
    const uint8_t expected[4][4] = {{0, 102, 153, 255}, {0, 102, 153, 255}, {102, 102, 102, 255}, {204, 102, 51, 255}};
    for (int i = 0; i < 4; ++i)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(strip.px[size_t(i * 4 + c)], expected[i][c], 1) << i << " " << c;
}

// Every kind of draw that takes a paint runs its blender: each covers a strip of the
// destination with the source (0, 0, 1, 1) and must leave the same blend.
TEST(RuntimeBlender, EveryDrawOfAPaintBlendsThroughIt) {
    Held effect{plix_runtimeeffect_make_for_blender(
        "half4 main(half4 src, half4 dst) { return half4(src.r, dst.g, (src.b + dst.b) * 0.5, 1); }", 0)};
    Held blender{plix_runtimeeffect_make_blender(effect.h, nullptr, nullptr)};
    ASSERT_NE(blender.h, 0u);
    uint32_t blue[4] = {0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000};  // RGBA bytes (0, 0, 255, 255)
    const plix_imageinfo info4 = Info(4, 1, RGBA8888), info1 = Info(1, 1, RGBA8888);
    const plix_handle pixmap4 = plix_pixmap_create(&info4, blue, 16), pixmap1 = plix_pixmap_create(&info1, blue, 4);
    Held image4{plix_image_make_raster_copy(pixmap4)}, image1{plix_image_make_raster_copy(pixmap1)};
    plix_pixmap_destroy(pixmap4);
    plix_pixmap_destroy(pixmap1);
    const plix_handle path = plix_path_create2("M0 0 H4 V1 H0 Z");
    const plix_rect strip4{0, 0, 4, 1};

    const struct {
        const char* name;
        void (*draw)(plix_handle canvas, plix_handle paint, const void* data);
        const void* data;
    } draws[] = {
        {"paint", [](plix_handle c, plix_handle p, const void*) { plix_canvas_draw_paint(c, p); }, nullptr},
        {"rect", [](plix_handle c, plix_handle p, const void* r) { plix_canvas_draw_rect(c, static_cast<const plix_rect*>(r), p); }, &strip4},
        {"anti-aliased path", [](plix_handle c, plix_handle p, const void* path) {
             plix_paint_set_antialias(p, true);
             plix_canvas_draw_path(c, *static_cast<const plix_handle*>(path), p);
         }, &path},
        {"image", [](plix_handle c, plix_handle p, const void* img) {
             const plix_sampling_options s{0, false, {0, 0}, 0, 0};
             plix_canvas_draw_image(c, *static_cast<const plix_handle*>(img), 0, 0, &s, p);
         }, &image4.h},
        {"scaled image", [](plix_handle c, plix_handle p, const void* img) {
             const plix_sampling_options s{0, false, {0, 0}, 0, 0};
             const plix_rect src{0, 0, 1, 1}, dst{0, 0, 4, 1};
             plix_canvas_draw_image_rect(c, *static_cast<const plix_handle*>(img), &src, &dst, &s, p, 0);
         }, &image1.h},
        {"layer", [](plix_handle c, plix_handle p, const void*) {
             plix_canvas_save_layer(c, nullptr, p, 0, 0);
             plix_canvas_clear(c, 0xFF0000FF);  // opaque blue inside the layer
             plix_canvas_restore(c);  // the layer meets the destination through the blender
         }, nullptr},
    };
    for (const auto& d : draws) {
        Strip strip(4);
        plix_canvas_clear(strip.canvas(), 0xFFCC6633);  // (0.8, 0.4, 0.2, 1)
        const plix_handle paint = plix_paint_create();
        plix_paint_set_color(paint, 0xFF0000FF);
        plix_paint_set_blender(paint, blender.h);
        d.draw(strip.canvas(), paint, d.data);
        plix_paint_destroy(paint);
        for (int i = 0; i < 4; ++i) {
            const uint8_t* px = &strip.px[size_t(i * 4)];
            EXPECT_NEAR(px[0], 0, 1) << d.name << " pixel " << i;
            EXPECT_NEAR(px[1], 102, 1) << d.name << " pixel " << i;
            EXPECT_NEAR(px[2], 153, 1) << d.name << " pixel " << i;
            EXPECT_EQ(px[3], 255) << d.name << " pixel " << i;
        }
    }
    plix_path_destroy(path);
}

// A shader that blends two colours of its own through its blender child: each kind of child
// (none, a blend mode, a runtime blender, a runtime blender with a child of its own).
TEST(RuntimeBlender, BlenderChildrenOfShadersAndBlenders) {
    Held parent{plix_runtimeeffect_make_for_shader(
        "uniform blender b;\n"
        "half4 main(float2 p) { return b.eval(half4(0.25, 0.125, 0.5, 0.5), half4(0.5, 1, 0.25, 1)); }", 0)};
    Held swapEffect{plix_runtimeeffect_make_for_blender("half4 main(half4 s, half4 d) { return d.bgra; }", 0)};
    Held outerEffect{plix_runtimeeffect_make_for_blender(
        "uniform blender inner; half4 main(half4 s, half4 d) { return inner.eval(d, s) * 0.5; }", 0)};
    ASSERT_NE(parent.h, 0u);
    ASSERT_NE(swapEffect.h, 0u);
    ASSERT_NE(outerEffect.h, 0u);
    EXPECT_EQ(plix_runtimeeffect_get_child_type(parent.h, 0), 2);  // Blender

    Held modulate{plix_blender_make_mode(13)};
    Held swap{plix_runtimeeffect_make_blender(swapEffect.h, nullptr, nullptr)};
    const plix_handle inner[1] = {modulate.h};
    Held outer{plix_runtimeeffect_make_blender(outerEffect.h, nullptr, inner)};
    const plix_handle unset[1] = {0};
    Held outerUnset{plix_runtimeeffect_make_blender(outerEffect.h, nullptr, unset)};
    ASSERT_TRUE(modulate.h && swap.h && outer.h && outerUnset.h);

    const struct {
        const char* name;
        plix_handle child;
        float rgba[4];
    } cases[] = {
        {"unset: source over", 0, {0.5f, 0.625f, 0.625f, 1}},
        {"modulate", modulate.h, {0.125f, 0.125f, 0.125f, 0.5f}},
        {"runtime", swap.h, {0.25f, 1, 0.5f, 1}},
        {"runtime with a mode child", outer.h, {0.0625f, 0.0625f, 0.0625f, 0.25f}},
        {"runtime with an unset child", outerUnset.h, {0.25f, 0.5f, 0.125f, 0.5f}},  // (d over s) / 2
    };
    const plix_imageinfo info = Info(1, 1, RGBA8888);
    for (const auto& c : cases) {
        const plix_handle children[1] = {c.child};
        Held image{plix_runtimeeffect_make_image(parent.h, 0, nullptr, children, nullptr, &info, false)};
        ASSERT_NE(image.h, 0u) << c.name;
        const auto px = Pixels(image.h, 1, 1);
        for (int k = 0; k < 4; ++k) EXPECT_NEAR(px[size_t(k)], c.rgba[k] * 255, 1) << c.name << " channel " << k;
    }
}

TEST(RuntimeBlender, MakeBlenderRefusesWhatDoesNotFit) {
    Held shaderEffect{plix_runtimeeffect_make_for_shader("half4 main(float2 p) { return half4(1); }", 0)};
    Held blenderEffect{plix_runtimeeffect_make_for_blender("uniform blender b; half4 main(half4 s, half4 d) { return b.eval(s, d); }", 0)};
    Held shaderWithBlender{plix_runtimeeffect_make_for_shader("uniform blender b; half4 main(float2 p) { return b.eval(half4(1), half4(0)); }", 0)};
    ASSERT_TRUE(shaderEffect.h && blenderEffect.h && shaderWithBlender.h);
    Held shader{plix_runtimeeffect_make_shader(shaderEffect.h, nullptr, nullptr, nullptr)};
    Held mode{plix_blender_make_mode(13)};

    EXPECT_EQ(plix_runtimeeffect_make_blender(0, nullptr, nullptr), 0u);
    EXPECT_EQ(plix_runtimeeffect_make_blender(shaderEffect.h, nullptr, nullptr), 0u);  // not a blender program
    EXPECT_EQ(plix_runtimeeffect_make_shader(blenderEffect.h, nullptr, nullptr, nullptr), 0u);
    const plix_handle wrong[1] = {shader.h};  // a shader where a blender belongs
    EXPECT_EQ(plix_runtimeeffect_make_blender(blenderEffect.h, nullptr, wrong), 0u);
    EXPECT_EQ(plix_runtimeeffect_make_shader(shaderWithBlender.h, nullptr, wrong, nullptr), 0u);
    const plix_handle right[1] = {mode.h};
    Held ok{plix_runtimeeffect_make_blender(blenderEffect.h, nullptr, right)};
    EXPECT_NE(ok.h, 0u);
    Held noChildren{plix_runtimeeffect_make_blender(blenderEffect.h, nullptr, nullptr)};  // null array: all unset
    EXPECT_NE(noChildren.h, 0u);
}

// A fill split into bands over the worker threads gives the bytes of one thread: runtime
// blenders and their children share nothing that a running draw writes.
TEST(RuntimeBlender, AFillSplitOverThreadsMatchesOneThread) {
    Held sourceEffect{plix_runtimeeffect_make_for_shader(
        "half4 main(float2 p) { return half4(fract(p.x / 37), fract(p.y / 23), 0.5, 1) * 0.8; }", 0)};
    Held blendEffect{plix_runtimeeffect_make_for_blender(
        "uniform blender inner; uniform shader tex;\n"
        "half4 main(half4 s, half4 d) { return mix(inner.eval(s, d), s + d * (1 - s.a), tex.eval(d.rg * 64).g); }", 0)};
    ASSERT_TRUE(sourceEffect.h && blendEffect.h);
    Held source{plix_runtimeeffect_make_shader(sourceEffect.h, nullptr, nullptr, nullptr)};
    Held screen{plix_blender_make_mode(14)};
    const plix_handle children[2] = {screen.h, source.h};
    Held blender{plix_runtimeeffect_make_blender(blendEffect.h, nullptr, children)};
    ASSERT_TRUE(source.h && blender.h);

    auto render = [&](plix::BandSplit split) {
        plix::SetBandSplit(split);
        constexpr int w = 300, h = 200;
        std::vector<uint8_t> px(size_t(w * h * 4));
        const plix_imageinfo info = Info(w, h, RGBA8888);
        const plix_handle pixmap = plix_pixmap_create(&info, px.data(), size_t(w * 4));
        const plix_handle surface = plix_surface_make_raster_direct(pixmap, nullptr, nullptr, nullptr);
        const plix_handle canvas = plix_surface_get_canvas(surface);
        const plix_handle paint = plix_paint_create();
        plix_paint_set_shader(paint, source.h);
        plix_paint_set_blender(paint, 0);
        plix_canvas_draw_paint(canvas, paint);  // a destination that varies
        plix_paint_set_blender(paint, blender.h);
        plix_canvas_draw_paint(canvas, paint);
        plix_paint_destroy(paint);
        plix_refcnt_unref(surface);
        plix_pixmap_destroy(pixmap);
        return px;
    };
    const std::vector<uint8_t> one = render(plix::BandSplit::Never);
    const std::vector<uint8_t> split = render(plix::BandSplit::Always);
    plix::SetBandSplit(plix::BandSplit::Auto);
    EXPECT_TRUE(one == split);
}

}  // namespace
