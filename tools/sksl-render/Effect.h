// The program of sksl-render: compiled from its file, with the uniform block and the children
// built from the command line.
#pragma once

#include <cstdint>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "Handle.h"
#include "Options.h"

namespace skslrender {

// The program or its inputs cannot be used (exit status 1).
struct RenderError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The program does not compile: the compiler's messages (exit status 1).
struct CompileError : RenderError {
    using RenderError::RenderError;
};

// Reads and compiles the file as the given kind; throws CompileError with the compiler's
// messages ("FILE:LINE:COLUMN: error: TEXT", each followed by the line it points at), or
// RenderError when the file cannot be read.
Handle CompileFile(const std::string& path, Kind kind);

// Prints one line per uniform ("uniform NAME TYPE count N offset BYTES") and child
// ("child NAME KIND").
void ListEffect(plix_handle effect, std::ostream& out);

// The uniform block with the given values in place (4-byte words); throws RenderError for an
// unknown name, a wrong number of values, or a value that does not fit the uniform's type.
std::vector<uint32_t> UniformBlock(plix_handle effect, const std::vector<UniformArg>& uniforms);

// One handle per child of the program (0 where none is given): each given child an image shader
// of its PNG. Throws RenderError for an unknown name, a child that is not a shader, or an image
// that cannot be read.
// Shader children left out draw transparent; each gets a warning on `warnings`.
std::vector<Handle> ChildShaders(plix_handle effect, const std::vector<ChildArg>& children,
                                 std::ostream& warnings);

// The decoded image of a file; throws RenderError naming what asked for it.
Handle ReadImage(const std::string& path, const std::string& what);

}  // namespace skslrender
