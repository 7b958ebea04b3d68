#include "sksl/ir/Program.h"

#include "sksl/ir/Intrinsic.h"
#include "sksl/ir/Type.h"

namespace plix::sksl {

const Type* Program::arrayType(const Type& element, int size) {
    const Type*& t = fArrayTypes[{&element, size}];
    if (!t) {
        fTypes.push_back(std::make_unique<Type>(Type::MakeArray(element, size)));
        t = fTypes.back().get();
    }
    return t;
}

const Type* Program::addStruct(Type type) {
    fTypes.push_back(std::make_unique<Type>(std::move(type)));
    return fTypes.back().get();
}

std::string FunctionDeclaration::description() const {
    std::string s = fReturnType->name() + " " + fName + "(";
    for (size_t i = 0; i < fParams.size(); ++i) {
        if (i) s += ", ";
        const Variable* p = fParams[i];
        if ((p->flags() & Variable::kIn) && (p->flags() & Variable::kOut)) {
            s += "inout ";
        } else if (p->flags() & Variable::kOut) {
            s += "out ";
        }
        s += p->type().name();
        if (!p->name().empty()) s += " " + p->name();
    }
    return s + ")";
}

const char* IntrinsicName(Intrinsic i) {
    static const char* const kNames[] = {
#define PLIX_SKSL_INTRINSIC_NAME(name, text) text,
        PLIX_SKSL_INTRINSICS(PLIX_SKSL_INTRINSIC_NAME)
#undef PLIX_SKSL_INTRINSIC_NAME
    };
    return kNames[static_cast<int>(i)];
}

}  // namespace plix::sksl
