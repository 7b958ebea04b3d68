// Typefaces and fonts given bad input: damaged or truncated font data, faces that are not there,
// broken text, absurd sizes. Each gives a nil result or an empty draw, never a crash or a hang.
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "TextFixtures.h"

namespace {

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// A typeface from bytes through a caller stream over memory.
struct MemoryStream {
    const std::vector<uint8_t>* bytes;
    size_t pos = 0;
};

plix_handle typefaceFromBytes(const std::vector<uint8_t>& bytes, int32_t index = 0) {
    static const plix_streamadapter_procs procs = {
        [](void* c) { return static_cast<MemoryStream*>(c)->bytes->size(); },
        [](void* c) { return static_cast<MemoryStream*>(c)->pos; },
        [](void* c, void* buffer, size_t size) {
            auto* s = static_cast<MemoryStream*>(c);
            const size_t n = std::min(size, s->bytes->size() - s->pos);
            if (n) std::memcpy(buffer, s->bytes->data() + s->pos, n);
            s->pos += n;
            return n;
        },
        [](void* c, size_t position) {
            auto* s = static_cast<MemoryStream*>(c);
            if (position > s->bytes->size()) return false;
            s->pos = position;
            return true;
        }};
    plix_streamadapter_set_procs(&procs);
    MemoryStream ms{&bytes};
    plix_handle stream = plix_streamadapter_create(&ms);
    plix_handle tf = plix_typeface_make_from_stream(stream, index);
    plix_streamadapter_destroy(stream);
    return tf;
}

// Draws and measures text with the typeface on a small surface; returns whether any pixel changed.
bool exercise(plix_handle tf, const std::string& text = "Hello, Wg") {
    std::vector<uint32_t> px(64 * 32, 0);
    const plix_imageinfo ii{64, 32, 4, 2, 0};
    plix_handle pm = plix_pixmap_create(&ii, px.data(), 64 * 4);
    plix_handle surface = plix_surface_make_raster_direct(pm, nullptr, nullptr, nullptr);
    plix_handle canvas = plix_surface_get_canvas(surface);
    plix_handle font = plix_font_create(tf, 14, 1, 0);
    plix_handle paint = plix_paint_create();
    plix_canvas_draw_simple_text(canvas, text.data(), text.size(), 0, 2, 20, font, paint);
    plix_font_measure_text(font, text.data(), text.size(), 0, nullptr, 0);
    plix_font_metrics m;
    plix_font_get_metrics(font, &m);
    const uint16_t glyphs[] = {0, 1, 5, 65535};
    plix_handle path = plix_font_get_path(font, 5);
    if (path) plix_path_destroy(path);
    float widths[4];
    plix_rect bounds[4];
    plix_font_get_widths_bounds(font, glyphs, 4, widths, bounds, 0);
    plix_paint_destroy(paint);
    plix_font_destroy(font);
    plix_refcnt_unref(surface);
    plix_pixmap_destroy(pm);
    for (uint32_t p : px)
        if (p) return true;
    return false;
}

}  // namespace

TEST(TextBadInput, TruncatedFontsGiveNilOrDrawSafely) {
    REQUIRE_FONT("DejaVuSansMono.ttf");
    const std::vector<uint8_t> font = readFile(plix::test::fontPath("DejaVuSansMono.ttf"));
    ASSERT_GT(font.size(), 10000u);
    // Every prefix of the header and table directory, then prefixes through the whole file.
    int loaded = 0;
    for (size_t n = 0; n < font.size(); n += n < 2048 ? 1 : 1531) {
        const std::vector<uint8_t> prefix(font.begin(), font.begin() + ptrdiff_t(n));
        plix_handle tf = typefaceFromBytes(prefix);
        if (!tf) continue;
        ++loaded;
        exercise(tf);
        plix_refcnt_unref(tf);
    }
    std::printf("%d of the prefixes loaded as faces\n", loaded);
    plix_handle whole = typefaceFromBytes(font);
    ASSERT_NE(whole, 0u);
    EXPECT_TRUE(exercise(whole));
    plix_refcnt_unref(whole);
}

TEST(TextBadInput, ByteFlipsNeverCrash) {
    REQUIRE_FONT("DejaVuSansMono.ttf");
    const std::vector<uint8_t> font = readFile(plix::test::fontPath("DejaVuSansMono.ttf"));
    std::mt19937 rng(20261210);
    for (int round = 0; round < 150; ++round) {
        std::vector<uint8_t> bytes = font;
        // A few flips, mostly in the tables FreeType reads first.
        const size_t span = round % 2 ? bytes.size() : std::min<size_t>(bytes.size(), 4096);
        for (int k = 0; k < 1 + round % 8; ++k) bytes[rng() % span] ^= uint8_t(1 + rng() % 255);
        plix_handle tf = typefaceFromBytes(bytes);
        if (!tf) continue;
        exercise(tf);
        plix_refcnt_unref(tf);
    }
}

TEST(TextBadInput, MissingFacesAndFamilies) {
    REQUIRE_FONT("DejaVuSans.ttf");
    EXPECT_EQ(plix_typeface_make_from_file(plix::test::fontPath("DejaVuSans.ttf").c_str(), 1), 0u);  // one face
    EXPECT_EQ(plix_typeface_make_from_file(plix::test::fontPath("DejaVuSans.ttf").c_str(), -1), 0u);
    EXPECT_EQ(plix_typeface_make_from_file(plix::test::fontPath("DejaVuSans.ttf").c_str(), 1 << 20), 0u);
    EXPECT_EQ(plix_typeface_make_from_file("/no/such/file.ttf", 0), 0u);
    EXPECT_EQ(plix_typeface_make_from_file(nullptr, 0), 0u);
    EXPECT_EQ(plix_typeface_make_from_stream(0, 0), 0u);
    const std::vector<uint8_t> empty;
    EXPECT_EQ(typefaceFromBytes(empty), 0u);
    // An unknown family is the default family, as the reference answers.
    plix_handle unknown = plix_typeface_make_from_name("No Such Family 12345", nullptr);
    plix_handle fallback = plix_typeface_make_default();
    ASSERT_NE(unknown, 0u);
    ASSERT_NE(fallback, 0u);
    plix_handle a = plix_typeface_get_family_name(unknown), b = plix_typeface_get_family_name(fallback);
    EXPECT_STREQ(plix_string_get_text(a), plix_string_get_text(b));
    plix_string_destroy(a);
    plix_string_destroy(b);
    plix_refcnt_unref(unknown);
    plix_refcnt_unref(fallback);
}

TEST(TextBadInput, BrokenTextDecodesToReplacementCharacters) {
    REQUIRE_FONT("DejaVuSans.ttf");
    plix_handle tf = plix_typeface_make_from_file(plix::test::fontPath("DejaVuSans.ttf").c_str(), 0);
    plix_handle font = plix_font_create(tf, 12, 1, 0);
    const uint16_t replacement = plix_font_unichar_to_glyph(font, 0xFFFD);
    ASSERT_NE(replacement, 0);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        int32_t encoding;
        std::vector<int32_t> glyphsOf;  // code points whose glyphs are expected (0xFFFD: replacement)
    };
    const Case cases[] = {
        {"lone high surrogate", {0x00, 0xD8, 0x41, 0x00}, 1, {0xFFFD, 'A'}},
        {"lone low surrogate", {0x41, 0x00, 0x00, 0xDC}, 1, {'A', 0xFFFD}},
        {"surrogate pair", {0x3D, 0xD8, 0x00, 0xDE}, 1, {0x1F600}},
        {"odd UTF-16 length", {0x41, 0x00, 0x42}, 1, {'A'}},
        {"stray continuation", {0x80, 'A'}, 0, {0xFFFD, 'A'}},
        {"truncated sequence", {0xE2, 0x82}, 0, {0xFFFD}},
        {"overlong slash", {0xC0, 0xAF}, 0, {0xFFFD, 0xFFFD}},
        {"encoded surrogate", {0xED, 0xA0, 0x80}, 0, {0xFFFD, 0xFFFD, 0xFFFD}},
        {"beyond U+10FFFF", {0x00, 0x00, 0x11, 0x00}, 2, {0xFFFD}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int32_t n = plix_font_get_glyphs_count(font, c.bytes.data(), c.bytes.size(), c.encoding);
        std::vector<uint16_t> got(static_cast<size_t>(n));
        plix_font_get_glyphs(font, c.bytes.data(), c.bytes.size(), c.encoding, got.data(), n);
        std::vector<uint16_t> want;
        for (int32_t u : c.glyphsOf) want.push_back(plix_font_unichar_to_glyph(font, u));
        EXPECT_EQ(got, want);
    }
    EXPECT_EQ(plix_font_get_glyphs_count(font, "abc", 3, 7), 0);  // no such encoding
    plix_font_destroy(font);
    plix_refcnt_unref(tf);
}

TEST(TextBadInput, HugeTextAndAbsurdSizes) {
    REQUIRE_FONT("DejaVuSans.ttf");
    plix_handle tf = plix_typeface_make_from_file(plix::test::fontPath("DejaVuSans.ttf").c_str(), 0);
    const std::string million(1000000, 'W');
    plix_handle font = plix_font_create(tf, 12, 1, 0);
    EXPECT_EQ(plix_font_get_glyphs_count(font, million.data(), million.size(), 0), 1000000);
    EXPECT_NEAR(plix_font_measure_text(font, million.data(), million.size(), 0, nullptr, 0), 1000000.0f * 12, 1000);
    EXPECT_TRUE(exercise(tf, million));
    for (float size : {0.0f, -5.0f, NAN, 1e6f, INFINITY}) {
        SCOPED_TRACE(size);
        plix_font_set_size(font, size);
        // Negative and NaN sizes are 0, as the reference keeps them.
        if (!(size >= 0)) {
            EXPECT_EQ(plix_font_get_size(font), 0);
        }
        const uint16_t g = 43;
        float w = -1;
        plix_font_get_widths_bounds(font, &g, 1, &w, nullptr, 0);
        if (!(size > 0)) {
            EXPECT_EQ(w, 0);
        }
        std::vector<uint32_t> px(32 * 32, 0);
        const plix_imageinfo ii{32, 32, 4, 2, 0};
        plix_handle pm = plix_pixmap_create(&ii, px.data(), 32 * 4);
        plix_handle surface = plix_surface_make_raster_direct(pm, nullptr, nullptr, nullptr);
        plix_handle paint = plix_paint_create();
        plix_canvas_draw_simple_text(plix_surface_get_canvas(surface), "Hg", 2, 0, 1, 20, font, paint);
        plix_paint_destroy(paint);
        plix_refcnt_unref(surface);
        plix_pixmap_destroy(pm);
    }
    plix_font_destroy(font);
    plix_refcnt_unref(tf);
}
