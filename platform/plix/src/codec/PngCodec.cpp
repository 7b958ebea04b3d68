// PNG through libpng's simplified interface, which reports every fault as a return value.
#include <png.h>

#include "codec/Codec.h"
#include "codec/PngIcc.h"

namespace plix {

sp<Image> decodePng(const uint8_t* data, size_t size) {
    if (!data || size == 0) return nullptr;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size)) return nullptr;
    struct Free {
        png_image* i;
        ~Free() { png_image_free(i); }
    } free{&image};
    if (!decodableSize(image.width, image.height)) return nullptr;
    const bool opaque = (image.format & PNG_FORMAT_FLAG_ALPHA) == 0;
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) return nullptr;
    return imageFromRGBA(rgba.data(), int(image.width), int(image.height), size_t(image.width) * 4, opaque,
                         readPngIccProfile(data, size));
}

bool encodePng(std::vector<uint8_t>& out, const Pixmap& pixmap) {
    std::vector<uint8_t> rgba, icc;
    if (!toRGBA(pixmap, false, rgba, &icc)) return false;
    const bool opaque = pixmap.alphaType() == AlphaType::Opaque || !hasAlphaChannel(pixmap.colorType());
    if (opaque) {  // drop the alpha bytes in place
        for (size_t i = 0, n = rgba.size() / 4; i < n; ++i)
            rgba[i * 3] = rgba[i * 4], rgba[i * 3 + 1] = rgba[i * 4 + 1], rgba[i * 3 + 2] = rgba[i * 4 + 2];
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(pixmap.width());
    image.height = png_uint_32(pixmap.height());
    image.format = opaque ? PNG_FORMAT_RGB : PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr)) return false;
    out.resize(size);
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, rgba.data(), 0, nullptr)) return false;
    out.resize(size);
    return icc.empty() || insertPngIccProfile(out, icc);
}

}  // namespace plix
