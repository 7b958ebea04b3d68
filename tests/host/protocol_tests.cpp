// The host's side of the protocol with the shader files: what each frame sets, observed in the
// effects' uniform buffers, with probing shader files in a temporary asset folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "HeadlessGame.h"
#include "TextFile.h"

using namespace Host;
using namespace Skia;
namespace fs = std::filesystem;

namespace {

constexpr const char* ProbeBufferA = R"(
uniform float2 iResolution;
uniform float iTime;
uniform float iTimeDelta;
uniform int iFrame;
uniform float3 iMouse;
uniform int ivkLeftPressing;
uniform int ivkRightPressing;
uniform int ivkSpacePressing;
uniform shader iChannel0;
half4 main(float2 p) { return half4(iChannel0.eval(p).rgb, 1); }
)";

constexpr const char* ProbeImage = R"(
uniform float2 iResolution;
uniform float iTime;
uniform shader iChannel0;
half4 main(float2 p) { return iChannel0.eval(p * 14 / iResolution); }
)";

// A folder tree root/Assets with the given shader files, and the working directory three levels
// below root, where the game looks for "../../../Assets/".
class ProtocolTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("tilefall_protocol_" + std::to_string(::getpid()));
        fs::create_directories(root / "Assets");
        fs::create_directories(root / "a" / "b" / "c");
        saved = fs::current_path();
        fs::current_path(root / "a" / "b" / "c");
        Write("BufferA.sksl", ProbeBufferA);
        Write("Image.sksl", ProbeImage);
    }
    void TearDown() override {
        fs::current_path(saved);
        fs::remove_all(root);
    }
    void Write(const char* name, const std::string& text) { std::ofstream(root / "Assets" / name, std::ios::binary) << text; }

    template <class T>
    T Uniform(const Ref<ISkRuntimeEffect>& effect, const char* name, int component = 0) {
        return static_cast<const T*>(effect->GetUniformByName(name))[component];
    }

    fs::path root, saved;
};

TEST_F(ProtocolTest, TheFirstFrameSeesFrameZeroAndATimeDeltaEqualToTheTime) {
    THeadlessGame game(64, 48, 0.25);
    game.Frame();
    const auto& a = game.Form().BufferAEffect();
    EXPECT_EQ(Uniform<int32_t>(a, "iFrame"), 0);
    EXPECT_FLOAT_EQ(Uniform<float>(a, "iTimeDelta"), Uniform<float>(a, "iTime"));
    EXPECT_FLOAT_EQ(Uniform<float>(a, "iResolution", 0), 64);
    EXPECT_FLOAT_EQ(Uniform<float>(a, "iResolution", 1), 48);
    game.Frame();
    EXPECT_EQ(Uniform<int32_t>(a, "iFrame"), 1);
    EXPECT_FLOAT_EQ(Uniform<float>(a, "iTime"), 0.25f);
    EXPECT_FLOAT_EQ(Uniform<float>(a, "iTimeDelta"), 0.25f);
    EXPECT_FLOAT_EQ(Uniform<float>(game.Form().ImageEffect(), "iTime"), 0.25f);
}

TEST_F(ProtocolTest, AMousePressIsSeenForOneFrameAndSpaceIsAOneFramePulse) {
    THeadlessGame game(64, 48, 0.1);
    TfrmMain& form = game.Form();
    game.Frame();
    form.SkAnimatedPaintBox1MouseDown(nullptr, Ui::TMouseButton::Right, {}, 10, 20);
    form.SkAnimatedPaintBox1MouseDown(nullptr, Ui::TMouseButton::Left, {}, 30, 40);  // the last press wins
    uint16_t key = 0;
    char32_t space = U' ';
    form.FormKeyDown(nullptr, key, space, {});
    uint16_t left = 37;
    char32_t none = 0;
    form.FormKeyDown(nullptr, left, none, {});
    game.Frame();
    const auto& a = form.BufferAEffect();
    EXPECT_FLOAT_EQ(Uniform<float>(a, "iMouse", 0), 30);
    EXPECT_FLOAT_EQ(Uniform<float>(a, "iMouse", 1), 40);
    EXPECT_FLOAT_EQ(Uniform<float>(a, "iMouse", 2), 1);
    EXPECT_EQ(Uniform<int32_t>(a, "ivkSpacePressing"), 1);
    EXPECT_EQ(Uniform<int32_t>(a, "ivkLeftPressing"), 1);
    game.Frame();
    EXPECT_FLOAT_EQ(Uniform<float>(a, "iMouse", 0), 30);
    EXPECT_FLOAT_EQ(Uniform<float>(a, "iMouse", 2), 0);
    EXPECT_EQ(Uniform<int32_t>(a, "ivkSpacePressing"), 0);
    EXPECT_EQ(Uniform<int32_t>(a, "ivkLeftPressing"), 1);  // held arrows stay
    form.FormKeyUp(nullptr, left, none, {});
    game.Frame();
    EXPECT_EQ(Uniform<int32_t>(a, "ivkLeftPressing"), 0);
}

TEST_F(ProtocolTest, AResizeChangesTheResolutionButNotTheStateSize) {
    THeadlessGame game(64, 48, 0.1);
    game.Frame();
    game.Resize(100, 30);
    game.Frame();
    EXPECT_FLOAT_EQ(Uniform<float>(game.Form().ImageEffect(), "iResolution", 0), 100);
    EXPECT_FLOAT_EQ(Uniform<float>(game.Form().BufferAEffect(), "iResolution", 1), 30);
    EXPECT_EQ(game.Form().StateImage()->GetWidth(), 14);
    EXPECT_EQ(game.Form().StateImage()->GetHeight(), 14);
}

TEST_F(ProtocolTest, AnUndeclaredUniformFailsTheFrameAndTheFrameCountStays) {
    std::string withoutRight = ProbeBufferA;
    withoutRight.erase(withoutRight.find("uniform int ivkRightPressing;"), 29);
    Write("BufferA.sksl", withoutRight);
    THeadlessGame game(64, 48, 0.1);
    try {
        game.Frame();
        FAIL() << "the frame succeeded";
    } catch (const ESkArgumentException& e) {
        EXPECT_STREQ(e.what(), "Parameter AIndex out of range (-1). Must be >= 0 and < 7");
    }
    EXPECT_EQ(game.Form().Frame(), 0);
}

TEST_F(ProtocolTest, AFloat2MouseUniformIsRejected) {
    std::string twoFloats = ProbeBufferA;
    twoFloats.replace(twoFloats.find("float3 iMouse"), 13, "float2 iMouse");
    Write("BufferA.sksl", twoFloats);
    THeadlessGame game(64, 48, 0.1);
    try {
        game.Frame();
        FAIL() << "the frame succeeded";
    } catch (const ESkException& e) {
        EXPECT_STREQ(e.what(), "Operation is invalid");
    }
}

TEST_F(ProtocolTest, ShaderFilesInEveryEncodingCompile) {
    const std::string image = ProbeImage;
    std::string utf16le = "\xFF\xFE";
    for (char c : image) utf16le += std::string{c, '\0'};
    std::string utf16be = "\xFE\xFF";
    for (char c : image) utf16be += std::string{'\0', c};
    for (const std::string& text : {std::string("\xEF\xBB\xBF") + image, utf16le, utf16be}) {
        Write("Image.sksl", text);
        THeadlessGame game(16, 16, 0.1);
        EXPECT_TRUE(game.Form().ImageEffect());
    }
}

TEST_F(ProtocolTest, ShaderFilesThatAreMissingEmptyOrBrokenEndStartUpWithTheReason) {
    Write("Image.sksl", "half4 main(float2 p) { return undefined_name; }");
    try {
        THeadlessGame game(16, 16, 0.1);
        FAIL() << "a broken shader was accepted";
    } catch (const ESkException& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("Image.sksl"), std::string::npos) << message;
        EXPECT_NE(message.find("undefined_name"), std::string::npos) << message;
    }
    Write("Image.sksl", "");
    EXPECT_THROW(THeadlessGame(16, 16, 0.1), ESkArgumentException);
    fs::remove(root / "Assets" / "Image.sksl");
    EXPECT_THROW(THeadlessGame(16, 16, 0.1), EFileNotFoundException);
}

}  // namespace
