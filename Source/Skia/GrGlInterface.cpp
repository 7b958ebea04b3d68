#include "Skia/GrGlInterface.h"

#include "Skia/API.h"

namespace Skia {

namespace {

// The library's callback: the context is the caller's procedure, alive for the call.
void* GetProc(void* context, const char* name) {
    try {
        return (*static_cast<const TGrGlGetProc*>(context))(name);
    } catch (...) {
        return nullptr;  // no exception may leave a native callback
    }
}

template <class Make>
Ref<IGrGlInterface> Assembled(const TGrGlGetProc& proc, Make make) {
    if (!proc) return nullptr;
    return WrapOrNil<TGrGlInterface>(make(const_cast<TGrGlGetProc*>(&proc), &GetProc));
}

}  // namespace

Ref<IGrGlInterface> TGrGlInterface::MakeNative() {
    return WrapOrNil<TGrGlInterface>(API::plixgpu_gl_interface_make_native());
}

Ref<IGrGlInterface> TGrGlInterface::MakeAssembled(const TGrGlGetProc& AProc) {
    return Assembled(AProc, API::plixgpu_gl_interface_make_assembled);
}

Ref<IGrGlInterface> TGrGlInterface::MakeAssembledGl(const TGrGlGetProc& AProc) {
    return Assembled(AProc, API::plixgpu_gl_interface_make_assembled_gl);
}

Ref<IGrGlInterface> TGrGlInterface::MakeAssembledGles(const TGrGlGetProc& AProc) {
    return Assembled(AProc, API::plixgpu_gl_interface_make_assembled_gles);
}

Ref<IGrGlInterface> TGrGlInterface::MakeAssembledWebGl(const TGrGlGetProc& AProc) {
    return Assembled(AProc, API::plixgpu_gl_interface_make_assembled_webgl);
}

bool TGrGlInterface::HasExtension(const char* AName) {
    return API::plixgpu_gl_interface_has_extension(Handle(), AName);
}

bool TGrGlInterface::Validate() { return API::plixgpu_gl_interface_validate(Handle()); }

}  // namespace Skia
