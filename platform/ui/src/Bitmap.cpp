#include "ui/Bitmap.h"

#include <algorithm>
#include <cstring>

#include "Internal.h"
#include "ui/Canvas.h"
#include "ui/Codec.h"

namespace Ui {

namespace {

bool Is32Bit(TPixelFormat f) { return f == TPixelFormat::BGRA || f == TPixelFormat::RGBA; }

// RGBA memory holds R in the lowest byte; swap R and B to get 0xAARRGGBB.
uint32_t SwapRB(uint32_t c) { return (c & 0xFF00FF00u) | ((c >> 16) & 0xFFu) | ((c & 0xFFu) << 16); }

TAlphaColor ReadPixel(const uint8_t* row, int x, TPixelFormat f) {
    uint32_t c;
    std::memcpy(&c, row + static_cast<size_t>(x) * 4, 4);
    return f == TPixelFormat::RGBA ? SwapRB(c) : c;
}

void WritePixel(uint8_t* row, int x, TPixelFormat f, TAlphaColor color) {
    const uint32_t c = f == TPixelFormat::RGBA ? SwapRB(color) : color;
    std::memcpy(row + static_cast<size_t>(x) * 4, &c, 4);
}

}  // namespace

TAlphaColor TBitmapData::GetPixel(int x, int y) const {
    if (!Data || !Is32Bit(PixelFormat) || x < 0 || y < 0 || x >= Width || y >= Height) return 0;
    return ReadPixel(GetScanline(y), x, PixelFormat);
}

void TBitmapData::SetPixel(int x, int y, TAlphaColor color) {
    if (!Data || !Is32Bit(PixelFormat) || x < 0 || y < 0 || x >= Width || y >= Height) return;
    WritePixel(GetScanline(y), x, PixelFormat, color);
}

struct TBitmap::TImage {
    const TCanvasClass* CanvasClass;
    THandle Handle;
    int Width, Height;
    TPixelFormat PixelFormat;

    TImage(const TCanvasClass* canvasClass, THandle handle, int width, int height, TPixelFormat format)
        : CanvasClass(canvasClass), Handle(handle), Width(width), Height(height), PixelFormat(format) {}
    TImage(const TImage&) = delete;
    TImage& operator=(const TImage&) = delete;
    ~TImage() {
        if (Handle) CanvasClass->DoFinalizeBitmap(Handle);
    }
};

TBitmap::TBitmap() = default;
TBitmap::TBitmap(int width, int height, TPixelFormat pixelFormat) { SetSize(width, height, pixelFormat); }

TBitmap::~TBitmap() { ReleaseCanvas(); }

int TBitmap::Width() const { return fImage ? fImage->Width : 0; }
int TBitmap::Height() const { return fImage ? fImage->Height : 0; }
TPixelFormat TBitmap::PixelFormat() const { return fImage ? fImage->PixelFormat : TPixelFormat::None; }
THandle TBitmap::Handle() const { return fImage ? fImage->Handle : 0; }
const TCanvasClass* TBitmap::CanvasClass() const { return fImage ? fImage->CanvasClass : nullptr; }

void TBitmap::SetBitmapScale(float scale) {
    if (!(scale > 0) || !std::isfinite(scale))
        throw EArgumentOutOfRange("Bitmap scale must be a positive number");
    fScale = scale;
}

void TBitmap::SetSize(int width, int height, TPixelFormat pixelFormat) {
    if (width < 0 || height < 0 || width > MaxBitmapSide || height > MaxBitmapSide)
        throw EArgumentOutOfRange("Invalid bitmap size " + std::to_string(width) + " x " + std::to_string(height));
    if (!IsValidPixelFormat(pixelFormat)) throw EArgumentOutOfRange("Invalid pixel format");
    std::lock_guard guard(fLock);
    if (width == Width() && height == Height() &&
        (pixelFormat == TPixelFormat::None || pixelFormat == PixelFormat()))
        return;
    CheckNotBeingWritten();
    ReleaseCanvas();
    fImage.reset();
    if (width > 0 && height > 0) {
        const TCanvasClass& canvasClass = TCanvasManager::DefaultCanvas();
        TPixelFormat format = pixelFormat;
        const THandle handle = canvasClass.DoInitializeBitmap(width, height, fScale, format);
        if (!handle) throw EInvalidOperation("The canvas class could not make a bitmap");
        fImage = std::make_shared<TImage>(&canvasClass, handle, width, height, format);
    }
    BitmapChanged();
}

bool TBitmap::Map(TMapAccess access, TBitmapData& data) {
    fLock.lock();
    const bool write = access != TMapAccess::Read;
    bool pinned = false;
    try {
        if (!fImage || (write && !(pinned = BeginWriting()))) {
            fLock.unlock();
            return false;
        }
        data = TBitmapData();
        data.Width = fImage->Width;
        data.Height = fImage->Height;
        data.PixelFormat = fImage->PixelFormat;
        if (!fImage->CanvasClass->DoMapBitmap(fImage->Handle, access, data)) {
            if (pinned) EndWriting();
            fLock.unlock();
            return false;
        }
    } catch (...) {
        if (pinned) EndWriting();
        fLock.unlock();
        throw;
    }
    data.fBitmap = this;
    data.fAccess = access;
    return true;
}

void TBitmap::Unmap(TBitmapData& data) {
    if (data.fBitmap != this) return;
    const bool wrote = data.fAccess != TMapAccess::Read;
    // A write mapping pins the storage, so the mapped image is still the bitmap's; a read
    // mapping holds the lock, which keeps this thread's own writers out.
    if (fImage) fImage->CanvasClass->DoUnmapBitmap(fImage->Handle, data);
    data.fBitmap = nullptr;
    data.Data = nullptr;
    if (wrote) EndWriting();
    fLock.unlock();
    if (wrote) BitmapChanged();
}

TCanvas& TBitmap::Canvas() {
    if (!fCanvas) {
        if (!fImage) throw EInvalidOperation("An empty bitmap has no canvas");
        fCanvas.reset(fImage->CanvasClass->CreateFromBitmap(*this, TCanvasQuality::SystemDefault));
    }
    return *fCanvas;
}

void TBitmap::ReleaseCanvas() {
    if (!fCanvas) return;
    while (fCanvas->BeginSceneCount() > 0) fCanvas->EndScene();
    fCanvas.reset();
}

void TBitmap::Assign(TPersistent* source) {
    if (source == this) return;
    if (!source) {
        SetSize(0, 0);
        return;
    }
    auto* other = dynamic_cast<TBitmap*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    std::scoped_lock guard(fLock, other->fLock);
    CheckNotBeingWritten();
    // Storage being written is never shared: the scene writing it would reach this bitmap too.
    std::shared_ptr<TImage> image = other->fImage;
    if (image && other->IsBeingWritten()) {
        image = CopyOf(*image);
        if (!image) throw EInvalidOperation("The canvas class could not make a bitmap");
    }
    ReleaseCanvas();
    fImage = std::move(image);
    fScale = other->fScale;
    BitmapChanged();
}

void TBitmap::AssignTo(TPersistent* dest) {
    if (auto* other = dynamic_cast<TBitmap*>(dest)) {
        other->Assign(this);
        return;
    }
    TPersistent::AssignTo(dest);
}

void TBitmap::CopyToNewReference() {
    std::lock_guard guard(fLock);
    if (!MakeStorageOwn()) throw EInvalidOperation("The canvas class could not make a bitmap");
}

void TBitmap::CheckNotBeingWritten() const {
    if (IsBeingWritten())
        throw EInvalidOperation("A bitmap cannot be resized or reassigned while it is being drawn or mapped for writing");
}

std::shared_ptr<TBitmap::TImage> TBitmap::CopyOf(const TImage& image) const {
    const TCanvasClass* canvasClass = image.CanvasClass;
    TPixelFormat format = image.PixelFormat;
    const THandle handle = canvasClass->DoInitializeBitmap(image.Width, image.Height, fScale, format);
    if (!handle) return nullptr;
    auto copy = std::make_shared<TImage>(canvasClass, handle, image.Width, image.Height, format);
    if (format != image.PixelFormat) return nullptr;

    TBitmapData from, to;
    from.Width = to.Width = image.Width;
    from.Height = to.Height = image.Height;
    from.PixelFormat = to.PixelFormat = format;
    if (!canvasClass->DoMapBitmap(image.Handle, TMapAccess::Read, from)) return nullptr;
    const bool mapped = canvasClass->DoMapBitmap(copy->Handle, TMapAccess::Write, to);
    if (mapped) {
        const size_t rowBytes = std::min({static_cast<size_t>(image.Width) * static_cast<size_t>(PixelFormatBytes(format)),
                                          static_cast<size_t>(from.Pitch), static_cast<size_t>(to.Pitch)});
        for (int y = 0; y < image.Height; ++y) std::memcpy(to.GetScanline(y), from.GetScanline(y), rowBytes);
        canvasClass->DoUnmapBitmap(copy->Handle, to);
    }
    canvasClass->DoUnmapBitmap(image.Handle, from);
    return mapped ? copy : nullptr;
}

bool TBitmap::MakeStorageOwn() {
    if (!fImage || fImage.use_count() <= 1) return true;
    std::shared_ptr<TImage> copy = CopyOf(*fImage);
    if (!copy) return false;
    // The canvas stays: it reaches the pixels through this bitmap, never through the old image.
    fImage = std::move(copy);
    return true;
}

bool TBitmap::BeginWriting() {
    std::lock_guard guard(fLock);
    if (!fImage || !MakeStorageOwn()) return false;
    ++fWriters;
    return true;
}

void TBitmap::EndWriting() {
    std::lock_guard guard(fLock);
    if (fWriters > 0) --fWriters;
}

void TBitmap::AssignFromSurface(const TBitmapSurface& surface) {
    SetSize(surface.Width(), surface.Height(), surface.PixelFormat());
    TBitmapData data;
    if (!Map(TMapAccess::Write, data)) return;
    const size_t rowBytes = static_cast<size_t>(std::min(data.Pitch, surface.Pitch()));
    for (int y = 0; y < surface.Height(); ++y)
        std::memcpy(data.GetScanline(y), surface.Bits() + static_cast<size_t>(y) * static_cast<size_t>(surface.Pitch()),
                    rowBytes);
    Unmap(data);
}

void TBitmap::Clear(TAlphaColor color) {
    TBitmapData data;
    if (!Map(TMapAccess::Write, data)) return;
    const TAlphaColor premultiplied = Internal::Premultiply(color);
    for (int y = 0; y < data.Height; ++y) {
        if (Is32Bit(data.PixelFormat))
            for (int x = 0; x < data.Width; ++x) data.SetPixel(x, y, premultiplied);
        else
            std::memset(data.GetScanline(y), 0, static_cast<size_t>(data.Pitch));
    }
    Unmap(data);
}

void TBitmap::LoadFromFile(const std::string& fileName) {
    TBitmapSurface surface;
    if (!TBitmapCodecManager::LoadFromFile(fileName, surface))
        throw EBitmapLoadingFailed("Loading bitmap failed (" + fileName + ")");
    AssignFromSurface(surface);
}

void TBitmap::SaveToFile(const std::string& fileName) {
    TBitmapSurface surface;
    surface.Assign(*this);
    if (!TBitmapCodecManager::SaveToFile(fileName, surface))
        throw EBitmapSavingFailed("Saving bitmap failed (" + fileName + ")");
}

void TBitmap::LoadFromStream(TStream& stream) {
    TBitmapSurface surface;
    if (!TBitmapCodecManager::LoadFromStream(stream, surface))
        throw EBitmapLoadingFailed("Loading bitmap failed (stream)");
    AssignFromSurface(surface);
}

void TBitmap::SaveToStream(TStream& stream, const std::string& extension) {
    TBitmapSurface surface;
    surface.Assign(*this);
    if (!TBitmapCodecManager::SaveToStream(stream, surface, extension))
        throw EBitmapSavingFailed("Saving bitmap failed (" + extension + ")");
}

void TBitmap::BitmapChanged() {
    if (OnChange) OnChange(this);
}

void TBitmapSurface::SetSize(int width, int height, TPixelFormat pixelFormat) {
    if (width < 0 || height < 0 || width > MaxBitmapSide || height > MaxBitmapSide)
        throw EArgumentOutOfRange("Invalid bitmap size " + std::to_string(width) + " x " + std::to_string(height));
    if (pixelFormat == TPixelFormat::None || !IsValidPixelFormat(pixelFormat)) pixelFormat = TPixelFormat::BGRA;
    fWidth = width;
    fHeight = height;
    fPixelFormat = pixelFormat;
    fPitch = width * PixelFormatBytes(pixelFormat);
    fBits.assign(static_cast<size_t>(fPitch) * static_cast<size_t>(height), 0);
}

TAlphaColor TBitmapSurface::GetPixel(int x, int y) const {
    if (!Is32Bit(fPixelFormat) || x < 0 || y < 0 || x >= fWidth || y >= fHeight) return 0;
    return ReadPixel(fBits.data() + static_cast<size_t>(y) * static_cast<size_t>(fPitch), x, fPixelFormat);
}

void TBitmapSurface::SetPixel(int x, int y, TAlphaColor color) {
    if (!Is32Bit(fPixelFormat) || x < 0 || y < 0 || x >= fWidth || y >= fHeight) return;
    WritePixel(Scanline(y), x, fPixelFormat, color);
}

void TBitmapSurface::Assign(TBitmap& bitmap) {
    SetSize(bitmap.Width(), bitmap.Height(), bitmap.PixelFormat());
    TBitmapData data;
    if (!bitmap.Map(TMapAccess::Read, data)) return;
    const size_t rowBytes = static_cast<size_t>(std::min(data.Pitch, fPitch));
    for (int y = 0; y < fHeight; ++y) std::memcpy(Scanline(y), data.GetScanline(y), rowBytes);
    bitmap.Unmap(data);
}

}  // namespace Ui
