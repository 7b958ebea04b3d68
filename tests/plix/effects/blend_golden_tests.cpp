// Blend scenes of the shading-language corpus (tests/plix/sksl/corpus/blend) drawn through the
// engine's C API and compared with the reference engine's rendering of the same scene
// (tests/reference/sksl_blend.mjs, which describes the scene): runtime blenders set on a paint
// over a destination of real pixels, with anti-aliased edges, and blender children of
// blenders and shaders.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "CorpusFile.h"
#include "plix/plix.h"

namespace {

using plix::sksl::ProgramKind;
using plix::sksl::test::CorpusFile;
using plix::sksl::test::ListCorpus;
using plix::sksl::test::ReadCorpusFile;

const std::string kDir = std::string(PLIX_SKSL_CORPUS_DIR) + "/blend";
constexpr int kRGBA8888 = 4, kPremul = 2;

// Owns one reference of a counted handle.
struct Held {
    plix_handle h = 0;
    Held() = default;
    explicit Held(plix_handle handle) : h(handle) {}
    Held(Held&& o) noexcept : h(o.h) { o.h = 0; }
    Held& operator=(Held&& o) noexcept {
        std::swap(h, o.h);
        return *this;
    }
    ~Held() { if (h) plix_refcnt_unref(h); }
};

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Premultiplied RGBA bytes of a PNG file (stored unpremultiplied).
std::vector<uint8_t> ReadPngPremul(const std::string& path, int* width, int* height) {
    png_image image;
    std::memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> px(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, px.data(), 0, nullptr)) return {};
    *width = int(image.width), *height = int(image.height);
    for (size_t i = 0; i < px.size(); i += 4)
        for (int k = 0; k < 3; ++k) px[i + k] = uint8_t((px[i + k] * px[i + 3] + 127) / 255);
    return px;
}

// The uniform block of an effect: values by name, floats only (the scenes use no ints).
std::vector<float> Uniforms(plix_handle effect, const std::map<std::string, std::vector<double>>& values) {
    std::vector<float> block(plix_runtimeeffect_get_uniform_data_size(effect) / 4);
    for (int i = 0; i < plix_runtimeeffect_get_uniform_count(effect); ++i) {
        auto it = values.find(plix_runtimeeffect_get_uniform_name(effect, i));
        if (it == values.end()) continue;
        const size_t at = plix_runtimeeffect_get_uniform_offset(effect, i) / 4;
        for (size_t k = 0; k < it->second.size() && at + k < block.size(); ++k) block[at + k] = float(it->second[k]);
    }
    return block;
}

Held SceneShader(const char* file, int w, int h) {
    Held effect(plix_runtimeeffect_make_for_shader(ReadText(kDir + "/scene/" + file).c_str(), 0));
    EXPECT_NE(effect.h, 0u) << file;
    const std::vector<float> u = Uniforms(effect.h, {{"size", {double(w), double(h)}}});
    return Held(plix_runtimeeffect_make_shader(effect.h, u.data(), nullptr, nullptr));
}

// The blender children a file names ("child NAME: blender FILE"), made from their files.
std::vector<Held> Children(plix_handle effect, const CorpusFile& file) {
    std::vector<Held> children;
    for (int i = 0; i < plix_runtimeeffect_get_child_count(effect); ++i) {
        children.emplace_back();
        auto it = file.children.find(plix_runtimeeffect_get_child_name(effect, i));
        if (it == file.children.end()) continue;
        EXPECT_EQ(it->second.at(0), "blender");
        const plix_handle text = plix_string_create();
        Held childEffect(plix_runtimeeffect_make_for_blender(ReadText(kDir + "/" + it->second.at(1)).c_str(), text));
        EXPECT_NE(childEffect.h, 0u) << plix_string_get_text(text);
        plix_string_destroy(text);
        children.back() = Held(plix_runtimeeffect_make_blender(childEffect.h, nullptr, nullptr));
    }
    return children;
}

class BlendScene : public testing::TestWithParam<std::filesystem::path> {};

TEST_P(BlendScene, MatchesTheReferenceRendering) {
    const CorpusFile file = ReadCorpusFile(GetParam());
    std::string png = GetParam().string();
    png.replace(png.size() - 5, 5, ".png");
    int w = 0, h = 0;
    const std::vector<uint8_t> expected = ReadPngPremul(png, &w, &h);
    ASSERT_FALSE(expected.empty()) << "cannot read " << png;

    const bool blender = file.kind == ProgramKind::Blender;
    const plix_handle errors = plix_string_create();
    Held effect(blender ? plix_runtimeeffect_make_for_blender(file.source.c_str(), errors)
                        : plix_runtimeeffect_make_for_shader(file.source.c_str(), errors));
    ASSERT_NE(effect.h, 0u) << plix_string_get_text(errors);
    plix_string_destroy(errors);
    const std::vector<float> uniforms = Uniforms(effect.h, file.uniforms);
    const std::vector<Held> children = Children(effect.h, file);
    std::vector<plix_handle> childHandles;
    for (const Held& c : children) childHandles.push_back(c.h);

    std::vector<uint8_t> px(size_t(w * h * 4));
    const plix_imageinfo info{w, h, kRGBA8888, kPremul, 0};
    const plix_handle pixmap = plix_pixmap_create(&info, px.data(), size_t(w * 4));
    Held surface(plix_surface_make_raster_direct(pixmap, nullptr, nullptr, nullptr));
    ASSERT_NE(surface.h, 0u);
    const plix_handle canvas = plix_surface_get_canvas(surface.h);

    const plix_handle dstPaint = plix_paint_create();
    Held dstShader = SceneShader("destination.sksl", w, h);
    plix_paint_set_shader(dstPaint, dstShader.h);
    Held srcMode(plix_blender_make_mode(1 /* Src */));
    plix_paint_set_blender(dstPaint, srcMode.h);
    plix_canvas_draw_paint(canvas, dstPaint);
    plix_paint_destroy(dstPaint);

    const plix_handle paint = plix_paint_create();
    plix_paint_set_antialias(paint, true);
    Held shader, made;
    if (blender) {
        shader = SceneShader("source.sksl", w, h);
        made = Held(plix_runtimeeffect_make_blender(effect.h, uniforms.data(), childHandles.data()));
        ASSERT_NE(made.h, 0u);
        plix_paint_set_blender(paint, made.h);
    } else {
        shader = Held(plix_runtimeeffect_make_shader(effect.h, uniforms.data(), childHandles.data(), nullptr));
    }
    ASSERT_NE(shader.h, 0u);
    plix_paint_set_shader(paint, shader.h);
    const plix_rect rect{2.5f, 2.5f, w - 2.5f, h - 2.5f};
    plix_canvas_draw_rect(canvas, &rect, paint);
    plix_paint_destroy(paint);
    plix_pixmap_destroy(pixmap);

    int worst = 0, worstX = 0, worstY = 0;
    for (int i = 0; i < w * h * 4; ++i) {
        const int diff = std::abs(int(px[size_t(i)]) - int(expected[size_t(i)]));
        if (diff > worst) worst = diff, worstX = (i / 4) % w, worstY = i / 4 / w;
    }
    EXPECT_LE(worst, 3) << "pixel (" << worstX << ", " << worstY << ")";
}

INSTANTIATE_TEST_SUITE_P(Corpus, BlendScene, testing::ValuesIn(ListCorpus(kDir)),
                         [](const testing::TestParamInfo<std::filesystem::path>& info) {
                             return info.param.stem().string();
                         });

}  // namespace
