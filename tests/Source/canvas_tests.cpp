// Paint and canvas wrappers against stand-in entries: argument checks before any native call,
// and exactly what each operation hands to the native side.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "Raised.h"
#include "Spy.h"
#include "Skia/Canvas.h"
#include "Skia/Surface.h"

using namespace Skia;
namespace API = Skia::API;
using Ui::TPointF;
using Ui::TRectF;

namespace {

constexpr plix_handle CanvasHandle = 0xCA00;
constexpr plix_handle PaintHandle = 0x9A00;
constexpr plix_handle ImageHandle = 0x1A00;

class SkCanvas : public ::testing::Test {
protected:
    FakeReleases releases;
    // A canvas as a surface hands it out: not owned.
    Ref<ISkCanvas> canvas = Wrap<TSkCanvas>(CanvasHandle, false);
    Ref<ISkPaint> paint = Wrap<TSkPaint>(PaintHandle);
    Ref<ISkImage> image = Wrap<TSkImage>(ImageHandle);
};

// ---- paint ----

class SkPaint : public ::testing::Test {
protected:
    FakeReleases releases;
};

TEST_F(SkPaint, ConstructorsMakeOwnedNativePaints) {
    Spy<&API::plix_paint_create> create([] { return PaintHandle; });
    static plix_handle copied;
    Spy<&API::plix_paint_create2> create2([](plix_handle p) {
        copied = p;
        return plix_handle{0x9B00};
    });
    static int32_t style = -1;
    Spy<&API::plix_paint_set_style> setStyle([](plix_handle, int32_t s) { style = s; });
    {
        Ref<ISkPaint> paint = TSkPaint::Create();
        Ref<ISkPaint> copy = TSkPaint::Create(paint);
        EXPECT_EQ(copied, PaintHandle);
        EXPECT_EQ(copy->GetHandle(), 0x9B00u);
        Ref<ISkPaint> stroke = TSkPaint::Create(TSkPaintStyle::StrokeAndFill);
        EXPECT_EQ(style, 2);
    }
    EXPECT_EQ(FakeReleases::Destroys(PaintHandle), 2);  // the first and the styled paint
    EXPECT_EQ(FakeReleases::Destroys(0x9B00), 1);
    EXPECT_EQ(Raised<ESkArgumentException>([] { TSkPaint::Create(Ref<ISkPaint>()); }), "Parameter APaint cannot be nil");
    EXPECT_EQ(decltype(create2)::Calls(), 1);
}

TEST_F(SkPaint, ANativeCreateThatFailsIsOutOfMemory) {
    Spy<&API::plix_paint_create> create([] { return plix_handle{0}; });
    EXPECT_EQ(Raised<ESkException>([] { TSkPaint::Create(); }), "Out of memory");
}

TEST_F(SkPaint, AttachingNilDetaches) {
    Ref<ISkPaint> paint = Wrap<TSkPaint>(PaintHandle);
    static std::vector<plix_handle> shaders;
    Spy<&API::plix_paint_set_shader> setShader([](plix_handle self, plix_handle s) {
        EXPECT_EQ(self, PaintHandle);
        shaders.push_back(s);
    });
    paint->SetShader(Wrap<TSkShader>(0x5100));
    paint->SetShader(nullptr);
    EXPECT_EQ(shaders, (std::vector<plix_handle>{0x5100, 0}));
    // The wrapper attached may go at once: the native paint holds its own reference.
    EXPECT_EQ(FakeReleases::Unrefs(0x5100), 1);
}

TEST_F(SkPaint, GettersOfAttachedObjectsWrapEachResultOwning) {
    Ref<ISkPaint> paint = Wrap<TSkPaint>(PaintHandle);
    static plix_handle attached;
    Spy<&API::plix_paint_get_shader> getShader([](plix_handle) { return attached; });
    Spy<&API::plix_paint_get_color_filter> getColorFilter([](plix_handle) { return attached; });
    Spy<&API::plix_paint_get_blender> getBlender([](plix_handle) { return attached; });
    Spy<&API::plix_paint_get_image_filter> getImageFilter([](plix_handle) { return attached; });
    Spy<&API::plix_paint_get_mask_filter> getMaskFilter([](plix_handle) { return attached; });
    Spy<&API::plix_paint_get_path_effect> getPathEffect([](plix_handle) { return attached; });
    attached = 0;
    EXPECT_FALSE(paint->GetShader());
    EXPECT_FALSE(paint->GetColorFilter());
    EXPECT_FALSE(paint->GetBlender());
    EXPECT_FALSE(paint->GetImageFilter());
    EXPECT_FALSE(paint->GetMaskFilter());
    EXPECT_FALSE(paint->GetPathEffect());
    attached = 0x5100;
    {
        Ref<ISkShader> a = paint->GetShader();
        Ref<ISkShader> b = paint->GetShader();
        EXPECT_NE(a.get(), b.get());  // two wrappers of one native object
        EXPECT_EQ(a->GetHandle(), b->GetHandle());
        EXPECT_TRUE(paint->GetColorFilter());
        EXPECT_TRUE(paint->GetBlender());
        EXPECT_TRUE(paint->GetImageFilter());
        EXPECT_TRUE(paint->GetMaskFilter());
        EXPECT_TRUE(paint->GetPathEffect());
    }
    EXPECT_EQ(FakeReleases::Unrefs(0x5100), 7);  // each result's own reference given back
    EXPECT_EQ(FakeReleases::Refs(0x5100), 0);
}

TEST_F(SkPaint, SettersPassTheirValues) {
    Ref<ISkPaint> paint = Wrap<TSkPaint>(PaintHandle);
    static std::vector<std::string> calls;
    Spy<&API::plix_paint_set_argb> setArgb([](plix_handle, uint8_t a, uint8_t r, uint8_t g, uint8_t b) {
        calls.push_back("argb " + std::to_string(a) + " " + std::to_string(r) + " " + std::to_string(g) + " " +
                        std::to_string(b));
    });
    Spy<&API::plix_paint_set_colorf>
        setColorF([](plix_handle, const plix_color4f* c, plix_handle cs) {
            calls.push_back("colorf " + std::to_string(c->r) + " " + std::to_string(c->a) + " " + std::to_string(cs));
        });
    Spy<&API::plix_paint_set_stroke_cap>
        setCap([](plix_handle, int32_t v) { calls.push_back("cap " + std::to_string(v)); });
    Spy<&API::plix_paint_set_stroke_join>
        setJoin([](plix_handle, int32_t v) { calls.push_back("join " + std::to_string(v)); });
    Spy<&API::plix_paint_set_color_filter>
        setFilter([](plix_handle, plix_handle v) { calls.push_back("filter " + std::to_string(v)); });
    paint->SetARGB(1, 2, 3, 4);
    paint->SetColorF({0.5f, 0, 0, 1});
    paint->SetColorF({0.25f, 0, 0, 0.75f}, Wrap<TSkColorSpace>(7));
    paint->SetStrokeCap(TSkStrokeCap::Square);
    paint->SetStrokeJoin(TSkStrokeJoin::Bevel);
    paint->SetColorFilter(nullptr);
    EXPECT_EQ(calls, (std::vector<std::string>{"argb 1 2 3 4", "colorf 0.500000 1.000000 0",
                                               "colorf 0.250000 0.750000 7", "cap 2", "join 2", "filter 0"}));
}

TEST_F(SkPaint, FillPathNeedsAPath) {
    Ref<ISkPaint> paint = Wrap<TSkPaint>(PaintHandle);
    static const plix_rect* cull;
    static float scale;
    Spy<&API::plix_paint_get_fill_path> fill([](plix_handle, plix_handle path, const plix_rect* c, float s) {
        EXPECT_EQ(path, 0x7A00u);
        cull = c;
        scale = s;
        return plix_handle{0x7B00};
    });
    EXPECT_EQ(Raised<ESkArgumentException>([&] { paint->GetFillPath(nullptr); }), "Parameter APath cannot be nil");
    EXPECT_EQ(decltype(fill)::Calls(), 0);
    Ref<ISkPath> path = Wrap<TSkPath>(0x7A00);
    EXPECT_EQ(paint->GetFillPath(path)->GetHandle(), 0x7B00u);
    EXPECT_EQ(cull, nullptr);
    EXPECT_EQ(scale, 1.0f);
    paint->GetFillPath(path, TRectF(0, 0, 5, 5), 2);
    EXPECT_NE(cull, nullptr);
    EXPECT_EQ(scale, 2.0f);
}

// ---- canvas: checks ----

TEST_F(SkCanvas, RequiredArgumentsAreCheckedInOrderBeforeAnyNativeCall) {
    const Ref<ISkPath> path = Wrap<TSkPath>(0x7A00);
    const Ref<ISkRoundRect> roundRect = Wrap<TSkRoundRect>(0x88);
    const Ref<ISkFont> font = Wrap<TSkFont>(0xF0);
    const Ref<ISkPaint> none;
    const TRectF r(0, 0, 10, 10);
    const struct {
        const char* what;
        std::function<void()> call;
        const char* message;
    } cases[] = {
        {"DrawRect", [&] { canvas->DrawRect(r, none); }, "Parameter APaint cannot be nil"},
        {"DrawArc", [&] { canvas->DrawArc(r, 0, 90, true, none); }, "Parameter APaint cannot be nil"},
        {"DrawCircle", [&] { canvas->DrawCircle(1, 2, 3, none); }, "Parameter APaint cannot be nil"},
        {"DrawLine", [&] { canvas->DrawLine(0, 0, 1, 1, none); }, "Parameter APaint cannot be nil"},
        {"DrawOval", [&] { canvas->DrawOval(r, none); }, "Parameter APaint cannot be nil"},
        {"DrawPaint", [&] { canvas->DrawPaint(none); }, "Parameter APaint cannot be nil"},
        {"DrawPoint", [&] { canvas->DrawPoint(1, 1, none); }, "Parameter APaint cannot be nil"},
        {"DrawPoints", [&] { canvas->DrawPoints(TSkDrawPointsMode::Lines, {}, none); }, "Parameter APaint cannot be nil"},
        {"DrawPatch", [&] { canvas->DrawPatch({}, {}, {}, TSkBlendMode::Modulate, none); }, "Parameter APaint cannot be nil"},
        {"DrawRoundRect rect", [&] { canvas->DrawRoundRect(r, 2, 2, none); }, "Parameter APaint cannot be nil"},
        {"DrawPath no path", [&] { canvas->DrawPath(nullptr, none); }, "Parameter APath cannot be nil"},
        {"DrawPath no paint", [&] { canvas->DrawPath(path, none); }, "Parameter APaint cannot be nil"},
        {"DrawRegion", [&] { canvas->DrawRegion(nullptr, none); }, "Parameter ARegion cannot be nil"},
        {"DrawRoundRect", [&] { canvas->DrawRoundRect(nullptr, none); }, "Parameter ARoundRect cannot be nil"},
        {"DrawRoundRectDifference outer", [&] { canvas->DrawRoundRectDifference(nullptr, nullptr, none); },
         "Parameter AOuter cannot be nil"},
        {"DrawRoundRectDifference inner", [&] { canvas->DrawRoundRectDifference(roundRect, nullptr, none); },
         "Parameter AInner cannot be nil"},
        {"DrawRoundRectDifference paint", [&] { canvas->DrawRoundRectDifference(roundRect, roundRect, none); },
         "Parameter APaint cannot be nil"},
        {"DrawSimpleText", [&] { canvas->DrawSimpleText("A", 0, 0, nullptr, none); }, "Parameter AFont cannot be nil"},
        {"DrawSimpleText paint", [&] { canvas->DrawSimpleText("A", 0, 0, font, none); }, "Parameter APaint cannot be nil"},
        {"DrawSimpleTextGlyphs", [&] { canvas->DrawSimpleTextGlyphs({}, 0, 0, nullptr, none); },
         "Parameter AFont cannot be nil"},
        {"DrawTextBlob", [&] { canvas->DrawTextBlob(nullptr, 0, 0, none); }, "Parameter ATextBlob cannot be nil"},
        {"DrawVertices", [&] { canvas->DrawVertices(nullptr, TSkBlendMode::Src, none); },
         "Parameter AVertices cannot be nil"},
        {"DrawImage", [&] { canvas->DrawImage(nullptr, 0, 0); }, "Parameter AImage cannot be nil"},
        {"DrawImageNine", [&] { canvas->DrawImageNine(nullptr, {}, r); }, "Parameter AImage cannot be nil"},
        {"DrawImageRect", [&] { canvas->DrawImageRect(nullptr, r, r); }, "Parameter AImage cannot be nil"},
        {"DrawImageRect whole", [&] { canvas->DrawImageRect(nullptr, r); }, "Parameter AImage cannot be nil"},
        {"DrawPicture", [&] { canvas->DrawPicture(nullptr); }, "Parameter APicture cannot be nil"},
        {"ClipPath", [&] { canvas->ClipPath(nullptr); }, "Parameter APath cannot be nil"},
        {"ClipRegion", [&] { canvas->ClipRegion(nullptr); }, "Parameter ARegion cannot be nil"},
        {"ClipRoundRect", [&] { canvas->ClipRoundRect(nullptr); }, "Parameter ARoundRect cannot be nil"},
        {"ClipShader", [&] { canvas->ClipShader(nullptr); }, "Parameter AShader cannot be nil"},
        {"QuickReject", [&] { canvas->QuickReject(Ref<ISkPath>()); }, "Parameter APath cannot be nil"},
        {"DrawAnnotation value", [&] { canvas->DrawAnnotation(r, "k", nullptr, 4); }, "Parameter AValue cannot be nil"},
    };
    // Every entry a failed check could reach counts its calls here; the image's size too.
    Spy<&API::plix_canvas_draw_rect> s1;
    Spy<&API::plix_canvas_draw_arc> s2;
    Spy<&API::plix_canvas_draw_circle> s3;
    Spy<&API::plix_canvas_draw_line> s4;
    Spy<&API::plix_canvas_draw_oval> s5;
    Spy<&API::plix_canvas_draw_paint> s6;
    Spy<&API::plix_canvas_draw_point> s7;
    Spy<&API::plix_canvas_draw_points> s8;
    Spy<&API::plix_canvas_draw_patch> s9;
    Spy<&API::plix_canvas_draw_rrect2> s10;
    Spy<&API::plix_canvas_draw_path> s11;
    Spy<&API::plix_canvas_draw_region> s12;
    Spy<&API::plix_canvas_draw_rrect> s13;
    Spy<&API::plix_canvas_draw_rrect_difference> s14;
    Spy<&API::plix_canvas_draw_simple_text> s15;
    Spy<&API::plix_canvas_draw_text_blob> s16;
    Spy<&API::plix_canvas_draw_vertices> s17;
    Spy<&API::plix_canvas_draw_image> s18;
    Spy<&API::plix_canvas_draw_image_nine> s19;
    Spy<&API::plix_canvas_draw_image_rect> s20;
    Spy<&API::plix_canvas_draw_picture> s21;
    Spy<&API::plix_canvas_clip_path> s22;
    Spy<&API::plix_canvas_clip_region> s23;
    Spy<&API::plix_canvas_clip_rrect> s24;
    Spy<&API::plix_canvas_clip_shader> s25;
    Spy<&API::plix_canvas_quick_reject2> s26;
    Spy<&API::plix_canvas_draw_annotation> s27;
    Spy<&API::plix_image_get_width> s28;
    Spy<&API::plix_image_get_height> s29;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Raised<ESkArgumentException>(c.call), c.message);
    }
    const int calls = s1.Calls() + s2.Calls() + s3.Calls() + s4.Calls() + s5.Calls() + s6.Calls() + s7.Calls() +
                      s8.Calls() + s9.Calls() + s10.Calls() + s11.Calls() + s12.Calls() + s13.Calls() + s14.Calls() +
                      s15.Calls() + s16.Calls() + s17.Calls() + s18.Calls() + s19.Calls() + s20.Calls() +
                      s21.Calls() + s22.Calls() + s23.Calls() + s24.Calls() + s25.Calls() + s26.Calls() +
                      s27.Calls() + s28.Calls() + s29.Calls();
    EXPECT_EQ(calls, 0);
}

// ---- canvas: marshalling ----

TEST_F(SkCanvas, DrawRectPassesTheRectangleAndThePaint) {
    static plix_rect rect;
    static plix_handle self, seenPaint;
    Spy<&API::plix_canvas_draw_rect> drawRect([](plix_handle s, const plix_rect* r, plix_handle p) {
        self = s;
        rect = *r;
        seenPaint = p;
    });
    canvas->DrawRect(TRectF(1, 2, 30, 40), paint);
    EXPECT_EQ(self, CanvasHandle);
    EXPECT_EQ(seenPaint, PaintHandle);
    EXPECT_EQ(rect.left, 1);
    EXPECT_EQ(rect.top, 2);
    EXPECT_EQ(rect.right, 30);
    EXPECT_EQ(rect.bottom, 40);
}

TEST_F(SkCanvas, DrawImageRectWithoutSourceDrawsTheWholeImageNearest) {
    Spy<&API::plix_image_get_width> width([](plix_handle) { return int32_t{64}; });
    Spy<&API::plix_image_get_height> height([](plix_handle) { return int32_t{32}; });
    static plix_rect src, dest;
    static plix_sampling_options sampling;
    static plix_handle seenPaint;
    static int32_t constraint;
    Spy<&API::plix_canvas_draw_image_rect> draw(
        [](plix_handle, plix_handle i, const plix_rect* s, const plix_rect* d, const plix_sampling_options* o,
           plix_handle p, int32_t c) {
            EXPECT_EQ(i, ImageHandle);
            src = *s;
            dest = *d;
            sampling = *o;
            seenPaint = p;
            constraint = c;
        });
    canvas->DrawImageRect(image, TRectF(5, 5, 133, 69), paint, TSkSrcRectConstraint::Close);
    EXPECT_EQ(src.left, 0);
    EXPECT_EQ(src.top, 0);
    EXPECT_EQ(src.right, 64);
    EXPECT_EQ(src.bottom, 32);
    EXPECT_EQ(dest.right, 133);
    EXPECT_EQ(sampling.filter, 0);
    EXPECT_EQ(sampling.mipmap, 0);
    EXPECT_FALSE(sampling.use_cubic);
    EXPECT_EQ(seenPaint, PaintHandle);
    EXPECT_EQ(constraint, 0);

    canvas->DrawImageRect(image, TRectF(1, 1, 2, 2), TRectF(0, 0, 9, 9), TSkSamplingOptions::Medium());
    EXPECT_EQ(src.right, 2);
    EXPECT_EQ(sampling.filter, 1);
    EXPECT_EQ(seenPaint, 0u);           // no paint: 0
    EXPECT_EQ(constraint, 1);           // Fast unless asked
    EXPECT_EQ(decltype(width)::Calls(), 1);  // only the whole-image form asks for the size
}

TEST_F(SkCanvas, DrawImageSamplesNearestUnlessGivenSampling) {
    static plix_sampling_options sampling;
    static float x, y;
    Spy<&API::plix_canvas_draw_image>
        draw([](plix_handle, plix_handle, float ax, float ay, const plix_sampling_options* o, plix_handle) {
            x = ax;
            y = ay;
            sampling = *o;
        });
    canvas->DrawImage(image, 3, 4);
    EXPECT_EQ(x, 3);
    EXPECT_EQ(y, 4);
    EXPECT_EQ(sampling.filter, 0);
    canvas->DrawImage(image, 3, 4, TSkSamplingOptions(8));
    EXPECT_EQ(sampling.max_anisotropic, 8);
}

TEST_F(SkCanvas, RotateRadiansRotatesByDegrees) {
    static std::vector<float> degrees;
    Spy<&API::plix_canvas_rotate> rotate([](plix_handle, float d) { degrees.push_back(d); });
    canvas->RotateRadians(std::numbers::pi_v<float>);
    canvas->RotateRadians(-std::numbers::pi_v<float> / 2);
    ASSERT_EQ(degrees.size(), 2u);
    EXPECT_NEAR(degrees[0], 180, 1e-4);
    EXPECT_NEAR(degrees[1], -90, 1e-4);
}

TEST_F(SkCanvas, DrawAtlasChecksItsArraysAndPassesTheOptionalOnesAsNil) {
    const std::vector<TSkRotationScaleMatrix> three(3), none;
    const std::vector<TRectF> threeSprites(3), twoSprites(2);
    const std::vector<Ui::TAlphaColor> twoColors(2), threeColors(3, 0xFF123456), noColors;
    static const uint32_t* colors;
    static int32_t count, blendMode;
    static const plix_rect* cullRect;
    static plix_sampling_options sampling;
    static const plix_rsxform* transforms;
    Spy<&API::plix_canvas_draw_atlas> draw(
        [](plix_handle, plix_handle atlas, const plix_rsxform* t, const plix_rect*, const uint32_t* c, int32_t n,
           int32_t mode, const plix_sampling_options* s, const plix_rect* cull, plix_handle) {
            EXPECT_EQ(atlas, ImageHandle);
            transforms = t;
            colors = c;
            count = n;
            blendMode = mode;
            sampling = *s;
            cullRect = cull;
        });
    const struct {
        const char* what;
        std::function<void()> call;
        const char* message;
    } bad[] = {
        {"no atlas", [&] { canvas->DrawAtlas(nullptr, none, twoSprites, TSkBlendMode::Src, twoColors); },
         "Parameter AAtlas cannot be nil"},
        {"no transforms", [&] { canvas->DrawAtlas(image, none, twoSprites, TSkBlendMode::Src, twoColors); },
         "Parameter ATansforms cannot be empty"},
        {"sprites", [&] { canvas->DrawAtlas(image, three, twoSprites, TSkBlendMode::Src, twoColors); },
         "Parameter ASprites size mismatch"},
        {"colours", [&] { canvas->DrawAtlas(image, three, threeSprites, TSkBlendMode::Src, twoColors); },
         "Parameter AColors size mismatch"},
    };
    for (const auto& c : bad) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Raised<ESkArgumentException>(c.call), c.message);
    }
    EXPECT_EQ(decltype(draw)::Calls(), 0);

    canvas->DrawAtlas(image, three, threeSprites, TSkBlendMode::Plus, noColors);
    EXPECT_EQ(colors, nullptr);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(blendMode, 12);
    EXPECT_EQ(cullRect, nullptr);
    EXPECT_EQ(sampling.filter, 0);
    EXPECT_EQ(transforms[1].scos, 1.0f);  // the identity, in place

    canvas->DrawAtlas(image, three, threeSprites, TSkBlendMode::Src, TSkSamplingOptions::Medium(),
                      TRectF(0, 0, 4, 4), threeColors, paint);
    ASSERT_NE(colors, nullptr);
    EXPECT_EQ(colors[2], 0xFF123456u);
    EXPECT_NE(cullRect, nullptr);
    EXPECT_EQ(sampling.filter, 1);
}

TEST_F(SkCanvas, SimpleTextCrossesAsUtf16WithItsByteLength) {
    static std::u16string text;
    static std::vector<uint16_t> glyphs;
    static int32_t encoding;
    static size_t bytes;
    Spy<&API::plix_canvas_draw_simple_text>
        draw([](plix_handle, const void* t, size_t length, int32_t e, float, float, plix_handle, plix_handle) {
            bytes = length;
            encoding = e;
            text.assign(static_cast<const char16_t*>(t), length / 2);
            glyphs.assign(static_cast<const uint16_t*>(t), static_cast<const uint16_t*>(t) + length / 2);
        });
    const Ref<ISkFont> font = Wrap<TSkFont>(0xF0);
    canvas->DrawSimpleText("AB", 1, 2, font, paint);
    EXPECT_EQ(bytes, 4u);
    EXPECT_EQ(encoding, 1);
    EXPECT_EQ(text, u"AB");
    canvas->DrawSimpleText("\xC3\xA9t\xC3\xA9", 1, 2, font, paint);
    EXPECT_EQ(bytes, 6u);
    EXPECT_EQ(text, u"\u00E9t\u00E9");
    const std::vector<uint16_t> ids{36, 37, 900};
    canvas->DrawSimpleTextGlyphs(ids, 1, 2, font, paint);
    EXPECT_EQ(bytes, 6u);
    EXPECT_EQ(encoding, 3);
    EXPECT_EQ(glyphs, ids);
}

TEST_F(SkCanvas, GlyphArraysMustMatch) {
    const Ref<ISkFont> font = Wrap<TSkFont>(0xF0);
    const std::vector<uint16_t> two{1, 2}, none;
    const std::vector<TPointF> one(1), twoPositions(2), noPositions;
    const std::vector<TSkRotationScaleMatrix> oneMatrix(1);
    static int32_t count = -1;
    Spy<&API::plix_canvas_draw_glyphs>
        draw([](plix_handle, int32_t n, const uint16_t*, const plix_point*, const plix_point*, plix_handle,
                plix_handle) { count = n; });
    Spy<&API::plix_canvas_draw_glyphs2> draw2;
    EXPECT_EQ(Raised<ESkArgumentException>([&] { canvas->DrawGlyphs(two, one, {}, nullptr, nullptr); }),
              "Parameter APositions size mismatch");
    EXPECT_EQ(Raised<ESkArgumentException>([&] { canvas->DrawGlyphs(two, oneMatrix, {}, font, paint); }),
              "Parameter AMatrices size mismatch");
    EXPECT_EQ(Raised<ESkArgumentException>([&] { canvas->DrawGlyphs(two, twoPositions, {}, nullptr, paint); }),
              "Parameter AFont cannot be nil");
    EXPECT_EQ(Raised<ESkArgumentException>([&] { canvas->DrawGlyphs(two, twoPositions, {}, font, nullptr); }),
              "Parameter APaint cannot be nil");
    EXPECT_EQ(decltype(draw)::Calls() + decltype(draw2)::Calls(), 0);
    canvas->DrawGlyphs(none, noPositions, {}, font, paint);  // two empty arrays pass
    EXPECT_EQ(count, 0);
    canvas->DrawGlyphs(two, twoPositions, {}, font, paint);
    EXPECT_EQ(count, 2);
}

TEST_F(SkCanvas, MatricesCrossTransposedBothWays) {
    static plix_matrix m3;
    static plix_matrix44 m4;
    Spy<&API::plix_canvas_concat2> concat2([](plix_handle, const plix_matrix* m) { m3 = *m; });
    Spy<&API::plix_canvas_set_matrix>
        setMatrix([](plix_handle, const plix_matrix44* m) { m4 = *m; });
    Spy<&API::plix_canvas_get_local_to_device_as_3x3>
        get3x3([](plix_handle, plix_matrix* m) { *m = {1, 0, 15, 0, 1, 25, 0, 0, 1}; });
    Spy<&API::plix_canvas_get_local_to_device>
        get4x4([](plix_handle, plix_matrix44* m) {
            *m = {{1, 0, 0, 15, 0, 1, 0, 25, 0, 0, 1, 35, 0, 0, 0, 1}};
        });
    canvas->Concat(Ui::TMatrix::CreateTranslation(7, 9));
    EXPECT_EQ(m3.trans_x, 7);
    EXPECT_EQ(m3.trans_y, 9);
    Ui::TMatrix3D shifted;
    shifted.m41 = 3;
    canvas->SetMatrix(shifted);
    EXPECT_EQ(m4.m[3], 3);
    EXPECT_EQ(m4.m[12], 0);
    const Ui::TMatrix back = canvas->GetLocalToDeviceAs3x3();
    EXPECT_EQ(back.m31, 15);
    EXPECT_EQ(back.m32, 25);
    const Ui::TMatrix3D back4 = canvas->GetLocalToDevice();
    EXPECT_EQ(back4.m41, 15);
    EXPECT_EQ(back4.m42, 25);
    EXPECT_EQ(back4.m43, 35);
    EXPECT_EQ(back4.m14, 0);
}

TEST_F(SkCanvas, SaveLayersPassBoundsPaintBackdropAndFlagsAndReturnTheNativeCount) {
    static const plix_rect* bounds;
    static plix_handle seenPaint, backdrop;
    static uint32_t flags;
    Spy<&API::plix_canvas_save_layer>
        saveLayer([](plix_handle, const plix_rect* b, plix_handle p, plix_handle f, uint32_t fl) {
            bounds = b;
            seenPaint = p;
            backdrop = f;
            flags = fl;
            return int32_t{5};
        });
    static uint8_t alpha;
    Spy<&API::plix_canvas_save_layer_alpha>
        saveLayerAlpha([](plix_handle, const plix_rect* b, uint8_t a) {
            bounds = b;
            alpha = a;
            return int32_t{6};
        });
    EXPECT_EQ(canvas->SaveLayer(), 5);
    EXPECT_EQ(bounds, nullptr);
    EXPECT_EQ(seenPaint, 0u);
    EXPECT_EQ(backdrop, 0u);
    EXPECT_EQ(flags, 0u);
    EXPECT_EQ(canvas->SaveLayer(TRectF(0, 0, 1, 1), paint, Wrap<TSkImageFilter>(0x1F),
                                {TSkSaveLayerFlag::InitWithPrevious, TSkSaveLayerFlag::F16ColorType}),
              5);
    EXPECT_NE(bounds, nullptr);
    EXPECT_EQ(seenPaint, PaintHandle);
    EXPECT_EQ(backdrop, 0x1Fu);
    EXPECT_EQ(flags, 6u);
    EXPECT_EQ(canvas->SaveLayerAlpha(128), 6);
    EXPECT_EQ(bounds, nullptr);
    EXPECT_EQ(alpha, 128);
}

TEST_F(SkCanvas, DrawImageLatticeRechecksTheLatticeAndPassesItsNativeForm) {
    static plix_lattice lattice;
    static int32_t xDiv, filter;
    Spy<&API::plix_canvas_draw_image_lattice>
        draw([](plix_handle, plix_handle, const plix_lattice* l, const plix_rect*, int32_t f, plix_handle) {
            lattice = *l;
            xDiv = l->x_divs[0];
            filter = f;
        });
    const std::vector<int32_t> xs{10}, ys{20};
    TSkLattice l(xs, ys);
    canvas->DrawImageLattice(image, l, TRectF(0, 0, 50, 50), TSkFilterMode::Linear);
    EXPECT_EQ(lattice.x_count, 1);
    EXPECT_EQ(xDiv, 10);
    EXPECT_EQ(lattice.bounds, nullptr);
    EXPECT_EQ(filter, 1);
    l.RectTypes.assign(3, TSkLatticeRectType::Transparent);  // 4 cells need 4 types
    EXPECT_EQ(Raised<ESkArgumentException>([&] { canvas->DrawImageLattice(image, l, TRectF()); }),
              "Parameter ARectTypes size mismatch");
    EXPECT_EQ(decltype(draw)::Calls(), 1);
}

TEST_F(SkCanvas, PatchesAndPointsPassTheirArrays) {
    static std::vector<plix_point> cubics;
    static std::vector<uint32_t> colors;
    static size_t count;
    Spy<&API::plix_canvas_draw_patch>
        patch([](plix_handle, const plix_point* c, const uint32_t* col, const plix_point* tex, int32_t, plix_handle) {
            cubics.assign(c, c + 12);
            colors.assign(col, col + 4);
            EXPECT_EQ(tex[3].x, 8);
        });
    Spy<&API::plix_canvas_draw_points>
        points([](plix_handle, int32_t mode, size_t n, const plix_point* p, plix_handle) {
            EXPECT_EQ(mode, 2);
            count = n;
            EXPECT_EQ(p[1].y, 4);
        });
    TSkPatchCubics c{};
    c[11] = TPointF(11, 12);
    const TSkPatchColors col{1, 2, 3, 4};
    TSkPatchTexCoords tex{};
    tex[3] = TPointF(8, 8);
    canvas->DrawPatch(c, col, tex, TSkBlendMode::Modulate, paint);
    EXPECT_EQ(cubics[11].x, 11);
    EXPECT_EQ(cubics[11].y, 12);
    EXPECT_EQ(colors, (std::vector<uint32_t>{1, 2, 3, 4}));
    const std::vector<TPointF> pts{{1, 2}, {3, 4}, {5, 6}};
    canvas->DrawPoints(TSkDrawPointsMode::Polygon, pts, paint);
    EXPECT_EQ(count, 3u);
}

TEST_F(SkCanvas, ResultsComeBackFromTheNativeSide) {
    Spy<&API::plix_canvas_get_device_clip_bounds>
        device([](plix_handle, plix_irect* r) { *r = {1, 2, 3, 4}; });
    Spy<&API::plix_canvas_get_local_clip_bounds>
        local([](plix_handle, plix_rect* r) { *r = {0.5f, 1, 2, 3}; });
    Spy<&API::plix_canvas_get_save_count> saveCount([](plix_handle) { return int32_t{3}; });
    Spy<&API::plix_canvas_get_base_props>
        props([](plix_handle, plix_surface_props* p) { *p = {1, 2}; });
    Spy<&API::plix_canvas_quick_reject> reject([](plix_handle, const plix_rect* r) { return r->left > 100; });
    EXPECT_EQ(canvas->GetDeviceClipBounds(), (Ui::TRect{1, 2, 3, 4}));
    EXPECT_EQ(canvas->GetLocalClipBounds(), TRectF(0.5f, 1, 2, 3));
    EXPECT_EQ(canvas->GetSaveCount(), 3);
    EXPECT_EQ(canvas->GetBaseProperties().PixelGeometry, TSkPixelGeometry::BGRHorizontal);
    EXPECT_TRUE(canvas->QuickReject(TRectF(101, 0, 200, 1)));
    EXPECT_FALSE(canvas->QuickReject(TRectF(0, 0, 1, 1)));
}

TEST_F(SkCanvas, MakeSurfaceGivesNilOnFailureAndPassesPropertiesWhenGiven) {
    static const plix_surface_props* props;
    static plix_handle result;
    Spy<&API::plix_canvas_make_surface>
        make([](plix_handle, const plix_imageinfo* info, const plix_surface_props* p) {
            EXPECT_EQ(info->width, 20);
            props = p;
            return result;
        });
    result = 0;
    EXPECT_FALSE(canvas->MakeSurface(TSkImageInfo(20, 10)));
    EXPECT_EQ(props, nullptr);
    result = 0x5F00;
    Ref<ISkSurface> surface = canvas->MakeSurface(TSkImageInfo(20, 10), TSkSurfaceProperties());
    ASSERT_TRUE(surface);
    EXPECT_NE(props, nullptr);
    surface = nullptr;
    EXPECT_EQ(FakeReleases::Unrefs(0x5F00), 1);
}

TEST_F(SkCanvas, ASurfacesCanvasIsNeverDestroyedByItsWrapper) {
    canvas = nullptr;
    EXPECT_EQ(FakeReleases::Destroys(CanvasHandle), 0);
    // One the caller owns is.
    Wrap<TSkCanvas>(0xCB00);
    EXPECT_EQ(FakeReleases::Destroys(0xCB00), 1);
}

}  // namespace
