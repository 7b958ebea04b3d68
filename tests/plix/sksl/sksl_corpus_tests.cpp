// The corpus: programs that must compile and pass their own checks (returning green) under
// both executors, and programs that must fail with the message written inside them.
#include "CorpusFile.h"
#include "EffectRunner.h"
#include "sksl/Effect.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace plix::sksl::test {
namespace {

std::string corpus(const char* sub) { return std::string(PLIX_SKSL_CORPUS_DIR) + "/" + sub; }

std::string testName(const testing::TestParamInfo<std::filesystem::path>& info) {
    std::string n = info.param.stem().string();
    for (char& c : n) {
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return n;
}

class MustPass : public testing::TestWithParam<std::filesystem::path> {};

// Every pixel is green: the program's checks held.
void expectGreen(const Pixels& p, const std::string& what) {
    int failures = 0;
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            auto c = p.at(x, y);
            bool green = std::fabs(c[0]) < 1e-3f && std::fabs(c[1] - 1) < 1e-3f &&
                         std::fabs(c[2]) < 1e-3f && std::fabs(c[3] - 1) < 1e-3f;
            if (!green && failures++ < 4) {
                ADD_FAILURE() << what << ": pixel (" << x << ", " << y << ") is (" << c[0] << ", "
                              << c[1] << ", " << c[2] << ", " << c[3] << "), not green";
            }
        }
    }
}

TEST_P(MustPass, CompilesAndChecksHold) {
    CorpusFile file = ReadCorpusFile(GetParam());
    std::string errors;
    sp<Effect> effect = Effect::Make(file.source, file.kind, &errors);
    ASSERT_TRUE(effect) << errors;
    expectGreen(RunEffect(*effect, file, Executor::Reference), "reference");
    expectGreen(RunEffect(*effect, file, Executor::Fast), "fast");
}

INSTANTIATE_TEST_SUITE_P(Corpus, MustPass, testing::ValuesIn(ListCorpus(corpus("pass"))),
                         testName);

class MustFail : public testing::TestWithParam<std::filesystem::path> {};

TEST_P(MustFail, ReportsTheExpectedError) {
    CorpusFile file = ReadCorpusFile(GetParam());
    ASSERT_FALSE(file.error.empty()) << "no '// error:' line in " << file.path;
    std::string errors;
    sp<Effect> effect = Effect::Make(file.source, file.kind, &errors);
    ASSERT_FALSE(effect);
    // The first error carries the expected text, and every error has a line and column.
    std::string first = errors.substr(0, errors.find('\n'));
    EXPECT_NE(first.find(file.error), std::string::npos) << errors;
    EXPECT_EQ(first.rfind("error: ", 0), 0u) << errors;
    int line = 0, column = 0;
    EXPECT_EQ(sscanf(first.c_str(), "error: %d:%d:", &line, &column), 2) << first;
}

INSTANTIATE_TEST_SUITE_P(Corpus, MustFail, testing::ValuesIn(ListCorpus(corpus("fail"))),
                         testName);

// Programs drawn by the reference engine into 8-bit PNGs (tests/reference/sksl_corpus.mjs
// --golden): both executors must match every channel of every pixel within 3 levels of 255.
class Golden : public testing::TestWithParam<std::filesystem::path> {};

std::vector<uint8_t> readPng(const std::string& path, int* width, int* height) {
    png_image image;
    std::memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
    *width = static_cast<int>(image.width);
    *height = static_cast<int>(image.height);
    return pixels;
}

uint8_t toByte(float v) {
    v = std::clamp(v, 0.0f, 1.0f);
    return static_cast<uint8_t>(v * 255 + 0.5f);
}

TEST_P(Golden, MatchesTheReferenceRendering) {
    CorpusFile file = ReadCorpusFile(GetParam());
    std::string png = GetParam().string();
    png.replace(png.size() - 5, 5, ".png");
    int width = 0, height = 0;
    std::vector<uint8_t> expected = readPng(png, &width, &height);
    ASSERT_FALSE(expected.empty()) << "cannot read " << png;
    ASSERT_EQ(width, file.width);
    ASSERT_EQ(height, file.height);
    std::string errors;
    sp<Effect> effect = Effect::Make(file.source, file.kind, &errors);
    ASSERT_TRUE(effect) << errors;
    for (Executor ex : {Executor::Fast, Executor::Reference}) {
        Pixels p = RunEffect(*effect, file, ex);
        int worst = 0, worstX = 0, worstY = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                auto c = p.at(x, y);
                ASSERT_EQ(c[3], 1.0f) << "golden programs are opaque";
                for (int k = 0; k < 4; ++k) {
                    int diff = std::abs(int(toByte(c[k])) - int(expected[(y * width + x) * 4 + k]));
                    if (diff > worst) {
                        worst = diff;
                        worstX = x;
                        worstY = y;
                    }
                }
            }
        }
        EXPECT_LE(worst, 3) << (ex == Executor::Fast ? "fast" : "reference") << ": pixel ("
                            << worstX << ", " << worstY << ")";
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, Golden, testing::ValuesIn(ListCorpus(corpus("golden"))),
                         testName);

}  // namespace
}  // namespace plix::sksl::test
