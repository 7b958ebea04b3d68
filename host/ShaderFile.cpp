#include "ShaderFile.h"

#include <algorithm>

#include "AssetsPath.h"
#include "MainForm.h"
#include "TextFile.h"

namespace Host {

using namespace Skia;

namespace {

// What a file missing from the asset folder means to the player: which one, and where the game
// looked for the pair.
template <class E>
E WithSearch(const E& e, const std::string& path) {
    const std::string name = path.substr(path.find_last_of('/') + 1);
    return E(std::string(e.what()) + ": " + path + "\nThe shader file " + name +
             " was looked for with its pair in these folders, in this order:\n" +
             DescribeAssetsSearch(AssetsCandidates()));
}

struct TExpected {
    const char* Name;
    const char* Description;  // for the message
    int Components;           // floats (or one int) the host writes
    bool IntAllowed;          // an int scalar takes the integer form of SetUniform
};

constexpr TExpected CommonUniforms[] = {
    {"iResolution", "float2", 2, false},
    {"iTime", "float", 1, false},
};
constexpr TExpected BufferAUniforms[] = {
    {"iTimeDelta", "float", 1, false},     {"iFrame", "int or float", 1, true},
    {"iMouse", "float3 (or float[3])", 3, false}, {"ivkLeftPressing", "int or float", 1, true},
    {"ivkRightPressing", "int or float", 1, true}, {"ivkSpacePressing", "int or float", 1, true},
};
constexpr const char* ChildName = "iChannel0";

const char* TypeName(TSkRuntimeEffectUniformType type) {
    static constexpr const char* names[] = {"float",    "float2",   "float3", "float4", "float2x2", "float3x3",
                                            "float4x4", "int",      "int2",   "int3",   "int4"};
    const auto i = static_cast<size_t>(type);
    return i < std::size(names) ? names[i] : "an unknown type";
}

int Components(TSkRuntimeEffectUniformType type) {
    static constexpr int components[] = {1, 2, 3, 4, 4, 9, 16, 1, 2, 3, 4};
    const auto i = static_cast<size_t>(type);
    return i < std::size(components) ? components[i] : 0;
}

void Check(ISkRuntimeEffect& effect, const TExpected& expected, const std::string& fileName) {
    const int32_t index = effect.IndexOfUniform(expected.Name);
    const std::string wanted = std::string("uniform ") + expected.Name + ", of type " + expected.Description;
    if (index < 0)
        throw EShaderFileError("The shader file \"" + fileName + "\" does not declare the " + wanted +
                               ", which the game sets every frame");
    const TSkRuntimeEffectUniformType type = effect.GetUniformType(index);
    const int32_t count = effect.GetUniformTypeCount(index);
    const bool ordinal = effect.IsUniformTypeOrdinal(index);
    const bool fits = ordinal ? expected.IntAllowed && type == TSkRuntimeEffectUniformType::Int && count == 1
                              : Components(type) * int64_t(count) == expected.Components;
    if (!fits) {
        std::string declared = TypeName(type);
        if (count != 1) declared += "[" + std::to_string(count) + "]";
        throw EShaderFileError("The shader file \"" + fileName + "\" declares the uniform " + expected.Name + " as " +
                               declared + "; the game sets it as " + expected.Description);
    }
}

}  // namespace

std::string DescribeNulCharacters(std::string_view text) {
    const size_t first = text.find('\0');
    if (first == std::string_view::npos) return {};
    // Mostly-ASCII text in UTF-16 has a zero in every other byte: odd positions for little-endian.
    const size_t sample = std::min<size_t>(text.size(), 4096) & ~size_t(1);
    size_t zerosEven = 0, zerosOdd = 0;
    for (size_t i = 0; i < sample; ++i) (i % 2 ? zerosOdd : zerosEven) += text[i] == '\0';
    const size_t pairs = sample / 2;
    auto utf16 = [&](size_t zeros, size_t others) { return pairs > 0 && zeros * 2 >= pairs && others * 8 < pairs; };
    const char* advice = " without a byte-order mark; save it as UTF-8, or as UTF-16 with a byte-order mark";
    if (utf16(zerosOdd, zerosEven)) return std::string("is UTF-16 (little-endian)") + advice;
    if (utf16(zerosEven, zerosOdd)) return std::string("is UTF-16 (big-endian)") + advice;
    const size_t line = 1 + static_cast<size_t>(std::count(text.begin(), text.begin() + ptrdiff_t(first), '\n'));
    const size_t lineStart = text.rfind('\n', first);
    const size_t column = first - (lineStart == std::string_view::npos ? 0 : lineStart + 1) + 1;
    return "holds a NUL byte at line " + std::to_string(line) + ", column " + std::to_string(column) +
           ", which no shader text has";
}

std::string ReadShaderText(const std::string& path) {
    std::string text;
    try {
        text = ReadAllText(path);
    } catch (const EDirectoryNotFoundException& e) {
        throw WithSearch(e, path);
    } catch (const EFileNotFoundException& e) {
        throw WithSearch(e, path);
    }
    if (text.empty()) throw EShaderFileError("The shader file \"" + path + "\" is empty");
    const std::string nul = DescribeNulCharacters(text);
    if (!nul.empty()) throw EShaderFileError("The shader file \"" + path + "\" " + nul);
    return text;
}

void CheckShaderProtocol(ISkRuntimeEffect& effect, TShaderPass pass, const std::string& fileName) {
    for (const TExpected& expected : CommonUniforms) Check(effect, expected, fileName);
    if (pass == TShaderPass::BufferA)
        for (const TExpected& expected : BufferAUniforms) Check(effect, expected, fileName);
    const int32_t child = effect.IndexOfChild(ChildName);
    if (child < 0)
        throw EShaderFileError("The shader file \"" + fileName + "\" does not declare the child \"uniform shader " +
                               ChildName + "\", which the game sets every frame");
    if (effect.GetChildType(child) != TSkRuntimeEffectChildType::Shader)
        throw EShaderFileError("The shader file \"" + fileName + "\" declares " + ChildName +
                               " as another kind of child than a shader; the game gives it a shader");
}

void CheckShaderProtocol(TfrmMain& form) {
    const std::string folder = AssetsPath();
    CheckShaderProtocol(*form.BufferAEffect(), TShaderPass::BufferA, folder + BufferAShaderFileName);
    CheckShaderProtocol(*form.ImageEffect(), TShaderPass::Image, folder + ImageShaderFileName);
}

}  // namespace Host
