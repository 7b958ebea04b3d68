#include <gtest/gtest.h>
#include <sys/stat.h>
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

TEST_F(AssetsPathTest, AFolderCountsOnlyWhenItHoldsBothShaderFiles) {
    // An unrelated Assets folder where the usual rule looks, and one beside the executable with
    // only one of the files: both passed over for the nearest complete one above the executable.
    fs::create_directories(root / "Other" / "Assets");
    fs::create_directories(root / "build" / "bin" / "Assets");
    std::ofstream(root / "build" / "bin" / "Assets" / ImageShaderFileName) << "x";
    EXPECT_EQ(FindAssetsPath(Dir(root / "Other" / "Assets"), (root / "build" / "bin").string(), {}),
              Dir(root / "Assets"));
    // A complete folder where the usual rule looks still wins.
    std::ofstream(root / "Other" / "Assets" / ImageShaderFileName) << "x";
    std::ofstream(root / "Other" / "Assets" / BufferAShaderFileName) << "x";
    EXPECT_EQ(FindAssetsPath(Dir(root / "Other" / "Assets"), (root / "build" / "bin").string(), {}),
              Dir(root / "Other" / "Assets"));
}

TEST_F(AssetsPathTest, OtherwiseTheNearestAssetsFolderAboveTheExecutable) {
    fs::create_directories(root / "build" / "Assets");  // without the shaders: passed over
    EXPECT_EQ(FindAssetsPath("/nonexistent/Assets/", (root / "build" / "bin").string(), {}), Dir(root / "Assets"));
    EXPECT_EQ(FindAssetsPath("/nonexistent/Assets/", root.string(), {}), Dir(root / "Assets"));
}

TEST_F(AssetsPathTest, ThenTheInstalledDataFolders) {
    EXPECT_EQ(FindAssetsPath("/nonexistent/Assets/", "/", {"/nonexistent/share", (root / "Assets").string()}),
              Dir(root / "Assets"));
}

TEST_F(AssetsPathTest, NothingFoundLeavesTheUsualPathSoThatReadingReportsIt) {
    EXPECT_EQ(FindAssetsPath("/nonexistent/Assets/", "/", {"/nonexistent/share"}), "/nonexistent/Assets/");
}

TEST_F(AssetsPathTest, AFolderWithOneOfTheFilesIsWhereReadingThenReportsTheOther) {
    fs::remove(root / "Assets" / ImageShaderFileName);
    EXPECT_EQ(FindAssetsPath("/nonexistent/Assets/", (root / "build" / "bin").string(), {}), Dir(root / "Assets"));
}

TEST_F(AssetsPathTest, TheCandidatesInTheOrderTried) {
    EXPECT_EQ(AssetsCandidates("/w/Assets/", "/p/bin", {"/p/share/tilefall/Assets", ""}),
              (std::vector<std::string>{"/w/Assets/", "/p/bin/Assets/", "/p/Assets/", "/Assets/",
                                        "/p/share/tilefall/Assets/"}));
}

TEST_F(AssetsPathTest, TheSearchSaysWhatEachFolderHolds) {
    const fs::path odd = root / "odd";
    fs::create_directories(odd / ImageShaderFileName);  // a folder where a file should be
    ASSERT_EQ(::mkfifo((odd / BufferAShaderFileName).c_str(), 0600), 0);
    EXPECT_EQ(DescribeShaderFile(odd.string(), BufferAShaderFileName), "a FIFO, not a file");
    EXPECT_EQ(DescribeAssetsSearch({Dir(root / "Assets"), Dir(odd), Dir(root / "none")}),
              "  " + Dir(root / "Assets") + ": Image.sksl found, BufferA.sksl found\n" +
              "  " + Dir(odd) + ": Image.sksl a directory, not a file, BufferA.sksl a FIFO, not a file\n" +
              "  " + Dir(root / "none") + ": no such folder\n");
}

}  // namespace
