#include <algorithm>
#include <cmath>
#include <memory>

#include "canvas/PixelConvert.h"
#include "capi/Convert.h"
#include "plix/plix.h"

using namespace plix;
using namespace plix::capi;

namespace {

Pixmap* pm(plix_handle h) { return from<Pixmap>(h); }

// The pixel at (x, y) as unpremultiplied floats, its colour space ignored; false outside.
bool readOne(const Pixmap& p, int x, int y, float out[4]) {
    if (!soundPixmap(p) || x < 0 || y < 0 || x >= p.width() || y >= p.height()) return false;
    Pixmap src;
    if (!p.extractSubset(&src, x, y, x + 1, y + 1)) return false;
    src.setColorSpace(nullptr);
    return guard(false, [&] {
        return convertPixels(Pixmap(ImageInfo::Make(1, 1, ColorType::RGBAF32, AlphaType::Unpremul), out, 16), src);
    });
}

uint8_t toByte(float v) { return uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255)); }

}  // namespace

// Any description makes a pixmap, as the object layer wraps the result without a check; one
// that does not describe usable pixels (bad info, row bytes below the minimum, no address) is
// refused by every operation that would read or write them.
plix_handle plix_pixmap_create(const plix_imageinfo* image_info, const void* pixels, size_t row_bytes) {
    return guard<plix_handle>(0, [&]() -> plix_handle {
        ImageInfo info;
        if (image_info && !toImageInfo(image_info, &info))  // unknown ordinals: an Unknown pixmap
            info = ImageInfo::Make(image_info->width, image_info->height, ColorType::Unknown, AlphaType::Unknown,
                                   refColorSpace(image_info->color_space));
        return to(new Pixmap(std::move(info), const_cast<void*>(pixels), row_bytes));
    });
}

void plix_pixmap_destroy(plix_handle self) { delete pm(self); }

bool plix_pixmap_erase(plix_handle self, uint32_t color, const plix_irect* subset) {
    if (!self) return false;
    return guard(false, [&] {
        float c[4];
        argbToFloats(color, c);
        const IRect s = subset ? toIRect(*subset) : IRect();
        return erasePixels(*pm(self), c, nullptr, subset ? &s : nullptr);
    });
}

bool plix_pixmap_erase2(plix_handle self, const plix_color4f* color, plix_handle color_space,
                        const plix_irect* subset) {
    if (!self || !color) return false;
    return guard(false, [&] {
        const float c[4] = {color->r, color->g, color->b, color->a};
        const IRect s = subset ? toIRect(*subset) : IRect();
        return erasePixels(*pm(self), c, from<ColorSpace>(color_space), subset ? &s : nullptr);
    });
}

bool plix_pixmap_extract_subset(plix_handle self, plix_handle dest, const plix_irect* area) {
    if (!self || !dest || !area) return false;
    return guard(false, [&] {
        Pixmap out;
        if (!soundPixmap(*pm(self)) ||
            !pm(self)->extractSubset(&out, area->left, area->top, area->right, area->bottom))
            return false;
        *pm(dest) = out;
        return true;
    });
}

float plix_pixmap_get_alpha(plix_handle self, int32_t x, int32_t y) {
    float c[4];
    return self && readOne(*pm(self), x, y, c) ? c[3] : 0.0f;
}

int32_t plix_pixmap_get_alpha_type(plix_handle self) { return self ? int32_t(pm(self)->alphaType()) : 0; }

uint32_t plix_pixmap_get_color(plix_handle self, int32_t x, int32_t y) {
    float c[4];
    if (!self || !readOne(*pm(self), x, y, c)) return 0;
    return uint32_t(toByte(c[3])) << 24 | uint32_t(toByte(c[0])) << 16 | uint32_t(toByte(c[1])) << 8 | toByte(c[2]);
}

plix_handle plix_pixmap_get_color_space(plix_handle self) {
    if (!self || !pm(self)->colorSpace()) return 0;
    return to(sp<ColorSpace>(pm(self)->info().colorSpace));
}

int32_t plix_pixmap_get_color_type(plix_handle self) { return self ? int32_t(pm(self)->colorType()) : 0; }

void plix_pixmap_get_colorf(plix_handle self, int32_t x, int32_t y, plix_color4f* result) {
    if (!result) return;
    float c[4] = {0, 0, 0, 0};
    if (self) readOne(*pm(self), x, y, c);
    *result = {c[0], c[1], c[2], c[3]};
}

int32_t plix_pixmap_get_height(plix_handle self) { return self ? pm(self)->height() : 0; }

void plix_pixmap_get_image_info(plix_handle self, plix_imageinfo* result) {
    if (!result) return;
    *result = {};
    if (self) fromImageInfo(pm(self)->info(), result);
}

void* plix_pixmap_get_pixel_addr(plix_handle self, int32_t x, int32_t y) {
    if (!self) return nullptr;
    const Pixmap& p = *pm(self);
    if (!soundPixmap(p) || x < 0 || y < 0 || x >= p.width() || y >= p.height()) return nullptr;
    return p.addr(x, y);
}

void* plix_pixmap_get_pixels(plix_handle self) { return self ? pm(self)->addr() : nullptr; }
size_t plix_pixmap_get_row_bytes(plix_handle self) { return self ? pm(self)->rowBytes() : 0; }
int32_t plix_pixmap_get_width(plix_handle self) { return self ? pm(self)->width() : 0; }

bool plix_pixmap_read_pixels(plix_handle self, plix_handle dest, int32_t src_x, int32_t src_y) {
    if (!self || !dest) return false;
    return guard(false, [&] { return readPixelsAt(*pm(self), *pm(dest), src_x, src_y); });
}

bool plix_pixmap_scale_pixels(plix_handle self, plix_handle dest, const plix_sampling_options* sampling) {
    if (!self || !dest) return false;
    return guard(false, [&] {
        SamplingOptions s;
        return toSampling(sampling, &s) && scalePixels(*pm(dest), *pm(self), s);
    });
}

void plix_pixmap_set_colorspace(plix_handle self, plix_handle color_space) {
    if (self) pm(self)->setColorSpace(refColorSpace(color_space));
}
