#include <string>

#include "capi/Convert.h"
#include "capi/Handles.h"
#include "core/String.h"
#include "effects/RuntimeEffects.h"
#include "plix/plix.h"
#include "sksl/Effect.h"

using namespace plix;
using namespace plix::capi;

namespace {

sksl::Effect* fx(plix_handle h) { return from<sksl::Effect>(h); }

plix_handle Compile(const char* sksl, plix_handle errorText, sksl::ProgramKind kind) {
    return guard<plix_handle>(0, [&]() -> plix_handle {
        std::string errors;
        sp<sksl::Effect> effect = sksl ? sksl::Effect::Make(sksl, kind, &errors) : nullptr;
        if (!sksl) errors = "error: no program text";
        if (errorText) from<String>(errorText)->text = effect ? std::string() : errors;
        return to(std::move(effect));
    });
}

const sksl::UniformInfo* Uniform(plix_handle self, int32_t index) {
    if (!self) return nullptr;
    const auto& uniforms = fx(self)->reflection().uniforms;
    return index >= 0 && size_t(index) < uniforms.size() ? &uniforms[size_t(index)] : nullptr;
}

const sksl::ChildInfo* Child(plix_handle self, int32_t index) {
    if (!self) return nullptr;
    const auto& children = fx(self)->reflection().children;
    return index >= 0 && size_t(index) < children.size() ? &children[size_t(index)] : nullptr;
}

// The child handles as engine objects, one per child slot of the effect (each shared).
RuntimeChildren Children(const sksl::Effect& effect, const plix_handle* children) {
    RuntimeChildren result(effect.reflection().children.size());
    for (size_t i = 0; i < result.size(); ++i)
        if (children && children[i]) result[i] = sp_ref(from<RefCnt>(children[i]));
    return result;
}

}  // namespace

plix_handle plix_runtimeeffect_make_for_shader(const char* sksl, plix_handle error_text) {
    return Compile(sksl, error_text, sksl::ProgramKind::Shader);
}

plix_handle plix_runtimeeffect_make_for_color_filter(const char* sksl, plix_handle error_text) {
    return Compile(sksl, error_text, sksl::ProgramKind::ColorFilter);
}

plix_handle plix_runtimeeffect_make_for_blender(const char* sksl, plix_handle error_text) {
    return Compile(sksl, error_text, sksl::ProgramKind::Blender);
}

int32_t plix_runtimeeffect_get_uniform_count(plix_handle self) {
    return self ? int32_t(fx(self)->reflection().uniforms.size()) : 0;
}

size_t plix_runtimeeffect_get_uniform_data_size(plix_handle self) {
    return self ? fx(self)->reflection().uniformSize : 0;
}

const char* plix_runtimeeffect_get_uniform_name(plix_handle self, int32_t index) {
    const auto* u = Uniform(self, index);
    return u ? u->name.c_str() : "";
}

size_t plix_runtimeeffect_get_uniform_offset(plix_handle self, int32_t index) {
    const auto* u = Uniform(self, index);
    return u ? u->offset : 0;
}

int32_t plix_runtimeeffect_get_uniform_type(plix_handle self, int32_t index) {
    const auto* u = Uniform(self, index);
    return u ? int32_t(u->type) : 0;
}

int32_t plix_runtimeeffect_get_uniform_type_count(plix_handle self, int32_t index) {
    const auto* u = Uniform(self, index);
    return u ? u->count : 0;
}

int32_t plix_runtimeeffect_index_of_uniform(plix_handle self, const char* name) {
    return self && name ? fx(self)->reflection().indexOfUniform(name) : -1;
}

int32_t plix_runtimeeffect_get_child_count(plix_handle self) {
    return self ? int32_t(fx(self)->reflection().children.size()) : 0;
}

const char* plix_runtimeeffect_get_child_name(plix_handle self, int32_t index) {
    const auto* c = Child(self, index);
    return c ? c->name.c_str() : "";
}

int32_t plix_runtimeeffect_get_child_type(plix_handle self, int32_t index) {
    const auto* c = Child(self, index);
    return c ? int32_t(c->type) : 0;
}

int32_t plix_runtimeeffect_index_of_child(plix_handle self, const char* name) {
    return self && name ? fx(self)->reflection().indexOfChild(name) : -1;
}

plix_handle plix_runtimeeffect_make_shader(plix_handle self, const void* uniforms, const plix_handle* children,
                                           const plix_matrix* local_matrix) {
    if (!self) return 0;
    return guard<plix_handle>(0, [&] {
        const Matrix local = local_matrix ? toMatrix(*local_matrix) : Matrix();
        return to(MakeRuntimeShader(sp_ref(fx(self)), uniforms, Children(*fx(self), children),
                                    local_matrix ? &local : nullptr));
    });
}

plix_handle plix_runtimeeffect_make_color_filter(plix_handle self, const void* uniforms, const plix_handle* children) {
    if (!self) return 0;
    return guard<plix_handle>(0, [&] {
        return to(MakeRuntimeColorFilter(sp_ref(fx(self)), uniforms, Children(*fx(self), children)));
    });
}

plix_handle plix_runtimeeffect_make_blender(plix_handle self, const void* uniforms, const plix_handle* children) {
    if (!self) return 0;
    return guard<plix_handle>(0, [&] {
        return to(MakeRuntimeBlender(sp_ref(fx(self)), uniforms, Children(*fx(self), children)));
    });
}

// Rendered on the CPU: the image is a raster image whatever context is given.
plix_handle plix_runtimeeffect_make_image(plix_handle self, plix_handle, const void* uniforms,
                                          const plix_handle* children, const plix_matrix* local_matrix,
                                          const plix_imageinfo* image_info, bool) {
    if (!self) return 0;
    return guard<plix_handle>(0, [&]() -> plix_handle {
        ImageInfo info;
        if (!toImageInfo(image_info, &info)) return 0;
        const Matrix local = local_matrix ? toMatrix(*local_matrix) : Matrix();
        return to(MakeRuntimeImage(sp_ref(fx(self)), uniforms, Children(*fx(self), children),
                                   local_matrix ? &local : nullptr, info));
    });
}
