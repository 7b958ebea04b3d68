// Shaders, colour filters, blenders and colour spaces against stand-in entries.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Raised.h"
#include "Spy.h"
#include "Skia/Blender.h"
#include "Skia/ColorFilter.h"
#include "Skia/ColorSpace.h"
#include "Skia/Image.h"
#include "Skia/Picture.h"
#include "Skia/Shader.h"

using namespace Skia;
namespace API = Skia::API;
using Ui::TAlphaColor;
using Ui::TAlphaColorF;
using Ui::TPointF;

namespace {

constexpr plix_handle ShaderHandle = 0x5100;
constexpr TAlphaColor Red = 0xFFFF0000, Blue = 0xFF0000FF;

// What the gradient entries were given.
struct Gradient {
    int calls = 0;
    std::vector<plix_point> points;
    std::vector<uint32_t> colors;
    std::vector<plix_color4f> colorsF;
    plix_handle colorSpace = 0;
    const float* positions = nullptr;
    int32_t count = 0, tileMode = -1;
    float startAngle = 0, endAngle = 0;
    bool hasMatrix = false;
    plix_matrix matrix{};

    void Matrix(const plix_matrix* m) {
        hasMatrix = m != nullptr;
        if (m) matrix = *m;
    }
};

class SkShaders : public ::testing::Test {
protected:
    FakeReleases releases;
    static inline Gradient g;

    SkShaders() { g = Gradient(); }

    Spy<&API::plix_shader_make_gradient_linear> linear{
        [](const plix_point* p, const uint32_t* c, const float* pos, int32_t n, int32_t t, const plix_matrix* m) {
            ++g.calls;
            g.points.assign(p, p + 2);
            g.colors.assign(c, c + n);
            g.positions = pos;
            g.count = n;
            g.tileMode = t;
            g.Matrix(m);
            return ShaderHandle;
        }};
    Spy<&API::plix_shader_make_gradient_linear2> linear2{[](const plix_point* p, const plix_color4f* c,
                                                            plix_handle cs, const float* pos, int32_t n, int32_t t,
                                                            const plix_matrix* m) {
        ++g.calls;
        g.points.assign(p, p + 2);
        g.colorsF.assign(c, c + n);
        g.colorSpace = cs;
        g.positions = pos;
        g.count = n;
        g.tileMode = t;
        g.Matrix(m);
        return ShaderHandle;
    }};
    Spy<&API::plix_shader_make_gradient_radial> radial{[](const plix_point* center, float, const uint32_t* c,
                                                          const float* pos, int32_t n, int32_t t,
                                                          const plix_matrix* m) {
        ++g.calls;
        g.points.assign(center, center + 1);
        g.colors.assign(c, c + n);
        g.positions = pos;
        g.count = n;
        g.tileMode = t;
        g.Matrix(m);
        return ShaderHandle;
    }};
    Spy<&API::plix_shader_make_gradient_radial2> radial2{
        [](const plix_point*, float, const plix_color4f* c, plix_handle cs, const float* pos, int32_t n, int32_t t,
           const plix_matrix* m) {
            ++g.calls;
            g.colorsF.assign(c, c + n);
            g.colorSpace = cs;
            g.positions = pos;
            g.count = n;
            g.tileMode = t;
            g.Matrix(m);
            return ShaderHandle;
        }};
    Spy<&API::plix_shader_make_gradient_sweep> sweep{[](float x, float y, const uint32_t* c, const float* pos,
                                                        int32_t n, int32_t t, float a0, float a1,
                                                        const plix_matrix* m) {
        ++g.calls;
        g.points = {{x, y}};
        g.colors.assign(c, c + n);
        g.positions = pos;
        g.count = n;
        g.tileMode = t;
        g.startAngle = a0;
        g.endAngle = a1;
        g.Matrix(m);
        return ShaderHandle;
    }};
    Spy<&API::plix_shader_make_gradient_sweep2> sweep2{
        [](float x, float y, const plix_color4f* c, plix_handle cs, const float* pos, int32_t n, int32_t t, float a0,
           float a1, const plix_matrix* m) {
            ++g.calls;
            g.points = {{x, y}};
            g.colorsF.assign(c, c + n);
            g.colorSpace = cs;
            g.positions = pos;
            g.count = n;
            g.tileMode = t;
            g.startAngle = a0;
            g.endAngle = a1;
            g.Matrix(m);
            return ShaderHandle;
        }};
    Spy<&API::plix_shader_make_gradient_two_point_conical> conical{
        [](const plix_point* s, float, const plix_point* e, float, const uint32_t* c, const float* pos, int32_t n,
           int32_t t, const plix_matrix* m) {
            ++g.calls;
            g.points = {*s, *e};
            g.colors.assign(c, c + n);
            g.positions = pos;
            g.count = n;
            g.tileMode = t;
            g.Matrix(m);
            return ShaderHandle;
        }};
    Spy<&API::plix_shader_make_gradient_two_point_conical2> conical2{
        [](const plix_point* s, float, const plix_point* e, float, const plix_color4f* c, plix_handle cs,
           const float* pos, int32_t n, int32_t t, const plix_matrix* m) {
            ++g.calls;
            g.points = {*s, *e};
            g.colorsF.assign(c, c + n);
            g.colorSpace = cs;
            g.positions = pos;
            g.count = n;
            g.tileMode = t;
            g.Matrix(m);
            return ShaderHandle;
        }};
};

TEST_F(SkShaders, ALinearGradientPassesItsPointsColorsAndNilPositions) {
    const std::vector<TAlphaColor> colors{Red, Blue};
    Ref<ISkShader> shader = TSkShader::MakeGradientLinear(TPointF(1, 2), TPointF(3, 4), colors);
    ASSERT_TRUE(shader);
    EXPECT_EQ(g.points[0].x, 1);
    EXPECT_EQ(g.points[1].y, 4);
    EXPECT_EQ(g.colors, (std::vector<uint32_t>{Red, Blue}));
    EXPECT_EQ(g.positions, nullptr);
    EXPECT_EQ(g.count, 2);
    EXPECT_EQ(g.tileMode, 0);
    EXPECT_FALSE(g.hasMatrix);

    const std::vector<float> positions{0, 1};
    TSkShader::MakeGradientLinear(TPointF(), TPointF(1, 0), colors, Ui::TMatrix::CreateTranslation(5, 6), positions,
                                  TSkTileMode::Mirror);
    ASSERT_NE(g.positions, nullptr);
    EXPECT_EQ(g.tileMode, 2);
    EXPECT_TRUE(g.hasMatrix);
    EXPECT_EQ(g.matrix.trans_x, 5);
    EXPECT_EQ(g.matrix.trans_y, 6);
}

TEST_F(SkShaders, GradientColorArraysFollowOneRule) {
    const std::vector<TAlphaColor> colors{Red, Blue}, none;
    const std::vector<TAlphaColorF> colorsF{{1, 0, 0, 1}, {0, 0, 1, 1}}, noneF;
    const std::vector<float> three{0, 0.5f, 1}, two{0, 1};
    const TPointF a, b(1, 1);
    const Ref<ISkColorSpace> cs;
    const struct {
        const char* what;
        std::function<void()> call;
        const char* message;
    } cases[] = {
        {"linear, no colours", [&] { TSkShader::MakeGradientLinear(a, b, none, three); }, "Parameter AColors cannot be empty"},
        {"linear, 3 positions", [&] { TSkShader::MakeGradientLinear(a, b, colors, three); }, "Parameter APositions size mismatch"},
        {"linear F, no colours", [&] { TSkShader::MakeGradientLinear(a, b, noneF, cs); }, "Parameter AColors cannot be empty"},
        {"linear F, 3 positions", [&] { TSkShader::MakeGradientLinear(a, b, colorsF, cs, three); }, "Parameter APositions size mismatch"},
        {"radial, no colours", [&] { TSkShader::MakeGradientRadial(a, 5, none); }, "Parameter AColors cannot be empty"},
        {"radial, 3 positions", [&] { TSkShader::MakeGradientRadial(a, 5, colors, three); }, "Parameter APositions size mismatch"},
        {"radial F, 3 positions", [&] { TSkShader::MakeGradientRadial(a, 5, colorsF, cs, three); }, "Parameter APositions size mismatch"},
        {"sweep, no colours", [&] { TSkShader::MakeGradientSweep(a, none); }, "Parameter AColors cannot be empty"},
        {"sweep F, 3 positions", [&] { TSkShader::MakeGradientSweep(a, colorsF, cs, three); }, "Parameter APositions size mismatch"},
        {"conical, 3 positions", [&] { TSkShader::MakeGradientTwoPointConical(a, 1, b, 2, colors, three); }, "Parameter APositions size mismatch"},
        {"conical F, no colours", [&] { TSkShader::MakeGradientTwoPointConical(a, 1, b, 2, noneF, cs); }, "Parameter AColors cannot be empty"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Raised<ESkArgumentException>(c.call), c.message);
    }
    EXPECT_EQ(g.calls, 0);
    // Matching positions pass, in every kind.
    TSkShader::MakeGradientRadial(a, 5, colors, two);
    TSkShader::MakeGradientSweep(a, colorsF, cs, two);
    TSkShader::MakeGradientTwoPointConical(a, 1, b, 2, colors, two);
    EXPECT_EQ(g.calls, 3);
    EXPECT_NE(g.positions, nullptr);
    EXPECT_EQ(g.count, 2);
}

TEST_F(SkShaders, TwoColorFormsBuildTheArrayWithoutPositions) {
    const Ref<ISkColorSpace> cs = Wrap<TSkColorSpace>(0xC5);
    const TAlphaColorF green{0, 1, 0, 1}, white{1, 1, 1, 1};
    const struct {
        const char* what;
        std::function<void()> call;
        bool floats;
    } cases[] = {
        {"linear", [] { TSkShader::MakeGradientLinear(TPointF(), TPointF(1, 0), Red, Blue); }, false},
        {"linear F", [&] { TSkShader::MakeGradientLinear(TPointF(), TPointF(1, 0), green, white, cs); }, true},
        {"radial", [] { TSkShader::MakeGradientRadial(TPointF(), 3, Red, Blue, TSkTileMode::Decal); }, false},
        {"radial F", [&] { TSkShader::MakeGradientRadial(TPointF(), 3, green, white, cs); }, true},
        {"sweep", [] { TSkShader::MakeGradientSweep(TPointF(), Red, Blue); }, false},
        {"sweep F", [&] { TSkShader::MakeGradientSweep(TPointF(), green, white, cs); }, true},
        {"conical", [] { TSkShader::MakeGradientTwoPointConical(TPointF(), 1, TPointF(), 2, Red, Blue); }, false},
        {"conical F", [&] { TSkShader::MakeGradientTwoPointConical(TPointF(), 1, TPointF(), 2, green, white, cs); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        g = Gradient();
        c.call();
        EXPECT_EQ(g.calls, 1);
        EXPECT_EQ(g.count, 2);
        EXPECT_EQ(g.positions, nullptr);
        if (c.floats) {
            ASSERT_EQ(g.colorsF.size(), 2u);
            EXPECT_EQ(g.colorsF[0].g, 1);
            EXPECT_EQ(g.colorsF[1].r, 1);
            EXPECT_EQ(g.colorSpace, 0xC5u);
        } else {
            EXPECT_EQ(g.colors, (std::vector<uint32_t>{Red, Blue}));
        }
    }
}

TEST_F(SkShaders, SweepPassesItsCenterByValueAndItsAngles) {
    TSkShader::MakeGradientSweep(TPointF(7, 8), Red, Blue);
    EXPECT_EQ(g.points[0].x, 7);
    EXPECT_EQ(g.points[0].y, 8);
    EXPECT_EQ(g.startAngle, 0);
    EXPECT_EQ(g.endAngle, 360);
    TSkShader::MakeGradientSweep(TPointF(7, 8), Red, Blue, Ui::TMatrix::CreateScaling(2, 3), TSkTileMode::Repeat, 45,
                                 90);
    EXPECT_EQ(g.startAngle, 45);
    EXPECT_EQ(g.endAngle, 90);
    EXPECT_EQ(g.tileMode, 1);
    EXPECT_EQ(g.matrix.scale_y, 3);
}

TEST_F(SkShaders, BlendsAndDerivationsNeedTheirShadersAndFilters) {
    Spy<&API::plix_shader_make_blend> blend([](int32_t mode, plix_handle dest, plix_handle src) {
        EXPECT_EQ(mode, 24);
        EXPECT_EQ(dest, 0x5Du);
        EXPECT_EQ(src, 0x55u);
        return ShaderHandle;
    });
    static plix_matrix local;
    Spy<&API::plix_shader_make_with_local_matrix> withMatrix([](plix_handle self, const plix_matrix* m) {
        EXPECT_EQ(self, ShaderHandle);
        local = *m;
        return plix_handle{0x5200};
    });
    Spy<&API::plix_shader_make_with_color_filter> withFilter([](plix_handle, plix_handle f) {
        EXPECT_EQ(f, 0xCFu);
        return plix_handle{0x5300};
    });
    const Ref<ISkShader> dest = Wrap<TSkShader>(0x5D), src = Wrap<TSkShader>(0x55);
    EXPECT_EQ(Raised<ESkArgumentException>([] { TSkShader::MakeBlend(TSkBlendMode::Multiply, nullptr, nullptr); }),
              "Parameter ADest cannot be nil");
    EXPECT_EQ(Raised<ESkArgumentException>([&] { TSkShader::MakeBlend(TSkBlendMode::Multiply, dest, nullptr); }),
              "Parameter ASrc cannot be nil");
    EXPECT_EQ(decltype(blend)::Calls(), 0);
    Ref<ISkShader> shader = TSkShader::MakeBlend(TSkBlendMode::Multiply, dest, src);
    ASSERT_TRUE(shader);
    EXPECT_EQ(Raised<ESkArgumentException>([&] { shader->MakeWithColorFilter(nullptr); }),
              "Parameter AColorFilter cannot be nil");
    EXPECT_EQ(shader->MakeWithColorFilter(Wrap<TSkColorFilter>(0xCF))->GetHandle(), 0x5300u);
    Ui::TMatrix m = Ui::TMatrix::CreateTranslation(3, 4);
    EXPECT_EQ(shader->MakeWithLocalMatrix(m)->GetHandle(), 0x5200u);
    EXPECT_EQ(local.trans_x, 3);
    EXPECT_EQ(local.trans_y, 4);
}

TEST_F(SkShaders, ImageAndPictureShadersForwardToTheirObject) {
    static plix_handle image, picture;
    static const plix_rect* tileRect;
    static int32_t filterMode;
    Spy<&API::plix_image_make_shader>
        imageShader([](plix_handle self, int32_t, int32_t, const plix_sampling_options* s, const plix_matrix*) {
            image = self;
            EXPECT_EQ(s->filter, 0);
            return ShaderHandle;
        });
    Spy<&API::plix_picture_make_shader>
        pictureShader([](plix_handle self, int32_t, int32_t, int32_t f, const plix_matrix*, const plix_rect* r) {
            picture = self;
            filterMode = f;
            tileRect = r;
            return ShaderHandle;
        });
    EXPECT_EQ(Raised<ESkArgumentException>([] { TSkShader::MakeImage(nullptr); }), "Parameter AImage cannot be nil");
    EXPECT_EQ(Raised<ESkArgumentException>([] { TSkShader::MakePicture(nullptr); }), "Parameter APicture cannot be nil");
    EXPECT_TRUE(TSkShader::MakeImage(Wrap<TSkImage>(0x1A), TSkTileMode::Repeat));
    EXPECT_EQ(image, 0x1Au);
    EXPECT_TRUE(TSkShader::MakePicture(Wrap<TSkPicture>(0x9C), Ui::TRectF(0, 0, 8, 8), TSkTileMode::Clamp,
                                       TSkTileMode::Clamp, TSkFilterMode::Linear));
    EXPECT_EQ(picture, 0x9Cu);
    EXPECT_EQ(filterMode, 1);
    EXPECT_NE(tileRect, nullptr);
    TSkShader::MakePicture(Wrap<TSkPicture>(0x9C));
    EXPECT_EQ(tileRect, nullptr);
}

TEST_F(SkShaders, SolidColorsAndNoise) {
    static plix_color4f color;
    static plix_handle colorSpace;
    Spy<&API::plix_shader_make_color2>
        color2([](const plix_color4f* c, plix_handle cs) {
            color = *c;
            colorSpace = cs;
            return plix_handle{0};
        });
    static const plix_isize* tile;
    static int32_t octaves;
    Spy<&API::plix_shader_make_perlin_noise_turbulence>
        turbulence([](float, float, int32_t n, float, const plix_isize* t) {
            octaves = n;
            tile = t;
            return ShaderHandle;
        });
    EXPECT_FALSE(TSkShader::MakeColor(TAlphaColorF{0.5f, 0.25f, 0, 1}));  // a native failure is nil
    EXPECT_EQ(color.g, 0.25f);
    EXPECT_EQ(colorSpace, 0u);
    TSkShader::MakePerlinNoiseTurbulence(0.1f, 0.1f, 4, 7);
    EXPECT_EQ(octaves, 4);
    EXPECT_EQ(tile, nullptr);
    TSkShader::MakePerlinNoiseTurbulence(0.1f, 0.1f, 2, 7, Ui::TSize{16, 16});
    EXPECT_NE(tile, nullptr);
}

// ---- colour filters, blenders, colour spaces ----

TEST(SkColorFilters, FactoriesCheckAndMarshal) {
    FakeReleases releases;
    Spy<&API::plix_colorfilter_make_compose> compose([](plix_handle outer, plix_handle inner) {
        EXPECT_EQ(outer, 0xC1u);
        EXPECT_EQ(inner, 0xC2u);
        return plix_handle{0xC3};
    });
    const Ref<ISkColorFilter> outer = Wrap<TSkColorFilter>(0xC1), inner = Wrap<TSkColorFilter>(0xC2);
    EXPECT_EQ(Raised<ESkArgumentException>([] { TSkColorFilter::MakeCompose(nullptr, nullptr); }),
              "Parameter AOuter cannot be nil");
    EXPECT_EQ(Raised<ESkArgumentException>([&] { TSkColorFilter::MakeCompose(outer, nullptr); }),
              "Parameter AInner cannot be nil");
    EXPECT_EQ(TSkColorFilter::MakeCompose(outer, inner)->GetHandle(), 0xC3u);

    static std::vector<const uint8_t*> tables;
    Spy<&API::plix_colorfilter_make_table>
        table([](const uint8_t* a, const uint8_t* r, const uint8_t* g, const uint8_t* b) {
            tables = {a, r, g, b};
            return plix_handle{0};
        });
    TSkTableFilter identity;
    for (int i = 0; i < 256; ++i) identity[size_t(i)] = uint8_t(i);
    TSkColorFilter::MakeTable(identity);
    EXPECT_EQ(tables, (std::vector<const uint8_t*>(4, identity.data())));
    TSkColorFilter::MakeTable(nullptr, &identity, nullptr, nullptr);
    EXPECT_EQ(tables, (std::vector<const uint8_t*>{nullptr, identity.data(), nullptr, nullptr}));

    static float bias;
    Spy<&API::plix_colorfilter_make_matrix>
        matrix([](const plix_color_matrix* m) {
            bias = m->m[4];
            return plix_handle{0};
        });
    TSkColorMatrix m;
    m.M[4] = 0.25f;
    TSkColorFilter::MakeMatrix(m);
    EXPECT_EQ(bias, 0.25f);

    static int32_t invert;
    Spy<&API::plix_colorfilter_make_high_contrast>
        contrast([](const plix_high_contrast_config* c) {
            invert = c->invert_style;
            return plix_handle{0};
        });
    TSkColorFilter::MakeHighContrast({true, TSkHighContrastConfigInvertStyle::InvertLightness, 0.5f});
    EXPECT_EQ(invert, 2);
}

TEST(SkBlenders, ModeAndArithmetic) {
    FakeReleases releases;
    Spy<&API::plix_blender_make_mode> mode([](int32_t m) { return m == 28 ? plix_handle{0xB1} : plix_handle{0}; });
    Spy<&API::plix_blender_make_arithmetic> arithmetic([](float k1, float, float, float k4, bool enforce) {
        EXPECT_EQ(k1, 0.5f);
        EXPECT_EQ(k4, 0.125f);
        EXPECT_TRUE(enforce);
        return plix_handle{0xB2};
    });
    EXPECT_EQ(TSkBlender::MakeMode(TSkBlendMode::Luminosity)->GetHandle(), 0xB1u);
    EXPECT_FALSE(TSkBlender::MakeMode(TSkBlendMode::Clear));
    EXPECT_EQ(TSkBlender::MakeArithmetic(0.5f, 0, 0, 0.125f, true)->GetHandle(), 0xB2u);
}

TEST(SkColorSpaces, CountWithTheirOwnPair) {
    FakeReleases releases;
    {
        Ref<ISkColorSpace> a = Wrap<TSkColorSpace>(0xC5);
        Ref<ISkColorSpace> b = a;
        EXPECT_EQ(FakeReleases::Refs(0xC5), 1);
    }
    EXPECT_EQ(FakeReleases::Unrefs(0xC5), 2);  // the copy's, then the wrapper's own
    Spy<&API::plix_colorspace_is_equal> isEqual([](plix_handle, plix_handle) { return true; });
    Ref<ISkColorSpace> space = Wrap<TSkColorSpace>(0xC6);
    EXPECT_FALSE(space->IsEqual(nullptr));
    EXPECT_EQ(decltype(isEqual)::Calls(), 0);
    EXPECT_TRUE(space->IsEqual(space));
}

TEST(SkColorSpaces, RgbSpacesAndProfiles) {
    FakeReleases releases;
    static plix_colorspace_transfer_fn fn;
    static plix_colorspace_xyz xyz;
    Spy<&API::plix_colorspace_make_rgb>
        make([](const plix_colorspace_transfer_fn* f, const plix_colorspace_xyz* x) {
            fn = *f;
            xyz = *x;
            return plix_handle{0xC7};
        });
    TSkColorSpaceXyz gamut;
    gamut.M12 = 0.25f;
    Ref<ISkColorSpace> space = TSkColorSpace::MakeRGB({2.2f, 1, 0, 0, 0, 0, 0}, gamut);
    ASSERT_TRUE(space);
    EXPECT_EQ(fn.g, 2.2f);
    EXPECT_EQ(xyz.m12, 0.25f);
    EXPECT_EQ(Raised<ESkArgumentException>([] { TSkColorSpace::Make(nullptr); }), "Parameter AProfile cannot be nil");
    EXPECT_EQ(Raised<ESkArgumentException>([] { TSkColorSpaceICCProfile::MakeFromBytes({}); }),
              "Parameter ABytes cannot be empty");
    static const uint8_t bytes[] = {1, 2, 3};
    Spy<&API::plix_colorspaceiccprofile_get_buffer>
        buffer([](plix_handle, size_t* size) {
            *size = 3;
            return bytes;
        });
    Spy<&API::plix_colorspace_to_profile> toProfile([](plix_handle) { return plix_handle{0x1CC}; });
    {
        Ref<ISkColorSpaceICCProfile> profile = space->ToProfile();
        EXPECT_EQ(profile->GetBuffer(), (std::vector<uint8_t>{1, 2, 3}));
    }
    EXPECT_EQ(FakeReleases::Destroys(0x1CC), 1);
}

}  // namespace
