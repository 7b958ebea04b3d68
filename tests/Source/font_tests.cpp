// Typefaces, typeface font providers, fonts and text blobs: what each wrapper asks of the native
// side (stand-in entries), its checks and messages, and a few answers of the real engine with the
// DejaVu fonts.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Raised.h"
#include "Spy.h"
#include "Skia/Font.h"
#include "Skia/Paint.h"
#include "Skia/TextBlob.h"
#include "Skia/Typeface.h"
#include "Skia/Unicode.h"
#include "ui/Stream.h"

using namespace Skia;
namespace API = Skia::API;
using Ui::TPointF;
using Ui::TRectF;

namespace {

constexpr plix_handle FontHandle = 0x6100, TypefaceHandle = 0x6200, ProviderHandle = 0x6300;
const char* const DejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

class SkFonts : public ::testing::Test {
protected:
    FakeReleases releases;
    Spy<&API::plix_font_create> create{[](plix_handle, float, float, float) { return FontHandle; }};
    Ref<ISkFont> font = TSkFont::Create();
};

TEST(SkFontStyle, PresetsAndEquality) {
    EXPECT_EQ(TSkFontStyle::Normal(), TSkFontStyle::Create(400, 5, TSkFontSlant::Upright));
    EXPECT_EQ(TSkFontStyle::Bold(), TSkFontStyle::Create(700, 5, TSkFontSlant::Upright));
    EXPECT_EQ(TSkFontStyle::Italic(), TSkFontStyle::Create(400, 5, TSkFontSlant::Italic));
    EXPECT_EQ(TSkFontStyle::BoldItalic(), TSkFontStyle::Create(700, 5, TSkFontSlant::Italic));
    EXPECT_FALSE(TSkFontStyle::Bold() == TSkFontStyle::Create(700, 6, TSkFontSlant::Upright));
    EXPECT_FALSE(TSkFontStyle::Bold() == TSkFontStyle::Create(700, 5, TSkFontSlant::Oblique));
}

TEST(SkTypeface, MakeFromNameWithAnEmptyNameAsksForTheDefaultFamily) {
    FakeReleases releases;
    const char* name = "unset";
    plix_font_style style{};
    Spy<&API::plix_typeface_make_from_name> make([&](const char* n, const plix_font_style* s) {
        name = n;
        style = *s;
        return plix_handle(0);
    });
    EXPECT_EQ(TSkTypeface::MakeFromName("", TSkFontStyle::Bold()), nullptr);  // native failure: nil
    EXPECT_EQ(name, nullptr);
    EXPECT_EQ(style.weight, 700);
    EXPECT_EQ(style.width, 5);
    EXPECT_EQ(style.slant, 0);
}

TEST(SkTypeface, FileNamesMustNotBeEmptyAndFailuresGiveNil) {
    FakeReleases releases;
    Spy<&API::plix_typeface_make_from_file> make([](const char*, int32_t) { return plix_handle(0); });
    EXPECT_EQ(Raised<ESkException>([] { TSkTypeface::MakeFromFile(""); }), "File name cannot be empty");
    EXPECT_EQ(make.Calls(), 0);
    EXPECT_EQ(TSkTypeface::MakeFromFile("/no/such/font.ttf"), nullptr);
}

TEST(SkTypeface, BoldFromWeight600AndItalicFromAnySlant) {
    FakeReleases releases;
    int32_t weight = 600, slant = 0;
    Spy<&API::plix_typeface_make_default> make([] { return TypefaceHandle; });
    Spy<&API::plix_typeface_get_weight> getWeight([&](plix_handle) { return weight; });
    Spy<&API::plix_typeface_get_slant> getSlant([&](plix_handle) { return slant; });
    const Ref<ISkTypeface> tf = TSkTypeface::MakeDefault();
    EXPECT_TRUE(tf->IsBold());
    weight = 599;
    EXPECT_FALSE(tf->IsBold());
    EXPECT_FALSE(tf->IsItalic());
    slant = 2;
    EXPECT_TRUE(tf->IsItalic());
}

TEST(SkTypefaceFontProvider, ChecksTypefaceThenFamilyName) {
    FakeReleases releases;
    Spy<&API::plix_typefacefontprovider_create> create([] { return ProviderHandle; });
    Spy<&API::plix_typeface_make_default> make([] { return TypefaceHandle; });
    Spy<&API::plix_typefacefontprovider_register_typeface2> reg2;
    const Ref<ISkTypefaceFontProvider> provider = TSkTypefaceFontProvider::Create();
    const Ref<ISkTypeface> tf = TSkTypeface::MakeDefault();
    EXPECT_EQ(Raised<ESkArgumentException>([&] { provider->RegisterTypeface(nullptr); }),
              "Parameter ATypeface cannot be nil");
    EXPECT_EQ(Raised<ESkArgumentException>([&] { provider->RegisterTypeface(nullptr, ""); }),
              "Parameter ATypeface cannot be nil");
    EXPECT_EQ(Raised<ESkArgumentException>([&] { provider->RegisterTypeface(tf, ""); }),
              "Parameter AFamilyName cannot be empty");
    EXPECT_EQ(reg2.Calls(), 0);
    provider->RegisterTypeface(tf, "Mine");
    EXPECT_EQ(reg2.Calls(), 1);
}

TEST_F(SkFonts, MeasureTextGlyphsOfNothingIsZeroWithoutANativeCall) {
    Spy<&API::plix_font_measure_text> measure;
    EXPECT_EQ(font->MeasureTextGlyphs({}), 0);
    TRectF bounds{1, 2, 3, 4};
    EXPECT_EQ(font->MeasureTextGlyphs({}, bounds), 0);
    EXPECT_EQ(bounds, TRectF());
    EXPECT_EQ(measure.Calls(), 0);
}

TEST_F(SkFonts, TextCrossesAsUtf16WithItsByteLength) {
    size_t bytes = 0;
    int32_t encoding = -1;
    std::u16string seen;
    Spy<&API::plix_font_measure_text> measure(
        [&](plix_handle, const void* text, size_t n, int32_t enc, plix_rect*, plix_handle) {
            bytes = n, encoding = enc;
            seen.assign(static_cast<const char16_t*>(text), n / 2);
            return 7.5f;
        });
    EXPECT_EQ(font->MeasureText("Aé"), 7.5f);
    EXPECT_EQ(bytes, 4u);
    EXPECT_EQ(encoding, 1);
    EXPECT_EQ(seen, u"Aé");
    const uint16_t glyphs[] = {5, 6, 7};
    font->MeasureTextGlyphs(glyphs);
    EXPECT_EQ(bytes, 6u);
    EXPECT_EQ(encoding, 3);
}

TEST_F(SkFonts, RequiredArgumentsAndSizeMismatches) {
    const uint16_t two[] = {1, 2};
    const TPointF one[] = {{0, 0}};
    EXPECT_EQ(Raised<ESkArgumentException>([&] { TSkFont::Create(Ref<ISkFont>()); }), "Parameter AFont cannot be nil");
    EXPECT_EQ(Raised<ESkArgumentException>([&] { font->IsEqual(nullptr); }), "Parameter AFont cannot be nil");
    EXPECT_EQ(Raised<ESkArgumentException>([&] { font->GetIntercepts(two, one, 0, 1); }),
              "Parameter APositions size mismatch");
    EXPECT_EQ(Raised<ESkArgumentException>([&] { TSkTextBlob::MakeFromText("x", nullptr); }),
              "Parameter AFont cannot be nil");
}

TEST_F(SkFonts, MakeWithSizeCopiesAndSetsTheCopy) {
    Spy<&API::plix_font_create2> copy([](plix_handle from) {
        EXPECT_EQ(from, FontHandle);
        return plix_handle(FontHandle + 1);
    });
    std::vector<std::pair<plix_handle, float>> sizes;
    Spy<&API::plix_font_set_size> setSize([&](plix_handle h, float v) { sizes.push_back({h, v}); });
    const Ref<ISkFont> bigger = font->MakeWithSize(20);
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(sizes[0].first, FontHandle + 1);  // the copy, never this font
    EXPECT_EQ(sizes[0].second, 20);
}

TEST_F(SkFonts, GetPathsWrapsEachPathWithoutOwningIt) {
    Spy<&API::plix_font_get_paths> paths([](plix_handle, const uint16_t*, int32_t count, plix_font_path_proc proc,
                                            void* context) {
        const plix_matrix m{2, 0, 0, 0, 2, 0, 0, 0, 1};
        for (int32_t i = 0; i < count; ++i) proc(i == 0 ? plix_handle(0x9900) : 0, &m, context);
    });
    const uint16_t glyphs[] = {3, 4};
    std::vector<bool> got;
    font->GetPaths(glyphs, [&](const Ref<ISkPath>& path, const Ui::TMatrix& m) {
        got.push_back(path != nullptr);
        EXPECT_EQ(m.m11, 2);
    });
    EXPECT_EQ(got, (std::vector<bool>{true, false}));
    EXPECT_EQ(FakeReleases::Destroys(0x9900), 0);  // not owned
    font->GetPaths(glyphs, nullptr);                 // nothing without a procedure
    EXPECT_EQ(paths.Calls(), 1);
}

// ---- the real engine ----

TEST(SkFontEngine, MeasuresDejaVuLikeTheReference) {
    if (!std::filesystem::exists(DejaVuSans)) GTEST_SKIP() << DejaVuSans << " is not installed";
    const Ref<ISkTypeface> tf = TSkTypeface::MakeFromFile(DejaVuSans);
    ASSERT_NE(tf, nullptr);
    EXPECT_EQ(tf->GetFamilyName(), "DejaVu Sans");
    EXPECT_EQ(tf->GetWeight(), 400);
    EXPECT_FALSE(tf->IsBold());
    const Ref<ISkFont> font = TSkFont::Create(tf, 13);
    // The reference's widths of "Hello" at 13 px: hinted whole pixels, or the font's own.
    const std::vector<uint16_t> glyphs = font->GetGlyphs("Hello");
    EXPECT_EQ(glyphs, (std::vector<uint16_t>{43, 72, 79, 79, 82}));
    EXPECT_EQ(font->GetWidths(glyphs), (std::vector<float>{10, 8, 4, 4, 8}));
    font->SetLinearMetrics(true);
    EXPECT_NEAR(font->GetWidths(glyphs)[0], 9.7754f, 1e-3f);
    EXPECT_EQ(font->GetBounds(glyphs)[0], TRectF(1, -9, 9, 0));
    TSkFontMetrics m;
    const float spacing = font->GetMetrics(m);
    EXPECT_NEAR(m.Ascent, -12.0669f, 1e-3f);
    EXPECT_NEAR(m.Descent, 3.0659f, 1e-3f);
    EXPECT_NEAR(spacing, m.Descent - m.Ascent + m.Leading, 1e-5f);
    EXPECT_EQ(font->MakeWithSize(20)->GetSize(), 20);
    EXPECT_EQ(font->GetSize(), 13);

    // From a stream, as from the file.
    std::ifstream in(DejaVuSans, std::ios::binary);
    Ui::TMemoryStream stream(std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}));
    const Ref<ISkTypeface> streamed = TSkTypeface::MakeFromStream(stream);
    ASSERT_NE(streamed, nullptr);
    EXPECT_EQ(streamed->GetFamilyName(), "DejaVu Sans");
    EXPECT_EQ(TSkTypeface::MakeFromStream(stream, 3), nullptr);  // no fourth face in the file

    // Provider registration and the default family.
    const Ref<ISkTypefaceFontProvider> provider = TSkTypefaceFontProvider::Create();
    provider->RegisterTypeface(tf);
    provider->RegisterTypeface(tf, "Alias");
    const Ref<ISkTypeface> fallback = TSkTypeface::MakeFromName("No Such Family At All", TSkFontStyle::Normal());
    ASSERT_NE(fallback, nullptr);
    EXPECT_EQ(fallback->GetFamilyName(), TSkTypeface::MakeDefault()->GetFamilyName());
    EXPECT_TRUE(TSkTypeface::MakeFromName("", TSkFontStyle::Bold())->IsBold());
}

TEST(SkFontEngine, TextBlobsAndInterceptsCrossTheBand) {
    if (!std::filesystem::exists(DejaVuSans)) GTEST_SKIP() << DejaVuSans << " is not installed";
    const Ref<ISkFont> font = TSkFont::Create(TSkTypeface::MakeFromFile(DejaVuSans), 20);
    const Ref<ISkTextBlob> blob = TSkTextBlob::MakeFromText("Hi", font);
    ASSERT_NE(blob, nullptr);
    // The H's two stems and the i's stem cross the band just above the baseline.
    const std::vector<float> x = blob->GetIntercepts(-3, -2);
    ASSERT_EQ(x.size(), 4u);
    EXPECT_LT(x[0], x[1]);
    EXPECT_EQ(TSkTextBlob::MakeFromText("", font), nullptr);
    const float xs[] = {0};
    EXPECT_EQ(Raised<ESkArgumentException>([&] { TSkTextBlob::MakeFromTextHorizontallyPositioned("ab", xs, 0, font); }),
              "Parameter AXPositions size mismatch");
}

TEST(SkUnicodeEngine, GraphemeWalkAndCallbacks) {
    const Ref<ISkUnicode> unicode = TSkUnicode::Create();
    std::vector<int32_t> got;
    {
        // The walk keeps its own copy of the text: the caller's string may go first.
        Ref<ISkUnicodeBreakIterator> walk;
        {
            const std::u16string text = u"e\u0301a\U0001F44D\U0001F3FD";
            walk = unicode->GetBreaks(text, TSkUnicodeBreakType::Graphemes);
        }
        ASSERT_NE(walk, nullptr);
        for (const TSkUnicodeBreakIteratorElem& e : walk->GetEnumerator()) got.push_back(e.Position);
    }
    EXPECT_EQ(got, (std::vector<int32_t>{2, 3, 7}));
    std::vector<int32_t> words;
    unicode->ForEachBreak(u"ab cd", TSkUnicodeBreakType::Words, [&](int32_t p, int32_t) { words.push_back(p); });
    EXPECT_EQ(words, (std::vector<int32_t>{2, 3, 5}));
    int levels = 0;
    unicode->ForEachBidiRegion(u"\u05D0\u05D1", TSkDirection::LeftToRight, [&](int32_t, int32_t, uint8_t l) { levels += l; });
    EXPECT_EQ(levels, 1);
    unicode->ForEachCodepoint(u"x", nullptr);  // no procedure: nothing
}

}  // namespace
