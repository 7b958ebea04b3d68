// Shaders over images: the image in its own pixel space, tiled and sampled as asked.
#include "capi/Convert.h"
#include "capi/Handles.h"
#include "core/Image.h"
#include "plix/plix.h"
#include "shaders/Shaders.h"

using namespace plix;
using namespace plix::capi;

namespace {

plix_handle MakeShader(plix_handle self, int32_t tileX, int32_t tileY, const plix_sampling_options* sampling,
                       const plix_matrix* localMatrix, bool raw) {
    if (!self || !isValidTileMode(tileX) || !isValidTileMode(tileY)) return 0;
    return guard<plix_handle>(0, [&]() -> plix_handle {
        SamplingOptions options;
        if (!toSampling(sampling, &options)) return 0;
        const Matrix local = localMatrix ? toMatrix(*localMatrix) : Matrix();
        return to(MakeImageShader(sp_ref(from<Image>(self)), TileMode(tileX), TileMode(tileY), options,
                                  localMatrix ? &local : nullptr, raw));
    });
}

}  // namespace

plix_handle plix_image_make_shader(plix_handle self, int32_t tile_mode_x, int32_t tile_mode_y,
                                   const plix_sampling_options* sampling, const plix_matrix* local_matrix) {
    return MakeShader(self, tile_mode_x, tile_mode_y, sampling, local_matrix, false);
}

plix_handle plix_image_make_raw_shader(plix_handle self, int32_t tile_mode_x, int32_t tile_mode_y,
                                       const plix_sampling_options* sampling, const plix_matrix* local_matrix) {
    return MakeShader(self, tile_mode_x, tile_mode_y, sampling, local_matrix, true);
}
