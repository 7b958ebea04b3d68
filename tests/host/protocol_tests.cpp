// The host's side of the protocol with the shader files: what each frame sets, observed in the
// effects' uniform buffers, with probing shader files in a temporary asset folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "HeadlessGame.h"
#include "ShaderFile.h"
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
    // A missing file is named with the folders tried and what each holds.
    fs::remove(root / "Assets" / "Image.sksl");
    try {
        ReadShaderText((root / "Assets" / "Image.sksl").string());
        FAIL() << "a missing file was read";
    } catch (const EFileNotFoundException& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("The specified file was not found: " + (root / "Assets" / "Image.sksl").string()),
                  std::string::npos)
            << message;
        EXPECT_NE(message.find("  " + (root / "Assets").string() + "/: Image.sksl missing, BufferA.sksl found\n"),
                  std::string::npos)
            << message;
    }
}

TEST_F(ProtocolTest, ShaderTextNoCompilerCanReadIsRefusedNamingTheFileAndTheFault) {
    std::string utf16le, utf16be;
    for (char c : std::string(ProbeImage)) utf16le += std::string{c, '\0'}, utf16be += std::string{'\0', c};
    const std::pair<std::string, std::string> cases[] = {
        {"", "Image.sksl\" is empty"},
        {"\xEF\xBB\xBF", "Image.sksl\" is empty"},  // a byte-order mark and nothing else
        {utf16le, "Image.sksl\" is UTF-16 (little-endian) without a byte-order mark"},
        {utf16be, "Image.sksl\" is UTF-16 (big-endian) without a byte-order mark"},
        {std::string(ProbeImage) + '\0', "Image.sksl\" holds a NUL byte at line 6, column 1"},
        {std::string("uniform float2 iResolution;\nunif") + '\0' + "orm float iTime;\n",
         "holds a NUL byte at line 2, column 5"},
    };
    for (const auto& [text, message] : cases) {
        SCOPED_TRACE(message);
        Write("Image.sksl", text);
        try {
            THeadlessGame game(16, 16, 0.1);
            ADD_FAILURE() << "accepted";
        } catch (const EShaderFileError& e) {
            EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
        }
    }
}

TEST_F(ProtocolTest, StartUpChecksThatEachShaderDeclaresWhatTheFramesSet) {
    auto replaced = [](std::string text, const std::string& from, const std::string& to) {
        return text.replace(text.find(from), from.size(), to);
    };
    const struct {
        const char* File;
        std::string Text;
        const char* Message;
    } cases[] = {
        {"Image.sksl", replaced(ProbeImage, "uniform float iTime;", ""),
         "Image.sksl\" does not declare the uniform iTime, of type float, which the game sets every frame"},
        {"BufferA.sksl", replaced(ProbeBufferA, "float3 iMouse", "float4 iMouse"),
         "BufferA.sksl\" declares the uniform iMouse as float4; the game sets it as float3 (or float[3])"},
        {"BufferA.sksl", replaced(ProbeBufferA, "uniform int ivkRightPressing;", ""),
         "does not declare the uniform ivkRightPressing, of type int or float"},
        {"BufferA.sksl", replaced(ProbeBufferA, "int iFrame", "int2 iFrame"),
         "declares the uniform iFrame as int2; the game sets it as int or float"},
        {"BufferA.sksl", replaced(ProbeBufferA, "float iTime", "int iTime"),
         "declares the uniform iTime as int; the game sets it as float"},
        {"BufferA.sksl", replaced(ProbeBufferA, "float2 iResolution", "float iResolution[3]"),
         "declares the uniform iResolution as float[3]; the game sets it as float2"},
        {"Image.sksl",
         "uniform float2 iResolution; uniform float iTime; half4 main(float2 p) { return half4(1); }",
         "Image.sksl\" does not declare the child \"uniform shader iChannel0\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Message);
        Write("BufferA.sksl", ProbeBufferA);
        Write("Image.sksl", ProbeImage);
        Write(c.File, c.Text);
        THeadlessGame game(16, 16, 0.1);
        try {
            CheckShaderProtocol(game.Form());
            ADD_FAILURE() << "accepted";
        } catch (const EShaderFileError& e) {
            EXPECT_NE(std::string(e.what()).find(c.Message), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find((root / "Assets" / c.File).string()), std::string::npos) << e.what();
        }
    }
    // What the protocol allows passes: float uniforms for the int ones, three floats as an array.
    Write("BufferA.sksl", replaced(replaced(ProbeBufferA, "int iFrame", "float iFrame"), "float3 iMouse", "float iMouse[3]"));
    Write("Image.sksl", ProbeImage);
    THeadlessGame game(16, 16, 0.1);
    EXPECT_NO_THROW(CheckShaderProtocol(game.Form()));
}

}  // namespace
