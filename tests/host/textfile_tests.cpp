#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TextFile.h"

using namespace Host;
namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values) { return {values.begin(), values.end()}; }

struct DecodeCase {
    const char* what;
    std::vector<uint8_t> bytes;
    std::string charset;
    std::string text;
};

TEST(DecodeText, ByteOrderMarksAndCharsets) {
    const std::vector<DecodeCase> cases = {
        {"UTF-8 with mark", Bytes({0xEF, 0xBB, 0xBF, 'a', 0xC3, 0xA9}), "", "a\xC3\xA9"},
        {"UTF-16 LE with mark", Bytes({0xFF, 0xFE, 'a', 0, 0xE9, 0, 0x3D, 0xD8, 0x42, 0xDE}), "", "a\xC3\xA9\xF0\x9F\x99\x82"},
        {"UTF-16 BE with mark", Bytes({0xFE, 0xFF, 0, 'a', 0, 0xE9}), "", "a\xC3\xA9"},
        {"no mark, UTF-8 locale", Bytes({'h', 0xC3, 0xA9}), "UTF-8", "h\xC3\xA9"},
        {"no mark, Latin-1 locale", Bytes({'h', 0xE9}), "ISO-8859-1", "h\xC3\xA9"},
        {"no mark, Windows-1252 locale", Bytes({0x80}), "CP1252", "\xE2\x82\xAC"},
        {"malformed UTF-8 replaced", Bytes({'a', 0xFF, 0xC0, 0xAF, 'b'}), "UTF-8", "a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD" "b"},
        {"UTF-16 with a lone surrogate and an odd byte", Bytes({0xFF, 0xFE, 0x00, 0xD8, 'x', 0, 'y'}), "", "\xEF\xBF\xBDx\xEF\xBF\xBD"},
        {"empty", {}, "UTF-8", ""},
        {"mark only", Bytes({0xEF, 0xBB, 0xBF}), "", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeText(c.bytes, c.charset), c.text) << c.what;
}

TEST(GetFullPath, ResolvesAgainstTheWorkingDirectoryAndKeepsTheTrailingSeparator) {
    const std::string cwd = fs::current_path().string();
    EXPECT_EQ(GetFullPath("a/../b/"), cwd + "/b/");
    EXPECT_EQ(GetFullPath("a/./b"), cwd + "/a/b");
    EXPECT_EQ(GetFullPath("/x/y/../z/"), "/x/z/");
}

TEST(GetFullPath, MalformedPaths) {
    EXPECT_THROW(GetFullPath(""), EArgumentException);
    try {
        GetFullPath(std::string("a\0b", 3));
        FAIL();
    } catch (const EArgumentException& e) {
        EXPECT_STREQ(e.what(), "Invalid characters in path");
    }
    try {
        GetFullPath(std::string(5000, 'a'));
        FAIL();
    } catch (const ENotSupportedException& e) {
        EXPECT_STREQ(e.what(), "The path format is not supported");
    }
}

class ReadAllTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("tilefall_textfile_" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

TEST_F(ReadAllTextTest, ReadsAndDecodesTheWholeFile) {
    std::ofstream(dir / "shader.sksl", std::ios::binary) << "\xFF\xFE" << std::string("h\0i\0", 4);
    EXPECT_EQ(ReadAllText((dir / "shader.sksl").string()), "hi");
}

TEST_F(ReadAllTextTest, MissingDirectoryThenMissingFile) {
    try {
        ReadAllText((dir / "nowhere" / "Image.sksl").string());
        FAIL();
    } catch (const EDirectoryNotFoundException& e) {
        EXPECT_STREQ(e.what(), "The specified path was not found");
    }
    try {
        ReadAllText((dir / "Image.sksl").string());
        FAIL();
    } catch (const EFileNotFoundException& e) {
        EXPECT_STREQ(e.what(), "The specified file was not found");
    }
    EXPECT_THROW(ReadAllText(dir.string()), EFileNotFoundException);  // a directory is no file
    EXPECT_THROW(ReadAllText(""), EArgumentException);
}

}  // namespace
