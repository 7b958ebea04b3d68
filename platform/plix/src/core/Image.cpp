#include "core/Image.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>


namespace plix {

uint32_t nextImageID() {
    static std::atomic<uint32_t> next{1};
    uint32_t id;
    do id = next.fetch_add(1, std::memory_order_relaxed);
    while (id == 0);  // skips 0 after wrapping around
    return id;
}

sp<PixelStorage> PixelStorage::Allocate(size_t rowBytes, int height) {
    if (height <= 0 || rowBytes == 0 || size_t(height) > kMaxPixelBytes / rowBytes) return nullptr;
    // calloc: zeroed pages come from the system untouched.
    void* mem = std::calloc(size_t(height), rowBytes);
    if (!mem) return nullptr;
    sp<PixelStorage> s;
    try {
        s.reset(new PixelStorage());
    } catch (...) {
        std::free(mem);
        throw;
    }
    s->fAddr = mem;
    s->fRowBytes = rowBytes;
    s->fOwned = true;
    return s;
}

sp<PixelStorage> PixelStorage::Borrow(void* addr, size_t rowBytes, RasterReleaseProc release, void* context) {
    sp<PixelStorage> s(new PixelStorage());
    s->fAddr = addr;
    s->fRowBytes = rowBytes;
    s->fRelease = release;
    s->fContext = context;
    return s;
}

PixelStorage::~PixelStorage() {
    if (fOwned) std::free(fAddr);
    if (fRelease) fRelease(fAddr, fContext);
}

Image::Image(const Pixmap& pm, sp<PixelStorage> storage)
    : fPixmap(pm), fStorage(std::move(storage)), fID(nextImageID()) {}

sp<Image> Image::MakeWithStorage(const ImageInfo& info, sp<PixelStorage> storage, void* addr) {
    if (!storage) return nullptr;
    Pixmap pm;
    if (!pm.reset(info, addr, storage->rowBytes())) return nullptr;
    return sp<Image>(new Image(pm, std::move(storage)));
}

sp<Image> Image::MakeRasterCopy(const Pixmap& src) {
    Pixmap check;
    if (!check.reset(src.info(), src.addr(), src.rowBytes())) return nullptr;
    const size_t rowBytes = src.info().minRowBytes();
    sp<PixelStorage> storage = PixelStorage::Allocate(rowBytes, src.height());
    if (!storage) return nullptr;
    for (int y = 0; y < src.height(); ++y)
        std::memcpy(static_cast<char*>(storage->addr()) + size_t(y) * rowBytes, src.addr(0, y), rowBytes);
    void* addr = storage->addr();
    return MakeWithStorage(src.info(), std::move(storage), addr);
}

sp<Image> Image::MakeFromRaster(const Pixmap& src, RasterReleaseProc release, void* context) {
    Pixmap check;
    if (!check.reset(src.info(), src.addr(), src.rowBytes())) return nullptr;
    sp<Image> image(new Image(check, nullptr));
    // Only now that nothing can fail does the storage take charge of the release.
    image->fStorage = PixelStorage::Borrow(src.addr(), src.rowBytes(), release, context);
    return image;
}

sp<Image> Image::makeSubset(const IRect& subset) const {
    if (subset.isEmpty() || !bounds().contains(subset)) return nullptr;
    if (subset == bounds()) return sp_ref(const_cast<Image*>(this));
    Pixmap sub;
    if (!fPixmap.extractSubset(&sub, subset.left, subset.top, subset.right, subset.bottom)) return nullptr;
    return sp<Image>(new Image(sub, fStorage));
}

}  // namespace plix
