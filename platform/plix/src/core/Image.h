// Images: immutable, reference-counted blocks of pixels with their info. The pixels live in a
// PixelStorage that several images may share (subsets, surface snapshots); storage made over a
// caller's memory calls the caller's release procedure exactly once, when the last image that
// reads it goes away. Every image has a process-unique, non-zero id. Reading, scaling and
// converting pixels are in canvas/PixelConvert.h.
#pragma once

#include <cstdint>
#include <memory>

#include "core/ImageInfo.h"
#include "core/RefCnt.h"
#include "geometry/Rect.h"

namespace plix {

// Called once with the pixel address and the context when the pixels are no longer needed.
using RasterReleaseProc = void (*)(void* pixels, void* context);

// A block of pixel memory: owned (freed at the end) or borrowed (released through a procedure).
class PixelStorage final : public RefCnt {
public:
    // The largest block Allocate makes, in bytes.
    static constexpr size_t kMaxPixelBytes = size_t(1) << 31;
    // Zeroed memory for height rows of rowBytes; null when larger than kMaxPixelBytes or the
    // memory cannot be had.
    static sp<PixelStorage> Allocate(size_t rowBytes, int height);
    // Borrows memory; release (may be null) is called once from the destructor.
    static sp<PixelStorage> Borrow(void* addr, size_t rowBytes, RasterReleaseProc release, void* context);

    void* addr() const { return fAddr; }
    size_t rowBytes() const { return fRowBytes; }

    ~PixelStorage() override;

private:
    PixelStorage() = default;
    void* fAddr = nullptr;
    size_t fRowBytes = 0;
    bool fOwned = false;
    RasterReleaseProc fRelease = nullptr;
    void* fContext = nullptr;
};

class Image final : public RefCnt {
public:
    // A copy of the pixels; null when the pixmap is not a valid one.
    static sp<Image> MakeRasterCopy(const Pixmap& src);
    // Shares the caller's pixels. On success release (may be null) is called exactly once, when
    // the pixels are no longer needed; on failure (null result) it is never called.
    static sp<Image> MakeFromRaster(const Pixmap& src, RasterReleaseProc release, void* context);
    // The image reads info-sized pixels at addr of storage; null when they do not fit.
    static sp<Image> MakeWithStorage(const ImageInfo& info, sp<PixelStorage> storage, void* addr);

    const ImageInfo& info() const { return fPixmap.info(); }
    int width() const { return fPixmap.width(); }
    int height() const { return fPixmap.height(); }
    IRect bounds() const { return IRect::MakeWH(width(), height()); }
    ColorType colorType() const { return fPixmap.colorType(); }
    AlphaType alphaType() const { return fPixmap.alphaType(); }
    ColorSpace* colorSpace() const { return fPixmap.colorSpace(); }
    sp<ColorSpace> refColorSpace() const { return info().colorSpace; }
    bool isOpaque() const { return alphaType() == AlphaType::Opaque; }
    bool isAlphaOnly() const { return plix::isAlphaOnly(colorType()); }
    uint32_t uniqueID() const { return fID; }

    // The pixels, read-only by contract: an image never changes.
    const Pixmap& pixmap() const { return fPixmap; }
    const sp<PixelStorage>& storage() const { return fStorage; }

    // The part of the image inside subset, sharing the pixels (this image itself when subset is
    // the whole image); null when subset is empty or not inside the image.
    sp<Image> makeSubset(const IRect& subset) const;

private:
    Image(const Pixmap& pm, sp<PixelStorage> storage);
    Pixmap fPixmap;
    sp<PixelStorage> fStorage;
    uint32_t fID;
};

// A new process-unique id (never 0), shared by images and surfaces' generation counters.
uint32_t nextImageID();

}  // namespace plix
