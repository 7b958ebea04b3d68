// The plix_shader_, plix_colorfilter_ and plix_blender_ entry points: each makes what it says
// (drawn through the engine to check), and refuses null, empty and out-of-range arguments with
// 0 rather than failing.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "capi/Handles.h"
#include "plix/plix.h"
#include "raster/Draw.h"

using namespace plix;

namespace {

// Owns one reference from the C API.
struct H {
    plix_handle h;
    ~H() { plix_refcnt_unref(h); }
    explicit operator bool() const { return h != 0; }
};

// The colour of pixel (x, 0) of a w x 1 RGBA8888 surface after drawing with the shader,
// colour filter and blender handles (any may be 0).
uint32_t pixel(plix_handle shader, int x = 0, int w = 1, plix_handle filter = 0, plix_handle blender = 0,
               uint32_t bg = 0) {
    std::vector<uint32_t> px(size_t(w), bg);
    Pixmap pm;
    EXPECT_TRUE(pm.reset(ImageInfo::Make(w, 1, ColorType::RGBA8888, AlphaType::Premul), px.data(), size_t(w) * 4));
    Paint p;
    p.shader = sp_ref(capi::from<Shader>(shader));
    p.colorFilter = sp_ref(capi::from<ColorFilter>(filter));
    p.blender = sp_ref(capi::from<Blender>(blender));
    drawRect({pm, IRect::MakeWH(w, 1), nullptr}, {0, 0, float(w), 1}, Matrix(), p);
    return px[size_t(x)];
}

const plix_point kPts[2] = {{0, 0}, {4, 0}};
const uint32_t kBW[2] = {0xff000000u, 0xffffffffu};
const plix_color4f kBW4[2] = {{0, 0, 0, 1}, {1, 1, 1, 1}};

TEST(ShaderCApi, GradientsOfBothColourForms) {
    const plix_point c{0, 0};
    // Pixel 1 of a gradient over [0, 4]: t = 3/8 -> 96.
    const H made[] = {
        {plix_shader_make_gradient_linear(kPts, kBW, nullptr, 2, 0, nullptr)},
        {plix_shader_make_gradient_linear2(kPts, kBW4, 0, nullptr, 2, 0, nullptr)},
        {plix_shader_make_gradient_radial(&c, 4, kBW, nullptr, 2, 0, nullptr)},
        {plix_shader_make_gradient_radial2(&c, 4, kBW4, 0, nullptr, 2, 0, nullptr)},
        {plix_shader_make_gradient_two_point_conical(&c, 0, &c, 4, kBW, nullptr, 2, 0, nullptr)},
        {plix_shader_make_gradient_two_point_conical2(&c, 0, &c, 4, kBW4, 0, nullptr, 2, 0, nullptr)},
    };
    // The radial ones (a point and a circle of radius 4 from the origin): t = |(1.5, 0.5)| / 4.
    for (size_t i = 0; i < std::size(made); ++i) {
        ASSERT_TRUE(made[i]) << i;
        const int got = int(pixel(made[i].h, 1, 4) & 255);
        if (i < 2) EXPECT_EQ(got, 96) << i;
        else EXPECT_NEAR(got, 255 * std::hypot(1.5f, 0.5f) / 4, 0.51f) << i;
    }
    // Sweep around (2, 0.5): pixel 3 (3.5, 0.5) is at angle 0, t = 0 -> black.
    H sweep{plix_shader_make_gradient_sweep(2, 0.5f, kBW, nullptr, 2, 0, 0, 360, nullptr)};
    H sweep2{plix_shader_make_gradient_sweep2(2, 0.5f, kBW4, 0, nullptr, 2, 0, 0, 360, nullptr)};
    ASSERT_TRUE(sweep && sweep2);
    EXPECT_EQ(pixel(sweep.h, 3, 4), 0xff000000u);
    EXPECT_EQ(pixel(sweep2.h, 3, 4), 0xff000000u);
}

TEST(ShaderCApi, ColorsNoiseAndDerivations) {
    H red{plix_shader_make_color(0xffff0000u)};
    const plix_color4f blue{0, 0, 1, 1};
    H blue2{plix_shader_make_color2(&blue, 0)};
    ASSERT_TRUE(red && blue2);
    EXPECT_EQ(pixel(red.h), 0xff0000ffu);
    EXPECT_EQ(pixel(blue2.h), 0xffff0000u);
    H blend{plix_shader_make_blend(13 /* Modulate */, red.h, blue2.h)};
    ASSERT_TRUE(blend);
    EXPECT_EQ(pixel(blend.h), 0xff000000u);
    const plix_isize tile{16, 16};
    H fractal{plix_shader_make_perlin_noise_fractal_noise(0.1f, 0.1f, 2, 3, nullptr)};
    H turbulence{plix_shader_make_perlin_noise_turbulence(0.1f, 0.1f, 2, 3, &tile)};
    EXPECT_TRUE(fractal && turbulence);
    // A local matrix moves the gradient: translated by 4, pixel 1 is before its start.
    H linear{plix_shader_make_gradient_linear(kPts, kBW, nullptr, 2, 0, nullptr)};
    const plix_matrix shift{1, 0, 4, 0, 1, 0, 0, 0, 1};
    H moved{plix_shader_make_with_local_matrix(linear.h, &shift)};
    ASSERT_TRUE(moved);
    EXPECT_EQ(pixel(moved.h, 1, 4), 0xff000000u);
    H luma{plix_colorfilter_make_luma_color()};
    H filtered{plix_shader_make_with_color_filter(red.h, luma.h)};
    ASSERT_TRUE(filtered);
    EXPECT_EQ(pixel(filtered.h) >> 24, 54u);  // 0.2126 * 255
}

TEST(ShaderCApi, RefusesBadArguments) {
    const plix_point c{0, 0};
    const plix_matrix nanM{NAN, 0, 0, 0, 1, 0, 0, 0, 1};
    EXPECT_EQ(plix_shader_make_gradient_linear(nullptr, kBW, nullptr, 2, 0, nullptr), 0u);
    EXPECT_EQ(plix_shader_make_gradient_linear(kPts, nullptr, nullptr, 2, 0, nullptr), 0u);
    EXPECT_EQ(plix_shader_make_gradient_linear(kPts, kBW, nullptr, 0, 0, nullptr), 0u);
    EXPECT_EQ(plix_shader_make_gradient_linear(kPts, kBW, nullptr, -5, 0, nullptr), 0u);
    EXPECT_EQ(plix_shader_make_gradient_linear(kPts, kBW, nullptr, 2, 4, nullptr), 0u);
    EXPECT_EQ(plix_shader_make_gradient_linear(kPts, kBW, nullptr, 2, 0, &nanM), 0u);
    EXPECT_EQ(plix_shader_make_gradient_linear2(kPts, nullptr, 0, nullptr, 2, 0, nullptr), 0u);
    EXPECT_EQ(plix_shader_make_gradient_radial(nullptr, 1, kBW, nullptr, 2, 0, nullptr), 0u);
    EXPECT_EQ(plix_shader_make_gradient_radial(&c, -1, kBW, nullptr, 2, 0, nullptr), 0u);
    EXPECT_EQ(plix_shader_make_gradient_radial2(&c, NAN, kBW4, 0, nullptr, 2, 0, nullptr), 0u);
    EXPECT_EQ(plix_shader_make_gradient_sweep(0, 0, kBW, nullptr, 2, 0, 90, 10, nullptr), 0u);
    EXPECT_EQ(plix_shader_make_gradient_sweep2(0, 0, kBW4, 0, nullptr, 2, -1, 0, 360, nullptr), 0u);
    EXPECT_EQ(plix_shader_make_gradient_two_point_conical(&c, 1, nullptr, 2, kBW, nullptr, 2, 0, nullptr), 0u);
    EXPECT_EQ(plix_shader_make_gradient_two_point_conical2(&c, -1, &c, 2, kBW4, 0, nullptr, 2, 0, nullptr), 0u);
    EXPECT_EQ(plix_shader_make_perlin_noise_fractal_noise(-1, 0.1f, 2, 0, nullptr), 0u);
    EXPECT_EQ(plix_shader_make_perlin_noise_turbulence(0.1f, 0.1f, 300, 0, nullptr), 0u);
    EXPECT_EQ(plix_shader_make_color2(nullptr, 0), 0u);
    EXPECT_EQ(plix_shader_make_blend(3, 0, 0), 0u);
    EXPECT_EQ(plix_shader_make_blend(99, 0, 0), 0u);
    EXPECT_EQ(plix_shader_make_with_color_filter(0, 0), 0u);
    EXPECT_EQ(plix_shader_make_with_local_matrix(0, nullptr), 0u);
}

TEST(ColorFilterCApi, EveryKind) {
    const plix_color_matrix swap{{0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0}};
    const plix_color_matrix identity{{1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0}};
    const plix_high_contrast_config hc{true, 1, 0};
    const uint32_t overdraw[6] = {0, 0xff0000ffu, 0xff00ff00u, 0xffff0000u, 0xffffff00u, 0xffffffffu};
    uint8_t inv[256];
    for (int i = 0; i < 256; ++i) inv[i] = uint8_t(255 - i);
    const plix_color4f green{0, 1, 0, 1};
    H red{plix_shader_make_color(0xffff0000u)};
    struct Case {
        const char* name;
        plix_handle filter;
        uint32_t want;  // red through it, RGBA8888 as stored
    } cases[] = {
        {"blend", plix_colorfilter_make_blend(0xff00ff00u, 1 /* Src */), 0xff00ff00u},
        {"blend2", plix_colorfilter_make_blend2(&green, 0, 1), 0xff00ff00u},
        {"matrix", plix_colorfilter_make_matrix(&swap), 0xffff0000u},
        {"hsla identity", plix_colorfilter_make_hsla_matrix(&identity), 0xff0000ffu},
        {"lighting", plix_colorfilter_make_lighting(0xff800000u, 0xff000020u), 0xff200080u},
        {"to sRGB", plix_colorfilter_make_linear_to_srgb_gamma(), 0xff0000ffu},
        {"luma", plix_colorfilter_make_luma_color(), 0x36000000u},
        // Red is linear 1, 0, 0: grey 0.2126, inverted 0.7874, sRGB-encoded 0.900 (229.5).
        {"high contrast", plix_colorfilter_make_high_contrast(&hc), 0xffe5e5e5u},
        {"overdraw", plix_colorfilter_make_overdraw(overdraw), 0xffffffffu},
        {"table", plix_colorfilter_make_table(nullptr, inv, nullptr, nullptr), 0xff000000u},
    };
    for (Case& k : cases) {
        H f{k.filter};
        ASSERT_TRUE(f) << k.name;
        const uint32_t got = pixel(red.h, 0, 1, f.h);
        for (int ch = 0; ch < 4; ++ch)
            EXPECT_NEAR(int(got >> (8 * ch)) & 255, int(k.want >> (8 * ch)) & 255, 1) << k.name << " channel " << ch;
    }
    H a{plix_colorfilter_make_luma_color()}, b{plix_colorfilter_make_linear_to_srgb_gamma()};
    H both{plix_colorfilter_make_compose(a.h, b.h)};
    EXPECT_TRUE(both);
    EXPECT_EQ(plix_colorfilter_make_compose(0, b.h), 0u);
    EXPECT_EQ(plix_colorfilter_make_blend(0, 29), 0u);
    EXPECT_EQ(plix_colorfilter_make_blend2(nullptr, 0, 1), 0u);
    EXPECT_EQ(plix_colorfilter_make_matrix(nullptr), 0u);
    EXPECT_EQ(plix_colorfilter_make_hsla_matrix(nullptr), 0u);
    EXPECT_EQ(plix_colorfilter_make_high_contrast(nullptr), 0u);
    const plix_high_contrast_config bad{false, 7, 0};
    EXPECT_EQ(plix_colorfilter_make_high_contrast(&bad), 0u);
    EXPECT_EQ(plix_colorfilter_make_overdraw(nullptr), 0u);
}

TEST(BlenderCApi, ModeAndArithmetic) {
    H mult{plix_blender_make_mode(24 /* Multiply */)};
    H arith{plix_blender_make_arithmetic(0, 0, 1, 0, true)};  // keeps the destination
    H red{plix_shader_make_color(0xffff0000u)};
    ASSERT_TRUE(mult && arith);
    EXPECT_EQ(pixel(red.h, 0, 1, 0, mult.h, 0xff808080u), 0xff000080u);
    EXPECT_EQ(pixel(red.h, 0, 1, 0, arith.h, 0xff336699u), 0xff336699u);
    EXPECT_EQ(plix_blender_make_mode(-1), 0u);
    EXPECT_EQ(plix_blender_make_mode(29), 0u);
    EXPECT_EQ(plix_blender_make_arithmetic(INFINITY, 0, 0, 0, false), 0u);
}

}  // namespace
