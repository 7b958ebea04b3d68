// Types of the language. Built-in types are process-wide constants; array and struct types
// belong to the program that declares them and are interned there, so two types are the same
// exactly when their pointers are.
#pragma once

#include "sksl/Position.h"

#include <string>
#include <string_view>
#include <vector>

namespace plix::sksl {

class Type {
public:
    enum class Kind : uint8_t {
        Void,
        Scalar,
        Vector,
        Matrix,
        Array,
        Struct,
        Shader,
        ColorFilter,
        Blender,
        Unsupported,  // names the language knows but runtime effects refuse (uint, float2x3 ...)
        Invalid,      // opaque types with no meaning here (sampler2D ...)
    };
    // What a scalar component holds. Float and half are one kind (half differs only in name);
    // so are int and short.
    enum class NumberKind : uint8_t { Float, Int, Bool, None };

    struct Field {
        std::string name;
        const Type* type;
        Position pos;
    };

    Type(std::string name, Kind kind) : fName(std::move(name)), fKind(kind) {}

    const std::string& name() const { return fName; }
    Kind kind() const { return fKind; }
    NumberKind numberKind() const { return fComponent ? fComponent->fNumberKind : fNumberKind; }

    bool isVoid() const { return fKind == Kind::Void; }
    bool isScalar() const { return fKind == Kind::Scalar; }
    bool isVector() const { return fKind == Kind::Vector; }
    bool isMatrix() const { return fKind == Kind::Matrix; }
    bool isArray() const { return fKind == Kind::Array; }
    bool isStruct() const { return fKind == Kind::Struct; }
    bool isChild() const {
        return fKind == Kind::Shader || fKind == Kind::ColorFilter || fKind == Kind::Blender;
    }
    // Scalars, vectors and matrices.
    bool isValue() const { return isScalar() || isVector() || isMatrix(); }
    bool isNumber() const { return isValue() && numberKind() != NumberKind::Bool; }
    bool isFloat() const { return isValue() && numberKind() == NumberKind::Float; }
    bool isInt() const { return isValue() && numberKind() == NumberKind::Int; }
    bool isBool() const { return isValue() && numberKind() == NumberKind::Bool; }

    // Scalar of a scalar, vector or matrix; null otherwise.
    const Type& componentType() const { return fComponent ? *fComponent : *this; }
    // Vector size or matrix column count; 1 for scalars.
    int columns() const { return fColumns; }
    // Matrix row count; 1 otherwise.
    int rows() const { return fRows; }
    // Element of an array.
    const Type& elementType() const { return *fElement; }
    int arraySize() const { return fArraySize; }
    const std::vector<Field>& fields() const { return fFields; }

    // Number of 32-bit slots a value of this type occupies (0 for void and opaque types).
    int slotCount() const;
    // True for arrays and for structs that hold an array anywhere inside.
    bool containsArray() const;
    // Rank among types of one number kind: float outranks half, int outranks short.
    int priority() const { return componentType().fPriority; }
    bool isHalfPrecision() const { return componentType().fPriority == 0 && isFloat(); }

    // The same shape with another scalar (float2 + int -> int2); null when there is none.
    const Type* withComponent(const Type& scalar) const;

    // Built-in types by their ordinary names.
    static const Type& Void();
    static const Type& Float();
    static const Type& Half();
    static const Type& Int();
    static const Type& Short();
    static const Type& Bool();
    static const Type& Vector(const Type& scalar, int n);   // n = 1 gives the scalar
    static const Type& Matrix(const Type& scalar, int n);   // square n x n
    static const Type& Shader();
    static const Type& ColorFilter();
    static const Type& Blender();
    // A built-in type (or an alias such as vec3) by name; null when the name is not one.
    static const Type* FindBuiltin(std::string_view name);

    // Makers for program-owned types.
    static Type MakeArray(const Type& element, int size);
    static Type MakeStruct(std::string name, std::vector<Field> fields);

private:
    friend struct BuiltinTypes;
    std::string fName;
    Kind fKind;
    NumberKind fNumberKind = NumberKind::None;
    int fPriority = 1;
    const Type* fComponent = nullptr;
    int fColumns = 1;
    int fRows = 1;
    const Type* fElement = nullptr;
    int fArraySize = 0;
    std::vector<Field> fFields;
    // Worked out once when an array or struct type is made: types can nest thousands deep.
    int fSlotCount = 0;
    bool fContainsArray = false;
};

}  // namespace plix::sksl
