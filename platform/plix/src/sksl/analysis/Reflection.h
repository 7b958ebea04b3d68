// What a compiled program shows its host: uniforms packed into one block, and children.
// Uniforms are laid out in declaration order with no padding: each starts where the previous
// one ends; a scalar takes 4 bytes, a vector 4 per component, an n x n matrix 4 * n * n
// (column by column), an array count times its element.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plix::sksl {

class Program;

enum class UniformType : int32_t {
    Float, Float2, Float3, Float4, Float2x2, Float3x3, Float4x4, Int, Int2, Int3, Int4,
};

enum class ChildType : int32_t { Shader, ColorFilter, Blender };

struct UniformInfo {
    std::string name;
    UniformType type;
    int count;        // array length; 1 for a plain uniform
    bool isArray;
    bool isColor;     // layout(color)
    size_t offset;    // bytes from the start of the block
    size_t size;      // bytes
    int slot;         // offset / 4
};

struct ChildInfo {
    std::string name;
    ChildType type;
    int index;
};

struct Reflection {
    std::vector<UniformInfo> uniforms;
    std::vector<ChildInfo> children;
    size_t uniformSize = 0;  // bytes of the whole block

    int indexOfUniform(std::string_view name) const;
    int indexOfChild(std::string_view name) const;
};

Reflection Reflect(const Program& program);

// 4-byte components of one element of a uniform type.
int UniformTypeComponents(UniformType t);

}  // namespace plix::sksl
