// PNG through libpng's progressive reader, fed the whole file at once: rows come out as the data
// holds them, so a truncated file gives the rows before the cut, and a file whose header promises
// a huge picture costs only what its data really holds. libpng's errors long-jump back to the
// function that armed the jump, which holds no objects with destructors; everything the decode
// keeps lives in a PngRead owned by the caller.
#include <png.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "codec/Codec.h"
#include "codec/PngIcc.h"
#include "core/IccProfile.h"

namespace plix {

namespace {

// Deflate turns one byte into at most about 1032: more promised pixels than that cannot be there.
constexpr uint64_t kMaxDeflateRatio = 1032;

struct PngRead {
    size_t size = 0;  // of the whole file
    png_structp png = nullptr;
    png_infop info = nullptr;
    uint32_t width = 0, height = 0;
    bool sixteen = false;     // 16-bit samples, kept as they are (native byte order)
    bool alpha = false;       // the file has alpha or a transparent colour
    bool interlaced = false;
    bool tooLarge = false;    // past the budget, or more than the data can hold
    bool ended = false;       // libpng saw the end of the picture
    size_t rowBytes = 0;      // of a decoded row: RGBA, 8 or 16 bits a sample
    uint32_t rows = 0;        // rows decoded so far, from the top
    std::vector<uint8_t> pixels;
};

void onError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void onWarning(png_structp, png_const_charp) {}

// The header: transforms to RGBA (8 or 16 bits a sample) and the size checks.
void onInfo(png_structp png, png_infop info) {
    auto& r = *static_cast<PngRead*>(png_get_progressive_ptr(png));
    png_uint_32 w = 0, h = 0;
    int depth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(png, info, &w, &h, &depth, &colorType, &interlace, nullptr, nullptr);
    r.width = w;
    r.height = h;
    r.sixteen = depth == 16;
    r.interlaced = interlace != PNG_INTERLACE_NONE;
    const bool trns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    r.alpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0 || trns;
    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (trns) png_set_tRNS_to_alpha(png);
    if ((colorType & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
    if (!r.alpha) png_set_add_alpha(png, r.sixteen ? 0xFFFF : 0xFF, PNG_FILLER_AFTER);
    if (r.sixteen) png_set_swap(png);  // PNG is big-endian; the 16-bit colour type is native
    if (r.interlaced) png_set_interlace_handling(png);
    png_read_update_info(png, info);
    r.rowBytes = png_get_rowbytes(png, info);
    if (r.rowBytes != size_t(w) * (r.sixteen ? 8 : 4)) png_error(png, "unexpected row size");
    const uint64_t filtered = (uint64_t(r.rowBytes) + 1) * h;
    if (!decodableSize(w, h) || filtered / kMaxDeflateRatio > uint64_t(r.size) + 64) {
        r.tooLarge = true;
        png_error(png, "too large");
    }
    // Interlaced rows come in passes over the whole picture: it is allocated at once (bounded by
    // the data above) and is either complete or refused.
    if (r.interlaced) {
        try {
            r.pixels.assign(r.rowBytes * h, 0);
        } catch (const std::bad_alloc&) {
            png_error(png, "out of memory");
        }
    }
}

void onRow(png_structp png, png_bytep row, png_uint_32 y, int) {
    auto& r = *static_cast<PngRead*>(png_get_progressive_ptr(png));
    if (!row || y >= r.height) return;
    if (r.interlaced) {
        png_progressive_combine_row(png, r.pixels.data() + size_t(y) * r.rowBytes, row);
        return;
    }
    // The storage grows with the rows (libpng gives them in order, one call each).
    const size_t end = (size_t(y) + 1) * r.rowBytes;
    if (r.pixels.size() < end) {
        try {
            r.pixels.resize(std::min(r.rowBytes * r.height, std::max(end, r.pixels.size() * 2)));
        } catch (const std::bad_alloc&) {
            png_error(png, "out of memory");
        }
    }
    std::memcpy(r.pixels.data() + size_t(y) * r.rowBytes, row, r.rowBytes);
    r.rows = std::max(r.rows, y + 1);
}

void onEnd(png_structp png, png_infop) {
    auto& r = *static_cast<PngRead*>(png_get_progressive_ptr(png));
    r.ended = true;
    if (r.interlaced) r.rows = r.height;
}

// Feeds the file; false when libpng stopped on a fault (the rows before it are kept).
bool process(PngRead& r, const uint8_t* data, size_t size) {
    if (setjmp(png_jmpbuf(r.png))) return false;
    png_process_data(r.png, r.info, const_cast<png_bytep>(data), size);
    return true;
}

struct Reader {
    PngRead& r;
    ~Reader() { png_destroy_read_struct(&r.png, r.info ? &r.info : nullptr, nullptr); }
};

sp<Image> wideImage(const PngRead& r, bool opaque, const std::vector<uint8_t>& icc) {
    sp<ColorSpace> space = icc.empty() ? nullptr : colorSpaceFromIcc(icc.data(), icc.size());
    if (!space) space = ColorSpace::MakeSRGB();
    const ImageInfo info = ImageInfo::Make(int(r.width), int(r.height), ColorType::RGBA16161616,
                                           opaque ? AlphaType::Opaque : AlphaType::Unpremul, std::move(space));
    sp<PixelStorage> storage = PixelStorage::Allocate(info.minRowBytes(), int(r.height));
    if (!storage) return nullptr;
    std::memcpy(storage->addr(), r.pixels.data(), std::min(r.pixels.size(), info.minRowBytes() * r.height));
    void* addr = storage->addr();
    return Image::MakeWithStorage(info, std::move(storage), addr);
}

}  // namespace

DecodeResult readPng(const uint8_t* data, size_t size) {
    DecodeResult result;
    result.status = DecodeStatus::Damaged;
    if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0) return result;
    PngRead r;
    r.size = size;
    r.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
    if (!r.png) return result;
    Reader reader{r};
    r.info = png_create_info_struct(r.png);
    if (!r.info) return result;
    png_set_user_limits(r.png, uint32_t(ImageInfo::kMaxDimension), uint32_t(ImageInfo::kMaxDimension));
    png_set_progressive_read_fn(r.png, &r, onInfo, onRow, onEnd);
    process(r, data, size);
    if (r.tooLarge) {
        result.status = DecodeStatus::TooLarge;
        return result;
    }
    // Every row is there when libpng reached the end of the picture, or gave its last row.
    const bool complete = r.ended || (!r.interlaced && r.height > 0 && r.rows == r.height);
    if (r.rows == 0 || (r.interlaced && !complete)) return result;
    result.status = complete ? DecodeStatus::Ok : DecodeStatus::Incomplete;
    r.pixels.resize(r.rowBytes * r.height);  // rows never decoded stay transparent

    const bool opaque = !r.alpha && complete;
    const std::vector<uint8_t> icc = readPngIccProfile(data, size);
    std::vector<uint8_t> narrow;
    const uint8_t* rgba = r.pixels.data();
    if (r.sixteen) {
        result.wide = wideImage(r, opaque, icc);
        // 8-bit pictures keep the top byte of each sample, as the reference decoder does.
        narrow.resize(size_t(r.width) * 4 * r.height);
        const auto* samples = reinterpret_cast<const uint16_t*>(r.pixels.data());
        for (size_t i = 0; i < narrow.size(); ++i) narrow[i] = uint8_t(samples[i] >> 8);
        rgba = narrow.data();
    }
    result.image = imageFromRGBA(rgba, int(r.width), int(r.height), size_t(r.width) * 4, opaque, icc);
    if (!result.image) {
        result.wide = nullptr;
        result.status = DecodeStatus::TooLarge;
    }
    return result;
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
