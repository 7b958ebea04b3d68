#include "canvas/Surface.h"

#include <cmath>
#include <cstring>

#include "canvas/PixelConvert.h"
#include "raster/PixelFormats.h"

namespace plix {

namespace {

bool drawable(const ImageInfo& info, size_t rowBytes) {
    return info.isValid() && info.validRowBytes(rowBytes) && loadFn(info.colorType) && storeFn(info.colorType);
}

}  // namespace

Surface::Surface(const Pixmap& pm, sp<PixelStorage> storage, bool canMove, const SurfaceProps& props)
    : fPixmap(pm), fStorage(std::move(storage)), fCanMove(canMove), fProps(props),
      fCanvas(std::make_unique<Canvas>(pm, props)) {
    if (fCanMove) fCanvas->setBeforeBaseWrite([this] { beforeWrite(); });
}

Surface::~Surface() = default;

sp<Surface> Surface::MakeRaster(const ImageInfo& info, size_t rowBytes, const SurfaceProps* props) {
    if (rowBytes == 0) rowBytes = info.minRowBytes();
    if (!drawable(info, rowBytes)) return nullptr;
    sp<PixelStorage> storage = PixelStorage::Allocate(rowBytes, info.height);
    if (!storage) return nullptr;
    const Pixmap pm(info, storage->addr(), rowBytes);
    return sp<Surface>(new Surface(pm, std::move(storage), true, props ? *props : SurfaceProps()));
}

sp<Surface> Surface::MakeRasterDirect(const Pixmap& pixels, RasterReleaseProc release, void* context,
                                      const SurfaceProps* props) {
    if (!pixels.addr() || !drawable(pixels.info(), pixels.rowBytes())) return nullptr;
    if (pixels.info().computeByteSize(pixels.rowBytes()) == SIZE_MAX) return nullptr;
    sp<Surface> s(new Surface(pixels, nullptr, false, props ? *props : SurfaceProps()));
    // Only now that nothing can fail does the storage take charge of the release.
    s->fStorage = PixelStorage::Borrow(pixels.addr(), pixels.rowBytes(), release, context);
    return s;
}

void Surface::beforeWrite() {
    // A snapshot still reads the pixels: draw on into a copy.
    if (fStorage->unique()) return;
    sp<PixelStorage> copy = PixelStorage::Allocate(fPixmap.rowBytes(), fPixmap.height());
    if (!copy) return;  // no memory: the snapshot will see the change
    std::memcpy(copy->addr(), fStorage->addr(), fPixmap.rowBytes() * size_t(fPixmap.height()));
    fStorage = std::move(copy);
    fPixmap = Pixmap(fPixmap.info(), fStorage->addr(), fPixmap.rowBytes());
    fCanvas->setBasePixels(fStorage->addr());
}

sp<Image> Surface::makeImageSnapshot() { return makeImageSnapshot(IRect::MakeWH(width(), height())); }

sp<Image> Surface::makeImageSnapshot(const IRect& bounds) {
    IRect b = bounds;
    if (!b.intersect(IRect::MakeWH(width(), height()))) return nullptr;
    Pixmap part;
    if (!fPixmap.extractSubset(&part, b.left, b.top, b.right, b.bottom)) return nullptr;
    // Unpremultiplied surfaces still hold what they hold; the image says so.
    if (!fCanMove) return Image::MakeRasterCopy(part);
    return Image::MakeWithStorage(part.info(), fStorage, part.addr());
}

bool Surface::readPixels(const Pixmap& dst, int srcX, int srcY) const {
    return readPixelsAt(fPixmap, dst, srcX, srcY);
}

void Surface::draw(Canvas* canvas, float x, float y, const SamplingOptions& sampling, const Paint* paint) {
    if (!canvas) return;
    sp<Image> snapshot = makeImageSnapshot();
    if (snapshot) canvas->drawImage(*snapshot, x, y, sampling, paint);
}

}  // namespace plix
