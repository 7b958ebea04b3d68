// Still images in and out of encoded form: PNG (libpng), JPEG (libjpeg-turbo) and WebP
// (libwebp; the first frame of an animation). Decoding takes the whole encoded block, checks
// every size against the decode budget before allocating, and never crashes on bad data. A
// truncated PNG or baseline JPEG gives the rows it held, the rest transparent; other faults give
// null, and the decoder keeps why (DecodeStatus). Decoded images are 32-bit premultiplied
// (opaque when the file has no alpha) and tagged with the colour space of the file's embedded
// ICC profile, or sRGB when it has none or one that is damaged or unusable; a 16-bit PNG keeps
// the top byte of each sample there, and its 16 bits beside it for wider destinations. Images of
// another space than sRGB are written in their own space with its profile embedded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/Image.h"
#include "core/Stream.h"

namespace plix {

enum class EncodedFormat : int32_t { BMP, GIF, ICO, JPEG, PNG, WBMP, WEBP, PKM, KTX, ASTC, DNG, HEIF, AVIF };

// The largest encoded input read from a file or stream, in bytes.
constexpr size_t kMaxEncodedBytes = size_t(1) << 30;

// The format by its signature; false when it is none this module decodes.
bool sniffFormat(const uint8_t* data, size_t size, EncodedFormat* format);

// Why a decode gave what it gave. The C API reports only success or failure; the reason is kept
// for diagnostics.
enum class DecodeStatus : int32_t {
    Ok,             // the whole picture
    Incomplete,     // truncated or damaged part way: the rows before the fault, the rest transparent
    UnknownFormat,  // no format this module decodes
    Damaged,        // truncated or damaged before any row
    TooLarge,       // past the decode budget, or more than the data could hold
};
const char* decodeStatusName(DecodeStatus status);

// The status of the last decode on this thread.
DecodeStatus lastDecodeStatus();

// The decode budget: the most pixels a decoded picture may have (2^28 unless set). Returns the
// previous limit. Process-wide.
uint64_t setDecodePixelLimit(uint64_t pixels);
uint64_t decodePixelLimit();

struct DecodeResult {
    sp<Image> image;  // premultiplied 8 bits a channel; null when refused
    sp<Image> wide;   // RGBA16161616 unpremultiplied, when the file has 16-bit samples; else null
    DecodeStatus status = DecodeStatus::Ok;
};

// Sniffs and decodes; records the status as lastDecodeStatus.
DecodeResult decodeEncoded(const uint8_t* data, size_t size);

sp<Image> decodeImage(const uint8_t* data, size_t size);
// Reads the stream from its position to the end (at most kMaxEncodedBytes).
sp<Image> decodeImage(ReadStream& stream);
sp<Image> decodeImageFile(const char* path);

// Writes pixmap encoded as PNG, JPEG or WebP; quality 0..100 (JPEG and lossy WebP; WebP at 100
// is lossless). False for other formats and for pixmaps that cannot be read.
bool encodeImage(WriteStream& out, const Pixmap& pixmap, EncodedFormat format, int quality);
bool encodeImageFile(const char* path, const Pixmap& pixmap, EncodedFormat format, int quality);

// Per-format halves. The sp<Image> forms record the status as lastDecodeStatus.
DecodeResult readPng(const uint8_t* data, size_t size);
DecodeResult readJpeg(const uint8_t* data, size_t size);
DecodeResult readWebp(const uint8_t* data, size_t size);
sp<Image> decodePng(const uint8_t* data, size_t size);
sp<Image> decodeJpeg(const uint8_t* data, size_t size);
sp<Image> decodeWebp(const uint8_t* data, size_t size);
bool encodePng(std::vector<uint8_t>& out, const Pixmap& pixmap);
bool encodeJpeg(std::vector<uint8_t>& out, const Pixmap& pixmap, int quality);
bool encodeWebp(std::vector<uint8_t>& out, const Pixmap& pixmap, int quality);

// Pixel dimensions a decoder accepts: both positive, within the decode budget, and the 32-bit
// result within the largest pixel block an image may have.
bool decodableSize(uint64_t width, uint64_t height);
// A premultiplied BGRA8888 image (opaque when opaque) from unpremultiplied RGBA8888 rows,
// tagged with the space of the embedded profile icc (sRGB when there is none or it is unusable).
sp<Image> imageFromRGBA(const uint8_t* rgba, int width, int height, size_t rowBytes, bool opaque,
                        const std::vector<uint8_t>& icc = {});
// The pixmap as unpremultiplied RGBA8888 (premultiplied when premul) in sRGB, or, when icc is
// given and the pixmap's space is another, in that space with its profile in icc (else empty).
bool toRGBA(const Pixmap& src, bool premul, std::vector<uint8_t>& out, std::vector<uint8_t>* icc = nullptr);

}  // namespace plix
