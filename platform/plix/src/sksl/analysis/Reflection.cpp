#include "sksl/analysis/Reflection.h"

#include "sksl/ir/Program.h"

namespace plix::sksl {

int UniformTypeComponents(UniformType t) {
    static constexpr int kComponents[] = {1, 2, 3, 4, 4, 9, 16, 1, 2, 3, 4};
    return kComponents[static_cast<int>(t)];
}

int Reflection::indexOfUniform(std::string_view name) const {
    for (size_t i = 0; i < uniforms.size(); ++i) {
        if (uniforms[i].name == name) return static_cast<int>(i);
    }
    return -1;
}

int Reflection::indexOfChild(std::string_view name) const {
    for (size_t i = 0; i < children.size(); ++i) {
        if (children[i].name == name) return static_cast<int>(i);
    }
    return -1;
}

static UniformType uniformType(const Type& t) {
    if (t.isInt()) return static_cast<UniformType>(static_cast<int>(UniformType::Int) + t.columns() - 1);
    if (t.isMatrix()) {
        return static_cast<UniformType>(static_cast<int>(UniformType::Float2x2) + t.columns() - 2);
    }
    return static_cast<UniformType>(static_cast<int>(UniformType::Float) + t.columns() - 1);
}

Reflection Reflect(const Program& program) {
    Reflection r;
    size_t offset = 0;
    for (const Variable* v : program.uniforms()) {
        const Type& t = v->type();
        const Type& element = t.isArray() ? t.elementType() : t;
        UniformInfo u;
        u.name = v->name();
        u.type = uniformType(element);
        u.count = t.isArray() ? t.arraySize() : 1;
        u.isArray = t.isArray();
        u.isColor = (v->flags() & Variable::kColor) != 0;
        u.offset = offset;
        u.size = static_cast<size_t>(t.slotCount()) * 4;
        u.slot = static_cast<int>(offset / 4);
        offset += u.size;
        r.uniforms.push_back(std::move(u));
    }
    r.uniformSize = offset;
    for (const Variable* v : program.children()) {
        ChildType type = v->type().kind() == Type::Kind::Shader        ? ChildType::Shader
                         : v->type().kind() == Type::Kind::ColorFilter ? ChildType::ColorFilter
                                                                       : ChildType::Blender;
        r.children.push_back({v->name(), type, v->index()});
    }
    return r;
}

}  // namespace plix::sksl
