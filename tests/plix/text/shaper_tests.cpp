// Unicode services (ICU) and the shaper (HarfBuzz) through the C API and the engine's blobs.
#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "TextFixtures.h"
#include "capi/Handles.h"
#include "text/TextBlob.h"

namespace {

std::vector<std::pair<int32_t, int32_t>> breaks(const std::u16string& text, int32_t type) {
    std::vector<std::pair<int32_t, int32_t>> out;
    plix_handle u = plix_unicode_create();
    plix_unicode_for_each_break(u, reinterpret_cast<const uint16_t*>(text.data()), int32_t(text.size()), type,
                                [](int32_t p, int32_t s, void* c) {
                                    static_cast<std::vector<std::pair<int32_t, int32_t>>*>(c)->push_back({p, s});
                                },
                                &out);
    plix_unicode_destroy(u);
    return out;
}

std::vector<int32_t> positions(const std::vector<std::pair<int32_t, int32_t>>& b) {
    std::vector<int32_t> p;
    for (auto& [pos, status] : b) p.push_back(pos);
    return p;
}

}  // namespace

TEST(TextUnicode, BreaksOfEachKind) {
    // e + combining acute, a, thumbs up + skin tone: three graphemes.
    EXPECT_EQ(positions(breaks(u"e\u0301a\U0001F44D\U0001F3FD", 1)), (std::vector<int32_t>{2, 3, 7}));
    EXPECT_EQ(positions(breaks(u"Hello world", 0)), (std::vector<int32_t>{5, 6, 11}));
    const auto lines = breaks(u"one two\nthree", 2);
    EXPECT_EQ(positions(lines), (std::vector<int32_t>{4, 8, 13}));
    EXPECT_LT(lines[0].second, 100);  // a soft opportunity
    EXPECT_GE(lines[1].second, 100);  // after the newline: forced
    EXPECT_TRUE(breaks(u"", 1).empty());
    EXPECT_TRUE(breaks(u"abc", 9).empty());  // no such kind
}

TEST(TextUnicode, CodepointsAndBidiRegions) {
    plix_handle u = plix_unicode_create();
    const std::u16string text = u"a\xD800" u"b\U0001F600";
    std::vector<std::array<int32_t, 3>> cps;
    plix_unicode_for_each_codepoint(u, reinterpret_cast<const uint16_t*>(text.data()), int32_t(text.size()),
                                    [](int32_t c, int32_t s, int32_t e, void* ctx) {
                                        static_cast<std::vector<std::array<int32_t, 3>>*>(ctx)->push_back({c, s, e});
                                    },
                                    &cps);
    EXPECT_EQ(cps, (std::vector<std::array<int32_t, 3>>{{'a', 0, 1}, {0xFFFD, 1, 2}, {'b', 2, 3}, {0x1F600, 3, 5}}));
    const std::u16string mixed = u"abc \u05D0\u05D1";
    std::vector<std::array<int32_t, 3>> runs;
    plix_unicode_for_each_bidi_region(u, reinterpret_cast<const uint16_t*>(mixed.data()), int32_t(mixed.size()), 0,
                                      [](int32_t s, int32_t e, uint8_t l, void* ctx) {
                                          static_cast<std::vector<std::array<int32_t, 3>>*>(ctx)->push_back({s, e, l});
                                      },
                                      &runs);
    EXPECT_EQ(runs, (std::vector<std::array<int32_t, 3>>{{0, 4, 0}, {4, 6, 1}}));
    plix_unicode_destroy(u);
}

TEST(TextUnicode, BreakWalksOverUtf8AndUtf16) {
    plix_handle u = plix_unicode_create();
    const std::string utf8 = "d\xC3\xA9j\xC3\xA0 vu";  // "déjà vu": positions in bytes
    plix_handle it = plix_unicodebreakiterator_create(u, 0, utf8.data(), int32_t(utf8.size()));
    ASSERT_NE(it, 0u);
    std::vector<int32_t> got;
    plix_unicode_break_iterator_elem e;
    while (plix_unicodebreakiterator_next(it, &e)) got.push_back(e.position);
    EXPECT_EQ(got, (std::vector<int32_t>{6, 7, 9}));
    plix_unicodebreakiterator_destroy(it);
    EXPECT_EQ(plix_unicodebreakiterator_create(u, 5, utf8.data(), 3), 0u);
    EXPECT_EQ(plix_unicodebreakiterator_create2(0, 1, nullptr, 0), 0u);
    EXPECT_FALSE(plix_unicodebreakiterator_next(0, &e));
    plix_unicode_destroy(u);
}

TEST(TextShaper, ShapesBreaksLinesAndReportsTheEnd) {
    REQUIRE_FONT("DejaVuSans.ttf");
    plix_handle tf = plix_typeface_make_from_file(plix::test::fontPath("DejaVuSans.ttf").c_str(), 0);
    plix_handle font = plix_font_create(tf, 20, 1, 0);
    plix_handle shaper = plix_shaper_create();
    const std::string text = "Hello world again";
    const float wide = plix_font_measure_text(font, "Hello world", 11, 0, nullptr, 0);
    const plix_point offset{10, 5};
    plix_point end{};
    plix_handle blob = plix_shaper_shape(shaper, text.data(), text.size(), font, true, wide + 1, &offset, &end);
    ASSERT_NE(blob, 0u);
    const auto& runs = plix::capi::from<plix::TextBlob>(blob)->runs();
    // Two lines: "Hello world " and "again", the second one spacing lower, both from offset.x.
    std::vector<float> lineYs;
    for (const auto& r : runs)
        for (const auto& p : r.positions)
            if (lineYs.empty() || std::abs(p.y - lineYs.back()) > 0.5f) lineYs.push_back(p.y);
    plix_font_metrics m;
    const float spacing = plix_font_get_metrics(font, &m);
    ASSERT_EQ(lineYs.size(), 2u);
    EXPECT_NEAR(lineYs[0], offset.y - m.ascent, 1e-3f);
    EXPECT_NEAR(lineYs[1] - lineYs[0], spacing, 1e-3f);
    EXPECT_NEAR(runs.back().positions.back().x - offset.x, plix_font_measure_text(font, "agai", 4, 0, nullptr, 0), 0.6f);
    EXPECT_NEAR(end.x - offset.x, plix_font_measure_text(font, "again", 5, 0, nullptr, 0), 0.6f);
    EXPECT_NEAR(end.y, lineYs[1] + m.descent, 1e-3f);
    plix_textblob_unref(blob);

    // Arabic takes its joined forms: shaped glyphs differ from the character map's.
    const std::string arabic = "\xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7";  // marhaba
    blob = plix_shaper_shape(shaper, arabic.data(), arabic.size(), font, false, 1000, nullptr, nullptr);
    ASSERT_NE(blob, 0u);
    std::vector<uint16_t> plain(5);
    plix_font_get_glyphs(font, arabic.data(), arabic.size(), 0, plain.data(), 5);
    const auto& glyphs = plix::capi::from<plix::TextBlob>(blob)->runs().at(0).glyphs;
    std::vector<uint16_t> sortedShaped(glyphs), sortedPlain(plain);
    std::sort(sortedShaped.begin(), sortedShaped.end());
    std::sort(sortedPlain.begin(), sortedPlain.end());
    EXPECT_NE(sortedShaped, sortedPlain);
    plix_textblob_unref(blob);

    EXPECT_EQ(plix_shaper_shape(shaper, "", 0, font, true, 100, nullptr, nullptr), 0u);
    EXPECT_EQ(plix_shaper_shape(shaper, text.data(), text.size(), 0, true, 100, nullptr, nullptr), 0u);
    // Broken UTF-8 and a zero width shape safely: a glyph a line.
    const std::string broken = "a\xFF\xC3 b";
    blob = plix_shaper_shape(shaper, broken.data(), broken.size(), font, true, 0, nullptr, nullptr);
    EXPECT_NE(blob, 0u);
    plix_textblob_unref(blob);
    plix_shaper_destroy(shaper);
    plix_font_destroy(font);
    plix_refcnt_unref(tf);
}
