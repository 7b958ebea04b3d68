// Reading and writing RGBA8888 PNGs for golden tests, bytes unchanged (premultiplied data stays
// premultiplied).
#pragma once

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

namespace plix::test {

inline bool readPng(const std::string& path, int* w, int* h, std::vector<uint8_t>* rgba) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGBA;
    rgba->assign(PNG_IMAGE_SIZE(image), 0);
    if (!png_image_finish_read(&image, nullptr, rgba->data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    *w = int(image.width), *h = int(image.height);
    return true;
}

inline bool writePng(const std::string& path, int w, int h, const uint8_t* rgba) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(w), image.height = png_uint_32(h);
    image.format = PNG_FORMAT_RGBA;
    return png_image_write_to_file(&image, path.c_str(), 0, rgba, 0, nullptr) != 0;
}

}  // namespace plix::test
