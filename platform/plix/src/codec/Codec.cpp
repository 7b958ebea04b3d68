#include "codec/Codec.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>

#include "canvas/PixelConvert.h"
#include "core/IccProfile.h"

namespace plix {

bool sniffFormat(const uint8_t* data, size_t size, EncodedFormat* format) {
    if (!data) return false;
    static const uint8_t png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (size >= 8 && std::memcmp(data, png, 8) == 0) return *format = EncodedFormat::PNG, true;
    if (size >= 3 && data[0] == 0xff && data[1] == 0xd8 && data[2] == 0xff) return *format = EncodedFormat::JPEG, true;
    if (size >= 12 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WEBP", 4) == 0)
        return *format = EncodedFormat::WEBP, true;
    return false;
}

namespace {

std::atomic<uint64_t> gDecodePixelLimit{uint64_t(1) << 28};
thread_local DecodeStatus tLastDecodeStatus = DecodeStatus::Ok;

}  // namespace

const char* decodeStatusName(DecodeStatus status) {
    switch (status) {
        case DecodeStatus::Ok: return "decoded";
        case DecodeStatus::Incomplete: return "truncated or damaged part way (the rows before the fault)";
        case DecodeStatus::UnknownFormat: return "unknown format";
        case DecodeStatus::Damaged: return "truncated or damaged";
        case DecodeStatus::TooLarge: return "too large";
    }
    return "unknown status";
}

DecodeStatus lastDecodeStatus() { return tLastDecodeStatus; }

uint64_t setDecodePixelLimit(uint64_t pixels) { return gDecodePixelLimit.exchange(pixels); }
uint64_t decodePixelLimit() { return gDecodePixelLimit.load(); }

bool decodableSize(uint64_t width, uint64_t height) {
    if (width == 0 || height == 0 || width > uint64_t(ImageInfo::kMaxDimension) ||
        height > uint64_t(ImageInfo::kMaxDimension))
        return false;
    return width * height <= decodePixelLimit() && width * height * 4 <= PixelStorage::kMaxPixelBytes;
}

sp<Image> imageFromRGBA(const uint8_t* rgba, int width, int height, size_t rowBytes, bool opaque,
                        const std::vector<uint8_t>& icc) {
    sp<ColorSpace> space = icc.empty() ? nullptr : colorSpaceFromIcc(icc.data(), icc.size());
    if (!space) space = ColorSpace::MakeSRGB();
    const ImageInfo info = ImageInfo::Make(width, height, ColorType::BGRA8888,
                                           opaque ? AlphaType::Opaque : AlphaType::Premul, std::move(space));
    sp<PixelStorage> storage = PixelStorage::Allocate(info.minRowBytes(), height);
    if (!storage) return nullptr;
    const Pixmap src(info.makeColorType(ColorType::RGBA8888).makeAlphaType(opaque ? AlphaType::Opaque : AlphaType::Unpremul),
                     const_cast<uint8_t*>(rgba), rowBytes);
    void* addr = storage->addr();
    if (!convertPixels(Pixmap(info, addr, info.minRowBytes()), src)) return nullptr;
    return Image::MakeWithStorage(info, std::move(storage), addr);
}

bool toRGBA(const Pixmap& src, bool premul, std::vector<uint8_t>& out, std::vector<uint8_t>* icc) {
    if (!src.valid()) return false;
    sp<ColorSpace> space = src.colorSpace() ? ColorSpace::MakeSRGB() : nullptr;
    if (icc) {
        icc->clear();
        // A space without a profile (one no profile can describe) is written as sRGB.
        if (src.colorSpace() && !src.colorSpace()->isSRGB()) {
            *icc = iccFromColorSpace(*src.colorSpace());
            if (!icc->empty()) space = sp_ref(src.colorSpace());
        }
    }
    const ImageInfo info = ImageInfo::Make(src.width(), src.height(), ColorType::RGBA8888,
                                           premul ? AlphaType::Premul : AlphaType::Unpremul, std::move(space));
    const size_t size = info.computeMinByteSize();
    if (size == SIZE_MAX || size > PixelStorage::kMaxPixelBytes) return false;
    out.assign(size, 0);
    return convertPixels(Pixmap(info, out.data(), info.minRowBytes()), src);
}

DecodeResult decodeEncoded(const uint8_t* data, size_t size) {
    EncodedFormat f;
    DecodeResult result;
    if (!sniffFormat(data, size, &f)) {
        result.status = DecodeStatus::UnknownFormat;
    } else {
        switch (f) {
            case EncodedFormat::PNG: result = readPng(data, size); break;
            case EncodedFormat::JPEG: result = readJpeg(data, size); break;
            case EncodedFormat::WEBP: result = readWebp(data, size); break;
            default: result.status = DecodeStatus::UnknownFormat; break;
        }
    }
    tLastDecodeStatus = result.status;
    return result;
}

sp<Image> decodeImage(const uint8_t* data, size_t size) { return decodeEncoded(data, size).image; }

namespace {

sp<Image> recorded(DecodeResult result) {
    tLastDecodeStatus = result.status;
    return std::move(result.image);
}

}  // namespace

sp<Image> decodePng(const uint8_t* data, size_t size) { return recorded(readPng(data, size)); }
sp<Image> decodeJpeg(const uint8_t* data, size_t size) { return recorded(readJpeg(data, size)); }
sp<Image> decodeWebp(const uint8_t* data, size_t size) { return recorded(readWebp(data, size)); }

sp<Image> decodeImage(ReadStream& stream) {
    // Read in pieces until the stream gives no more, rather than trusting its length.
    std::vector<uint8_t> bytes;
    size_t got = 0;
    for (;;) {
        if (got == bytes.size()) {
            if (bytes.size() >= kMaxEncodedBytes) return tLastDecodeStatus = DecodeStatus::TooLarge, nullptr;
            bytes.resize(std::min(kMaxEncodedBytes, std::max<size_t>(bytes.size() * 2, 1 << 16)));
        }
        const size_t n = stream.read(bytes.data() + got, bytes.size() - got);
        if (n == 0) break;
        got += n;
    }
    bytes.resize(got);
    return decodeImage(bytes.data(), bytes.size());
}

sp<Image> decodeImageFile(const char* path) {
    if (!path || !*path) return nullptr;
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path, "rb"), &std::fclose);
    if (!f) return nullptr;
    std::vector<uint8_t> bytes;
    uint8_t buf[1 << 16];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0) {
        if (bytes.size() + n > kMaxEncodedBytes) return tLastDecodeStatus = DecodeStatus::TooLarge, nullptr;
        bytes.insert(bytes.end(), buf, buf + n);
    }
    return decodeImage(bytes.data(), bytes.size());
}

bool encodeImage(WriteStream& out, const Pixmap& pixmap, EncodedFormat format, int quality) {
    std::vector<uint8_t> bytes;
    const int q = quality < 0 ? 0 : quality > 100 ? 100 : quality;
    bool ok = false;
    switch (format) {
        case EncodedFormat::PNG: ok = encodePng(bytes, pixmap); break;
        case EncodedFormat::JPEG: ok = encodeJpeg(bytes, pixmap, q); break;
        case EncodedFormat::WEBP: ok = encodeWebp(bytes, pixmap, q); break;
        default: return false;
    }
    return ok && out.write(bytes.data(), bytes.size());
}

bool encodeImageFile(const char* path, const Pixmap& pixmap, EncodedFormat format, int quality) {
    if (!path || !*path) return false;
    VectorWriteStream mem;
    if (!encodeImage(mem, pixmap, format, quality)) return false;
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path, "wb"), &std::fclose);
    if (!f) return false;
    const bool wrote = std::fwrite(mem.bytes().data(), 1, mem.bytes().size(), f.get()) == mem.bytes().size();
    return std::fclose(f.release()) == 0 && wrote;
}

}  // namespace plix
