// The front end: tokens, error positions and recovery, reflection, and inputs that must be
// refused in bounded time rather than crash or hang.
#include "CorpusFile.h"
#include "EffectRunner.h"
#include "sksl/Compiler.h"
#include "sksl/Effect.h"
#include "sksl/lex/Lexer.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <chrono>
#include <random>

namespace plix::sksl::test {
namespace {

std::string errorsOf(const std::string& src, ProgramKind kind = ProgramKind::Shader) {
    std::string errors;
    sp<Effect> e = Effect::Make(src, kind, &errors);
    return e ? std::string() : errors;
}

TEST(SkslLexer, TokensOfTrickyText) {
    // After an operand, ".0" starts a swizzle with a constant component ("v.0y1"), not a number.
    const char* src = "1.5e3 (.5) 5. 0x1F 10u a.b v.0y1 x++ <<= ^^ /* c */ // c\n#version 1e @";
    Lexer lexer(src);
    struct Expected {
        TokenKind kind;
        const char* text;
    } expected[] = {
        {TokenKind::FloatLiteral, "1.5e3"}, {TokenKind::LParen, "("},
        {TokenKind::FloatLiteral, ".5"},    {TokenKind::RParen, ")"},
        {TokenKind::FloatLiteral, "5."},    {TokenKind::IntLiteral, "0x1F"},
        {TokenKind::IntLiteral, "10u"},     {TokenKind::Identifier, "a"},
        {TokenKind::Dot, "."},              {TokenKind::Identifier, "b"},
        {TokenKind::Identifier, "v"},       {TokenKind::Dot, "."},
        {TokenKind::IntLiteral, "0"},       {TokenKind::Identifier, "y1"},
        {TokenKind::Identifier, "x"},       {TokenKind::PlusPlus, "++"},
        {TokenKind::ShlEq, "<<="},          {TokenKind::CaretCaret, "^^"},
        {TokenKind::Directive, "#version"}, {TokenKind::Invalid, "1e"},
        {TokenKind::Invalid, "@"},          {TokenKind::EndOfFile, ""},
    };
    for (const Expected& e : expected) {
        Token t = lexer.next();
        EXPECT_EQ(t.kind, e.kind) << e.text;
        EXPECT_EQ(lexer.text(t), e.text);
    }
}

TEST(SkslLexer, ReservedNames) {
    // The reference engine's list, found by trying each name there.
    for (const char* name : {"class", "union", "goto", "input", "double", "gl_Position", "$x",
                             "x$", "hvec3", "sizeof", "atomic", "dmat3x2", "sampler1D",
                             "sampler3D", "samplerCubeArrayShadow", "isampler2D", "usampler2DRect",
                             "texture3D", "itexture2D", "image2D", "uimageCube", "isubpassInputMS",
                             "samplerShadow", "sampler3DRect"}) {
        EXPECT_TRUE(IsReservedName(name)) << name;
    }
    for (const char* name : {"sample", "pure", "texture", "sk_x", "main2", "a__b", "sk_Caps",
                             "texture2DRect", "isampler1DShadow", "imageSize", "uniformly",
                             "smooth", "centroid", "shared", "precise"}) {
        EXPECT_FALSE(IsReservedName(name)) << name;
    }
}

// Errors give line and column (1-based, counting bytes), quote the line, and mark the span.
TEST(SkslErrors, PositionAndCaret) {
    std::string errors = errorsOf("half4 main(float2 p) {\n\treturn half4(q);\n}");
    EXPECT_EQ(errors,
              "error: 2:15: unknown identifier 'q'\n"
              " return half4(q);\n"
              "              ^\n"
              "1 error\n");
}

// Messages quote source text cut to a readable length, with bytes that do not print escaped:
// a megabyte-long name or binary junk cannot flood the terminal.
TEST(SkslErrors, EchoesAreShortAndPrintable) {
    std::string name(1 << 20, 'a');
    std::string junk = "\x01\x1b[2J\xff";
    std::string errors = errorsOf("half4 main(float2 p) { return half4(" + name + "); }\n") +
                         errorsOf("half4 main(float2 p) { return half4(1) " + junk + "; }\n");
    EXPECT_LT(errors.size(), 2000u) << errors.substr(0, 300);
    EXPECT_NE(errors.find("unknown identifier 'aaaa"), std::string::npos) << errors.substr(0, 300);
    EXPECT_NE(errors.find("...'"), std::string::npos) << errors.substr(0, 300);
    EXPECT_NE(errors.find("found '\\x01'"), std::string::npos) << errors.substr(0, 300);
    for (char c : errors) {
        EXPECT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7f)) << int(static_cast<unsigned char>(c));
    }
}

// The limits of the lowering name the loop or call that reaches them.
TEST(SkslErrors, LimitsNameTheirLoopOrCall) {
    std::string expensive = errorsOf(
            "half4 main(float2 p) {\n"
            "    float s = 0;\n"
            "    for (int i = 0; i < 99999; i++) {\n"
            "        for (int j = 0; j < 99999; j++) { s += 1; }\n"
            "    }\n"
            "    return half4(s);\n"
            "}\n");
    EXPECT_EQ(expensive.rfind("error: 4:9: program is too expensive", 0), 0u) << expensive;
    std::string doubling = "float f0(float x) { return x + 1; }\n";
    for (int i = 1; i <= 40; ++i) {
        doubling += "float f" + std::to_string(i) + "(float x) { return f" + std::to_string(i - 1) +
                    "(x) + f" + std::to_string(i - 1) + "(x * 0.5); }\n";
    }
    doubling += "half4 main(float2 p) { return half4(f40(p.x)); }\n";
    std::string large = errorsOf(doubling);
    EXPECT_EQ(large.find("error: 1:1:"), std::string::npos) << large;
    EXPECT_NE(large.find("program is too large"), std::string::npos) << large;
}

// After a syntax error the parser resumes at the next statement or declaration, so one run
// reports each independent mistake.
TEST(SkslErrors, RecoveryReportsEveryStatement) {
    std::string errors = errorsOf(
            "float f(float x) {\n"
            "    float y = x +;\n"          // 2
            "    return y;\n"
            "}\n"
            "half4 main(float2 p) {\n"
            "    float z = (1 + ;\n"        // 6
            "    float w = 2\n"             // 7: missing ';' found at line 8
            "    return half4(z);\n"
            "}\n");
    EXPECT_NE(errors.find("error: 2:18: expected expression, but found ';'"), std::string::npos) << errors;
    EXPECT_NE(errors.find("error: 6:20: expected expression, but found ';'"), std::string::npos) << errors;
    EXPECT_NE(errors.find("error: 8:5: expected ';', but found 'return'"), std::string::npos) << errors;
    EXPECT_NE(errors.find("3 errors"), std::string::npos) << errors;
}

// Offsets as the reference engine reports them (its uniform slots times four): packed in
// declaration order with no padding; arrays multiply; layout(color) marks a colour.
TEST(SkslReflection, UniformLayoutAndChildren) {
    std::string errors;
    sp<Effect> e = Effect::Make(R"(
        uniform float2 a[3];
        uniform float b;
        uniform float3x3 m[2];
        uniform int c[2];
        uniform half3 h;
        uniform int3 i3;
        layout(color) uniform half4 col;
        uniform float4x4 m4;
        uniform shader s;
        uniform colorFilter f;
        uniform blender bl;
        half4 main(float2 p) { return half4(a[0].x + b + m[1][0].x); }
    )", ProgramKind::Shader, &errors);
    ASSERT_TRUE(e) << errors;
    const Reflection& r = e->reflection();
    struct Expected {
        const char* name;
        UniformType type;
        int count;
        size_t offset;
        size_t size;
        bool isColor;
    } expected[] = {
        {"a", UniformType::Float2, 3, 0, 24, false},
        {"b", UniformType::Float, 1, 24, 4, false},
        {"m", UniformType::Float3x3, 2, 28, 72, false},
        {"c", UniformType::Int, 2, 100, 8, false},
        {"h", UniformType::Float3, 1, 108, 12, false},
        {"i3", UniformType::Int3, 1, 120, 12, false},
        {"col", UniformType::Float4, 1, 132, 16, true},
        {"m4", UniformType::Float4x4, 1, 148, 64, false},
    };
    ASSERT_EQ(r.uniforms.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const UniformInfo& u = r.uniforms[i];
        EXPECT_EQ(u.name, expected[i].name);
        EXPECT_EQ(u.type, expected[i].type) << u.name;
        EXPECT_EQ(u.count, expected[i].count) << u.name;
        EXPECT_EQ(u.offset, expected[i].offset) << u.name;
        EXPECT_EQ(u.size, expected[i].size) << u.name;
        EXPECT_EQ(u.isColor, expected[i].isColor) << u.name;
        EXPECT_EQ(u.size, static_cast<size_t>(UniformTypeComponents(u.type) * u.count * 4)) << u.name;
    }
    EXPECT_EQ(r.uniformSize, 212u);  // 53 floats
    ASSERT_EQ(r.children.size(), 3u);
    EXPECT_EQ(r.children[0].name, "s");
    EXPECT_EQ(r.children[0].type, ChildType::Shader);
    EXPECT_EQ(r.children[1].type, ChildType::ColorFilter);
    EXPECT_EQ(r.children[2].type, ChildType::Blender);
    EXPECT_EQ(r.children[2].index, 2);
    EXPECT_EQ(r.indexOfUniform("m4"), 7);
    EXPECT_EQ(r.indexOfUniform("nope"), -1);
    EXPECT_EQ(r.indexOfChild("f"), 1);
    EXPECT_EQ(r.indexOfChild("b"), -1);
}

TEST(SkslReflection, NoUniforms) {
    std::string errors;
    sp<Effect> e = Effect::Make("half4 main(float2 p) { return half4(1); }", ProgramKind::Shader,
                                &errors);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->reflection().uniformSize, 0u);
    EXPECT_TRUE(e->reflection().uniforms.empty());
    EXPECT_TRUE(errors.empty());
}

// sk_FragCoord exists only for the engine's own programs, which ask for it.
TEST(SkslCompiler, FragCoordOnlyWhenAllowed) {
    const char* src = "half4 main(float2 p) { return half4(sk_FragCoord.xy - p, 0, 1); }";
    EXPECT_NE(errorsOf(src).find("unknown identifier 'sk_FragCoord'"), std::string::npos);
    std::string errors;
    CheckerOptions options;
    options.allowFragCoord = true;
    sp<Effect> e = Effect::Make(src, ProgramKind::Shader, &errors, options);
    ASSERT_TRUE(e) << errors;
    EXPECT_TRUE(e->usesFragCoord());
    float x = 1.5f, y = 2.5f, fx = 11.5f, fy = 22.5f, r, g;
    ExecArgs args;
    args.count = 1;
    args.x = &x;
    args.y = &y;
    args.fragX = &fx;
    args.fragY = &fy;
    args.out[0] = &r;
    args.out[1] = &g;
    e->run(args);
    EXPECT_EQ(r, 10.0f);
    EXPECT_EQ(g, 20.0f);
}

// ---------------------------------------------------------------------------------------------
// Inputs that must end in an error (or a program), quickly.

double secondsToCompile(const std::string& src, std::string* errors) {
    auto t0 = std::chrono::steady_clock::now();
    sp<Effect> e = Effect::Make(src, ProgramKind::Shader, errors);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

TEST(SkslRobustness, PathologicalSources) {
    auto repeat = [](const std::string& s, int n) {
        std::string out;
        for (int i = 0; i < n; ++i) out += s;
        return out;
    };
    // An exponential call tree: each function calls the previous one twice.
    std::string doubling = "float f0(float x) { return x + 1; }\n";
    for (int i = 1; i <= 40; ++i) {
        doubling += "float f" + std::to_string(i) + "(float x) { return f" + std::to_string(i - 1) +
                    "(x) + f" + std::to_string(i - 1) + "(x * 0.5); }\n";
    }
    doubling += "half4 main(float2 p) { return half4(f40(p.x)); }\n";
    // Constants each defined by the one before: folded once each, not again and again.
    std::string constants = "const float c0 = 1;\n";
    for (int i = 1; i < 20000; ++i) {
        constants += "const float c" + std::to_string(i) + " = c" + std::to_string(i - 1) + " + 1;\n";
    }
    constants += "half4 main(float2 p) { return half4(c19999 / 20000); }\n";
    // Structs nested through arrays, which the nesting limit does not count.
    std::string structs = "struct S0 { float x; };\n";
    for (int i = 1; i < 20000; ++i) {
        structs += "struct S" + std::to_string(i) + " { S" + std::to_string(i - 1) + " x[1]; };\n";
    }
    structs += "half4 main(float2 p) { S19999 s; return half4(1); }\n";
    const std::string identity = "float f(float x) { return x; }\n";
    struct Case {
        const char* name;
        std::string source;
        const char* error;  // expected fragment; null when the program may compile
    } cases[] = {
        {"empty", "", "missing 'main' function"},
        {"comment only", "/* unterminated", "missing 'main' function"},
        {"comment cuts the program", "half4 main(float2 p) {\n/* unterminated",
         "2:1: unterminated comment"},
        {"NUL bytes", std::string("half4 main(float2 p) {\0 return half4(1); }", 42), "expected"},
        {"deep parentheses", "half4 main(float2 p) { return half4(" + repeat("(", 100000) + "1" +
                                     repeat(")", 100000) + "); }",
         "exceeded max parse depth"},
        {"deep blocks", "half4 main(float2 p) { " + repeat("{", 100000) + repeat("}", 100000) +
                                " return half4(1); }",
         "exceeded max parse depth"},
        {"long chain", "half4 main(float2 p) { return half4(p.x" + repeat("+p.x", 100000) + "); }",
         "exceeded max parse depth"},
        {"unary chain", "half4 main(float2 p) { return half4(" + repeat("-", 100000) + "p.x); }",
         "exceeded max parse depth"},
        {"deep calls", identity + "half4 main(float2 p) { return half4(" + repeat("f(", 100000) +
                               "p.x" + repeat(")", 100000) + "); }",
         "exceeded max parse depth"},
        {"deep constructors", "half4 main(float2 p) { return half4(" + repeat("float(", 100000) +
                                      "p.x" + repeat(")", 100000) + "); }",
         "exceeded max parse depth"},
        {"deep ternaries", "half4 main(float2 p) { return half4(" + repeat("p.x > 0 ? 1 : ", 100000) +
                                   "0); }",
         "exceeded max parse depth"},
        {"deep ifs", "half4 main(float2 p) { float x = 0; " + repeat("if (p.x > 0) ", 100000) +
                             "x = 1; return half4(x); }",
         "exceeded max parse depth"},
        {"deep else-ifs", "half4 main(float2 p) { float x = 0; if (p.x > 0) x = 1; " +
                                  repeat("else if (p.x > 1) x = 2; ", 100000) + "return half4(x); }",
         "exceeded max parse depth"},
        {"deep suffixes", "half4 main(float2 p) { return half4(p" + repeat(".xy", 100000) + ", 0, 1); }",
         "exceeded max parse depth"},
        {"constant chain", constants, nullptr},
        {"structs nested through arrays", structs, nullptr},
        {"many statements", "half4 main(float2 p) { float x = 0;" + repeat(" x += p.x * 0.5;", 50000) +
                                    " return half4(x); }",
         nullptr},
        {"many errors", repeat("float x = ;\n", 10000), "too many errors"},
        {"call explosion", doubling, "program is too large"},
        {"huge array", "half4 main(float2 p) { float a[1000000000]; return half4(1); }",
         "array size is too large"},
        {"nested long loops", "half4 main(float2 p) { float s = 0; for (int i = 0; i < 99999; i++) {"
                              " for (int j = 0; j < 99999; j++) { s += 1; } } return half4(s); }",
         "program is too expensive"},
        {"registers", "float a[60000]; float b[60000]; float c[60000];\n"
                      "half4 main(float2 p) { a[0] = 1; b[0] = 2; c[0] = 3; return half4(a[0]); }",
         "program is too large"},
        {"stack limit", "half4 main(float2 p) { float a[60000]; float b[60000]; return half4(1); }",
         "exceeds the stack size limit"},
        {"huge literal", "half4 main(float2 p) { return half4(1" + repeat("0", 5000) + "); }",
         "integer is too large"},
        {"huge float", "half4 main(float2 p) { return half4(1" + repeat("0", 5000) + ".0); }",
         "floating-point value is too large"},
        {"too large", std::string(kMaxSourceSize + 1, ' '), "program is too large"},
    };
    for (const Case& c : cases) {
        std::string errors;
        double seconds = secondsToCompile(c.source, &errors);
        // A guard against hangs, not a speed check: generous enough for sanitizer builds.
        EXPECT_LT(seconds, 120.0) << c.name;
        if (c.error) {
            EXPECT_NE(errors.find(c.error), std::string::npos) << c.name << ": " << errors.substr(0, 300);
            EXPECT_NE(errors.find("error: "), std::string::npos) << c.name;
        } else {
            EXPECT_TRUE(errors.empty()) << c.name << ": " << errors.substr(0, 300);
        }
    }
}

// A chain of functions each calling the next, far longer than any nesting within a function:
// the compiler inlines it on a stack of its own, and both executors run it.
TEST(SkslRobustness, LongCallChainCompilesAndRuns) {
    std::string src = "float f0(float x) { return x; }\n";
    constexpr int kLength = 10000;
    for (int i = 1; i < kLength; ++i) {
        src += "float f" + std::to_string(i) + "(float x) { return f" + std::to_string(i - 1) +
               "(x); }\n";
    }
    src += "half4 main(float2 p) { return half4(0, f" + std::to_string(kLength - 1) + "(1), 0, 1); }\n";
    std::string errors;
    sp<Effect> e = Effect::Make(src, ProgramKind::Shader, &errors);
    ASSERT_TRUE(e) << errors.substr(0, 300);
    CorpusFile file;
    file.source = src;
    file.width = file.height = 2;
    for (Executor ex : {Executor::Fast, Executor::Reference}) {
        Pixels p = RunEffect(*e, file, ex);
        EXPECT_EQ(p.at(1, 1), (std::array<float, 4>{0, 1, 0, 1}));
    }
}

// On a thread whose stack is too small for the chain, the compiler still answers: it runs its
// recursive phases on a stack of its own.
TEST(SkslRobustness, CompilesOnASmallStack) {
    std::string src = "float f0(float x) { return x; }\n";
    for (int i = 1; i < 3000; ++i) {
        src += "float f" + std::to_string(i) + "(float x) { return f" + std::to_string(i - 1) +
               "(x); }\n";
    }
    src += "half4 main(float2 p) { return half4(f2999(1)); }\n";
    bool compiled = false;
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, 256 << 10);
    struct Job {
        const std::string* src;
        bool* compiled;
    } job{&src, &compiled};
    pthread_t thread;
    ASSERT_EQ(pthread_create(&thread, &attr, [](void* p) -> void* {
        auto* j = static_cast<Job*>(p);
        std::string errors;
        *j->compiled = static_cast<bool>(Effect::Make(*j->src, ProgramKind::Shader, &errors));
        return nullptr;
    }, &job), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
    EXPECT_TRUE(compiled);
}

// Random bytes, and corpus programs with random edits, compile or fail without crashing; the
// ones that compile run on both executors.
TEST(SkslRobustness, MutatedPrograms) {
    std::mt19937 rng(99);
    int compiled = 0, failed = 0;
    auto tryOne = [&](const std::string& src) {
        std::string errors;
        sp<Effect> e = Effect::Make(src, ProgramKind::Shader, &errors);
        if (!e) {
            ++failed;
            EXPECT_EQ(errors.rfind("error: ", 0), 0u) << errors;
            return;
        }
        ++compiled;
        CorpusFile file;
        file.width = 3;
        file.height = 2;
        RunEffect(*e, file, Executor::Fast);
        RunEffect(*e, file, Executor::Reference);
    };
    for (int i = 0; i < 200; ++i) {
        std::string bytes(std::uniform_int_distribution<int>(0, 300)(rng), '\0');
        for (char& c : bytes) c = static_cast<char>(rng());
        tryOne(bytes);
    }
    static const char* kPieces[] = {"(", ")", "{", "}", ";", "[0]", ".x", "+", "*", "=", "if",
                                    "for", "return", "float", "int", ",", "?", ":", "1", "p",
                                    "half4(1)", "-", "!", "==", "++", "<", "break;"};
    for (const auto& path : ListCorpus(std::string(PLIX_SKSL_CORPUS_DIR) + "/pass")) {
        CorpusFile f = ReadCorpusFile(path);
        for (int m = 0; m < 25; ++m) {
            std::string src = f.source;
            int edits = 1 + static_cast<int>(rng() % 4);
            for (int k = 0; k < edits && !src.empty(); ++k) {
                size_t at = rng() % src.size();
                size_t len = rng() % 8;
                switch (rng() % 3) {
                    case 0: src.erase(at, len); break;
                    case 1: src.insert(at, kPieces[rng() % std::size(kPieces)]); break;
                    default: src.insert(at, src.substr(rng() % src.size(), len)); break;
                }
            }
            tryOne(src);
        }
    }
    EXPECT_GT(compiled, 0);
    EXPECT_GT(failed, 0);
}

}  // namespace
}  // namespace plix::sksl::test
