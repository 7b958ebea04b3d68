// The procedural images the shader tests sample, made by the same formulas as the reference
// script (tests/reference/shader_golden.mjs).
#pragma once

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/Image.h"

namespace plix::test {

inline sp<Image> makeTestImage(const std::string& name) {
    int w = 0, h = 0;
    std::vector<uint8_t> px;
    if (name == "checker") {
        // 8 x 8: 2 x 2 cells of red/blue with a green ramp, opaque, premultiplied.
        w = 8, h = 8, px.assign(size_t(w * h * 4), 0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                uint8_t* p = &px[size_t(4 * (y * w + x))];
                const bool on = (((x >> 1) + (y >> 1)) & 1) != 0;
                p[0] = on ? 230 : 20, p[1] = uint8_t(30 * x), p[2] = on ? 40 : 220, p[3] = 255;
            }
    } else if (name == "ramp") {
        // 64 x 64 smooth ramps with translucent alpha, premultiplied.
        w = 64, h = 64, px.assign(size_t(w * h * 4), 0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                uint8_t* p = &px[size_t(4 * (y * w + x))];
                const int a = std::min(255, 128 + 2 * y - (y >> 1));
                p[3] = uint8_t(a);
                p[0] = uint8_t(std::lround(4 * x * a / 255.0));
                p[1] = uint8_t(std::lround((255 - 4 * y) * a / 255.0));
                p[2] = uint8_t(std::lround(((x * y) & 255) * a / 255.0));
            }
    } else {
        return nullptr;
    }
    Pixmap pm;
    if (!pm.reset(ImageInfo::Make(w, h, ColorType::RGBA8888, AlphaType::Premul), px.data(), size_t(w) * 4))
        return nullptr;
    return Image::MakeRasterCopy(pm);
}

}  // namespace plix::test
