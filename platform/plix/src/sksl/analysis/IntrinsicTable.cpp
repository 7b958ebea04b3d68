#include "sksl/analysis/IntrinsicTable.h"

#include "sksl/ir/Type.h"

#include <map>
#include <string>

namespace plix::sksl {

namespace {

using Table = std::map<std::string, std::vector<IntrinsicOverload>, std::less<>>;

// Parameter shapes of a generic signature, resolved per float family T (float or half) and per
// size n (1..4):
//   'G' T with n components   'S' T   'B' bool with n components   '3' T3   '4' T4
//   'M' n x n matrix of T
Table build() {
    Table t;
    const Type* families[] = {&Type::Float(), &Type::Half()};
    auto shape = [](char c, const Type& fam, int n) -> const Type* {
        switch (c) {
            case 'G': return &Type::Vector(fam, n);
            case 'S': return &fam;
            case 'B': return &Type::Vector(Type::Bool(), n);
            case '3': return &Type::Vector(fam, 3);
            case '4': return &Type::Vector(fam, 4);
            case 'M': return &Type::Matrix(fam, n);
            default: return nullptr;
        }
    };
    // Adds "ret name(params)" for both families and for sizes minN..maxN.
    auto add = [&](const char* name, Intrinsic id, char ret, const char* params, int minN,
                   int maxN) {
        for (const Type* fam : families) {
            for (int n = minN; n <= maxN; ++n) {
                IntrinsicOverload o{id, shape(ret, *fam, n), {}};
                for (const char* p = params; *p; ++p) o.params.push_back(shape(*p, *fam, n));
                t[name].push_back(std::move(o));
            }
        }
    };
    auto gen = [&](const char* name, Intrinsic id, const char* params) {
        add(name, id, 'G', params, 1, 4);
    };
    gen("radians", Intrinsic::Radians, "G");
    gen("degrees", Intrinsic::Degrees, "G");
    gen("sin", Intrinsic::Sin, "G");
    gen("cos", Intrinsic::Cos, "G");
    gen("tan", Intrinsic::Tan, "G");
    gen("asin", Intrinsic::Asin, "G");
    gen("acos", Intrinsic::Acos, "G");
    gen("atan", Intrinsic::Atan, "G");
    gen("atan", Intrinsic::Atan2, "GG");
    gen("pow", Intrinsic::Pow, "GG");
    gen("exp", Intrinsic::Exp, "G");
    gen("log", Intrinsic::Log, "G");
    gen("exp2", Intrinsic::Exp2, "G");
    gen("log2", Intrinsic::Log2, "G");
    gen("sqrt", Intrinsic::Sqrt, "G");
    gen("inversesqrt", Intrinsic::Inversesqrt, "G");
    gen("abs", Intrinsic::Abs, "G");
    gen("sign", Intrinsic::Sign, "G");
    gen("floor", Intrinsic::Floor, "G");
    gen("ceil", Intrinsic::Ceil, "G");
    gen("fract", Intrinsic::Fract, "G");
    gen("mod", Intrinsic::Mod, "GG");
    add("mod", Intrinsic::Mod, 'G', "GS", 2, 4);
    gen("min", Intrinsic::Min, "GG");
    add("min", Intrinsic::Min, 'G', "GS", 2, 4);
    gen("max", Intrinsic::Max, "GG");
    add("max", Intrinsic::Max, 'G', "GS", 2, 4);
    gen("clamp", Intrinsic::Clamp, "GGG");
    add("clamp", Intrinsic::Clamp, 'G', "GSS", 2, 4);
    gen("saturate", Intrinsic::Saturate, "G");
    gen("mix", Intrinsic::Mix, "GGG");
    add("mix", Intrinsic::Mix, 'G', "GGS", 2, 4);
    gen("step", Intrinsic::Step, "GG");
    add("step", Intrinsic::Step, 'G', "SG", 2, 4);
    gen("smoothstep", Intrinsic::Smoothstep, "GGG");
    add("smoothstep", Intrinsic::Smoothstep, 'G', "SSG", 2, 4);
    add("length", Intrinsic::Length, 'S', "G", 1, 4);
    add("distance", Intrinsic::Distance, 'S', "GG", 1, 4);
    add("dot", Intrinsic::Dot, 'S', "GG", 1, 4);
    add("cross", Intrinsic::Cross, '3', "33", 3, 3);
    gen("normalize", Intrinsic::Normalize, "G");
    gen("faceforward", Intrinsic::Faceforward, "GGG");
    gen("reflect", Intrinsic::Reflect, "GG");
    gen("refract", Intrinsic::Refract, "GGS");
    add("matrixCompMult", Intrinsic::MatrixCompMult, 'M', "MM", 2, 4);
    add("inverse", Intrinsic::Inverse, 'M', "M", 2, 4);
    add("unpremul", Intrinsic::Unpremul, '4', "4", 1, 1);
    add("toLinearSrgb", Intrinsic::ToLinearSrgb, '3', "3", 1, 1);
    add("fromLinearSrgb", Intrinsic::FromLinearSrgb, '3', "3", 1, 1);

    // Vector relations: compare numbers component-wise; equal and notEqual take bools as well.
    const Type* numbers[] = {&Type::Float(), &Type::Half(), &Type::Int(), &Type::Short()};
    const Type* all[] = {&Type::Float(), &Type::Half(), &Type::Int(), &Type::Short(),
                         &Type::Bool()};
    auto relation = [&](const char* name, Intrinsic id, bool withBool) {
        for (const Type* s : withBool ? std::vector<const Type*>(std::begin(all), std::end(all))
                                      : std::vector<const Type*>(std::begin(numbers),
                                                                 std::end(numbers))) {
            for (int n = 2; n <= 4; ++n) {
                const Type* v = &Type::Vector(*s, n);
                t[name].push_back({id, &Type::Vector(Type::Bool(), n), {v, v}});
            }
        }
    };
    relation("lessThan", Intrinsic::LessThan, false);
    relation("lessThanEqual", Intrinsic::LessThanEqual, false);
    relation("greaterThan", Intrinsic::GreaterThan, false);
    relation("greaterThanEqual", Intrinsic::GreaterThanEqual, false);
    relation("equal", Intrinsic::Equal, true);
    relation("notEqual", Intrinsic::NotEqual, true);
    for (int n = 2; n <= 4; ++n) {
        const Type* b = &Type::Vector(Type::Bool(), n);
        t["any"].push_back({Intrinsic::Any, &Type::Bool(), {b}});
        t["all"].push_back({Intrinsic::All, &Type::Bool(), {b}});
        t["not"].push_back({Intrinsic::Not, b, {b}});
    }
    return t;
}

}  // namespace

const std::vector<IntrinsicOverload>* FindIntrinsic(std::string_view name) {
    static const Table* table = new Table(build());  // never destroyed: used at exit
    auto it = table->find(name);
    return it == table->end() ? nullptr : &it->second;
}

}  // namespace plix::sksl
