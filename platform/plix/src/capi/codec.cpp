// Codecs at the C API: an encoded still image decoded once, at creation, then handed out in the
// pixel format the caller asks for.
#include <cstdio>
#include <cstring>
#include <memory>

#include "canvas/PixelConvert.h"
#include "capi/Convert.h"
#include "codec/Codec.h"
#include "core/StreamAdapter.h"
#include "plix/plix.h"

using namespace plix;
using namespace plix::capi;

namespace {

struct DecodedCodec {
    sp<Image> image;
    sp<Image> wide;  // the file's 16-bit samples, for destinations with more than 8 bits a channel
    EncodedFormat format;
};

plix_handle makeCodec(const uint8_t* data, size_t size) {
    EncodedFormat format;
    DecodeResult decoded = decodeEncoded(data, size);
    if (!decoded.image || !sniffFormat(data, size, &format)) return 0;
    return to(new DecodedCodec{std::move(decoded.image), std::move(decoded.wide), format});
}

bool widerThan8Bits(ColorType type) {
    switch (type) {
        case ColorType::RGBA1010102: case ColorType::BGRA1010102: case ColorType::RGB101010X:
        case ColorType::BGR101010X: case ColorType::RGBAF16: case ColorType::RGBAF16Clamped:
        case ColorType::RGBAF32: case ColorType::AlphaF16: case ColorType::RGF16: case ColorType::Alpha16:
        case ColorType::RG1616: case ColorType::RGBA16161616: return true;
        default: return false;
    }
}

DecodedCodec* codec(plix_handle h) { return from<DecodedCodec>(h); }

// The decoded image in the asked format, written to dst (of the codec's size).
bool convertTo(const DecodedCodec& c, void* pixels, size_t rowBytes, int32_t colorType, int32_t alphaType,
               plix_handle colorSpace) {
    const plix_imageinfo want{c.image->width(), c.image->height(), colorType, alphaType, colorSpace};
    ImageInfo info;
    if (!toImageInfo(&want, &info)) return false;
    const Image& source = c.wide && widerThan8Bits(info.colorType) ? *c.wide : *c.image;
    return convertPixels(Pixmap(info, pixels, rowBytes), source.pixmap());
}

}  // namespace

plix_handle plix_codec_make_with_copy(const void* data, size_t size) {
    if (!data || size == 0) return 0;
    return guard<plix_handle>(0, [&] { return makeCodec(static_cast<const uint8_t*>(data), size); });
}

// Decoding happens at once, so the bytes are not needed afterwards either way.
plix_handle plix_codec_make_without_copy(const void* data, size_t size) { return plix_codec_make_with_copy(data, size); }

plix_handle plix_codec_make_from_file(const char* file_name) {
    if (!file_name) return 0;
    return guard<plix_handle>(0, [&]() -> plix_handle {
        std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(file_name, "rb"), &std::fclose);
        if (!f) return 0;
        std::vector<uint8_t> bytes;
        uint8_t buf[1 << 16];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0) {
            if (bytes.size() + n > kMaxEncodedBytes) return 0;
            bytes.insert(bytes.end(), buf, buf + n);
        }
        return makeCodec(bytes.data(), bytes.size());
    });
}

plix_handle plix_codec_make_from_stream(plix_handle stream) {
    if (!stream) return 0;
    std::unique_ptr<StreamAdapter> adopted(from<StreamAdapter>(stream));  // destroyed whatever happens
    return guard<plix_handle>(0, [&]() -> plix_handle {
        std::vector<uint8_t> bytes;
        uint8_t buf[1 << 16];
        size_t n;
        while ((n = adopted->read(buf, sizeof buf)) > 0) {
            if (bytes.size() + n > kMaxEncodedBytes) return 0;
            bytes.insert(bytes.end(), buf, buf + n);
        }
        return makeCodec(bytes.data(), bytes.size());
    });
}

void plix_codec_destroy(plix_handle self) { delete codec(self); }

void plix_codec_get_dimensions(plix_handle self, plix_isize* result) {
    if (result) *result = self ? plix_isize{codec(self)->image->width(), codec(self)->image->height()} : plix_isize{};
}

int32_t plix_codec_get_encoded_image_format(plix_handle self) { return self ? int32_t(codec(self)->format) : 0; }

plix_handle plix_codec_get_image(plix_handle self, int32_t color_type, int32_t alpha_type, plix_handle color_space) {
    if (!self) return 0;
    return guard<plix_handle>(0, [&]() -> plix_handle {
        const DecodedCodec& c = *codec(self);
        const plix_imageinfo want{c.image->width(), c.image->height(), color_type, alpha_type, color_space};
        ImageInfo info;
        if (!toImageInfo(&want, &info) || !info.isValid()) return 0;
        sp<PixelStorage> storage = PixelStorage::Allocate(info.minRowBytes(), info.height);
        if (!storage || !convertTo(c, storage->addr(), info.minRowBytes(), color_type, alpha_type, color_space))
            return 0;
        void* addr = storage->addr();
        return to(Image::MakeWithStorage(info, std::move(storage), addr));
    });
}

bool plix_codec_get_pixels(plix_handle self, void* pixels, size_t row_bytes, int32_t color_type, int32_t alpha_type,
                           plix_handle color_space) {
    if (!self || !pixels) return false;
    return guard(false, [&] { return convertTo(*codec(self), pixels, row_bytes, color_type, alpha_type, color_space); });
}
