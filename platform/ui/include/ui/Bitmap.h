// Framework bitmaps. A TBitmap's pixels live in a handle made by the bitmap's canvas class
// (the default canvas class when the bitmap got its size), reached only through Map/Unmap.
// Assigning one bitmap to another shares the pixels until one of them is written: a write
// mapping or a scene on the bitmap's canvas first gives the written bitmap storage of its own.
// While written (a scene open on one of its canvases, or a write mapping held), a bitmap's
// storage is pinned: it is never shared (assigning from it copies) and never replaced (resizing
// or assigning into it raises EInvalidOperation), so the pixels a scene draws into stay valid
// for the whole scene.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ui/Classes.h"
#include "ui/PixelFormat.h"
#include "ui/Types.h"

namespace Ui {

class TCanvas;
class TCanvasClass;
class TBitmap;
class TBitmapSurface;
class TStream;

using THandle = uintptr_t;

enum class TMapAccess { Read, Write, ReadWrite };

class EBitmapLoadingFailed : public Exception {
public:
    using Exception::Exception;
};

class EBitmapSavingFailed : public Exception {
public:
    using Exception::Exception;
};

// A mapping of a bitmap's pixels: rows top-down, Pitch bytes apart.
struct TBitmapData {
    void* Data = nullptr;
    int Pitch = 0;  // bytes from one row to the next
    int Width = 0, Height = 0;
    TPixelFormat PixelFormat = TPixelFormat::None;

    uint8_t* GetScanline(int row) const { return static_cast<uint8_t*>(Data) + static_cast<ptrdiff_t>(row) * Pitch; }
    // The raw 32-bit value of a BGRA or RGBA pixel as 0xAARRGGBB; 0 for other formats or
    // positions outside the bitmap.
    TAlphaColor GetPixel(int x, int y) const;
    void SetPixel(int x, int y, TAlphaColor color);

private:
    friend class TBitmap;
    TBitmap* fBitmap = nullptr;  // the mapped bitmap while mapped
    TMapAccess fAccess = TMapAccess::Read;
};

class TBitmap : public TPersistent {
public:
    TBitmap();
    // pixelFormat None lets the canvas class choose (BGRA for the framework's own).
    TBitmap(int width, int height, TPixelFormat pixelFormat = TPixelFormat::None);
    ~TBitmap() override;
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    int Width() const;
    int Height() const;
    TPixelFormat PixelFormat() const;
    float BitmapScale() const { return fScale; }
    void SetBitmapScale(float scale);
    bool IsEmpty() const { return Width() == 0 || Height() == 0; }
    // Raises EArgumentOutOfRange for negative sizes or sides above MaxBitmapSide.
    void SetSize(int width, int height, TPixelFormat pixelFormat = TPixelFormat::None);

    bool HandleAllocated() const { return fImage != nullptr; }
    THandle Handle() const;
    // The canvas class that made the handle; nullptr for an empty bitmap.
    const TCanvasClass* CanvasClass() const;

    // Maps the pixels; False for an empty bitmap or when the handle cannot be mapped (or, for
    // writing, when shared pixels cannot be copied). Holds the bitmap's lock until Unmap, which
    // must come on the same thread.
    bool Map(TMapAccess access, TBitmapData& data);
    // Ends a mapping made by Map; data not mapped from this bitmap is ignored.
    void Unmap(TBitmapData& data);

    // The canvas that draws into this bitmap, made on first use with the bitmap's canvas class.
    TCanvas& Canvas();
    bool HasCanvas() const { return fCanvas != nullptr; }

    // Shares other's pixels (nothing is copied until one of them is written); copies them when
    // other is being written. Releases this bitmap's canvas; EInvalidOperation while this
    // bitmap is being written.
    void Assign(TPersistent* source) override;
    // Number of bitmaps sharing these pixels (0 when empty).
    long ImageRefCount() const { return fImage ? fImage.use_count() : 0; }
    // Makes the pixels this bitmap's own, copying them when they are shared. The canvas and its
    // open scenes stay. EInvalidOperation when the canvas class cannot make the copy.
    void CopyToNewReference();
    // True while a scene is open on a canvas of this bitmap or a write mapping is held.
    bool IsBeingWritten() const { return fWriters > 0; }

    // Copies pixels to and from a surface of the same pixel format handling.
    void AssignFromSurface(const TBitmapSurface& surface);
    void Clear(TAlphaColor color);

    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream, const std::string& extension = ".png");

    // Tells listeners that the pixels changed (after a write mapping or a scene).
    void BitmapChanged();
    TNotifyEvent OnChange;

protected:
    void AssignTo(TPersistent* dest) override;

private:
    friend class TCanvas;  // brackets its scenes with BeginWriting / EndWriting
    struct TImage;
    void ReleaseCanvas();
    // Raises EInvalidOperation while the storage is pinned by a writer.
    void CheckNotBeingWritten() const;
    // A new image of the same class and size holding a copy of image's pixels; nullptr when
    // the canvas class cannot make or map it.
    std::shared_ptr<TImage> CopyOf(const TImage& image) const;
    // Gives the bitmap unshared storage; False when the copy cannot be made.
    bool MakeStorageOwn();
    // Pins the storage (made unshared first) for a writer; False for an empty bitmap or when
    // the copy cannot be made.
    bool BeginWriting();
    void EndWriting();

    std::shared_ptr<TImage> fImage;
    std::unique_ptr<TCanvas> fCanvas;
    std::recursive_mutex fLock;
    float fScale = 1;
    std::atomic<int> fWriters = 0;  // open scenes of canvases on this bitmap plus held write mappings
};

// Plain memory pixels for codecs: rows top-down, Pitch bytes apart.
class TBitmapSurface {
public:
    void SetSize(int width, int height, TPixelFormat pixelFormat = TPixelFormat::BGRA);
    int Width() const { return fWidth; }
    int Height() const { return fHeight; }
    TPixelFormat PixelFormat() const { return fPixelFormat; }
    int Pitch() const { return fPitch; }
    uint8_t* Bits() { return fBits.data(); }
    const uint8_t* Bits() const { return fBits.data(); }
    uint8_t* Scanline(int row) { return fBits.data() + static_cast<size_t>(row) * static_cast<size_t>(fPitch); }
    // Raw 32-bit pixels of BGRA and RGBA surfaces, as in TBitmapData.
    TAlphaColor GetPixel(int x, int y) const;
    void SetPixel(int x, int y, TAlphaColor color);
    void Assign(TBitmap& bitmap);

private:
    int fWidth = 0, fHeight = 0, fPitch = 0;
    TPixelFormat fPixelFormat = TPixelFormat::None;
    std::vector<uint8_t> fBits;
};

// The largest side a bitmap may have, whatever its canvas class.
inline constexpr int MaxBitmapSide = 1 << 15;

}  // namespace Ui
