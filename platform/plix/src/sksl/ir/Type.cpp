#include "sksl/ir/Type.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <memory>

namespace plix::sksl {

int Type::slotCount() const {
    switch (fKind) {
        case Kind::Scalar: return 1;
        case Kind::Vector: return fColumns;
        case Kind::Matrix: return fColumns * fRows;
        case Kind::Array:
        case Kind::Struct: return fSlotCount;
        default: return 0;
    }
}

bool Type::containsArray() const { return isArray() || fContainsArray; }

// Every built-in type, made once.
struct BuiltinTypes {
    Type voidType{"void", Type::Kind::Void};
    Type shader{"shader", Type::Kind::Shader};
    Type colorFilter{"colorFilter", Type::Kind::ColorFilter};
    Type blender{"blender", Type::Kind::Blender};
    // Scalars: float, half, int, short, bool.
    std::array<std::unique_ptr<Type>, 5> scalars;
    // vectors[s][n] for n = 2..4; matrices[s][n] for float and half.
    std::array<std::array<std::unique_ptr<Type>, 5>, 5> vectors;
    std::array<std::array<std::unique_ptr<Type>, 5>, 2> matrices;
    std::vector<std::unique_ptr<Type>> unsupported;
    std::vector<std::unique_ptr<Type>> invalid;

    BuiltinTypes() {
        const char* names[] = {"float", "half", "int", "short", "bool"};
        const Type::NumberKind kinds[] = {Type::NumberKind::Float, Type::NumberKind::Float,
                                          Type::NumberKind::Int, Type::NumberKind::Int,
                                          Type::NumberKind::Bool};
        const int priorities[] = {1, 0, 1, 0, 1};
        for (int s = 0; s < 5; ++s) {
            scalars[s] = std::make_unique<Type>(names[s], Type::Kind::Scalar);
            scalars[s]->fNumberKind = kinds[s];
            scalars[s]->fPriority = priorities[s];
            for (int n = 2; n <= 4; ++n) {
                auto v = std::make_unique<Type>(names[s] + std::to_string(n), Type::Kind::Vector);
                v->fComponent = scalars[s].get();
                v->fColumns = n;
                vectors[s][n] = std::move(v);
            }
        }
        for (int s = 0; s < 2; ++s) {
            for (int n = 2; n <= 4; ++n) {
                auto m = std::make_unique<Type>(
                        names[s] + std::to_string(n) + "x" + std::to_string(n), Type::Kind::Matrix);
                m->fComponent = scalars[s].get();
                m->fColumns = n;
                m->fRows = n;
                matrices[s][n] = std::move(m);
            }
        }
        for (const char* u : {"uint", "uint2", "uint3", "uint4", "ushort", "ushort2", "ushort3",
                              "ushort4", "uvec2", "uvec3", "uvec4"}) {
            unsupported.push_back(std::make_unique<Type>(u, Type::Kind::Unsupported));
        }
        for (const char* prefix : {"float", "half", "mat"}) {
            for (int c = 2; c <= 4; ++c) {
                for (int r = 2; r <= 4; ++r) {
                    if (c == r) continue;
                    unsupported.push_back(std::make_unique<Type>(
                            std::string(prefix) + std::to_string(c) + "x" + std::to_string(r),
                            Type::Kind::Unsupported));
                }
            }
        }
        for (const char* i : {"sampler2D", "sampler", "texture2D", "samplerExternalOES",
                              "sampler2DRect", "subpassInput", "subpassInputMS", "atomicUint",
                              "atomic_uint"}) {
            invalid.push_back(std::make_unique<Type>(i, Type::Kind::Invalid));
        }
    }

    static const BuiltinTypes& Get() {
        static const BuiltinTypes* types = new BuiltinTypes;  // never destroyed: used at exit
        return *types;
    }

    int scalarIndex(const Type& t) const {
        for (int s = 0; s < 5; ++s) {
            if (scalars[s].get() == &t) return s;
        }
        return -1;
    }
};

const Type& Type::Void() { return BuiltinTypes::Get().voidType; }
const Type& Type::Float() { return *BuiltinTypes::Get().scalars[0]; }
const Type& Type::Half() { return *BuiltinTypes::Get().scalars[1]; }
const Type& Type::Int() { return *BuiltinTypes::Get().scalars[2]; }
const Type& Type::Short() { return *BuiltinTypes::Get().scalars[3]; }
const Type& Type::Bool() { return *BuiltinTypes::Get().scalars[4]; }
const Type& Type::Shader() { return BuiltinTypes::Get().shader; }
const Type& Type::ColorFilter() { return BuiltinTypes::Get().colorFilter; }
const Type& Type::Blender() { return BuiltinTypes::Get().blender; }

const Type& Type::Vector(const Type& scalar, int n) {
    const BuiltinTypes& b = BuiltinTypes::Get();
    int s = b.scalarIndex(scalar.componentType());
    if (n <= 1) return *b.scalars[s];
    return *b.vectors[s][n];
}

const Type& Type::Matrix(const Type& scalar, int n) {
    const BuiltinTypes& b = BuiltinTypes::Get();
    int s = b.scalarIndex(scalar.componentType());
    return *b.matrices[s == 1 ? 1 : 0][n];
}

const Type* Type::withComponent(const Type& scalar) const {
    if (isScalar() || isVector()) return &Vector(scalar, fColumns);
    if (isMatrix() && scalar.isFloat()) return &Matrix(scalar, fColumns);
    return nullptr;
}

const Type* Type::FindBuiltin(std::string_view name) {
    const BuiltinTypes& b = BuiltinTypes::Get();
    if (name == "void") return &b.voidType;
    if (name == "shader") return &b.shader;
    if (name == "colorFilter") return &b.colorFilter;
    if (name == "blender") return &b.blender;
    for (int s = 0; s < 5; ++s) {
        if (name == b.scalars[s]->name()) return b.scalars[s].get();
        for (int n = 2; n <= 4; ++n) {
            if (name == b.vectors[s][n]->name()) return b.vectors[s][n].get();
        }
    }
    for (int s = 0; s < 2; ++s) {
        for (int n = 2; n <= 4; ++n) {
            if (name == b.matrices[s][n]->name()) return b.matrices[s][n].get();
        }
    }
    // GLSL spellings.
    if (name.size() == 4 && (name[3] >= '2' && name[3] <= '4')) {
        int n = name[3] - '0';
        std::string_view stem = name.substr(0, 3);
        if (stem == "vec") return b.vectors[0][n].get();
        if (stem == "mat") return b.matrices[0][n].get();
    }
    if (name.size() == 5 && (name[4] >= '2' && name[4] <= '4')) {
        int n = name[4] - '0';
        std::string_view stem = name.substr(0, 4);
        if (stem == "ivec") return b.vectors[2][n].get();
        if (stem == "bvec") return b.vectors[4][n].get();
    }
    if (name == "mat2x2") return b.matrices[0][2].get();
    if (name == "mat3x3") return b.matrices[0][3].get();
    if (name == "mat4x4") return b.matrices[0][4].get();
    for (const auto& u : b.unsupported) {
        if (name == u->name()) return u.get();
    }
    for (const auto& i : b.invalid) {
        if (name == i->name()) return i.get();
    }
    return nullptr;
}

Type Type::MakeArray(const Type& element, int size) {
    Type t(element.name() + "[" + std::to_string(size) + "]", Kind::Array);
    t.fElement = &element;
    t.fArraySize = size;
    t.fSlotCount = static_cast<int>(
            std::min<int64_t>(int64_t(element.slotCount()) * size, INT32_MAX));
    return t;
}

Type Type::MakeStruct(std::string name, std::vector<Field> fields) {
    Type t(std::move(name), Kind::Struct);
    t.fFields = std::move(fields);
    int64_t slots = 0;
    for (const Field& f : t.fFields) {
        slots = std::min<int64_t>(slots + f.type->slotCount(), INT32_MAX);
        t.fContainsArray |= f.type->containsArray();
    }
    t.fSlotCount = static_cast<int>(slots);
    return t;
}

}  // namespace plix::sksl
