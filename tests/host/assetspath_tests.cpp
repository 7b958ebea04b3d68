#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "AssetsPath.h"

using namespace Host;
namespace fs = std::filesystem;

namespace {

// root/Assets holds the two shaders; root/build/bin is where a build puts the executables.
class AssetsPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("tilefall_assets_" + std::to_string(::getpid()));
        fs::create_directories(root / "Assets");
        fs::create_directories(root / "build" / "bin");
        fs::create_directories(root / "a" / "b" / "c");
        std::ofstream(root / "Assets" / ImageShaderFileName) << "x";
        std::ofstream(root / "Assets" / BufferAShaderFileName) << "x";
        saved = fs::current_path();
    }
    void TearDown() override {
        fs::current_path(saved);
        fs::remove_all(root);
    }
    std::string Dir(const fs::path& p) { return p.string() + "/"; }
    fs::path root, saved;
};

TEST_F(AssetsPathTest, ThreeLevelsBelowTheAssetsFolderTheUsualRuleFindsThem) {
    fs::current_path(root / "a" / "b" / "c");
    EXPECT_EQ(AssetsPath(), Dir(root / "Assets"));
}

TEST_F(AssetsPathTest, TheUsualRuleWinsWheneverItsFolderExists) {
    fs::create_directories(root / "Other" / "Assets");
    EXPECT_EQ(FindAssetsPath(Dir(root / "Other" / "Assets"), (root / "build" / "bin").string(), ""),
              Dir(root / "Other" / "Assets"));
}

TEST_F(AssetsPathTest, OtherwiseTheNearestAssetsFolderAboveTheExecutable) {
    fs::create_directories(root / "build" / "Assets");  // without the shaders: passed over
    EXPECT_EQ(FindAssetsPath("/nonexistent/Assets/", (root / "build" / "bin").string(), ""), Dir(root / "Assets"));
    EXPECT_EQ(FindAssetsPath("/nonexistent/Assets/", root.string(), ""), Dir(root / "Assets"));
}

TEST_F(AssetsPathTest, ThenTheInstalledDataFolder) {
    EXPECT_EQ(FindAssetsPath("/nonexistent/Assets/", "/", (root / "Assets").string()), Dir(root / "Assets"));
}

TEST_F(AssetsPathTest, NothingFoundLeavesTheUsualPathSoThatReadingReportsIt) {
    EXPECT_EQ(FindAssetsPath("/nonexistent/Assets/", "/", "/nonexistent/share"), "/nonexistent/Assets/");
}

}  // namespace
