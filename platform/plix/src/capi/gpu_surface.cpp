// GPU surfaces: drawn on the CPU and presented on their framebuffer when their context flushes.
#include "capi/Convert.h"
#include "gpu/DirectContext.h"
#include "plix/plix.h"

using namespace plix;
using namespace plix::capi;
using plix::gpu::BackendRenderTarget;
using plix::gpu::DirectContext;
using plix::gpu::SurfaceOrigin;

namespace {
bool validOrigin(int32_t origin) { return origin == 0 || origin == 1; }
}  // namespace

plix_handle plix_surface_make_from_render_target(plix_handle context, plix_handle render_target, int32_t origin,
                                                 int32_t color_type, plix_handle color_space,
                                                 const plix_surface_props* props) {
    if (!context || !render_target || !validOrigin(origin) || !isValidColorType(color_type)) return 0;
    return guard<plix_handle>(0, [&] {
        const SurfaceProps p = props ? toProps(*props) : SurfaceProps();
        return to(DirectContext::MakeFromRenderTarget(sp_ref(from<DirectContext>(context)),
                                                      *from<BackendRenderTarget>(render_target), SurfaceOrigin(origin),
                                                      ColorType(color_type), refColorSpace(color_space), &p));
    });
}

plix_handle plix_surface_make_render_target(plix_handle context, bool, const plix_imageinfo* image_info,
                                            int32_t sample_count, int32_t origin, const plix_surface_props* props,
                                            bool) {
    if (!context || !validOrigin(origin)) return 0;
    return guard<plix_handle>(0, [&]() -> plix_handle {
        ImageInfo info;
        if (!toImageInfo(image_info, &info)) return 0;
        const SurfaceProps p = props ? toProps(*props) : SurfaceProps();
        return to(DirectContext::MakeRenderTarget(sp_ref(from<DirectContext>(context)), info, sample_count, &p));
    });
}
