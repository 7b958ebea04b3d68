#include "canvas/PixelConvert.h"
#include "codec/Codec.h"
#include "capi/Convert.h"
#include "core/Image.h"
#include "core/StreamAdapter.h"
#include "plix/plix.h"

using namespace plix;
using namespace plix::capi;

namespace {
Image* img(plix_handle h) { return from<Image>(h); }
}  // namespace

int32_t plix_image_get_alpha_type(plix_handle self) { return self ? int32_t(img(self)->alphaType()) : 0; }
int32_t plix_image_get_color_type(plix_handle self) { return self ? int32_t(img(self)->colorType()) : 0; }
int32_t plix_image_get_width(plix_handle self) { return self ? img(self)->width() : 0; }
int32_t plix_image_get_height(plix_handle self) { return self ? img(self)->height() : 0; }
uint32_t plix_image_get_unique_id(plix_handle self) { return self ? img(self)->uniqueID() : 0; }
bool plix_image_is_lazy_generated(plix_handle) { return false; }
bool plix_image_is_texture_backed(plix_handle) { return false; }
// Raster images can be drawn anywhere, a GPU context included.
bool plix_image_is_valid(plix_handle self, plix_handle) { return self != 0; }

plix_handle plix_image_get_color_space(plix_handle self) {
    if (!self || !img(self)->colorSpace()) return 0;
    return to(img(self)->refColorSpace());
}

void plix_image_get_image_info(plix_handle self, plix_imageinfo* result) {
    if (!result) return;
    *result = {};
    if (self) fromImageInfo(img(self)->info(), result);
}

plix_handle plix_image_make_from_raster(plix_handle pixmap, plix_image_raster_release_proc release_proc,
                                        void* release_context) {
    if (!pixmap) return 0;
    return guard<plix_handle>(0, [&] {
        return to(Image::MakeFromRaster(*from<Pixmap>(pixmap), release_proc, release_context));
    });
}

plix_handle plix_image_make_raster_copy(plix_handle pixmap) {
    if (!pixmap) return 0;
    return guard<plix_handle>(0, [&] { return to(Image::MakeRasterCopy(*from<Pixmap>(pixmap))); });
}

// Raster images are already what these ask for: the same image, one more reference.
plix_handle plix_image_make_raster_image(plix_handle self) {
    if (self) img(self)->ref();
    return self;
}

plix_handle plix_image_make_non_texture_image(plix_handle self) { return plix_image_make_raster_image(self); }

plix_handle plix_image_make_subset(plix_handle self, const plix_irect* subset, plix_handle) {
    if (!self || !subset) return 0;
    return guard<plix_handle>(0, [&] { return to(img(self)->makeSubset(toIRect(*subset))); });
}

plix_handle plix_image_peek_pixels(plix_handle self) {
    if (!self) return 0;
    return guard<plix_handle>(0, [&] { return to(new Pixmap(img(self)->pixmap())); });
}

bool plix_image_read_pixels(plix_handle self, plix_handle, plix_handle dest, int32_t src_x, int32_t src_y,
                            int32_t) {
    if (!self || !dest) return false;
    return guard(false, [&] { return readPixelsAt(img(self)->pixmap(), *from<Pixmap>(dest), src_x, src_y); });
}

bool plix_image_scale_pixels(plix_handle self, plix_handle dest, const plix_sampling_options* sampling, int32_t) {
    if (!self || !dest) return false;
    return guard(false, [&] {
        SamplingOptions s;
        return toSampling(sampling, &s) && scalePixels(*from<Pixmap>(dest), img(self)->pixmap(), s);
    });
}

// ---- encoded images ----

plix_handle plix_image_make_from_encoded_file(const char* file_name) {
    if (!file_name) return 0;
    return guard<plix_handle>(0, [&] { return to(decodeImageFile(file_name)); });
}

plix_handle plix_image_make_from_encoded_stream(plix_handle stream) {
    if (!stream) return 0;
    return guard<plix_handle>(0, [&] { return to(decodeImage(*from<StreamAdapter>(stream))); });
}

bool plix_image_encode_to_file(plix_handle self, const char* file_name, int32_t format, int32_t quality) {
    if (!self || !file_name) return false;
    return guard(false, [&] { return encodeImageFile(file_name, img(self)->pixmap(), EncodedFormat(format), quality); });
}

bool plix_image_encode_to_stream(plix_handle self, plix_handle wstream, int32_t format, int32_t quality) {
    if (!self || !wstream) return false;
    return guard(false, [&] {
        return encodeImage(*from<WStreamAdapter>(wstream), img(self)->pixmap(), EncodedFormat(format), quality);
    });
}
