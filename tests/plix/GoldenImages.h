// What the golden tests share besides the scene lists: reading the reference images, writing
// ours for review when a scene fails, and the pixel-by-pixel difference with each pixel marked
// flat or not in the reference. The PNGs hold RGBA8888 bytes unchanged (premultiplied data stays
// premultiplied). Each suite keeps its own acceptance rule.
#pragma once

#include <png.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
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

// Writes our image as dir/name.png, making dir when needed; returns the path.
inline std::string saveForReview(const std::string& dir, const std::string& name, int w, int h,
                                 const uint8_t* rgba) {
    std::filesystem::create_directories(dir);
    const std::string path = dir + "/" + name + ".png";
    writePng(path, w, h, rgba);
    return path;
}

struct PixelDiff {
    int x, y;
    bool flat;                    // no neighbour in the reference differs by more than the step
    std::array<int, 4> channel;   // |ours - reference| per channel
    int worst() const { return std::max(std::max(channel[0], channel[1]), std::max(channel[2], channel[3])); }
};

// Both images RGBA8888, w x h, rows packed; pixels in row order. A pixel is flat when none of
// its 8 neighbours in the reference differs from it by more than flatStep in any channel.
inline std::vector<PixelDiff> compareImages(const uint8_t* ours, const uint8_t* reference, int w, int h,
                                            int flatStep = 3) {
    auto at = [&](const uint8_t* img, int x, int y, int c) { return int(img[size_t((y * w + x) * 4 + c)]); };
    std::vector<PixelDiff> diffs;
    diffs.reserve(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            PixelDiff d{x, y, true, {}};
            for (int dy = -1; dy <= 1 && d.flat; ++dy)
                for (int dx = -1; dx <= 1 && d.flat; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
                    for (int c = 0; c < 4; ++c)
                        if (std::abs(at(reference, nx, ny, c) - at(reference, x, y, c)) > flatStep) d.flat = false;
                }
            for (int c = 0; c < 4; ++c) d.channel[size_t(c)] = std::abs(at(ours, x, y, c) - at(reference, x, y, c));
            diffs.push_back(d);
        }
    return diffs;
}

}  // namespace plix::test
