// The plix_runtimeeffect_ reflection and factory entries at the C boundary: what they give for
// null handles, out-of-range indices and null names, and the error text of each factory kind.
#include "plix/plix.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Held {
    plix_handle h;
    ~Held() {
        if (h) plix_refcnt_unref(h);
    }
};

struct Text {
    plix_handle h = plix_string_create();
    ~Text() { plix_string_destroy(h); }
    std::string str() const { return plix_string_get_text(h); }
};

TEST(SkslCApi, FactoriesByKindWithErrorText) {
    struct Case {
        plix_handle (*make)(const char*, plix_handle);
        const char* source;
        const char* error;  // fragment of the text, or null when the effect is made
    } cases[] = {
        {plix_runtimeeffect_make_for_shader, "half4 main(float2 p) { return half4(p, 0, 1); }", nullptr},
        {plix_runtimeeffect_make_for_shader, "half4 main(half4 c) { return c; }",
         "error: 1:1: 'main' parameter must be 'float2' or 'vec2'"},
        {plix_runtimeeffect_make_for_shader, "", "missing 'main' function"},
        {plix_runtimeeffect_make_for_shader, "half4 main(float2 p) {\n  while (true) {}\n}",
         "error: 2:3: while loops are not supported"},
        {plix_runtimeeffect_make_for_color_filter, "half4 main(half4 c) { return c.bgra; }", nullptr},
        {plix_runtimeeffect_make_for_color_filter, "half4 main(float2 p) { return half4(1); }",
         "'main' parameter must be 'vec4', 'float4', or 'half4'"},
        {plix_runtimeeffect_make_for_blender, "half4 main(half4 s, half4 d) { return s * d; }", nullptr},
        {plix_runtimeeffect_make_for_blender, "half4 main(half4 s) { return s; }",
         "'main' parameters must be (vec4|float4|half4, vec4|float4|half4)"},
    };
    for (const Case& c : cases) {
        Text text;
        Held effect{c.make(c.source, text.h)};
        if (c.error) {
            EXPECT_EQ(effect.h, 0u) << c.source;
            EXPECT_NE(text.str().find(c.error), std::string::npos) << text.str();
        } else {
            EXPECT_NE(effect.h, 0u) << text.str();
            EXPECT_EQ(text.str(), "");
        }
        // Without an error string the result is the same.
        Held again{c.make(c.source, 0)};
        EXPECT_EQ(again.h != 0, c.error == nullptr) << c.source;
    }
    Text text;
    EXPECT_EQ(plix_runtimeeffect_make_for_shader(nullptr, text.h), 0u);
    EXPECT_NE(text.str(), "");
}

TEST(SkslCApi, ReflectionRefusesBadArguments) {
    Held effect{plix_runtimeeffect_make_for_shader(
            "uniform float a; uniform int2 b[3]; layout(color) uniform half4 c;\n"
            "uniform shader s; uniform colorFilter f; uniform blender bl;\n"
            "half4 main(float2 p) { return c; }",
            0)};
    ASSERT_NE(effect.h, 0u);
    const plix_handle e = effect.h;
    // Good indices.
    EXPECT_EQ(plix_runtimeeffect_get_uniform_count(e), 3);
    EXPECT_EQ(plix_runtimeeffect_get_uniform_data_size(e), 4u + 24u + 16u);
    EXPECT_STREQ(plix_runtimeeffect_get_uniform_name(e, 1), "b");
    EXPECT_EQ(plix_runtimeeffect_get_uniform_offset(e, 2), 28u);
    EXPECT_EQ(plix_runtimeeffect_get_uniform_type(e, 1), 8);  // Int2
    EXPECT_EQ(plix_runtimeeffect_get_uniform_type_count(e, 1), 3);
    EXPECT_EQ(plix_runtimeeffect_get_uniform_type(e, 2), 3);  // Float4
    EXPECT_EQ(plix_runtimeeffect_index_of_uniform(e, "c"), 2);
    EXPECT_EQ(plix_runtimeeffect_get_child_count(e), 3);
    EXPECT_STREQ(plix_runtimeeffect_get_child_name(e, 2), "bl");
    EXPECT_EQ(plix_runtimeeffect_get_child_type(e, 1), 1);  // ColorFilter
    EXPECT_EQ(plix_runtimeeffect_get_child_type(e, 2), 2);  // Blender
    EXPECT_EQ(plix_runtimeeffect_index_of_child(e, "f"), 1);
    // Bad ones: out of range, null names, null handles.
    for (int32_t bad : {-1, 3, 1000, INT32_MIN}) {
        EXPECT_STREQ(plix_runtimeeffect_get_uniform_name(e, bad), "") << bad;
        EXPECT_EQ(plix_runtimeeffect_get_uniform_offset(e, bad), 0u) << bad;
        EXPECT_EQ(plix_runtimeeffect_get_uniform_type_count(e, bad), 0) << bad;
        EXPECT_STREQ(plix_runtimeeffect_get_child_name(e, bad), "") << bad;
    }
    EXPECT_EQ(plix_runtimeeffect_index_of_uniform(e, nullptr), -1);
    EXPECT_EQ(plix_runtimeeffect_index_of_uniform(e, "absent"), -1);
    EXPECT_EQ(plix_runtimeeffect_index_of_uniform(e, "s"), -1);  // a child, not a uniform
    EXPECT_EQ(plix_runtimeeffect_index_of_child(e, nullptr), -1);
    EXPECT_EQ(plix_runtimeeffect_index_of_child(e, "a"), -1);
    EXPECT_EQ(plix_runtimeeffect_get_uniform_count(0), 0);
    EXPECT_EQ(plix_runtimeeffect_get_uniform_data_size(0), 0u);
    EXPECT_STREQ(plix_runtimeeffect_get_uniform_name(0, 0), "");
    EXPECT_EQ(plix_runtimeeffect_index_of_uniform(0, "a"), -1);
    EXPECT_EQ(plix_runtimeeffect_get_child_count(0), 0);
    EXPECT_EQ(plix_runtimeeffect_index_of_child(0, "s"), -1);
    EXPECT_EQ(plix_runtimeeffect_make_color_filter(0, nullptr, nullptr), 0u);
    EXPECT_EQ(plix_runtimeeffect_make_image(0, 0, nullptr, nullptr, nullptr, nullptr, false), 0u);
}

// A program without uniforms takes a null block; one with uniforms reads zeros from none.
TEST(SkslCApi, ShadersFromNullUniforms) {
    Held plain{plix_runtimeeffect_make_for_shader("half4 main(float2 p) { return half4(1); }", 0)};
    Held withUniforms{plix_runtimeeffect_make_for_shader(
            "uniform float4 u; half4 main(float2 p) { return half4(u); }", 0)};
    ASSERT_NE(plain.h, 0u);
    ASSERT_NE(withUniforms.h, 0u);
    EXPECT_EQ(plix_runtimeeffect_get_uniform_data_size(plain.h), 0u);
    Held s1{plix_runtimeeffect_make_shader(plain.h, nullptr, nullptr, nullptr)};
    Held s2{plix_runtimeeffect_make_shader(withUniforms.h, nullptr, nullptr, nullptr)};
    EXPECT_NE(s1.h, 0u);
    EXPECT_NE(s2.h, 0u);
}

}  // namespace
