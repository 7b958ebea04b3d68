// OpenGL function tables of the GPU back end.
#include "capi/Handles.h"
#include "gpu/GlInterface.h"
#include "plix/plix.h"

using namespace plix;
using namespace plix::capi;
using plix::gpu::GlInterface;
using plix::gpu::GlStandard;

plix_handle plixgpu_gl_interface_make_native(void) {
    return guard<plix_handle>(0, [] { return to(GlInterface::MakeNative()); });
}

plix_handle plixgpu_gl_interface_make_assembled(void* context, plix_gl_get_proc get_proc) {
    return guard<plix_handle>(0, [&] { return to(GlInterface::MakeAssembled(GlStandard::GL, context, get_proc)); });
}

plix_handle plixgpu_gl_interface_make_assembled_gl(void* context, plix_gl_get_proc get_proc) {
    return guard<plix_handle>(0, [&] { return to(GlInterface::MakeAssembled(GlStandard::GL, context, get_proc)); });
}

plix_handle plixgpu_gl_interface_make_assembled_gles(void* context, plix_gl_get_proc get_proc) {
    return guard<plix_handle>(0, [&] { return to(GlInterface::MakeAssembled(GlStandard::GLES, context, get_proc)); });
}

bool plixgpu_gl_interface_has_extension(plix_handle self, const char* name) {
    if (!self || !name) return false;
    return guard(false, [&] { return from<GlInterface>(self)->hasExtension(name); });
}

bool plixgpu_gl_interface_validate(plix_handle self) { return self && from<GlInterface>(self)->validate(); }
