#include "gpu/GlInterface.h"

#include <epoxy/egl.h>

namespace plix::gpu {

namespace {

constexpr GLenum kNumExtensions = 0x821D;  // GL_NUM_EXTENSIONS
constexpr GLenum kExtensions = 0x1F03;     // GL_EXTENSIONS

void* EglLookup(void*, const char* name) { return reinterpret_cast<void*>(eglGetProcAddress(name)); }

}  // namespace

void* currentEglContext() {
    EGLContext context = eglGetCurrentContext();
    return context == EGL_NO_CONTEXT ? nullptr : context;
}

sp<GlInterface> GlInterface::MakeNative() {
    if (!currentEglContext()) return nullptr;
    return MakeAssembled(GlStandard::GL, nullptr, &EglLookup);
}

sp<GlInterface> GlInterface::MakeAssembled(GlStandard standard, void* context, GlGetProc getProc) {
    if (!getProc) return nullptr;
    sp<GlInterface> gl(new GlInterface());
    gl->fStandard = standard;
    GlFunctions& f = gl->fFunctions;
#define PLIX_GL_RESOLVE(name, ret, params) f.name = reinterpret_cast<ret(*) params>(getProc(context, "gl" #name));
    PLIX_GL_FUNCTIONS(PLIX_GL_RESOLVE)
#undef PLIX_GL_RESOLVE
    // The extensions of the context current now; none without one.
    if (f.GetIntegerv && f.GetStringi && currentEglContext()) {
        GLint count = 0;
        f.GetIntegerv(kNumExtensions, &count);
        for (GLint i = 0; i < count; ++i)
            if (const uint8_t* name = f.GetStringi(kExtensions, static_cast<GLuint>(i)))
                gl->fExtensions.insert(reinterpret_cast<const char*>(name));
    }
    return gl;
}

bool GlInterface::validate() const {
#define PLIX_GL_CHECK(name, ret, params) \
    if (!fFunctions.name) return false;
    PLIX_GL_FUNCTIONS(PLIX_GL_CHECK)
#undef PLIX_GL_CHECK
    return true;
}

}  // namespace plix::gpu
