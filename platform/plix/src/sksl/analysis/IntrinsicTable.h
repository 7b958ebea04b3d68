// Every overload of every built-in function, each with concrete parameter and return types
// (the generic forms, e.g. genType, are spelled out into float, float2 ... half4).
#pragma once

#include "sksl/ir/Intrinsic.h"

#include <string_view>
#include <vector>

namespace plix::sksl {

class Type;

struct IntrinsicOverload {
    Intrinsic intrinsic;
    const Type* returnType;
    std::vector<const Type*> params;
};

// The overloads of a built-in function name, or null when the name is not a built-in.
const std::vector<IntrinsicOverload>* FindIntrinsic(std::string_view name);

}  // namespace plix::sksl
