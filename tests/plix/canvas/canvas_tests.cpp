// The canvas on tiny surfaces: save stack, matrices, clips, layers, points and lines, images
// placed at whole pixels, worked out by hand.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "canvas/Canvas.h"
#include "canvas/Surface.h"

using namespace plix;

namespace {

constexpr Color4 kWhite{1, 1, 1, 1}, kBlack{0, 0, 0, 1};

sp<Surface> rgbaSurface(int w, int h) {
    return Surface::MakeRaster(ImageInfo::Make(w, h, ColorType::RGBA8888, AlphaType::Premul), 0, nullptr);
}

uint32_t px(const sp<Surface>& s, int x, int y) {
    uint32_t v;
    std::memcpy(&v, s->peekPixels().addr(x, y), 4);
    return v;  // little-endian: 0xAABBGGRR
}

Paint solid(uint32_t argb, bool aa = false) {
    Paint p;
    p.setColor(argb);
    p.antiAlias = aa;
    return p;
}

// Rows of the surface as characters: '#' for the colour, '.' for anything else.
std::vector<std::string> rows(const sp<Surface>& s, uint32_t abgr) {
    std::vector<std::string> out;
    for (int y = 0; y < s->height(); ++y) {
        std::string r;
        for (int x = 0; x < s->width(); ++x) r += px(s, x, y) == abgr ? '#' : '.';
        out.push_back(r);
    }
    return out;
}

constexpr uint32_t kRedPx = 0xff0000ff, kWhitePx = 0xffffffff;

}  // namespace

TEST(Canvas, SaveCountsAndRestoreBringBackMatrixAndClip) {
    auto s = rgbaSurface(4, 4);
    Canvas* c = s->canvas();
    EXPECT_EQ(c->saveCount(), 1);
    c->restore();  // nothing to restore
    EXPECT_EQ(c->saveCount(), 1);
    EXPECT_EQ(c->save(), 1);
    c->translate(2, 1);
    c->clipRect({0, 0, 1, 1}, ClipOp::Intersect, false);
    EXPECT_EQ(c->save(), 2);
    EXPECT_EQ(c->saveLayerAlpha(nullptr, 128), 3);
    EXPECT_EQ(c->saveCount(), 4);
    EXPECT_EQ(c->deviceClipBounds(), (IRect{2, 1, 3, 2}));
    c->restoreToCount(2);
    EXPECT_EQ(c->saveCount(), 2);
    c->restoreToCount(-5);
    EXPECT_EQ(c->saveCount(), 1);
    EXPECT_EQ(c->deviceClipBounds(), (IRect{0, 0, 4, 4}));
    EXPECT_TRUE(c->localToDevice3x3().isIdentity());
}

TEST(Canvas, MatricesComposeLocalFirst) {
    auto s = rgbaSurface(8, 8);
    Canvas* c = s->canvas();
    c->clear(kWhite);
    c->translate(1, 2);
    c->scale(2, 3);
    // (0, 0, 1, 1) scaled to 2 x 3 then moved by (1, 2).
    c->drawRect({0, 0, 1, 1}, solid(0xffff0000));
    const std::vector<std::string> want = {"........", "........", ".##.....", ".##.....",
                                           ".##.....", "........", "........", "........"};
    EXPECT_EQ(rows(s, kRedPx), want);
    const Matrix m = c->localToDevice3x3();
    EXPECT_EQ(m, Matrix::MakeAll(2, 0, 1, 0, 3, 2, 0, 0, 1));
    c->rotate(90, 1, 1);
    const Point p = c->localToDevice3x3().mapPoint({2, 1});  // (1, 2) after the turn about (1, 1)
    EXPECT_NEAR(p.x, 3, 1e-5);
    EXPECT_NEAR(p.y, 8, 1e-5);
    c->resetMatrix();
    EXPECT_TRUE(c->localToDevice3x3().isIdentity());
}

TEST(Canvas, PerspectiveMatrixKeepsTheWRow) {
    auto s = rgbaSurface(4, 4);
    Canvas* c = s->canvas();
    float v[16] = {1, 0, 0, 3, 0, 1, 0, 0, 0, 0, 1, 0, 0.5f, 0, 0, 1};
    c->concat(Matrix44::FromRowMajor(v));
    const Matrix m = c->localToDevice3x3();
    EXPECT_EQ(m, Matrix::MakeAll(1, 0, 3, 0, 1, 0, 0.5f, 0, 1));
    EXPECT_EQ(c->localToDevice().rc(3, 0), 0.5f);
    // x' = (x + 3) / (0.5 x + 1): (2, 2) goes to (2.5, 1).
    const Point p = m.mapPoint({2, 2});
    EXPECT_NEAR(p.x, 2.5f, 1e-6);
    EXPECT_NEAR(p.y, 1.0f, 1e-6);
}

TEST(Canvas, AliasedClipRectsRoundToPixels) {
    auto s = rgbaSurface(5, 5);
    Canvas* c = s->canvas();
    c->clear(kWhite);
    c->clipRect({0.4f, 1.6f, 3.49f, 3.5f}, ClipOp::Intersect, false);  // rounds to (0, 2, 3, 4)
    EXPECT_EQ(c->deviceClipBounds(), (IRect{0, 2, 3, 4}));
    c->drawColor({1, 0, 0, 1}, BlendMode::SrcOver);
    const std::vector<std::string> want = {".....", ".....", "###..", "###..", "....."};
    EXPECT_EQ(rows(s, kRedPx), want);
}

TEST(Canvas, DifferenceClips) {
    auto s = rgbaSurface(5, 5);
    Canvas* c = s->canvas();
    c->clear(kWhite);
    c->save();
    c->clipRect({0, 0, 5, 2}, ClipOp::Difference, false);  // a band: the clip stays a rectangle
    EXPECT_EQ(c->deviceClipBounds(), (IRect{0, 2, 5, 5}));
    c->clipRect({1, 3, 3, 4}, ClipOp::Difference, false);  // a hole
    c->drawPaint(solid(0xffff0000));
    c->restore();
    const std::vector<std::string> want = {".....", ".....", "#####", "#..##", "#####"};
    EXPECT_EQ(rows(s, kRedPx), want);
    c->clipRect({-10, -10, 10, 10}, ClipOp::Difference, false);
    EXPECT_TRUE(c->deviceClipBounds().isEmpty());
    EXPECT_TRUE(c->quickReject(Rect{0, 0, 1, 1}));
}

TEST(Canvas, AntiAliasedClipCoversPartialPixels) {
    auto s = Surface::MakeRaster(ImageInfo::Make(3, 1, ColorType::Alpha8, AlphaType::Premul), 0, nullptr);
    Canvas* c = s->canvas();
    c->clipRect({0, 0, 1.25f, 1}, ClipOp::Intersect, true);
    c->drawPaint(solid(0xff000000));
    const uint8_t* a = static_cast<const uint8_t*>(s->peekPixels().addr());
    EXPECT_EQ(a[0], 255);
    EXPECT_NEAR(a[1], 64, 1);  // a quarter of the pixel
    EXPECT_EQ(a[2], 0);
    // Clip paths intersect with what was there: a triangle's diagonal halves pixel 0 of a
    // 1-pixel-high strip.
    auto t = Surface::MakeRaster(ImageInfo::Make(2, 1, ColorType::Alpha8, AlphaType::Premul), 0, nullptr);
    Path tri;
    tri.moveTo({0, 0}).lineTo({1, 1}).lineTo({0, 1}).close();
    t->canvas()->clipPath(tri, ClipOp::Intersect, true);
    t->canvas()->drawPaint(solid(0xff000000));
    EXPECT_NEAR(static_cast<const uint8_t*>(t->peekPixels().addr())[0], 128, 1);
    EXPECT_EQ(static_cast<const uint8_t*>(t->peekPixels().addr())[1], 0);
}

TEST(Canvas, ClipBoundsAndQuickReject) {
    auto s = rgbaSurface(10, 10);
    Canvas* c = s->canvas();
    c->scale(2, 2);
    c->clipRect({1, 1, 3, 4}, ClipOp::Intersect, false);
    EXPECT_EQ(c->deviceClipBounds(), (IRect{2, 2, 6, 8}));
    // Device bounds outset by a pixel, mapped back: (1, 1, 7, 9) / 2.
    EXPECT_EQ(c->localClipBounds(), (Rect{0.5f, 0.5f, 3.5f, 4.5f}));
    EXPECT_FALSE(c->quickReject(Rect{3.2f, 3.2f, 5, 5}));  // within the slack pixel
    EXPECT_TRUE(c->quickReject(Rect{4, 0, 5, 5}));
    EXPECT_TRUE(c->quickReject(Rect{0, 0, NAN, 1}));
    Path far;
    far.addRect({20, 20, 30, 30});
    EXPECT_TRUE(c->quickReject(far));
    far.setFillType(PathFillType::InverseWinding);
    EXPECT_FALSE(c->quickReject(far));
}

TEST(Canvas, LayerAlphaBlendsOnceAtRestore) {
    auto s = rgbaSurface(4, 1);
    Canvas* c = s->canvas();
    c->clear(kWhite);
    c->saveLayerAlpha(nullptr, 128);
    // Two overlapping opaque rects: inside the layer the second simply covers the first.
    c->drawRect({0, 0, 3, 1}, solid(0xff0000ff));
    c->drawRect({1, 0, 2, 1}, solid(0xffff0000));
    c->restore();
    // Red at alpha 128/255 over white: green and blue keep 127/255 of white.
    const uint32_t p1 = px(s, 1, 0);
    EXPECT_EQ(p1 & 0xff, 255u);
    EXPECT_NEAR(int((p1 >> 8) & 0xff), 127, 1);
    EXPECT_NEAR(int((p1 >> 16) & 0xff), 127, 1);
    const uint32_t p0 = px(s, 0, 0);  // blue at half over white
    EXPECT_NEAR(int(p0 & 0xff), 127, 1);
    EXPECT_EQ((p0 >> 16) & 0xff, 255u);
    EXPECT_EQ(px(s, 3, 0), kWhitePx);
}

// Layers come back through the reference engine's 8-bit sprite rule on premultiplied 32-bit
// pixels; the expected pixels are the reference's, from eight layers in a row over an opaque
// and a translucent pixel.
TEST(Canvas, LayersRestoreWithTheEightBitRule) {
    struct Case {
        uint8_t layerAlpha;
        uint32_t argb;        // the colour drawn inside each layer
        uint32_t want[2];     // 0xAABBGGRR
    };
    const Case cases[] = {
        {1, 0xffff0000, {0xff785848, 0x80382828}},
        {128, 0xffff0000, {0xff0000fe, 0xfe0000fe}},
        {128, 0xc814f05a, {0xff5aed14, 0xfc59eb14}},
        {254, 0x4d0ac828, {0xff2cbf0b, 0xf627bd09}},
    };
    for (const Case& k : cases) {
        auto s = rgbaSurface(2, 1);
        const uint32_t start[2] = {0xff806040, 0x80403020};  // (64, 96, 128, 255), (32, 48, 64, 128)
        std::memcpy(s->peekPixels().addr(0, 0), start, sizeof(start));
        Canvas* c = s->canvas();
        for (int i = 0; i < 8; ++i) {
            c->saveLayerAlpha(nullptr, k.layerAlpha);
            c->drawRect({0, 0, 2, 1}, solid(k.argb));
            c->restore();
        }
        EXPECT_EQ(px(s, 0, 0), k.want[0]) << int(k.layerAlpha) << std::hex << " " << k.argb;
        EXPECT_EQ(px(s, 1, 0), k.want[1]) << int(k.layerAlpha) << std::hex << " " << k.argb;
    }
}

TEST(Canvas, LayerBoundsClipAndBlendMode) {
    auto s = rgbaSurface(4, 4);
    Canvas* c = s->canvas();
    c->clear(kWhite);
    const Rect bounds{1, 1, 3, 3};
    Paint layerPaint;
    layerPaint.setBlendMode(BlendMode::Multiply);
    c->saveLayer(&bounds, &layerPaint);
    EXPECT_EQ(c->deviceClipBounds(), (IRect{1, 1, 3, 3}));
    c->drawRect({0, 0, 2, 2}, solid(0xffff0000));
    c->restore();
    // Multiply of red over white is red, inside the bounds only.
    EXPECT_EQ(px(s, 1, 1), kRedPx);
    EXPECT_EQ(px(s, 0, 0), kWhitePx);
    EXPECT_EQ(px(s, 2, 2), kWhitePx);

    // Src replaces the destination also where the layer is transparent, so (as in the
    // reference engine) the layer ignores its bounds and reaches the whole clip.
    layerPaint.setBlendMode(BlendMode::Src);
    c->saveLayer(&bounds, &layerPaint);
    EXPECT_EQ(c->deviceClipBounds(), (IRect{0, 0, 4, 4}));
    c->drawRect({0, 0, 2, 2}, solid(0xffff0000));
    c->restore();
    EXPECT_EQ(px(s, 0, 0), kRedPx);
    EXPECT_EQ(px(s, 1, 1), kRedPx);
    EXPECT_EQ(px(s, 2, 2), 0u);
    EXPECT_EQ(px(s, 3, 3), 0u);
}

TEST(Canvas, NestedLayersAndInitWithPrevious) {
    auto s = rgbaSurface(3, 1);
    Canvas* c = s->canvas();
    c->clear({0, 0, 1, 1});
    c->saveLayer(nullptr, nullptr, Canvas::kInitWithPrevious);
    c->saveLayerAlpha(nullptr, 255);
    c->drawRect({1, 0, 2, 1}, solid(0xffff0000));
    c->restore();
    // The outer layer started as a copy of the blue base and now has red at 1; being opaque it
    // replaces the base when drawn back.
    c->restore();
    EXPECT_EQ(px(s, 0, 0), 0xffff0000u);
    EXPECT_EQ(px(s, 1, 0), kRedPx);
}

TEST(Canvas, PointsLinesAndPolygons) {
    auto s = rgbaSurface(6, 6);
    Canvas* c = s->canvas();
    c->clear(kWhite);
    Paint p = solid(0xffff0000);
    p.strokeWidth = 2;
    const Point pts[] = {{1, 1}, {4, 4}};
    c->drawPoints(PointMode::Points, 2, pts, p);  // 2 x 2 squares centred on each point
    const std::vector<std::string> want = {"##....", "##....", "......", "...##.", "...##.", "......"};
    EXPECT_EQ(rows(s, kRedPx), want);

    c->clear(kWhite);
    Paint hair = solid(0xffff0000);
    const Point dots[] = {{0.5f, 0.5f}, {3.5f, 2.5f}};
    c->drawPoints(PointMode::Points, 2, dots, hair);  // hairline points: one pixel each
    EXPECT_EQ(rows(s, kRedPx), (std::vector<std::string>{"#.....", "......", "...#..", "......", "......", "......"}));

    c->clear(kWhite);
    Paint thick = solid(0xffff0000);
    thick.strokeWidth = 2;
    thick.style = PaintStyle::Fill;  // lines are stroked whatever the style
    c->drawLine({1, 3}, {5, 3}, thick);
    EXPECT_EQ(rows(s, kRedPx), (std::vector<std::string>{"......", "......", ".####.", ".####.", "......", "......"}));

    c->clear(kWhite);
    const Point poly[] = {{1, 1}, {5, 1}, {5, 5}};
    c->drawPoints(PointMode::Polygon, 3, poly, thick);
    EXPECT_EQ(px(s, 3, 0), kRedPx);
    EXPECT_EQ(px(s, 5, 3), kRedPx);
    EXPECT_EQ(px(s, 1, 4), kWhitePx);  // open: no closing edge
    c->drawPoints(PointMode::Lines, 0, nullptr, thick);
}

TEST(Canvas, HairlinePointListsIgnoreCaps) {
    // Width-0 point lists, as the reference draws them: lines and polygons between the device
    // points with no caps; aliased points light the pixel the point is in (an integer point
    // is the pixel after it).
    auto s = rgbaSurface(12, 6);
    Canvas* c = s->canvas();
    const Point pts[] = {{1.3f, 1.5f}, {5.5f, 1.5f}, {10.2f, 3.5f}};
    std::vector<uint32_t> butt, square;
    for (StrokeCap cap : {StrokeCap::Butt, StrokeCap::Square}) {
        c->clear(kWhite);
        Paint hair = solid(0xff000000);
        hair.antiAlias = true;
        hair.cap = cap;
        c->drawPoints(PointMode::Polygon, 3, pts, hair);
        c->drawLine({1.2f, 4.5f}, {9.7f, 4.5f}, hair);
        auto& out = cap == StrokeCap::Butt ? butt : square;
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 12; ++x) out.push_back(px(s, x, y));
    }
    EXPECT_EQ(butt, square);
    EXPECT_EQ(px(s, 0, 4), kWhitePx);  // a square cap would reach column 0

    c->clear(kWhite);
    const Point dots[] = {{2, 1}, {7.9f, 3}};
    c->drawPoints(PointMode::Points, 2, dots, solid(0xffff0000));
    EXPECT_EQ(rows(s, kRedPx), (std::vector<std::string>{"............", "..#.........", "............",
                                                         ".......#....", "............", "............"}));
}

TEST(Canvas, RoundRectDifferenceNeedsTheInnerInside) {
    auto s = rgbaSurface(6, 6);
    Canvas* c = s->canvas();
    c->clear(kWhite);
    const RRect outer = RRect::MakeRect({0, 0, 6, 6}), inner = RRect::MakeRect({2, 2, 4, 4});
    c->drawDRRect(outer, inner, solid(0xffff0000));
    EXPECT_EQ(px(s, 0, 0), kRedPx);
    EXPECT_EQ(px(s, 2, 2), kWhitePx);
    EXPECT_EQ(px(s, 4, 4), kRedPx);
    c->clear(kWhite);
    c->drawDRRect(inner, outer, solid(0xffff0000));  // inner not inside: nothing
    EXPECT_EQ(px(s, 3, 3), kWhitePx);
}

TEST(Canvas, ImagesAtWholePixels) {
    // 2 x 1 unpremultiplied image: opaque green, half-transparent red.
    std::vector<uint8_t> img = {0, 255, 0, 255, 255, 0, 0, 128};
    sp<Image> image = Image::MakeRasterCopy(
        Pixmap(ImageInfo::Make(2, 1, ColorType::RGBA8888, AlphaType::Unpremul), img.data(), 8));
    ASSERT_TRUE(image);
    auto s = rgbaSurface(4, 2);
    Canvas* c = s->canvas();
    c->clear(kBlack);
    c->translate(0.5f, 0);
    c->drawImage(*image, 0.5f, 1, SamplingOptions(), nullptr);
    EXPECT_EQ(px(s, 0, 1), 0xff000000u);
    EXPECT_EQ(px(s, 1, 1), 0xff00ff00u);
    // Red at 128/255 over black: premultiplied red 128.
    EXPECT_EQ(px(s, 2, 1), 0xff000080u);
    EXPECT_EQ(px(s, 1, 0), 0xff000000u);
    // Alpha-only images draw the paint's colour.
    std::vector<uint8_t> alpha = {255, 51};
    sp<Image> mask = Image::MakeRasterCopy(
        Pixmap(ImageInfo::Make(2, 1, ColorType::Alpha8, AlphaType::Premul), alpha.data(), 2));
    Paint blue = solid(0xff0000ff);
    c->resetMatrix();
    c->drawImage(*mask, 2, 0, SamplingOptions(), &blue);
    EXPECT_EQ(px(s, 2, 0), 0xffff0000u);
    EXPECT_EQ(px(s, 3, 0), 0xff330000u);  // 51 of blue over black
}

TEST(Surface, SnapshotsShareUntilTheNextDraw) {
    auto s = rgbaSurface(2, 2);
    s->canvas()->clear({1, 0, 0, 1});
    sp<Image> a = s->makeImageSnapshot();
    ASSERT_TRUE(a);
    EXPECT_EQ(a->pixmap().addr(), s->peekPixels().addr());
    s->canvas()->clear({0, 1, 0, 1});
    EXPECT_NE(a->pixmap().addr(), s->peekPixels().addr());
    uint32_t before;
    std::memcpy(&before, a->pixmap().addr(), 4);
    EXPECT_EQ(before, kRedPx);
    EXPECT_EQ(px(s, 0, 0), 0xff00ff00u);
    sp<Image> part = s->makeImageSnapshot({1, 1, 5, 5});
    ASSERT_TRUE(part);
    EXPECT_EQ(part->width(), 1);
    EXPECT_FALSE(s->makeImageSnapshot({2, 0, 3, 1}));
}

TEST(Surface, DirectSurfacesDrawIntoTheCallersPixelsAndReleaseOnce) {
    std::vector<uint32_t> mem(4, 0);
    int released = 0;
    auto release = [](void* pixels, void* ctx) {
        (void)pixels;
        ++*static_cast<int*>(ctx);
    };
    {
        auto s = Surface::MakeRasterDirect(
            Pixmap(ImageInfo::Make(2, 2, ColorType::RGBA8888, AlphaType::Premul), mem.data(), 8), release, &released,
            nullptr);
        ASSERT_TRUE(s);
        s->canvas()->clear({1, 0, 0, 1});
        EXPECT_EQ(mem[3], kRedPx);
        sp<Image> snap = s->makeImageSnapshot();
        s->canvas()->clear({0, 0, 1, 1});
        uint32_t kept;
        std::memcpy(&kept, snap->pixmap().addr(), 4);
        EXPECT_EQ(kept, kRedPx);  // the snapshot was a copy
        EXPECT_EQ(released, 0);
    }
    EXPECT_EQ(released, 1);
    // Refused surfaces never call it.
    EXPECT_FALSE(Surface::MakeRasterDirect(
        Pixmap(ImageInfo::Make(2, 2, ColorType::RGBA8888, AlphaType::Premul), mem.data(), 4), release, &released,
        nullptr));
    EXPECT_FALSE(Surface::MakeRasterDirect(
        Pixmap(ImageInfo::Make(2, 2, ColorType::RGBA8888, AlphaType::Premul), nullptr, 8), release, &released,
        nullptr));
    EXPECT_EQ(released, 1);
}

TEST(Surface, RefusesBadInfos) {
    const ImageInfo ok = ImageInfo::Make(4, 4, ColorType::RGBA8888, AlphaType::Premul);
    EXPECT_TRUE(Surface::MakeRaster(ok, 0, nullptr));
    EXPECT_TRUE(Surface::MakeRaster(ok, 32, nullptr));
    EXPECT_FALSE(Surface::MakeRaster(ok, 12, nullptr));
    EXPECT_FALSE(Surface::MakeRaster(ok, 18, nullptr));
    EXPECT_FALSE(Surface::MakeRaster(ok.makeWH(0, 4), 0, nullptr));
    EXPECT_FALSE(Surface::MakeRaster(ok.makeWH(-3, 4), 0, nullptr));
    EXPECT_FALSE(Surface::MakeRaster(ok.makeWH(100000, 100000), 0, nullptr));  // 40 GB
    EXPECT_FALSE(Surface::MakeRaster(ok.makeColorType(ColorType::Unknown), 0, nullptr));
    EXPECT_FALSE(Surface::MakeRaster(ok.makeColorType(ColorType::RGB565), 0, nullptr));  // premul 565
    SurfaceProps props{SurfaceProps::kUseDeviceIndependentFonts, PixelGeometry::BGRVertical};
    auto s = Surface::MakeRaster(ok, 0, &props);
    EXPECT_EQ(s->props(), props);
    auto made = s->canvas()->makeSurface(ok.makeWH(2, 3), nullptr);
    ASSERT_TRUE(made);
    EXPECT_EQ(made->props(), props);
    EXPECT_EQ(made->height(), 3);
}

namespace {

sp<Image> rgbaImage(int w, int h, const std::vector<uint32_t>& px) {
    std::vector<uint32_t> copy = px;
    return Image::MakeRasterCopy(
        Pixmap(ImageInfo::Make(w, h, ColorType::RGBA8888, AlphaType::Premul), copy.data(), size_t(w) * 4));
}

}  // namespace

TEST(Canvas, ScaledImagesNearestAndLinear) {
    sp<Image> img = rgbaImage(2, 1, {kRedPx, 0xffff0000});  // red, blue
    auto s = rgbaSurface(4, 1);
    Canvas* c = s->canvas();
    c->drawImageRect(*img, {0, 0, 2, 1}, {0, 0, 4, 1}, SamplingOptions(), nullptr, SrcRectConstraint::Fast);
    EXPECT_EQ(px(s, 0, 0), kRedPx);
    EXPECT_EQ(px(s, 1, 0), kRedPx);
    EXPECT_EQ(px(s, 2, 0), 0xffff0000u);
    EXPECT_EQ(px(s, 3, 0), 0xffff0000u);
    // Bilinear: pixel centres fall at 0.25, 0.75, 1.25, 1.75 of the image; samples are clamped
    // half a pixel inside, so the ends are pure and the middle pixels mix 3:1.
    c->drawImageRect(*img, {0, 0, 2, 1}, {0, 0, 4, 1}, SamplingOptions(FilterMode::Linear), nullptr,
                     SrcRectConstraint::Fast);
    const int red[4] = {255, 191, 64, 0};
    for (int x = 0; x < 4; ++x) {
        EXPECT_NEAR(int(px(s, x, 0) & 0xff), red[x], 1) << x;
        EXPECT_NEAR(int((px(s, x, 0) >> 16) & 0xff), 255 - red[x], 1) << x;
    }
    // Strict drawing of the left pixel alone never reads the blue one.
    c->drawImageRect(*img, {0, 0, 1, 1}, {0, 0, 4, 1}, SamplingOptions(FilterMode::Linear), nullptr,
                     SrcRectConstraint::Strict);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(px(s, x, 0), kRedPx) << x;
}

TEST(Canvas, NinePatchKeepsCornersAndStretchesTheMiddle) {
    // 3 x 3 cells of one pixel: A B C / D E F / G H I, as grey levels 10..90 in red.
    std::vector<uint32_t> cells;
    for (int i = 1; i <= 9; ++i) cells.push_back(0xff000000u | uint32_t(i * 10));
    sp<Image> img = rgbaImage(3, 3, cells);
    auto s = rgbaSurface(5, 5);
    Canvas* c = s->canvas();
    c->drawImageNine(*img, {1, 1, 2, 2}, {0, 0, 5, 5}, FilterMode::Nearest, nullptr);
    const int want[5][5] = {{10, 20, 20, 20, 30},
                            {40, 50, 50, 50, 60},
                            {40, 50, 50, 50, 60},
                            {40, 50, 50, 50, 60},
                            {70, 80, 80, 80, 90}};
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(int(px(s, x, y) & 0xff), want[y][x]) << x << "," << y;
    // Smaller than the corners: the fixed parts shrink together, the middle vanishes.
    auto t = rgbaSurface(2, 2);
    t->canvas()->drawImageNine(*img, {1, 1, 2, 2}, {0, 0, 2, 2}, FilterMode::Nearest, nullptr);
    EXPECT_EQ(int(px(t, 0, 0) & 0xff), 10);
    EXPECT_EQ(int(px(t, 1, 1) & 0xff), 90);
}

TEST(Canvas, LatticeCellTypes) {
    std::vector<uint32_t> cells(4 * 1, kRedPx);
    sp<Image> img = rgbaImage(4, 1, cells);
    auto s = rgbaSurface(4, 1);
    Canvas* c = s->canvas();
    c->clear(kWhite);
    // Columns 0..1 | 1..3 | 3..4: fixed, stretched, fixed; one row.
    const int32_t xDivs[] = {1, 3}, yDivs[] = {0};
    const int32_t types[] = {Lattice::kDefault, Lattice::kTransparent, Lattice::kFixedColor,
                             Lattice::kDefault, Lattice::kDefault, Lattice::kDefault};
    const uint32_t colors[] = {0, 0, 0xff00ff00, 0, 0, 0};
    Lattice l;
    l.xDivs = xDivs, l.yDivs = yDivs, l.xCount = 2, l.yCount = 1;
    l.rectTypes = types, l.colors = colors;
    // yDivs {0}: an empty fixed row first, then the stretched row; the cells of the empty row
    // draw nothing, the second row's are default.
    c->drawImageLattice(*img, l, {0, 0, 4, 1}, FilterMode::Nearest, nullptr);
    EXPECT_EQ(px(s, 0, 0), kRedPx);
    EXPECT_EQ(px(s, 3, 0), kRedPx);
    const int32_t types2[] = {Lattice::kTransparent, Lattice::kFixedColor, Lattice::kDefault,
                              Lattice::kTransparent, Lattice::kFixedColor, Lattice::kDefault};
    l.rectTypes = types2;
    const uint32_t colors2[] = {0, 0, 0, 0, 0xff00ff00, 0};
    l.colors = colors2;
    c->clear(kWhite);
    c->drawImageLattice(*img, l, {0, 0, 4, 1}, FilterMode::Nearest, nullptr);
    EXPECT_EQ(px(s, 0, 0), kWhitePx);      // transparent cell
    EXPECT_EQ(px(s, 1, 0), 0xff00ff00u);   // fixed colour, stretched over 1..3
    EXPECT_EQ(px(s, 2, 0), 0xff00ff00u);
    EXPECT_EQ(px(s, 3, 0), kRedPx);
    // Divisions out of order draw the image plainly.
    const int32_t bad[] = {3, 1};
    l.xDivs = bad;
    l.rectTypes = nullptr;
    c->clear(kWhite);
    c->drawImageLattice(*img, l, {0, 0, 4, 1}, FilterMode::Nearest, nullptr);
    EXPECT_EQ(px(s, 1, 0), kRedPx);
}

namespace {

// A shader of one premultiplied colour, enough to steer a shader clip.
class FlatShader final : public Shader {
public:
    explicit FlatShader(float alpha) : fAlpha(alpha) {}
    bool appendStages(const StageRec& rec, const Matrix&) const override {
        float* c = rec.pipeline->makeArray<float>(4);
        c[0] = c[1] = c[2] = 0, c[3] = fAlpha;
        rec.pipeline->append(Op::constant_color, c);
        return true;
    }

private:
    float fAlpha;
};

}  // namespace

TEST(Canvas, ShaderClipsScaleCoverageByTheShadersAlpha) {
    auto s = Surface::MakeRaster(ImageInfo::Make(4, 1, ColorType::Alpha8, AlphaType::Premul), 0, nullptr);
    Canvas* c = s->canvas();
    c->save();
    c->clipRect({0, 0, 2, 1}, ClipOp::Intersect, false);
    c->clipShader(make_sp<FlatShader>(0.5f), ClipOp::Intersect);
    c->drawPaint(solid(0xff000000));
    c->restore();
    const uint8_t* a = static_cast<const uint8_t*>(s->peekPixels().addr());
    EXPECT_NEAR(a[0], 128, 1);
    EXPECT_NEAR(a[1], 128, 1);
    EXPECT_EQ(a[2], 0);
    // Difference keeps what the shader does not cover: a quarter-alpha shader leaves 3/4.
    auto t = Surface::MakeRaster(ImageInfo::Make(2, 1, ColorType::Alpha8, AlphaType::Premul), 0, nullptr);
    t->canvas()->clipShader(make_sp<FlatShader>(0.25f), ClipOp::Difference);
    t->canvas()->drawPaint(solid(0xff000000));
    EXPECT_NEAR(static_cast<const uint8_t*>(t->peekPixels().addr())[1], 191, 1);
    t->canvas()->clipShader(nullptr, ClipOp::Intersect);  // nothing to clip with: no change
    EXPECT_EQ(t->canvas()->deviceClipBounds(), (IRect{0, 0, 2, 1}));
}

TEST(Canvas, ClippedScaledImagesMatchUnclippedOnes) {
    // Only the visible part of an image is prepared for sampling: the pixels inside a clip
    // must be those of the same draw without it.
    std::vector<uint32_t> pattern(64 * 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            pattern[size_t(y * 64 + x)] = 0xff000000u | uint32_t(x * 4) | uint32_t(y * 4) << 8 | uint32_t((x ^ y) * 4) << 16;
    sp<Image> img = rgbaImage(64, 64, pattern);
    for (const SamplingOptions& sampling : {SamplingOptions(FilterMode::Linear), SamplingOptions(CubicResampler{})}) {
        auto whole = rgbaSurface(200, 200), clipped = rgbaSurface(200, 200);
        for (auto* s : {whole.get(), clipped.get()}) {
            s->canvas()->save();
            if (s == clipped.get()) s->canvas()->clipRect({101.5f, 90, 140, 133.25f}, ClipOp::Intersect, true);
            s->canvas()->rotate(3, 100, 100);
            s->canvas()->drawImageRect(*img, {3, 5, 60, 61}, {-20, -10, 230, 215}, sampling, nullptr,
                                       SrcRectConstraint::Strict);
            s->canvas()->restore();
        }
        for (int y = 91; y < 133; ++y)
            for (int x = 102; x < 140; ++x) ASSERT_EQ(px(clipped, x, y), px(whole, x, y)) << x << "," << y;
    }
}
