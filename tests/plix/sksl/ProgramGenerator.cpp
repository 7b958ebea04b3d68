#include "ProgramGenerator.h"

namespace plix::sksl::test {

const char* ProgramGenerator::typeName(T t) {
    switch (t) {
        case T::Float: return "float";
        case T::Float2: return "float2";
        case T::Float3: return "float3";
        case T::Float4: return "float4";
        case T::Int: return "int";
        case T::Bool: return "bool";
        case T::Mat2: return "float2x2";
    }
    return "float";
}

int ProgramGenerator::width(T t) {
    switch (t) {
        case T::Float2: return 2;
        case T::Float3: return 3;
        case T::Float4: return 4;
        default: return 1;
    }
}

ProgramGenerator::T ProgramGenerator::randomValueType() {
    static constexpr T kTypes[] = {T::Float, T::Float, T::Float2, T::Float3, T::Float4, T::Int, T::Bool};
    return kTypes[pick(7)];
}

std::vector<ProgramGenerator::Var*> ProgramGenerator::varsOf(T t, bool writable) {
    std::vector<Var*> out;
    for (auto& scope : fScopes) {
        for (Var& v : scope) {
            if (v.type == t && (!writable || v.writable)) out.push_back(&v);
        }
    }
    return out;
}

std::string ProgramGenerator::literal(T t) {
    auto f = [&] {
        static constexpr const char* kValues[] = {"0.0", "1.0", "0.5", "2.0", "-1.5", "3.25", "0.125", "-0.75", "10.0"};
        return std::string(kValues[pick(9)]);
    };
    switch (t) {
        case T::Float: return f();
        case T::Int: return std::to_string(pick(9) - 3);
        case T::Bool: return chance(50) ? "true" : "false";
        case T::Mat2: return "float2x2(" + f() + ", " + f() + ", " + f() + ", " + f() + ")";
        default: {
            std::string s = std::string(typeName(t)) + "(";
            for (int i = 0; i < width(t); ++i) s += (i ? ", " : "") + f();
            return s + ")";
        }
    }
}

std::string ProgramGenerator::leaf(T t) {
    std::vector<Var*> vars = varsOf(t, false);
    if (!vars.empty() && chance(70)) return vars[pick(static_cast<int>(vars.size()))]->name;
    if (t == T::Float && chance(40)) {
        static constexpr const char* kInputs[] = {"u.x", "u.w", "p.x", "p.y", "(p.x * 0.1)"};
        return kInputs[pick(fInHelper ? 2 : 5)];
    }
    if (t == T::Float && !fLoopIndices.empty() && chance(40)) {
        return "float(" + fLoopIndices[pick(static_cast<int>(fLoopIndices.size()))] + ")";
    }
    if (t == T::Int && !fLoopIndices.empty() && chance(50)) {
        return fLoopIndices[pick(static_cast<int>(fLoopIndices.size()))];
    }
    if (t == T::Float2 && chance(40)) return chance(50) && !fInHelper ? "p" : "u.zy";
    return literal(t);
}

std::string ProgramGenerator::expr(T t, int depth) {
    if (depth <= 0 || chance(25)) return leaf(t);
    switch (t) {
        case T::Float: return floatExpr(depth - 1);
        case T::Int: return intExpr(depth - 1);
        case T::Bool: return boolExpr(depth - 1);
        case T::Mat2:
            if (chance(50)) return "(" + expr(T::Mat2, depth - 1) + " * " + expr(T::Mat2, depth - 1) + ")";
            return "float2x2(" + expr(T::Float2, depth - 1) + ", " + expr(T::Float2, depth - 1) + ")";
        default: return vecExpr(t, depth - 1);
    }
}

std::string ProgramGenerator::floatExpr(int d) {
    auto e = [&] { return expr(T::Float, d); };
    switch (pick(24)) {
        case 0: return "(" + e() + " + " + e() + ")";
        case 1: return "(" + e() + " - " + e() + ")";
        case 2: return "(" + e() + " * " + e() + ")";
        case 3: return "(" + e() + " / (abs(" + e() + ") + 0.5))";
        case 4: return "-(" + e() + ")";
        case 5: {
            static constexpr const char* kFns[] = {"sin", "cos", "abs", "fract", "floor", "ceil", "sign", "atan", "saturate", "radians"};
            return std::string(kFns[pick(10)]) + "(" + e() + ")";
        }
        case 6: return "sqrt(abs(" + e() + "))";
        case 7: return "exp(clamp(" + e() + ", -8.0, 8.0))";
        case 8: return "log(abs(" + e() + ") + 0.25)";
        case 9: return "pow(abs(" + e() + ") + 0.1, clamp(" + e() + ", -2.0, 2.0))";
        case 10: {
            static constexpr const char* kFns[] = {"min", "max", "step", "atan", "mod"};
            return std::string(kFns[pick(5)]) + "(" + e() + ", " + e() + ")";
        }
        case 11: return "clamp(" + e() + ", -1.0, 1.0)";
        case 12: return "mix(" + e() + ", " + e() + ", " + e() + ")";
        case 13: return "smoothstep(-1.0, 2.0, " + e() + ")";
        case 14: {
            T v = static_cast<T>(1 + pick(3));
            static constexpr const char* kFns[] = {"length", "dot", "distance"};
            int f = pick(3);
            if (f == 0) return "length(" + expr(v, d) + ")";
            return std::string(kFns[f]) + "(" + expr(v, d) + ", " + expr(v, d) + ")";
        }
        case 15: {
            T v = static_cast<T>(1 + pick(3));
            static constexpr char kComp[] = "xyzw";
            return expr(v, d) + "." + kComp[pick(width(v))];
        }
        case 16: return "(" + boolExpr(d) + " ? " + e() + " : " + e() + ")";
        case 17: return "float(" + intExpr(d) + ")";
        case 18: {
            // a helper function
            std::vector<std::string> floats;
            for (const std::string& h : fHelpers) {
                if (h.rfind("float ", 0) == 0) floats.push_back(h);
            }
            if (floats.empty() || fInHelper) return e();
            const std::string& h = floats[pick(static_cast<int>(floats.size()))];
            std::string name = h.substr(6, h.find('(') - 6);
            return name + "(" + e() + ", " + expr(T::Float2, d) + ")";
        }
        case 19: return "tex.eval(" + expr(T::Float2, d) + ")." + "rgba"[pick(4)];
        case 20: return "(" + expr(T::Mat2, d) + " * " + expr(T::Float2, d) + ").y";
        case 21: return "inverse(float2x2(2.0, " + e() + ", 0.5, 3.0))[1].x";
        case 22: return "asin(clamp(" + e() + ", -1.0, 1.0))";
        default: return "exp2(clamp(" + e() + ", -10.0, 10.0))";
    }
}

std::string ProgramGenerator::vecExpr(T t, int d) {
    auto e = [&] { return expr(t, d); };
    int n = width(t);
    switch (pick(10)) {
        case 0: return "(" + e() + " + " + e() + ")";
        case 1: return "(" + e() + " * " + expr(T::Float, d) + ")";
        case 2: return "(" + expr(T::Float, d) + " - " + e() + ")";
        case 3: {
            static constexpr const char* kFns[] = {"sin", "abs", "fract", "floor", "normalize", "sign"};
            return std::string(kFns[pick(6)]) + "(" + e() + ")";
        }
        case 4: {
            static constexpr const char* kFns[] = {"min", "max", "step"};
            return std::string(kFns[pick(3)]) + "(" + e() + ", " + e() + ")";
        }
        case 5: return "mix(" + e() + ", " + e() + ", " + expr(T::Float, d) + ")";
        case 6: {
            // swizzle of a wider or equal vector
            T from = static_cast<T>(static_cast<int>(t) + pick(4 - n + 1));
            static constexpr char kComp[] = "xyzw";
            std::string mask;
            for (int i = 0; i < n; ++i) mask += kComp[pick(width(from))];
            return expr(from, d) + "." + mask;
        }
        case 7: {
            std::string s = std::string(typeName(t)) + "(";
            for (int i = 0; i < n; ++i) s += (i ? ", " : "") + expr(T::Float, d);
            return s + ")";
        }
        case 8:
            if (t == T::Float2) return "(" + expr(T::Mat2, d) + " * " + e() + ")";
            if (t == T::Float3) return "cross(" + e() + ", " + e() + ")";
            return "(" + boolExpr(d) + " ? " + e() + " : " + e() + ")";
        default:
            if (t == T::Float4) return "float4(tex.eval(" + expr(T::Float2, d) + "))";
            return "clamp(" + e() + ", -2.0, 2.0)";
    }
}

std::string ProgramGenerator::intExpr(int d) {
    auto e = [&] { return expr(T::Int, d); };
    switch (pick(6)) {
        case 0: return "(" + e() + " + " + e() + ")";
        case 1: return "(" + e() + " - " + e() + ")";
        case 2: return "(" + e() + " * " + e() + ")";
        case 3: {
            // Constant divisors are never zero (that would not compile); g1 may be zero at run time.
            static constexpr const char* kDivisors[] = {"3", "-2", "g1", "(g1 - 1)"};
            return "(" + e() + " / " + kDivisors[pick(4)] + ")";
        }
        case 4: return "int(clamp(" + expr(T::Float, d) + ", -100.0, 100.0))";
        default: return "(" + boolExpr(d) + " ? " + e() + " : " + e() + ")";
    }
}

std::string ProgramGenerator::boolExpr(int d) {
    switch (pick(6)) {
        case 0: {
            static constexpr const char* kOps[] = {"<", "<=", ">", ">=", "==", "!="};
            return "(" + expr(T::Float, d) + " " + kOps[pick(6)] + " " + expr(T::Float, d) + ")";
        }
        case 1: return "(" + expr(T::Int, d) + " < " + expr(T::Int, d) + ")";
        case 2: return "(" + expr(T::Bool, d) + (chance(50) ? " && " : " || ") + expr(T::Bool, d) + ")";
        case 3: return "!" + expr(T::Bool, d);
        case 4: return "any(lessThan(" + expr(T::Float2, d) + ", " + expr(T::Float2, d) + "))";
        default: return "(" + expr(T::Bool, d) + " ^^ " + expr(T::Bool, d) + ")";
    }
}

std::string ProgramGenerator::statement(int depth) {
    const int roll = pick(depth > 0 ? 100 : 55);
    // Assignments to an existing variable.
    if (roll < 40) {
        T t = randomValueType();
        std::vector<Var*> vars = varsOf(t, true);
        if (vars.empty()) {
            std::string name = newName();
            std::string s = std::string(typeName(t)) + " " + name + " = " + expr(t, 3) + ";\n";
            fScopes.back().push_back({name, t, true});
            return s;
        }
        Var* v = vars[pick(static_cast<int>(vars.size()))];
        if (t == T::Bool) return v->name + " = " + expr(t, 3) + ";\n";
        if (t == T::Int) {
            switch (pick(4)) {
                case 0: return v->name + "++;\n";
                case 1: return "--" + v->name + ";\n";
                case 2: return v->name + " += " + expr(t, 2) + ";\n";
                default: return v->name + " = " + expr(t, 3) + ";\n";
            }
        }
        if (width(t) > 1 && chance(40)) {
            static constexpr const char* kMasks[] = {"x", "y", "yx", "xy"};
            std::string mask = kMasks[pick(4)];
            T mt = mask.size() == 1 ? T::Float : T::Float2;
            static constexpr const char* kOps[] = {" = ", " += ", " *= "};
            return v->name + "." + mask + kOps[pick(3)] + expr(mt, 2) + ";\n";
        }
        static constexpr const char* kOps[] = {" = ", " += ", " -= ", " *= ", " /= "};
        std::string op = kOps[pick(5)];
        if (op == " /= ") return v->name + " /= (abs(" + expr(T::Float, 2) + ") + 1.0);\n";
        bool scalar = op != " = " && chance(30);
        return v->name + op + expr(scalar ? T::Float : t, 3) + ";\n";
    }
    if (roll < 55) {
        std::string name = newName();
        T t = randomValueType();
        std::string s = std::string(typeName(t)) + " " + name + " = " + expr(t, 3) + ";\n";
        fScopes.back().push_back({name, t, true});
        return s;
    }
    if (roll < 70) {
        std::string s = "if (" + expr(T::Bool, 3) + ") {\n" + block(depth - 1, 1 + pick(3)) + "}";
        if (chance(50)) s += " else {\n" + block(depth - 1, 1 + pick(3)) + "}";
        return s + "\n";
    }
    if (roll < 82 && fLoopDepth < 2) {
        std::string index = "i" + std::to_string(fNext++);
        int n = 1 + pick(6);
        std::string s = "for (int " + index + " = 0; " + index + " < " + std::to_string(n) + "; " +
                        index + "++) {\n";
        fLoopIndices.push_back(index);
        ++fLoopDepth;
        fScopes.emplace_back();
        // An array written and read by the loop index.
        std::string arr = newName();
        s += "float " + arr + "[" + std::to_string(n) + "];\n";
        s += arr + "[" + index + "] = " + expr(T::Float, 2) + ";\n";
        if (chance(40)) s += "if (" + expr(T::Bool, 2) + ") continue;\n";
        s += block(depth - 1, 1 + pick(3));
        if (chance(40)) s += "if (" + expr(T::Bool, 2) + ") break;\n";
        std::vector<Var*> floats = varsOf(T::Float, true);
        if (!floats.empty()) {
            s += floats[pick(static_cast<int>(floats.size()))]->name + " += " + arr + "[" + index + "];\n";
        }
        fScopes.pop_back();
        --fLoopDepth;
        fLoopIndices.pop_back();
        return s + "}\n";
    }
    if (roll < 90) {
        std::string s = "switch (" + expr(T::Int, 2) + ") {\n";
        int cases = 1 + pick(3);
        for (int c = 0; c < cases; ++c) {
            s += "case " + std::to_string(c - 1) + ":\n";
            fScopes.emplace_back();
            s += "{\n" + block(depth - 1, 1 + pick(2)) + "}\n";
            fScopes.pop_back();
            if (chance(70)) s += "break;\n";
        }
        if (chance(60)) {
            fScopes.emplace_back();
            s += "default: {\n" + block(depth - 1, 1) + "}\n";
            fScopes.pop_back();
        }
        return s + "}\n";
    }
    if (fInHelper && fHelperReturnsValue && chance(50)) {
        return "if (" + expr(T::Bool, 2) + ") return " + expr(fHelperReturn, 2) + ";\n";
    }
    // A helper with out parameters.
    for (const std::string& h : fHelpers) {
        if (h.rfind("void ", 0) == 0 && !fInHelper) {
            std::vector<Var*> floats = varsOf(T::Float, true);
            std::vector<Var*> vecs = varsOf(T::Float2, true);
            if (floats.empty() || vecs.empty()) break;
            std::string name = h.substr(5, h.find('(') - 5);
            return name + "(" + expr(T::Float, 2) + ", " +
                   floats[pick(static_cast<int>(floats.size()))]->name + ", " +
                   vecs[pick(static_cast<int>(vecs.size()))]->name + ");\n";
        }
    }
    return "";
}

std::string ProgramGenerator::block(int depth, int count) {
    fScopes.emplace_back();
    std::string s;
    for (int i = 0; i < count; ++i) s += statement(depth);
    fScopes.pop_back();
    return s;
}

std::string ProgramGenerator::helper(int index) {
    std::string name = "h" + std::to_string(index);
    fInHelper = true;
    std::string s;
    if (index % 2 == 0) {
        // float hN(float a, float2 b) with early returns
        fHelperReturn = T::Float;
        fHelperReturnsValue = true;
        fScopes.push_back({{"a", T::Float, true}, {"b", T::Float2, true}});
        s = "float " + name + "(float a, float2 b) {\n" + block(2, 2 + pick(3)) +
            "return " + expr(T::Float, 3) + ";\n}\n";
        fScopes.pop_back();
        fHelpers.push_back("float " + name + "(float, float2)");
    } else {
        // void hN(float a, inout float b, out float2 c)
        fHelperReturnsValue = false;
        fScopes.push_back({{"a", T::Float, true}, {"b", T::Float, true}, {"c", T::Float2, true}});
        s = "void " + name + "(float a, inout float b, out float2 c) {\n" +
            "c = float2(" + expr(T::Float, 2) + ", a);\n" + block(2, 1 + pick(3)) +
            "b += " + expr(T::Float, 2) + ";\n}\n";
        fScopes.pop_back();
        fHelpers.push_back("void " + name + "(float, inout float, out float2)");
    }
    fInHelper = false;
    return s;
}

std::string ProgramGenerator::shader() {
    fScopes.clear();
    fHelpers.clear();
    fLoopIndices.clear();
    fNext = 0;
    std::string s = "uniform float4 u;\nuniform shader tex;\n";
    // Globals, reset for every pixel.
    fScopes.emplace_back();
    s += "float g0 = 1.5;\nint g1;\n";
    fScopes.back().push_back({"g0", T::Float, true});
    fScopes.back().push_back({"g1", T::Int, true});
    int helpers = pick(4);
    for (int i = 0; i < helpers; ++i) s += helper(i);
    s += "half4 main(float2 p) {\n";
    fScopes.push_back({{"p", T::Float2, true}});
    // A starting set of variables.
    std::string f = newName(), v2 = newName(), v3 = newName(), v4 = newName(), i = newName(), b = newName();
    s += "float " + f + " = " + expr(T::Float, 2) + ";\n";
    s += "float2 " + v2 + " = " + expr(T::Float2, 2) + ";\n";
    s += "float3 " + v3 + " = " + expr(T::Float3, 2) + ";\n";
    s += "float4 " + v4 + " = " + expr(T::Float4, 2) + ";\n";
    s += "int " + i + " = " + expr(T::Int, 2) + ";\n";
    s += "bool " + b + " = " + expr(T::Bool, 2) + ";\n";
    fScopes.back().push_back({f, T::Float, true});
    fScopes.back().push_back({v2, T::Float2, true});
    fScopes.back().push_back({v3, T::Float3, true});
    fScopes.back().push_back({v4, T::Float4, true});
    fScopes.back().push_back({i, T::Int, true});
    fScopes.back().push_back({b, T::Bool, true});
    int statements = 3 + pick(8);
    for (int k = 0; k < statements; ++k) s += statement(3);
    if (chance(30)) s += "if (" + expr(T::Bool, 2) + ") return half4(" + expr(T::Float4, 2) + ");\n";
    s += "return half4(" + f + " + " + v2 + ".y + g0, " + v3 + ".z + float(" + i + ") + float(g1), " +
         v4 + ".w + (" + b + " ? 1.0 : 0.0), " + expr(T::Float, 2) + ");\n}\n";
    fScopes.clear();
    return s;
}

}  // namespace plix::sksl::test
