// The corpus: programs that must compile and pass their own checks (returning green) under
// both executors, and programs that must fail with the message written inside them.
#include "CorpusFile.h"
#include "EffectRunner.h"
#include "sksl/Effect.h"

#include <gtest/gtest.h>

#include <cmath>

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

}  // namespace
}  // namespace plix::sksl::test
