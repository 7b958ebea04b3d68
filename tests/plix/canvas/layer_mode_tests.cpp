// Layers drawn back, and draws, with blend modes and colour filters that change the destination
// where the source is transparent: worked out by hand on tiny surfaces, and the dstmode_*
// scenes of fixtures/scenes.txt held strictly to the reference engine's images (flat pixels,
// such as everything a layer clears outside its bounds, within 3 levels).
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "../GoldenImages.h"
#include "../SceneList.h"
#include "CanvasScenes.h"
#include "canvas/Canvas.h"
#include "canvas/Surface.h"
#include "shaders/ColorFilters.h"

using namespace plix;

namespace {

constexpr uint32_t kBluePx = 0xffff0000;  // opaque blue as stored RGBA (little-endian ABGR)

sp<Surface> blueSurface(int w, int h) {
    auto s = Surface::MakeRaster(ImageInfo::Make(w, h, ColorType::RGBA8888, AlphaType::Premul), 0, nullptr);
    s->canvas()->clear({0, 0, 1, 1});
    return s;
}

uint32_t px(const sp<Surface>& s, int x, int y) {
    uint32_t v;
    std::memcpy(&v, s->peekPixels().addr(x, y), 4);
    return v;
}

Paint solid(uint32_t argb) {
    Paint p;
    p.setColor(argb);
    return p;
}

// A 16 x 16 opaque blue surface; a layer with bounds 4..8 and the mode; half-transparent red in
// 5..7 and in 0..2 (outside the bounds) inside it; restore.
sp<Surface> layerWithMode(BlendMode mode) {
    auto s = blueSurface(16, 16);
    Canvas* c = s->canvas();
    Paint layer;
    layer.setBlendMode(mode);
    const Rect bounds{4, 4, 8, 8};
    c->saveLayer(&bounds, &layer);
    c->drawRect({5, 5, 7, 7}, solid(0x80ff0000));
    c->drawRect({0, 0, 2, 2}, solid(0x80ff0000));
    c->restore();
    return s;
}

// The layer's pixel where it is transparent (outside everything drawn) and where the red at
// alpha 128 was drawn, blended with opaque blue by the mode, as premultiplied RGBA bytes.
struct ModeCase {
    BlendMode mode;
    uint32_t empty;  // where the layer stayed transparent, inside and outside the bounds
    uint32_t red;    // where the layer holds red at 128 (also outside the bounds when unbounded)
    bool bounded;    // the layer keeps its bounds (the red at 0..2 is dropped)
};

TEST(LayerModes, DestinationChangingModesReachTheWholeClip) {
    // Red at 128 premultiplied: (128, 0, 0, 128); blue (0, 0, 255, 255).
    const ModeCase cases[] = {
        {BlendMode::DstIn, 0, 0x80800000, false},     // blue * 128/255
        {BlendMode::SrcIn, 0, 0x80000080, false},     // red as it is
        {BlendMode::Src, 0, 0x80000080, false},
        {BlendMode::Clear, 0, 0, false},
        {BlendMode::SrcOut, 0, 0, false},             // red * (1 - 1)
        {BlendMode::DstATop, 0, 0x80800000, false},   // blue * 128/255 + red * 0
        {BlendMode::Modulate, 0, 0x80000000, false},  // red * blue: only alpha 128 * 255
        {BlendMode::SrcOver, kBluePx, 0xff7f0080, true},
        {BlendMode::Xor, kBluePx, 0x7f7f0000, true},  // red * 0 + blue * 127/255
        {BlendMode::DstOut, kBluePx, 0x7f7f0000, true},
    };
    for (const ModeCase& k : cases) {
        SCOPED_TRACE(int(k.mode));
        auto s = layerWithMode(k.mode);
        for (const auto& [x, y] : {std::pair{4, 4}, {7, 7}, {0, 15}, {15, 0}, {8, 8}, {3, 5}, {12, 12}})
            EXPECT_EQ(px(s, x, y), k.empty) << x << "," << y;
        for (const auto& [x, y] : {std::pair{5, 5}, {6, 6}}) {
            const uint32_t got = px(s, x, y);
            for (int c = 0; c < 32; c += 8)
                EXPECT_NEAR(int((got >> c) & 255), int((k.red >> c) & 255), 1) << x << "," << y << " byte " << c / 8;
        }
        const uint32_t outside = px(s, 1, 1);
        if (k.bounded) {
            EXPECT_EQ(outside, k.empty);
        } else {
            for (int c = 0; c < 32; c += 8)
                EXPECT_NEAR(int((outside >> c) & 255), int((k.red >> c) & 255), 1) << "byte " << c / 8;
        }
    }
}

TEST(LayerModes, ClipLimitsTheUnboundedRestore) {
    auto s = blueSurface(16, 16);
    Canvas* c = s->canvas();
    c->clipRect({2, 2, 12, 12}, ClipOp::Intersect, false);
    Paint layer;
    layer.setBlendMode(BlendMode::DstIn);
    const Rect bounds{4, 4, 8, 8};
    c->saveLayer(&bounds, &layer);
    EXPECT_EQ(c->deviceClipBounds(), (IRect{2, 2, 12, 12}));
    c->restore();
    EXPECT_EQ(px(s, 1, 1), kBluePx);
    EXPECT_EQ(px(s, 12, 5), kBluePx);
    EXPECT_EQ(px(s, 2, 2), 0u);
    EXPECT_EQ(px(s, 11, 11), 0u);
    EXPECT_EQ(px(s, 5, 5), 0u);
}

TEST(LayerModes, BoundsOutsideTheClip) {
    // SrcOver: the layer is empty and nothing is drawn. DstIn: the clip is cleared and the
    // draw inside it shows.
    for (const BlendMode mode : {BlendMode::SrcOver, BlendMode::DstIn}) {
        auto s = blueSurface(16, 16);
        Canvas* c = s->canvas();
        c->clipRect({0, 0, 8, 8}, ClipOp::Intersect, false);
        Paint layer;
        layer.setBlendMode(mode);
        const Rect bounds{10, 10, 14, 14};
        c->saveLayer(&bounds, &layer);
        c->drawRect({2, 2, 4, 4}, solid(0xffff0000));
        c->restore();
        const bool cleared = mode == BlendMode::DstIn;
        EXPECT_EQ(px(s, 0, 0), cleared ? 0u : kBluePx);
        EXPECT_EQ(px(s, 2, 2), kBluePx);  // DstIn of opaque red keeps the blue
        EXPECT_EQ(px(s, 8, 8), kBluePx);
        EXPECT_EQ(px(s, 12, 12), kBluePx);
    }
}

TEST(LayerModes, ColourFiltersThatColourTransparentBlack) {
    // Opaque green over the layer (SrcOver) colours everything the clip holds; green kept only
    // where the layer is drawn (SrcIn) leaves the outside alone and keeps the bounds.
    const Color4f green{0, 1, 0, 1};
    auto tinted = blueSurface(16, 16);
    {
        Canvas* c = tinted->canvas();
        c->clipRect({0, 0, 12, 12}, ClipOp::Intersect, false);
        Paint layer;
        layer.colorFilter = MakeBlendColorFilter(green, nullptr, BlendMode::SrcOver);
        const Rect bounds{4, 4, 8, 8};
        c->saveLayer(&bounds, &layer);
        c->restore();
    }
    EXPECT_EQ(px(tinted, 0, 0), 0xff00ff00u);
    EXPECT_EQ(px(tinted, 11, 11), 0xff00ff00u);
    EXPECT_EQ(px(tinted, 12, 12), kBluePx);

    auto kept = blueSurface(16, 16);
    {
        Canvas* c = kept->canvas();
        Paint layer;
        layer.colorFilter = MakeBlendColorFilter(green, nullptr, BlendMode::SrcIn);
        const Rect bounds{4, 4, 8, 8};
        c->saveLayer(&bounds, &layer);
        c->drawRect({0, 0, 16, 16}, solid(0xffff0000));
        c->restore();
    }
    EXPECT_EQ(px(kept, 0, 0), kBluePx);
    EXPECT_EQ(px(kept, 4, 4), 0xff00ff00u);
    EXPECT_EQ(px(kept, 8, 8), kBluePx);
}

TEST(LayerModes, NestedLayerClearsItsParentOnly) {
    // The outer layer (bounds 2..14) is filled red; an inner DstIn layer with nothing in it
    // clears the outer layer, so the outer restore leaves the blue untouched.
    auto s = blueSurface(16, 16);
    Canvas* c = s->canvas();
    const Rect outer{2, 2, 14, 14}, inner{6, 6, 8, 8};
    c->saveLayer(&outer, nullptr);
    c->drawPaint(solid(0xffff0000));
    Paint layer;
    layer.setBlendMode(BlendMode::DstIn);
    c->saveLayer(&inner, &layer);
    c->restore();
    c->restore();
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(px(s, x, y), kBluePx) << x << "," << y;
}

TEST(LayerModes, DrawsWithoutALayerChangeTheirShapeOnly) {
    auto s = blueSurface(16, 16);
    Canvas* c = s->canvas();
    Paint p = solid(0x80000000);
    p.setBlendMode(BlendMode::DstIn);
    c->drawRect({4, 4, 8, 8}, p);
    Path tri;
    tri.moveTo({10, 2});
    tri.lineTo({14, 2});
    tri.lineTo({14, 6});
    tri.close();
    p.setBlendMode(BlendMode::Clear);
    c->drawPath(tri, p);
    EXPECT_EQ(px(s, 3, 3), kBluePx);
    EXPECT_EQ(px(s, 8, 8), kBluePx);
    EXPECT_EQ(px(s, 5, 5), 0x80800000u);
    EXPECT_EQ(px(s, 13, 2), 0u);
    EXPECT_EQ(px(s, 10, 5), kBluePx);
    EXPECT_EQ(px(s, 0, 15), kBluePx);
}

// ---- the dstmode_* scenes against the reference engine's images ----

std::vector<test::Scene> dstModeScenes() {
    std::vector<test::Scene> out;
    for (test::Scene& s : test::LoadScenes(std::string(PLIX_CANVAS_FIXTURES) + "/scenes.txt"))
        if (s.name.rfind("dstmode_", 0) == 0) out.push_back(std::move(s));
    return out;
}

// Flat pixels of the reference (no neighbour differs by more than 3) within 3 levels; outline
// pixels within 64 levels, 8 on average, with at most 6 beyond.
class DstModeGolden : public ::testing::TestWithParam<test::Scene> {};

TEST_P(DstModeGolden, MatchesTheReferenceStrictly) {
    const test::Scene& s = GetParam();
    auto surface = Surface::MakeRaster(ImageInfo::Make(s.w, s.h, ColorType::RGBA8888, AlphaType::Premul), 0, nullptr);
    ASSERT_TRUE(surface);
    std::map<std::string, sp<Image>> images;
    for (const std::string& line : s.lines) test::run(*surface->canvas(), line, images);
    ASSERT_EQ(surface->canvas()->saveCount(), 1) << "unbalanced scene";
    std::vector<uint8_t> got(size_t(s.w * s.h * 4));
    ASSERT_TRUE(surface->readPixels(
        Pixmap(ImageInfo::Make(s.w, s.h, ColorType::RGBA8888, AlphaType::Premul), got.data(), size_t(s.w) * 4), 0, 0));
    int w = 0, h = 0;
    std::vector<uint8_t> want;
    ASSERT_TRUE(test::readPng(std::string(PLIX_CANVAS_FIXTURES) + "/" + s.name + ".png", &w, &h, &want));
    ASSERT_EQ(w, s.w);
    ASSERT_EQ(h, s.h);
    int flatOver = 0, outliers = 0, edges = 0;
    double edgeSum = 0;
    for (const test::PixelDiff& p : test::compareImages(got.data(), want.data(), w, h)) {
        if (p.flat) {
            if (p.worst() > 3) {
                if (++flatOver <= 5) ADD_FAILURE() << s.name << " flat pixel " << p.x << "," << p.y << " off by " << p.worst();
            }
        } else {
            ++edges;
            edgeSum += p.worst();
            outliers += p.worst() > 64;
        }
    }
    EXPECT_EQ(flatOver, 0) << s.name;
    EXPECT_LE(outliers, 6) << s.name;
    if (edges) {
        EXPECT_LE(edgeSum / edges, 8.0) << s.name;
    }
    if (::testing::Test::HasFailure())
        ADD_FAILURE() << "our image: " << test::saveForReview(PLIX_CANVAS_GOLDEN_OUT, s.name + "_strict", w, h, got.data());
}

INSTANTIATE_TEST_SUITE_P(Scenes, DstModeGolden, ::testing::ValuesIn(dstModeScenes()),
                         [](const ::testing::TestParamInfo<test::Scene>& i) { return i.param.name; });

}  // namespace
