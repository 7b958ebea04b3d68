// The built-in functions.
#pragma once

#include <cstdint>

namespace plix::sksl {

#define PLIX_SKSL_INTRINSICS(X)                                                                \
    X(Radians, "radians") X(Degrees, "degrees") X(Sin, "sin") X(Cos, "cos") X(Tan, "tan")       \
    X(Asin, "asin") X(Acos, "acos") X(Atan, "atan") X(Atan2, "atan") X(Pow, "pow")              \
    X(Exp, "exp") X(Log, "log") X(Exp2, "exp2") X(Log2, "log2") X(Sqrt, "sqrt")                 \
    X(Inversesqrt, "inversesqrt") X(Abs, "abs") X(Sign, "sign") X(Floor, "floor")               \
    X(Ceil, "ceil") X(Fract, "fract") X(Mod, "mod") X(Min, "min") X(Max, "max")                 \
    X(Clamp, "clamp") X(Saturate, "saturate") X(Mix, "mix") X(Step, "step")                     \
    X(Smoothstep, "smoothstep") X(Length, "length") X(Distance, "distance") X(Dot, "dot")       \
    X(Cross, "cross") X(Normalize, "normalize") X(Faceforward, "faceforward")                   \
    X(Reflect, "reflect") X(Refract, "refract") X(MatrixCompMult, "matrixCompMult")             \
    X(Inverse, "inverse") X(LessThan, "lessThan") X(LessThanEqual, "lessThanEqual")             \
    X(GreaterThan, "greaterThan") X(GreaterThanEqual, "greaterThanEqual") X(Equal, "equal")     \
    X(NotEqual, "notEqual") X(Any, "any") X(All, "all") X(Not, "not")                           \
    X(Unpremul, "unpremul") X(ToLinearSrgb, "toLinearSrgb")                                     \
    X(FromLinearSrgb, "fromLinearSrgb")

enum class Intrinsic : uint8_t {
#define PLIX_SKSL_INTRINSIC_ENUM(name, text) name,
    PLIX_SKSL_INTRINSICS(PLIX_SKSL_INTRINSIC_ENUM)
#undef PLIX_SKSL_INTRINSIC_ENUM
};

const char* IntrinsicName(Intrinsic i);

}  // namespace plix::sksl
