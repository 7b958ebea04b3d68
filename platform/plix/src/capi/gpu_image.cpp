// Texture images: a GL texture made on the current context beside the CPU pixels that drawing
// on CPU surfaces reads.
#include "capi/Handles.h"
#include "core/Image.h"
#include "gpu/DirectContext.h"
#include "plix/plix.h"

using namespace plix;
using namespace plix::capi;
using plix::gpu::DirectContext;

// Mipmaps and the size limit apply to GPU sampling, which drawing here does not do.
plix_handle plix_image_make_cross_context(plix_handle context, plix_handle pixmap, bool, bool) {
    if (!context || !pixmap) return 0;
    return guard<plix_handle>(0, [&] {
        return to(DirectContext::MakeTextureImage(sp_ref(from<DirectContext>(context)), *from<Pixmap>(pixmap)));
    });
}

plix_handle plix_image_make_texture_image(plix_handle self, plix_handle context, bool) {
    if (!self || !context) return 0;
    return guard<plix_handle>(0, [&] {
        Image* image = from<Image>(self);
        return to(DirectContext::MakeTextureImage(sp_ref(from<DirectContext>(context)), image->pixmap()));
    });
}
