// The wrappers end to end through the real native library: what they marshal must mean to the
// engine what the framework means (colours, matrices, pixel memory, release callbacks). A test
// whose entries the library does not export yet is skipped.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <string>
#include <vector>

#include "Skia/API.h"
#include "Skia/Canvas.h"
#include "Skia/ColorSpace.h"
#include "Skia/Image.h"
#include "Skia/Paint.h"
#include "Skia/Path.h"
#include "Skia/PathBuilder.h"
#include "Skia/PathEffect.h"
#include "Skia/PathMeasure.h"
#include "Skia/PictureRecorder.h"
#include "Skia/Pixmap.h"
#include "Skia/Region.h"
#include "Skia/Surface.h"
#include "Raised.h"
#include "ui/Stream.h"

using namespace Skia;
namespace API = Skia::API;
using Ui::TAlphaColor;
using Ui::TRectF;

namespace {

constexpr TAlphaColor Red = 0xFFFF0000, Blue = 0xFF0000FF, Green = 0xFF00FF00;

// The names the library does not resolve, among these.
std::string Missing(std::initializer_list<const char*> names) {
    std::string missing;
    for (const char* name : names) {
        size_t index = 0;
        while (index < API::EntryPointCount && std::strcmp(API::EntryPointNames[index], name) != 0) ++index;
        if (index == API::EntryPointCount || !API::Detail::IsResolved(index)) missing += std::string(" ") + name;
    }
    return missing;
}

#define REQUIRE_ENTRIES(...)                                                         \
    do {                                                                             \
        const std::string missing = Missing({__VA_ARGS__});                          \
        if (!missing.empty()) GTEST_SKIP() << "not exported yet:" << missing;       \
    } while (0)

// A 4 x 4 BGRA premultiplied image read back; as 32-bit words these are TAlphaColor values.
using Pixels = std::array<uint32_t, 16>;

Pixels Read(const Ref<ISkSurface>& surface) {
    Pixels pixels{};
    EXPECT_TRUE(surface->ReadPixels(TSkImageInfo(4, 4), pixels.data(), 16));
    return pixels;
}

TEST(SkEngine, ATranslatedRectangleLandsWhereTheFrameworkMatrixPutsIt) {
    REQUIRE_ENTRIES("plix_surface_make_raster", "plix_surface_get_canvas", "plix_surface_read_pixels",
                    "plix_canvas_clear", "plix_canvas_concat2", "plix_canvas_draw_rect", "plix_paint_create",
                    "plix_paint_set_color", "plix_pixmap_create", "plix_canvas_get_local_to_device_as_3x3");
    Ref<ISkSurface> surface = TSkSurface::MakeRaster(4, 4);
    ASSERT_TRUE(surface);
    Ref<ISkCanvas> canvas = surface->GetCanvas();
    canvas->Clear(Red);
    Ref<ISkPaint> paint = TSkPaint::Create();
    paint->SetColor(Blue);
    canvas->Concat(Ui::TMatrix::CreateTranslation(2, 1));
    canvas->DrawRect(TRectF(0, 0, 1, 1), paint);
    const Pixels pixels = Read(surface);
    EXPECT_EQ(pixels[1 * 4 + 2], Blue);
    EXPECT_EQ(pixels[0], Red);
    EXPECT_EQ(pixels[1 * 4 + 1], Red);
    const Ui::TMatrix m = canvas->GetLocalToDeviceAs3x3();
    EXPECT_EQ(m.m31, 2);
    EXPECT_EQ(m.m32, 1);
}

TEST(SkEngine, AScaledMatrixGrowsTheRectangle) {
    REQUIRE_ENTRIES("plix_surface_make_raster", "plix_surface_get_canvas", "plix_surface_read_pixels",
                    "plix_canvas_clear", "plix_canvas_set_matrix2", "plix_canvas_draw_rect", "plix_paint_create",
                    "plix_paint_set_color", "plix_pixmap_create");
    Ref<ISkSurface> surface = TSkSurface::MakeRaster(4, 4);
    Ref<ISkCanvas> canvas = surface->GetCanvas();
    canvas->Clear(Red);
    Ref<ISkPaint> paint = TSkPaint::Create();
    paint->SetColor(Green);
    // Row vectors: scale by 2, then move 1 right.
    canvas->SetMatrix(Ui::TMatrix::CreateScaling(2, 2) * Ui::TMatrix::CreateTranslation(1, 0));
    canvas->DrawRect(TRectF(0, 0, 1, 1), paint);
    const Pixels pixels = Read(surface);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(pixels[size_t(y * 4 + x)], (x >= 1 && x < 3 && y < 2) ? Green : Red) << x << "," << y;
}

TEST(SkEngine, TheSaveStackCountsAndRestores) {
    REQUIRE_ENTRIES("plix_surface_make_raster", "plix_surface_get_canvas", "plix_canvas_save",
                    "plix_canvas_get_save_count", "plix_canvas_restore_to_count", "plix_canvas_translate",
                    "plix_canvas_get_local_to_device");
    Ref<ISkSurface> surface = TSkSurface::MakeRaster(4, 4);
    Ref<ISkCanvas> canvas = surface->GetCanvas();
    const int32_t initial = canvas->GetSaveCount();
    canvas->Save();
    canvas->Translate(3, 0);
    canvas->Save();
    EXPECT_EQ(canvas->GetSaveCount(), initial + 2);
    EXPECT_EQ(canvas->GetLocalToDevice().m41, 3);
    canvas->RestoreToCount(initial);
    EXPECT_EQ(canvas->GetSaveCount(), initial);
    EXPECT_EQ(canvas->GetLocalToDevice().m41, 0);
}

TEST(SkEngine, ADirectSurfaceDrawsIntoTheCallersPixelsAndGivesThemBackOnce) {
    REQUIRE_ENTRIES("plix_surface_make_raster_direct", "plix_pixmap_create", "plix_surface_get_canvas",
                    "plix_canvas_clear");
    Pixels pixels{};
    int released = 0;
    void* releasedPixels = nullptr;
    {
        Ref<ISkSurface> surface = TSkSurface::MakeRasterDirect(TSkImageInfo(4, 4), pixels.data(), 16, [&](void* p) {
            ++released;
            releasedPixels = p;
        });
        ASSERT_TRUE(surface);
        surface->GetCanvas()->Clear(Green);
        EXPECT_EQ(pixels[15], Green);
        EXPECT_EQ(released, 0);
    }
    EXPECT_EQ(released, 1);
    EXPECT_EQ(releasedPixels, pixels.data());
}

TEST(SkEngine, SnapshotsAndPixmapsSeeTheSamePixels) {
    REQUIRE_ENTRIES("plix_surface_make_raster", "plix_surface_get_canvas", "plix_canvas_clear",
                    "plix_surface_make_image_snapshot", "plix_image_get_width", "plix_image_get_height",
                    "plix_image_read_pixels", "plix_pixmap_create", "plix_pixmap_get_color",
                    "plix_image_make_raster_copy", "plix_image_get_image_info");
    Ref<ISkSurface> surface = TSkSurface::MakeRaster(4, 4);
    surface->GetCanvas()->Clear(Blue);
    Ref<ISkImage> snapshot = surface->MakeImageSnapshot();
    ASSERT_TRUE(snapshot);
    surface->GetCanvas()->Clear(Red);  // the snapshot keeps what it saw
    EXPECT_EQ(snapshot->GetWidth(), 4);
    EXPECT_EQ(snapshot->GetHeight(), 4);
    EXPECT_EQ(snapshot->GetImageInfo().ColorType, TSkColorType::BGRA8888);
    Pixels pixels{};
    Ref<ISkPixmap> pixmap = TSkPixmap::Create(TSkImageInfo(4, 4), pixels.data(), 16);
    EXPECT_TRUE(snapshot->ReadPixels(pixmap));
    EXPECT_EQ(pixels[5], Blue);
    EXPECT_EQ(pixmap->GetColor(3, 3), Blue);
    Ref<ISkImage> copy = TSkImage::MakeRasterCopy(pixmap);
    ASSERT_TRUE(copy);
    pixels.fill(0);  // a copy does not share the pixels
    Pixels again{};
    EXPECT_TRUE(copy->ReadPixels(TSkImageInfo(4, 4), again.data(), 16));
    EXPECT_EQ(again[0], Blue);
}

TEST(SkEngine, APaintKeepsItsSettingsAndCopiesThem) {
    REQUIRE_ENTRIES("plix_paint_create", "plix_paint_create2", "plix_paint_set_color", "plix_paint_get_color",
                    "plix_paint_set_style", "plix_paint_get_style", "plix_paint_set_stroke_width",
                    "plix_paint_get_stroke_width", "plix_paint_reset", "plix_paint_get_shader");
    Ref<ISkPaint> paint = TSkPaint::Create(TSkPaintStyle::Stroke);
    EXPECT_EQ(paint->GetStyle(), TSkPaintStyle::Stroke);
    paint->SetColor(0x80123456);
    paint->SetStrokeWidth(3.5f);
    Ref<ISkPaint> copy = TSkPaint::Create(paint);
    EXPECT_EQ(copy->GetColor(), 0x80123456u);
    EXPECT_EQ(copy->GetStrokeWidth(), 3.5f);
    EXPECT_FALSE(copy->GetShader());
    paint->Reset();
    EXPECT_EQ(paint->GetStyle(), TSkPaintStyle::Fill);
    EXPECT_EQ(copy->GetStyle(), TSkPaintStyle::Stroke);  // the copy is its own
}

TEST(SkEngine, ABuiltRectangleWalksAsMoveLinesAndClose) {
    REQUIRE_ENTRIES("plix_pathbuilder_create", "plix_pathbuilder_add_rect", "plix_pathbuilder_detach",
                    "plix_path_get_bounds", "plix_path_is_rect", "plix_pathiterator_create", "plix_pathiterator_next",
                    "plix_pathiterator_destroy");
    Ref<ISkPathBuilder> builder = TSkPathBuilder::Create();
    builder->AddRect(TRectF(1, 2, 11, 7));
    Ref<ISkPath> path = builder->Detach();
    ASSERT_TRUE(path);
    EXPECT_EQ(path->GetBounds(), TRectF(1, 2, 11, 7));
    TRectF rect;
    EXPECT_TRUE(path->IsRect(rect));
    EXPECT_EQ(rect, TRectF(1, 2, 11, 7));
    std::vector<TSkPathVerb> verbs;
    for (const auto& elem : path->GetIterator()->GetEnumerator()) verbs.push_back(elem.Verb);
    ASSERT_GE(verbs.size(), 5u);
    EXPECT_EQ(verbs.front(), TSkPathVerb::Move);
    EXPECT_EQ(verbs.back(), TSkPathVerb::Close);
    for (size_t i = 1; i + 1 < verbs.size(); ++i) EXPECT_EQ(verbs[i], TSkPathVerb::Line);
}

TEST(SkEngine, ColorSpacesCompareNatively) {
    REQUIRE_ENTRIES("plix_colorspace_make_srgb", "plix_colorspace_make_srgb_linear", "plix_colorspace_is_equal",
                    "plix_colorspace_is_srgb", "plix_colorspace_ref", "plix_colorspace_unref");
    const TSkImageInfo a = TSkImageInfo(2, 2).MakeColorSpace(TSkColorSpace::MakeSRGB());
    const TSkImageInfo b = TSkImageInfo(2, 2).MakeColorSpace(TSkColorSpace::MakeSRGB());
    const TSkImageInfo linear = TSkImageInfo(2, 2).MakeColorSpace(TSkColorSpace::MakeSRGBLinear());
    ASSERT_TRUE(a.ColorSpace);
    EXPECT_TRUE(a.ColorSpace->IsSRGB());
    EXPECT_TRUE(a == b);
    EXPECT_FALSE(a == linear);
    EXPECT_FALSE(a == TSkImageInfo(2, 2));
}

TEST(SkEngine, AColorSpaceGoesThroughItsProfileAndBack) {
    REQUIRE_ENTRIES("plix_colorspace_make_rgb", "plix_colorspace_to_profile", "plix_colorspace_make",
                    "plix_colorspaceiccprofile_get_buffer", "plix_colorspaceiccprofile_make_with_parse",
                    "plix_colorspaceiccprofile_to_xyz", "plix_colorspaceiccprofile_destroy",
                    "plix_colorspaceprimaries_to_xyz", "plix_colorspace_is_equal");
    // Display P3 from its primaries: the record's fields must reach the engine in their order.
    const TSkColorSpacePrimaries p3{0.680f, 0.320f, 0.265f, 0.690f, 0.150f, 0.060f, 0.3127f, 0.3290f};
    TSkColorSpaceXyz gamut{};
    ASSERT_TRUE(p3.ToXyz(gamut));
    EXPECT_NEAR(gamut.M11, 0.5151f, 1e-3);
    EXPECT_NEAR(gamut.M23, 0.0666f, 1e-3);
    EXPECT_NEAR(gamut.M31, -0.0010f, 1e-3);
    const TSkColorSpacePrimaries degenerate{0.2f, 0.2f, 0.4f, 0.4f, 0.6f, 0.6f, 0.3127f, 0.3290f};
    EXPECT_FALSE(degenerate.ToXyz(gamut));

    const Ref<ISkColorSpace> srgb = TSkColorSpace::MakeSRGB();
    const Ref<ISkColorSpaceICCProfile> profile = srgb->ToProfile();
    ASSERT_TRUE(profile);
    const std::vector<uint8_t> bytes = profile->GetBuffer();
    ASSERT_GE(bytes.size(), 132u);
    const Ref<ISkColorSpaceICCProfile> parsed = TSkColorSpaceICCProfile::MakeFromBytes(bytes);
    ASSERT_TRUE(parsed);
    TSkColorSpaceXyz fromProfile{};
    ASSERT_TRUE(parsed->ToXyz(fromProfile));
    EXPECT_NEAR(fromProfile.M11, 0.4361f, 1e-3);
    const Ref<ISkColorSpace> back = TSkColorSpace::Make(parsed);
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->IsEqual(srgb));
    EXPECT_TRUE(back->IsSRGB());
    const std::vector<uint8_t> damaged(bytes.begin(), bytes.begin() + 100);
    EXPECT_FALSE(TSkColorSpaceICCProfile::MakeFromBytes(damaged));
}

TEST(SkEngine, PathsCombineAndSerialize) {
    REQUIRE_ENTRIES("plix_path_create2", "plix_path_op", "plix_path_contains", "plix_path_serialize_to_stream",
                    "plix_wstreamadapter_create", "plix_wstreamadapter_set_procs");
    const Ref<ISkPath> a = TSkPath::MakeFromSVG("M0 0L20 0L20 20L0 20Z");
    const Ref<ISkPath> b = TSkPath::MakeFromSVG("M10 10L30 10L30 30L10 30Z");
    const Ref<ISkPath> minus = a->Op(b, TSkPathOp::Difference);
    ASSERT_TRUE(minus);
    EXPECT_TRUE(minus->Contains(5, 5));
    EXPECT_FALSE(minus->Contains(15, 15));
    EXPECT_FALSE(minus->Contains(25, 25));
    const Ref<ISkPath> reverse = a->Op(b, TSkPathOp::ReverseDifference);
    ASSERT_TRUE(reverse);
    EXPECT_TRUE(reverse->Contains(25, 25));
    EXPECT_FALSE(reverse->Contains(5, 5));

    Ui::TMemoryStream stream;
    a->SerializeToStream(stream);
    // Header and counts, four points, five verbs padded to eight bytes.
    EXPECT_EQ(stream.Bytes().size(), 16u + 4 * 8 + 8);
}

// A dash of one pixel on, one off along the middle row of a 4 x 4 surface with a 2-pixel butt
// stroke: columns 0 and 2 painted, 1 and 3 left clear.
TEST(SkEngine, ADashedStrokeLeavesItsGaps) {
    REQUIRE_ENTRIES("plix_surface_make_raster", "plix_surface_get_canvas", "plix_surface_read_pixels",
                    "plix_canvas_clear", "plix_canvas_draw_line", "plix_paint_create", "plix_paint_set_path_effect",
                    "plix_patheffect_make_dash");
    const float intervals[] = {1, 1};
    const Ref<ISkPathEffect> dash = TSkPathEffect::MakeDash(intervals, 0);
    ASSERT_TRUE(dash);
    const Ref<ISkSurface> surface = TSkSurface::MakeRaster(TSkImageInfo(4, 4));
    ASSERT_TRUE(surface);
    const Ref<ISkCanvas> canvas = surface->GetCanvas();
    canvas->Clear(0);
    const Ref<ISkPaint> paint = TSkPaint::Create();
    paint->SetColor(Red);
    paint->SetStyle(TSkPaintStyle::Stroke);
    paint->SetStrokeWidth(2);
    paint->SetPathEffect(dash);
    canvas->DrawLine({0, 2}, {4, 2}, paint);
    const Pixels px = Read(surface);
    for (int y = 1; y <= 2; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(px[size_t(y * 4 + x)], x % 2 == 0 ? Red : 0u) << x << "," << y;
    EXPECT_EQ(px[0], 0u);
}

TEST(SkEngine, PathEffectFactoriesCheckTheirArgumentsAndAnswerNilForRefusedNumbers) {
    REQUIRE_ENTRIES("plix_patheffect_make_dash", "plix_patheffect_make_corner", "plix_patheffect_make_compose",
                    "plix_patheffect_make_trim", "plix_patheffect_make_1dpath");
    const float odd[] = {4, 2, 1}, negative[] = {-1, 2};
    EXPECT_EQ(Raised<ESkArgumentException>([&] { TSkPathEffect::MakeDash(odd, 0); }),
              "Parameter AIntervals size cannot be odd");
    EXPECT_EQ(Raised<ESkArgumentException>([&] { TSkPathEffect::MakeDash({}, 0); }),
              "Parameter AIntervals cannot be empty");
    EXPECT_FALSE(TSkPathEffect::MakeDash(negative, 0));
    EXPECT_FALSE(TSkPathEffect::MakeCorner(-3));
    const Ref<ISkPathEffect> corner = TSkPathEffect::MakeCorner(3);
    ASSERT_TRUE(corner);
    EXPECT_EQ(Raised<ESkArgumentException>([&] { TSkPathEffect::MakeCompose(corner, nullptr); }),
              "Parameter AInner cannot be nil");
    EXPECT_EQ(Raised<ESkArgumentException>(
                  [&] { TSkPathEffect::Make1DPath(nullptr, 5, 0, TSkPathEffect1DStyle::Rotate); }),
              "Parameter APath cannot be nil");
    EXPECT_TRUE(TSkPathEffect::MakeCompose(corner, TSkPathEffect::MakeTrim(0.2f, 0.8f)));
    EXPECT_FALSE(TSkPathEffect::MakeTranslate(std::numeric_limits<float>::infinity(), 0));
}

TEST(SkEngine, APathMeasureWalksContoursAndCutsPieces) {
    REQUIRE_ENTRIES("plix_pathmeasure_create", "plix_pathmeasure_get_length", "plix_pathmeasure_next_contour",
                    "plix_pathmeasure_get_position_and_tangent", "plix_pathmeasure_get_segment",
                    "plix_pathmeasure_is_closed", "plix_pathbuilder_create");
    const Ref<ISkPathMeasure> m = TSkPathMeasure::Create(TSkPath::MakeFromSVG("M0 0L30 40Z M50 50L60 50"));
    EXPECT_FLOAT_EQ(m->GetLength(), 100);
    EXPECT_TRUE(m->IsClosed());
    Ui::TPointF pos, tan;
    ASSERT_TRUE(m->GetPositionAndTangent(25, pos, tan));
    EXPECT_FLOAT_EQ(pos.X, 15);
    EXPECT_FLOAT_EQ(pos.Y, 20);
    EXPECT_FLOAT_EQ(tan.X, 0.6f);
    const Ref<ISkPathBuilder> piece = TSkPathBuilder::Create();
    ASSERT_TRUE(m->GetSegment(10, 20, piece, true));
    EXPECT_EQ(piece->Detach()->ToSVG(), "M6 8L12 16");
    ASSERT_TRUE(m->NextContour());
    EXPECT_FLOAT_EQ(m->GetLength(), 10);
    EXPECT_FALSE(m->IsClosed());
    EXPECT_FALSE(m->NextContour());
}

TEST(SkEngine, ARegionWalksItsRectanglesInARangeForAndClipsTheCanvas) {
    REQUIRE_ENTRIES("plix_region_create", "plix_region_set_rect", "plix_region_op2", "plix_regioniterator_create",
                    "plix_regioncliperator_create", "plix_regionspanerator_create", "plix_canvas_clip_region",
                    "plix_canvas_draw_region", "plix_canvas_draw_paint");
    const Ref<ISkRegion> region = TSkRegion::Create();
    ASSERT_TRUE(region->SetRect({0, 0, 2, 2}));
    ASSERT_TRUE(region->Op(Ui::TRect{2, 2, 4, 4}, TSkRegionOp::Union));
    std::vector<Ui::TRect> walked;
    for (const Ui::TRect& r : region->GetIterator()->GetEnumerator()) walked.push_back(r);
    EXPECT_EQ(walked, (std::vector<Ui::TRect>{{0, 0, 2, 2}, {2, 2, 4, 4}}));
    walked.clear();
    for (const Ui::TRect& r : region->GetCliperator({1, 1, 3, 3})->GetEnumerator()) walked.push_back(r);
    EXPECT_EQ(walked, (std::vector<Ui::TRect>{{1, 1, 2, 2}, {2, 2, 3, 3}}));
    std::vector<Ui::TPoint> spans;
    for (const Ui::TPoint& s : region->GetSpanerator(3, 0, 10)->GetEnumerator()) spans.push_back(s);
    EXPECT_EQ(spans, (std::vector<Ui::TPoint>{{2, 4}}));
    EXPECT_EQ(Raised<ESkArgumentException>([&] { region->Op(Ref<ISkRegion>(), TSkRegionOp::Union); }),
              "Parameter ARegion cannot be nil");
    EXPECT_EQ(Raised<ESkArgumentException>([&] { region->SetRects({}); }), "Parameter ARects cannot be empty");

    const Ref<ISkSurface> surface = TSkSurface::MakeRaster(TSkImageInfo(4, 4));
    const Ref<ISkCanvas> canvas = surface->GetCanvas();
    canvas->Clear(0);
    const Ref<ISkPaint> paint = TSkPaint::Create();
    paint->SetColor(Red);
    canvas->Save();
    canvas->ClipRegion(region);
    canvas->DrawPaint(paint);
    canvas->Restore();
    Pixels px = Read(surface);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(px[size_t(y * 4 + x)], region->Contains(x, y) ? Red : 0u) << x << "," << y;
    canvas->Clear(0);
    paint->SetColor(Blue);
    canvas->DrawRegion(region, paint);
    px = Read(surface);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(px[size_t(y * 4 + x)], region->Contains(x, y) ? Blue : 0u) << x << "," << y;
}

// A recorded red square played back, and stored to a stream and read back, draws as directly.
TEST(SkEngine, APictureRecordsPlaysBackAndTravelsThroughAStream) {
    REQUIRE_ENTRIES("plix_picturerecorder_create", "plix_picturerecorder_begin_recording",
                    "plix_picturerecorder_finish_recording", "plix_picture_playback",
                    "plix_picture_serialize_to_stream", "plix_picture_make_from_stream", "plix_canvas_draw_picture");
    const Ref<ISkPictureRecorder> recorder = TSkPictureRecorder::Create();
    const Ref<ISkCanvas> recording = recorder->BeginRecording(TRectF{0, 0, 4, 4});
    ASSERT_TRUE(recording);
    const Ref<ISkPaint> paint = TSkPaint::Create();
    paint->SetColor(Red);
    recording->DrawRect(TRectF{1, 1, 3, 3}, paint);
    const Ref<ISkPicture> picture = recorder->FinishRecording();
    ASSERT_TRUE(picture);
    EXPECT_FALSE(recorder->FinishRecording());  // nothing being recorded
    EXPECT_EQ(picture->ApproximateOperationCount(), 1);
    EXPECT_EQ(picture->GetCullRect(), (TRectF{0, 0, 4, 4}));

    const Ref<ISkSurface> surface = TSkSurface::MakeRaster(TSkImageInfo(4, 4));
    surface->GetCanvas()->Clear(0);
    surface->GetCanvas()->DrawPicture(picture);
    Pixels want{};
    for (int y = 1; y < 3; ++y)
        for (int x = 1; x < 3; ++x) want[size_t(y * 4 + x)] = Red;
    EXPECT_EQ(Read(surface), want);

    Ui::TMemoryStream stream;
    picture->SerializeToStream(stream);
    ASSERT_FALSE(stream.Bytes().empty());
    stream.SetPosition(0);
    const Ref<ISkPicture> back = TSkPicture::MakeFromStream(stream);
    ASSERT_TRUE(back);
    surface->GetCanvas()->Clear(0);
    back->Playback(surface->GetCanvas());
    EXPECT_EQ(Read(surface), want);

    Ui::TMemoryStream damaged;
    damaged.Write(stream.Bytes().data(), stream.Bytes().size() - 1);
    damaged.SetPosition(0);
    EXPECT_FALSE(TSkPicture::MakeFromStream(damaged));
}

}  // namespace
