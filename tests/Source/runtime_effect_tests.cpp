// The runtime effect wrapper against a stand-in program: the reflection entries answer from a
// table of uniforms and children, and the make entries record what they are given.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "Raised.h"
#include "Spy.h"
#include "Skia/RuntimeEffect.h"

using namespace Skia;
namespace API = Skia::API;
using Type = TSkRuntimeEffectUniformType;
using ChildType = TSkRuntimeEffectChildType;

namespace {

constexpr plix_handle EffectHandle = 0xE000;

struct FakeUniform {
    std::string name;
    Type type;
    int32_t count = 1;  // array length
    size_t offset = 0;  // filled in by FakeProgram
};

struct FakeChild {
    std::string name;
    ChildType type;
};

// A compiled program as the native side reflects it. Uniforms are packed in order.
class FakeProgram {
public:
    FakeProgram(std::vector<FakeUniform> uniforms, std::vector<FakeChild> children)
        : fUniforms(std::move(uniforms)), fChildren(std::move(children)) {
        for (auto& u : fUniforms) {
            u.offset = dataSize;
            dataSize += size_t(UniformTypeComponents(u.type)) * size_t(u.count) * 4;
        }
    }
    FakeProgram(const FakeProgram&) = delete;

    // Compiles through the shader factory; the native side gives EffectHandle.
    Ref<ISkRuntimeEffect> Compile() {
        Spy<&API::plix_runtimeeffect_make_for_shader> make([](const char*, plix_handle) { return EffectHandle; });
        return TSkRuntimeEffect::MakeForShader("half4 main(float2 p) { return half4(1); }");
    }

    size_t dataSize = 0;

private:
    const FakeUniform& U(int32_t i) const { return fUniforms.at(size_t(i)); }
    const FakeChild& C(int32_t i) const { return fChildren.at(size_t(i)); }

    std::vector<FakeUniform> fUniforms;
    std::vector<FakeChild> fChildren;

    Spy<&API::plix_runtimeeffect_get_uniform_count> fUniformCount{
        [this](plix_handle) { return int32_t(fUniforms.size()); }};
    Spy<&API::plix_runtimeeffect_get_uniform_data_size> fDataSize{[this](plix_handle) { return dataSize; }};
    Spy<&API::plix_runtimeeffect_get_uniform_name> fUniformName{
        [this](plix_handle, int32_t i) { return U(i).name.c_str(); }};
    Spy<&API::plix_runtimeeffect_get_uniform_offset> fOffset{[this](plix_handle, int32_t i) { return U(i).offset; }};
    Spy<&API::plix_runtimeeffect_get_uniform_type> fType{[this](plix_handle, int32_t i) { return int32_t(U(i).type); }};
    Spy<&API::plix_runtimeeffect_get_uniform_type_count> fTypeCount{
        [this](plix_handle, int32_t i) { return U(i).count; }};
    Spy<&API::plix_runtimeeffect_index_of_uniform> fIndexOfUniform{[this](plix_handle, const char* name) {
        for (size_t i = 0; i < fUniforms.size(); ++i)
            if (fUniforms[i].name == name) return int32_t(i);
        return -1;
    }};
    Spy<&API::plix_runtimeeffect_get_child_count> fChildCount{
        [this](plix_handle) { return int32_t(fChildren.size()); }};
    Spy<&API::plix_runtimeeffect_get_child_name> fChildName{
        [this](plix_handle, int32_t i) { return C(i).name.c_str(); }};
    Spy<&API::plix_runtimeeffect_get_child_type> fChildType{
        [this](plix_handle, int32_t i) { return int32_t(C(i).type); }};
    Spy<&API::plix_runtimeeffect_index_of_child> fIndexOfChild{[this](plix_handle, const char* name) {
        for (size_t i = 0; i < fChildren.size(); ++i)
            if (fChildren[i].name == name) return int32_t(i);
        return -1;
    }};
};

template <class T>
T At(const Ref<ISkRuntimeEffect>& effect, size_t offset) {
    T value;
    std::memcpy(&value, static_cast<const uint8_t*>(effect->GetUniformData()) + offset, sizeof value);
    return value;
}

std::vector<uint8_t> Bytes(const Ref<ISkRuntimeEffect>& effect) {
    const auto* data = static_cast<const uint8_t*>(effect->GetUniformData());
    return std::vector<uint8_t>(data, data + effect->GetUniformDataSize());
}

class SkRuntimeEffect : public ::testing::Test {
protected:
    FakeReleases releases;
};

// ---- compiling ----

TEST_F(SkRuntimeEffect, EachFactoryCompilesWithItsEntryAndOwnsTheResult) {
    using Factory = Ref<ISkRuntimeEffect> (*)(const std::string&);
    using FactoryWithText = Ref<ISkRuntimeEffect> (*)(const std::string&, std::string&);
    FakeProgram program({}, {});
    static std::string seen;
    static plix_handle seenErrorText;
    auto record = [](const char* sksl, plix_handle errorText) {
        seen = sksl;
        seenErrorText = errorText;
        return EffectHandle;
    };
    Spy<&API::plix_runtimeeffect_make_for_shader> shader(record);
    Spy<&API::plix_runtimeeffect_make_for_color_filter> colorFilter(record);
    Spy<&API::plix_runtimeeffect_make_for_blender> blender(record);
    const struct {
        Factory make;
        FactoryWithText makeWithText;
        int (*calls)();
    } cases[] = {
        {TSkRuntimeEffect::MakeForShader, TSkRuntimeEffect::MakeForShader, decltype(shader)::Calls},
        {TSkRuntimeEffect::MakeForColorFilter, TSkRuntimeEffect::MakeForColorFilter, decltype(colorFilter)::Calls},
        {TSkRuntimeEffect::MakeForBlender, TSkRuntimeEffect::MakeForBlender, decltype(blender)::Calls},
    };
    const std::string source = "// \xC3\xA9t\xC3\xA9\nhalf4 main(float2 p) { return half4(0); }";
    for (const auto& c : cases) {
        const int before = c.calls();
        Ref<ISkRuntimeEffect> effect = c.make(source);
        ASSERT_TRUE(effect);
        EXPECT_EQ(c.calls(), before + 1);
        EXPECT_EQ(seen, source);  // the UTF-8 bytes as they are
        EXPECT_EQ(seenErrorText, 0u);
        EXPECT_EQ(effect->GetHandle(), EffectHandle);

        std::string errorText = "stale";
        effect = c.makeWithText(source, errorText);
        ASSERT_TRUE(effect);
        EXPECT_NE(seenErrorText, 0u);  // a string object for the message
        EXPECT_EQ(errorText, "");      // empty on success
    }
    EXPECT_EQ(FakeReleases::Unrefs(EffectHandle), 6);  // every effect released its native reference once
}

TEST_F(SkRuntimeEffect, ACompileErrorGivesNilAndTheMessage) {
    FakeProgram program({}, {});
    Spy<&API::plix_runtimeeffect_make_for_shader> make([](const char*, plix_handle) { return plix_handle{0}; });
    Spy<&API::plix_string_get_text> text([](plix_handle) { return "1:10: error: expected ';'"; });
    std::string errorText;
    EXPECT_FALSE(TSkRuntimeEffect::MakeForShader("half4 main(", errorText));
    EXPECT_EQ(errorText, "1:10: error: expected ';'");
    EXPECT_FALSE(TSkRuntimeEffect::MakeForShader("half4 main("));
    EXPECT_EQ(decltype(text)::Calls(), 1);  // the overload without text asks for none
}

TEST_F(SkRuntimeEffect, AnEmptySourceIsRefusedBeforeTheNativeSide) {
    Spy<&API::plix_runtimeeffect_make_for_shader> shader;
    Spy<&API::plix_runtimeeffect_make_for_color_filter> colorFilter;
    Spy<&API::plix_runtimeeffect_make_for_blender> blender;
    Spy<&API::plix_string_create> stringCreate;
    std::string errorText = "stale";
    const std::string expected = "Parameter ASKSL cannot be empty";
    EXPECT_EQ(Raised<ESkArgumentException>([] { TSkRuntimeEffect::MakeForShader(""); }), expected);
    EXPECT_EQ(Raised<ESkArgumentException>([&] { TSkRuntimeEffect::MakeForShader("", errorText); }), expected);
    EXPECT_EQ(errorText, "");  // cleared before the check
    EXPECT_EQ(Raised<ESkArgumentException>([] { TSkRuntimeEffect::MakeForColorFilter(""); }), expected);
    EXPECT_EQ(Raised<ESkArgumentException>([] { TSkRuntimeEffect::MakeForBlender(""); }), expected);
    EXPECT_EQ(decltype(shader)::Calls() + decltype(colorFilter)::Calls() + decltype(blender)::Calls() +
                  decltype(stringCreate)::Calls(),
              0);
}

// ---- the buffer and the children array ----

TEST_F(SkRuntimeEffect, ANewEffectHasAZeroedBufferAndUnsetChildren) {
    FakeProgram program({{"a", Type::Float4}, {"b", Type::Int2}},
                        {{"s", ChildType::Shader}, {"c", ChildType::ColorFilter}, {"b", ChildType::Blender}});
    Ref<ISkRuntimeEffect> effect = program.Compile();
    EXPECT_EQ(effect->GetUniformDataSize(), 24u);
    EXPECT_EQ(Bytes(effect), std::vector<uint8_t>(24, 0));
    EXPECT_EQ(effect->GetUniform(1), static_cast<uint8_t*>(effect->GetUniformData()) + 16);
    EXPECT_EQ(effect->GetUniformByName("b"), effect->GetUniform(1));
    EXPECT_FALSE(effect->GetChildShader(0));
    EXPECT_FALSE(effect->GetChildColorFilter(1));
    EXPECT_FALSE(effect->GetChildBlender(2));
}

TEST_F(SkRuntimeEffect, AProgramWithoutUniformsHasNoBufferAndTakesNoValue) {
    FakeProgram program({}, {});
    Ref<ISkRuntimeEffect> effect = program.Compile();
    EXPECT_EQ(effect->GetUniformData(), nullptr);
    EXPECT_EQ(Raised<ESkArgumentException>([&] { effect->SetUniform(0, 1.0f); }),
              "Parameter AIndex out of range (0). Must be >= 0 and < 0");

    static const void* uniforms = &uniforms;
    static const plix_handle* children = reinterpret_cast<const plix_handle*>(&children);
    Spy<&API::plix_runtimeeffect_make_shader> make(
        [](plix_handle, const void* u, const plix_handle* c, const plix_matrix*) {
            uniforms = u;
            children = c;
            return plix_handle{0};
        });
    EXPECT_FALSE(effect->MakeShader());
    EXPECT_EQ(uniforms, nullptr);
    EXPECT_EQ(children, nullptr);
}

// ---- setting uniforms ----

TEST_F(SkRuntimeEffect, IntegersStayIntegersOnIntUniformsAndBecomeFloatsElsewhere) {
    FakeProgram program({{"i", Type::Int}, {"f", Type::Float}, {"i3", Type::Int3}, {"f4", Type::Float4},
                         {"fa", Type::Float, 3}, {"i2", Type::Int2}, {"f2", Type::Float2}},
                        {});
    Ref<ISkRuntimeEffect> effect = program.Compile();
    effect->SetUniform("i", 5);
    effect->SetUniform("f", 5);
    effect->SetUniform("i3", TSkRuntimeEffectInt3{1, -2, 3});
    effect->SetUniform("f4", TSkRuntimeEffectInt4{1, 2, 3, 4});
    const std::vector<int32_t> ints{7, 8, 9};
    effect->SetUniform("fa", ints);
    effect->SetUniform("i2", Ui::TPoint{-4, 6});
    effect->SetUniform("f2", TSkRuntimeEffectInt2{10, 20});

    EXPECT_EQ(At<int32_t>(effect, 0), 5);
    EXPECT_EQ(At<float>(effect, 4), 5.0f);
    EXPECT_EQ(At<TSkRuntimeEffectInt3>(effect, 8).Values(), (std::array<int32_t, 3>{1, -2, 3}));
    EXPECT_EQ(At<TSkRuntimeEffectFloat4>(effect, 20).Values(), (std::array<float, 4>{1, 2, 3, 4}));
    EXPECT_EQ(At<TSkRuntimeEffectFloat3>(effect, 36).Values(), (std::array<float, 3>{7, 8, 9}));
    EXPECT_EQ(At<TSkRuntimeEffectInt2>(effect, 48).Values(), (std::array<int32_t, 2>{-4, 6}));
    EXPECT_EQ(At<TSkRuntimeEffectFloat2>(effect, 56).Values(), (std::array<float, 2>{10, 20}));
}

TEST_F(SkRuntimeEffect, FloatsAreNeverConverted) {
    // A Single on an int uniform has the right size, so its bit pattern is stored.
    FakeProgram program({{"i", Type::Int}}, {});
    Ref<ISkRuntimeEffect> effect = program.Compile();
    effect->SetUniform(0, 1.0f);
    EXPECT_EQ(At<uint32_t>(effect, 0), 0x3F800000u);
}

TEST_F(SkRuntimeEffect, AValueFitsExactlyWhenItsSizeIsTheUniformsSize) {
    FakeProgram program({{"f2", Type::Float2}, {"f4", Type::Float4}, {"fa4", Type::Float, 4}, {"m2", Type::Float2x2},
                         {"m3", Type::Float3x3}, {"m4", Type::Float4x4}, {"c", Type::Float4}},
                        {});
    Ref<ISkRuntimeEffect> effect = program.Compile();
    const std::vector<float> two{1, 2}, three{1, 2, 3}, four{1, 2, 3, 4};
    const std::vector<int32_t> twoInts{1, 2};
    const struct {
        const char* what;
        std::function<void()> set;
        bool fits;
    } cases[] = {
        {"TPointF on float2", [&] { effect->SetUniform("f2", Ui::TPointF(1, 2)); }, true},
        {"Float2 on float2", [&] { effect->SetUniform("f2", TSkRuntimeEffectFloat2{1, 2}); }, true},
        {"TPoint on float2", [&] { effect->SetUniform("f2", Ui::TPoint{1, 2}); }, true},
        {"Int2 on float2", [&] { effect->SetUniform("f2", TSkRuntimeEffectInt2{1, 2}); }, true},
        {"2 floats on float2", [&] { effect->SetUniform("f2", std::span<const float>(two)); }, true},
        {"2 ints on float2", [&] { effect->SetUniform("f2", std::span<const int32_t>(twoInts)); }, true},
        {"Single on float2", [&] { effect->SetUniform("f2", 1.0f); }, false},
        {"3 floats on float2", [&] { effect->SetUniform("f2", std::span<const float>(three)); }, false},
        {"no floats on float2", [&] { effect->SetUniform("f2", std::span<const float>()); }, false},
        {"4 floats on float4", [&] { effect->SetUniform("f4", std::span<const float>(four)); }, true},
        {"Float4 on float4", [&] { effect->SetUniform("f4", TSkRuntimeEffectFloat4{1, 2, 3, 4}); }, true},
        {"4 floats on float[4]", [&] { effect->SetUniform("fa4", std::span<const float>(four)); }, true},
        {"Float4 on float[4]", [&] { effect->SetUniform("fa4", TSkRuntimeEffectFloat4{1, 2, 3, 4}); }, true},
        {"Float3 on float[4]", [&] { effect->SetUniform("fa4", TSkRuntimeEffectFloat3{1, 2, 3}); }, false},
        {"Float2x2 on float2x2", [&] { effect->SetUniform("m2", TSkRuntimeEffectFloat2x2{1, 2, 3, 4}); }, true},
        {"Float3x3 on float3x3", [&] { effect->SetUniform("m3", TSkRuntimeEffectFloat3x3{}); }, true},
        {"Float4x4 on float3x3", [&] { effect->SetUniform("m3", TSkRuntimeEffectFloat4x4{}); }, false},
        {"Float4x4 on float4x4", [&] { effect->SetUniform("m4", TSkRuntimeEffectFloat4x4{}); }, true},
        {"TAlphaColorF on float4", [&] { effect->SetUniform("c", Ui::TAlphaColorF{1, 0, 0, 1}); }, true},
        {"raw 16 bytes on float4", [&] { effect->SetUniform("c", four.data(), 16); }, true},
        {"raw 12 bytes on float4", [&] { effect->SetUniform("c", four.data(), 12); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<uint8_t> before = Bytes(effect);
        if (c.fits) {
            EXPECT_NO_THROW(c.set());
        } else {
            EXPECT_EQ(Raised<ESkException>(c.set), "Operation is invalid");
            EXPECT_EQ(Bytes(effect), before);
        }
    }
}

TEST_F(SkRuntimeEffect, ValuesLandAtTheirUniformsOffset) {
    FakeProgram program({{"a", Type::Float}, {"m", Type::Float3x3}, {"b", Type::Float2}}, {});
    Ref<ISkRuntimeEffect> effect = program.Compile();
    effect->SetUniform(2, TSkRuntimeEffectFloat2{7, 8});
    effect->SetUniform(1, TSkRuntimeEffectFloat3x3{1, 2, 3, 4, 5, 6, 7, 8, 9});
    EXPECT_EQ(At<float>(effect, 0), 0.0f);
    EXPECT_EQ(At<TSkRuntimeEffectFloat3x3>(effect, 4).Values(), (std::array<float, 9>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(At<TSkRuntimeEffectFloat2>(effect, 40).Values(), (std::array<float, 2>{7, 8}));
}

TEST_F(SkRuntimeEffect, AnAbsentNameIsIndexMinusOneAndChangesNothing) {
    FakeProgram program({{"iTime", Type::Float}, {"iFrame", Type::Int}, {"iMouse", Type::Float4}},
                        {{"iChannel0", ChildType::Shader}});
    Ref<ISkRuntimeEffect> effect = program.Compile();
    effect->SetUniform("iTime", 2.5f);
    const std::vector<uint8_t> before = Bytes(effect);
    const std::string uniformError = "Parameter AIndex out of range (-1). Must be >= 0 and < 3";
    EXPECT_EQ(Raised<ESkArgumentException>([&] { effect->SetUniform("iTim", 1.0f); }), uniformError);
    EXPECT_EQ(Raised<ESkArgumentException>([&] { effect->SetUniform("", 1); }), uniformError);
    EXPECT_EQ(Raised<ESkArgumentException>([&] { effect->GetUniformTypeByName("x"); }), uniformError);
    EXPECT_EQ(Bytes(effect), before);
    EXPECT_FALSE(effect->UniformExists("iTim"));
    EXPECT_TRUE(effect->UniformExists("iMouse"));
    EXPECT_EQ(Raised<ESkArgumentException>([&] { effect->SetChildShaderByName("iChannel1", nullptr); }),
              "Parameter AIndex out of range (-1). Must be >= 0 and < 1");
    EXPECT_FALSE(effect->ChildExists("iChannel1"));
    EXPECT_TRUE(effect->ChildExists("iChannel0"));
}

TEST_F(SkRuntimeEffect, EveryByIndexOperationChecksItsIndex) {
    FakeProgram program({{"a", Type::Float}, {"b", Type::Int}}, {{"s", ChildType::Shader}});
    Ref<ISkRuntimeEffect> effect = program.Compile();
    const struct {
        const char* what;
        std::function<void()> call;
        const char* message;
    } cases[] = {
        {"GetUniformName", [&] { effect->GetUniformName(2); }, "Parameter AIndex out of range (2). Must be >= 0 and < 2"},
        {"GetUniformOffset", [&] { effect->GetUniformOffset(-1); }, "Parameter AIndex out of range (-1). Must be >= 0 and < 2"},
        {"GetUniformType", [&] { effect->GetUniformType(5); }, "Parameter AIndex out of range (5). Must be >= 0 and < 2"},
        {"GetUniformTypeCount", [&] { effect->GetUniformTypeCount(2); }, "Parameter AIndex out of range (2). Must be >= 0 and < 2"},
        {"GetUniform", [&] { effect->GetUniform(2); }, "Parameter AIndex out of range (2). Must be >= 0 and < 2"},
        {"IsUniformTypeOrdinal", [&] { effect->IsUniformTypeOrdinal(2); }, "Parameter AIndex out of range (2). Must be >= 0 and < 2"},
        {"SetUniform", [&] { effect->SetUniform(2, 1); }, "Parameter AIndex out of range (2). Must be >= 0 and < 2"},
        {"GetChildName", [&] { effect->GetChildName(1); }, "Parameter AIndex out of range (1). Must be >= 0 and < 1"},
        {"GetChildType", [&] { effect->GetChildType(-3); }, "Parameter AIndex out of range (-3). Must be >= 0 and < 1"},
        {"GetChildShader", [&] { effect->GetChildShader(1); }, "Parameter AIndex out of range (1). Must be >= 0 and < 1"},
        {"SetChildShader", [&] { effect->SetChildShader(1, nullptr); }, "Parameter AIndex out of range (1). Must be >= 0 and < 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Raised<ESkArgumentException>(c.call), c.message);
    }
    EXPECT_EQ(effect->GetUniformName(1), "b");
    EXPECT_EQ(effect->GetChildName(0), "s");
    EXPECT_TRUE(effect->IsUniformTypeOrdinalByName("b"));
    EXPECT_FALSE(effect->IsUniformTypeOrdinalByName("a"));
}

TEST_F(SkRuntimeEffect, WriteUniformStaysInsideTheBuffer) {
    FakeProgram program({{"a", Type::Float4}}, {});
    Ref<ISkRuntimeEffect> effect = program.Compile();
    const uint8_t bytes[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    effect->WriteUniform(12, bytes, 4);  // ends exactly at the end
    EXPECT_EQ(At<uint32_t>(effect, 12), 0x04030201u);
    const std::vector<uint8_t> before = Bytes(effect);
    const struct {
        size_t offset, size;
    } outside[] = {{13, 4}, {0, 17}, {16, 1}, {std::numeric_limits<size_t>::max() - 1, 4}, {4, std::numeric_limits<size_t>::max()}};
    for (const auto& o : outside) {
        SCOPED_TRACE(o.offset);
        EXPECT_EQ(Raised<ESkException>([&] { effect->WriteUniform(o.offset, bytes, o.size); }), "Out of memory");
    }
    EXPECT_EQ(Bytes(effect), before);
    EXPECT_EQ(Raised<ESkArgumentException>([&] { effect->WriteUniform(0, nullptr, 4); }),
              "Parameter AData cannot be nil");
    EXPECT_NO_THROW(effect->WriteUniform(16, nullptr, 0));
}

// ---- children ----

TEST_F(SkRuntimeEffect, EachChildSlotTakesOnlyItsKind) {
    FakeProgram program({}, {{"s", ChildType::Shader}, {"c", ChildType::ColorFilter}, {"b", ChildType::Blender}});
    Ref<ISkRuntimeEffect> effect = program.Compile();
    Ref<ISkShader> shader = Wrap<TSkShader>(0x5100);
    Ref<ISkColorFilter> filter = Wrap<TSkColorFilter>(0xCF00);
    Ref<ISkBlender> blender = Wrap<TSkBlender>(0xB100);
    const struct {
        const char* what;
        std::function<void()> call;
    } wrongKind[] = {
        {"shader on a colour filter slot", [&] { effect->SetChildShader(1, shader); }},
        {"shader by name on a colour filter slot", [&] { effect->SetChildShaderByName("c", shader); }},
        {"nil shader on a blender slot", [&] { effect->SetChildShader(2, nullptr); }},
        {"colour filter on a shader slot", [&] { effect->SetChildColorFilter(0, filter); }},
        {"blender on a colour filter slot", [&] { effect->SetChildBlenderByName("c", blender); }},
        {"get shader of a blender slot", [&] { effect->GetChildShader(2); }},
        {"get colour filter of a shader slot", [&] { effect->GetChildColorFilterByName("s"); }},
        {"get blender of a shader slot", [&] { effect->GetChildBlender(0); }},
    };
    for (const auto& c : wrongKind) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Raised<ESkException>(c.call), "Operation is invalid");
    }
    effect->SetChildShaderByName("s", shader);
    effect->SetChildColorFilter(1, filter);
    effect->SetChildBlender(2, blender);
    EXPECT_EQ(effect->GetChildShader(0), shader);
    EXPECT_EQ(effect->GetChildColorFilterByName("c"), filter);
    EXPECT_EQ(effect->GetChildBlenderByName("b"), blender);
    EXPECT_EQ(effect->GetChildTypeByName("b"), ChildType::Blender);
}

TEST_F(SkRuntimeEffect, MakesPassTheBufferAndTheChildrenWithUnsetOnesAsZero) {
    FakeProgram program({{"t", Type::Float}},
                        {{"a", ChildType::Shader}, {"b", ChildType::Shader}, {"c", ChildType::Shader}});
    Ref<ISkRuntimeEffect> effect = program.Compile();
    effect->SetUniform("t", 3.0f);
    effect->SetChildShader(0, Wrap<TSkShader>(0x5A));
    effect->SetChildShader(2, Wrap<TSkShader>(0x5C));
    effect->SetChildShader(1, Wrap<TSkShader>(0x5B));
    effect->SetChildShader(1, nullptr);  // cleared again

    static std::vector<plix_handle> children;
    static float time;
    static const void* uniforms;
    static bool hadMatrix;
    static plix_matrix matrix;
    auto record = [](plix_handle self, const void* u, const plix_handle* c) {
        EXPECT_EQ(self, EffectHandle);
        uniforms = u;
        std::memcpy(&time, u, 4);
        children.assign(c, c + 3);
    };
    Spy<&API::plix_runtimeeffect_make_shader> makeShader(
        [&](plix_handle self, const void* u, const plix_handle* c, const plix_matrix* m) {
            record(self, u, c);
            hadMatrix = m != nullptr;
            if (m) matrix = *m;
            return plix_handle{0x5500};
        });
    Spy<&API::plix_runtimeeffect_make_color_filter> makeColorFilter(
        [&](plix_handle self, const void* u, const plix_handle* c) {
            record(self, u, c);
            return plix_handle{0xCF55};
        });
    Spy<&API::plix_runtimeeffect_make_blender> makeBlender([&](plix_handle self, const void* u, const plix_handle* c) {
        record(self, u, c);
        return plix_handle{0xB155};
    });

    const std::vector<plix_handle> expected{0x5A, 0, 0x5C};
    Ref<ISkShader> shader = effect->MakeShader();
    ASSERT_TRUE(shader);
    EXPECT_EQ(shader->GetHandle(), 0x5500u);
    EXPECT_EQ(children, expected);
    EXPECT_EQ(uniforms, effect->GetUniformData());  // the buffer itself, not a copy
    EXPECT_EQ(time, 3.0f);
    EXPECT_FALSE(hadMatrix);

    Ui::TMatrix local = Ui::TMatrix::CreateTranslation(10, 20);
    local.m12 = 0.5f;  // skew y
    effect->MakeShader(local);
    EXPECT_TRUE(hadMatrix);
    // The engine's order is the transpose of the framework's.
    EXPECT_EQ(matrix.trans_x, 10.0f);
    EXPECT_EQ(matrix.trans_y, 20.0f);
    EXPECT_EQ(matrix.skew_y, 0.5f);
    EXPECT_EQ(matrix.skew_x, 0.0f);
    EXPECT_EQ(matrix.persp_2, 1.0f);

    children.clear();
    EXPECT_EQ(effect->MakeColorFilter()->GetHandle(), 0xCF55u);
    EXPECT_EQ(children, expected);
    children.clear();
    EXPECT_EQ(effect->MakeBlender()->GetHandle(), 0xB155u);
    EXPECT_EQ(children, expected);
}

TEST_F(SkRuntimeEffect, MakeImageMarshalsTheImageInfoAndTheContext) {
    FakeProgram program({}, {{"feedback", ChildType::Shader}});
    Ref<ISkRuntimeEffect> effect = program.Compile();
    static plix_imageinfo info;
    static plix_handle context;
    static bool mipmapped, hadMatrix;
    static plix_handle child;
    Spy<&API::plix_runtimeeffect_make_image> makeImage(
        [](plix_handle, plix_handle ctx, const void*, const plix_handle* c, const plix_matrix* m,
           const plix_imageinfo* i, bool mip) {
            context = ctx;
            child = c[0];
            hadMatrix = m != nullptr;
            info = *i;
            mipmapped = mip;
            return plix_handle{0x1A00};
        });
    Ref<ISkImage> image = effect->MakeImage(TSkImageInfo(14, 14));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetHandle(), 0x1A00u);
    EXPECT_EQ(context, 0u);  // nil: a raster image
    EXPECT_EQ(child, 0u);
    EXPECT_FALSE(hadMatrix);
    EXPECT_FALSE(mipmapped);
    EXPECT_EQ(info.width, 14);
    EXPECT_EQ(info.height, 14);
    EXPECT_EQ(info.color_type, int32_t(TSkColorType::BGRA8888));
    EXPECT_EQ(info.alpha_type, int32_t(TSkAlphaType::Premul));
    EXPECT_EQ(info.color_space, 0u);

    Ref<ISkColorSpace> colorSpace = Wrap<TSkColorSpace>(0xC500);
    Ref<IGrDirectContext> gpu = Wrap<TGrDirectContext>(0x6C00);
    effect->MakeImage(TSkImageInfo(3, 2, TSkColorType::RGBAF16, TSkAlphaType::Unpremul, colorSpace),
                      Ui::TMatrix::CreateScaling(2, 2), true, gpu);
    EXPECT_EQ(context, 0x6C00u);
    EXPECT_TRUE(hadMatrix);
    EXPECT_TRUE(mipmapped);
    EXPECT_EQ(info.color_type, int32_t(TSkColorType::RGBAF16));
    EXPECT_EQ(info.alpha_type, int32_t(TSkAlphaType::Unpremul));
    EXPECT_EQ(info.color_space, 0xC500u);
}

TEST_F(SkRuntimeEffect, ChildrenHoldOneNativeReferenceAndOutliveTheEffectsRelease) {
    FakeProgram program({}, {{"s", ChildType::Shader}});
    Ref<ISkRuntimeEffect> effect = program.Compile();
    {
        Ref<ISkShader> shader = Wrap<TSkShader>(0x5100);
        effect->SetChildShader(0, shader);
        EXPECT_EQ(FakeReleases::Refs(0x5100), 1);  // the slot's reference
    }
    EXPECT_EQ(FakeReleases::Unrefs(0x5100), 1);  // the dropped interface's; the slot keeps the shader
    FakeReleases::log.clear();
    effect = nullptr;
    // The effect's native reference goes first, then the children array releases its own.
    EXPECT_EQ(FakeReleases::log,
              (std::vector<std::string>{FakeReleases::Name("unref", EffectHandle), FakeReleases::Name("unref", 0x5100)}));
}

TEST_F(SkRuntimeEffect, AWrapperThatCannotBeBuiltGivesBackTheNativeReference) {
    Spy<&API::plix_runtimeeffect_get_child_count> childCount(
        [](plix_handle) -> int32_t { throw ESkException("plix_runtimeeffect_get_child_count is not exported"); });
    Spy<&API::plix_runtimeeffect_make_for_shader> make([](const char*, plix_handle) { return EffectHandle; });
    EXPECT_EQ(Raised<ESkException>([] { TSkRuntimeEffect::MakeForShader("x"); }),
              "plix_runtimeeffect_get_child_count is not exported");
    EXPECT_EQ(FakeReleases::Unrefs(EffectHandle), 1);
}

}  // namespace
