// Seeded random shader programs for differential tests: well-typed (almost always accepted),
// covering arithmetic, swizzles, matrices, built-ins, branches, loops with break and continue,
// switches, helper functions with out parameters, globals and arrays indexed by loop indices.
// Values stay in ranges where the math is defined, but nothing relies on that.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace plix::sksl::test {

class ProgramGenerator {
public:
    explicit ProgramGenerator(uint32_t seed) : fRng(seed) {}

    // A shader reading the uniform "u" (float4) and the child "tex" (a shader).
    std::string shader();

private:
    enum class T { Float, Float2, Float3, Float4, Int, Bool, Mat2 };
    struct Var {
        std::string name;
        T type;
        bool writable;
    };

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(fRng); }
    bool chance(int percent) { return pick(100) < percent; }
    static const char* typeName(T t);
    static int width(T t);
    std::string literal(T t);
    std::string leaf(T t);
    std::string expr(T t, int depth);
    std::string floatExpr(int depth);
    std::string vecExpr(T t, int depth);
    std::string intExpr(int depth);
    std::string boolExpr(int depth);
    std::string statement(int depth);
    std::string block(int depth, int count);
    std::string helper(int index);
    std::string newName() { return "v" + std::to_string(fNext++); }
    std::vector<Var*> varsOf(T t, bool writable);
    T randomValueType();

    std::mt19937 fRng;
    std::vector<std::vector<Var>> fScopes;
    std::vector<std::string> fHelpers;  // signatures of callable helpers "float hN(float, float2)"
    std::vector<std::string> fLoopIndices;
    int fNext = 0;
    int fLoopDepth = 0;
    bool fInHelper = false;
    T fHelperReturn = T::Float;
    bool fHelperReturnsValue = false;
};

}  // namespace plix::sksl::test
