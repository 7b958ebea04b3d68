// The OpenGL functions the GPU back end calls, as one table filled by name from a lookup: the
// current EGL context's (native) or a caller's (assembled). Every direct context is made on one.
// The table is the same for every context of a driver, so one interface serves a shared context
// and all the window contexts that share with it.
#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "core/RefCnt.h"

namespace plix::gpu {

using GLenum = uint32_t;
using GLuint = uint32_t;
using GLint = int32_t;
using GLsizei = int32_t;
using GLboolean = uint8_t;
using GLchar = char;

// name, return type, parameters
#define PLIX_GL_FUNCTIONS(X)                                                                                   \
    X(ActiveTexture, void, (GLenum texture))                                                                   \
    X(AttachShader, void, (GLuint program, GLuint shader))                                                     \
    X(BindFramebuffer, void, (GLenum target, GLuint framebuffer))                                              \
    X(BindTexture, void, (GLenum target, GLuint texture))                                                      \
    X(BindVertexArray, void, (GLuint array))                                                                   \
    X(ColorMask, void, (GLboolean r, GLboolean g, GLboolean b, GLboolean a))                                   \
    X(CompileShader, void, (GLuint shader))                                                                    \
    X(CreateProgram, GLuint, ())                                                                               \
    X(CreateShader, GLuint, (GLenum type))                                                                     \
    X(DeleteProgram, void, (GLuint program))                                                                   \
    X(DeleteShader, void, (GLuint shader))                                                                     \
    X(DeleteTextures, void, (GLsizei n, const GLuint* textures))                                               \
    X(DeleteVertexArrays, void, (GLsizei n, const GLuint* arrays))                                             \
    X(Disable, void, (GLenum cap))                                                                             \
    X(DrawArrays, void, (GLenum mode, GLint first, GLsizei count))                                             \
    X(Finish, void, ())                                                                                        \
    X(Flush, void, ())                                                                                         \
    X(GenTextures, void, (GLsizei n, GLuint * textures))                                                       \
    X(GenVertexArrays, void, (GLsizei n, GLuint * arrays))                                                     \
    X(GetError, GLenum, ())                                                                                    \
    X(GetIntegerv, void, (GLenum name, GLint * data))                                                          \
    X(GetProgramiv, void, (GLuint program, GLenum name, GLint * value))                                        \
    X(GetShaderiv, void, (GLuint shader, GLenum name, GLint * value))                                          \
    X(GetString, const uint8_t*, (GLenum name))                                                                \
    X(GetStringi, const uint8_t*, (GLenum name, GLuint index))                                                 \
    X(GetUniformLocation, GLint, (GLuint program, const GLchar* name))                                         \
    X(LinkProgram, void, (GLuint program))                                                                     \
    X(PixelStorei, void, (GLenum name, GLint value))                                                           \
    X(ShaderSource, void, (GLuint shader, GLsizei count, const GLchar* const* strings, const GLint* lengths))  \
    X(TexImage2D, void,                                                                                        \
      (GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,           \
       GLenum format, GLenum type, const void* pixels))                                                        \
    X(TexParameteri, void, (GLenum target, GLenum name, GLint value))                                          \
    X(TexSubImage2D, void,                                                                                     \
      (GLenum target, GLint level, GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, \
       const void* pixels))                                                                                    \
    X(Uniform1i, void, (GLint location, GLint value))                                                          \
    X(UseProgram, void, (GLuint program))                                                                      \
    X(Viewport, void, (GLint x, GLint y, GLsizei width, GLsizei height))

struct GlFunctions {
#define PLIX_GL_MEMBER(name, ret, params) ret(*name) params = nullptr;
    PLIX_GL_FUNCTIONS(PLIX_GL_MEMBER)
#undef PLIX_GL_MEMBER
};

enum class GlStandard { GL, GLES };

// Maps a function name to its address; context is the caller's.
using GlGetProc = void* (*)(void* context, const char* name);

class GlInterface final : public RefCnt {
public:
    // The functions of the EGL context current on the calling thread; null without one.
    static sp<GlInterface> MakeNative();
    // The functions get_proc finds ("gl" + name); null without a lookup. The extensions are
    // those of the context current during the call, if any.
    static sp<GlInterface> MakeAssembled(GlStandard standard, void* context, GlGetProc getProc);

    const GlFunctions& functions() const { return fFunctions; }
    GlStandard standard() const { return fStandard; }
    // Every function the back end calls was found.
    bool validate() const;
    bool hasExtension(const std::string& name) const { return fExtensions.count(name) != 0; }

private:
    GlInterface() = default;
    GlFunctions fFunctions;
    GlStandard fStandard = GlStandard::GL;
    std::set<std::string> fExtensions;
};

// The EGL context current on the calling thread (an EGLContext), or null.
void* currentEglContext();

}  // namespace plix::gpu
