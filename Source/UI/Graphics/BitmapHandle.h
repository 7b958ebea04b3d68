// Framework bitmaps drawn by the Skia canvases keep their pixels in a TSkBitmapHandle: a plain
// CPU buffer, rows top-down without gaps, that the framework maps in place, that a bitmap scene
// draws into directly, and that can carry a Skia image of its content for window canvases (a
// texture image on the GPU canvas).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "Skia/Enums.h"
#include "Skia/Image.h"
#include "ui/PixelFormat.h"

namespace Skia::UI {

// The Skia colour type of a framework pixel format; Unknown for formats Skia cannot lay an image
// or surface over (and for values outside the enumeration). Pixels are premultiplied.
TSkColorType PixelFormatToColorType(Ui::TPixelFormat APixelFormat);

class TSkBitmapHandle {
public:
    // Stores the size and format; allocates nothing.
    TSkBitmapHandle(int AWidth, int AHeight, Ui::TPixelFormat APixelFormat);
    virtual ~TSkBitmapHandle();
    TSkBitmapHandle(const TSkBitmapHandle&) = delete;
    TSkBitmapHandle& operator=(const TSkBitmapHandle&) = delete;

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    Ui::TPixelFormat PixelFormat() const { return FPixelFormat; }
    // Bytes per row: the format's bytes per pixel times the width.
    size_t RowBytes() const;
    size_t ByteSize() const { return RowBytes() * static_cast<size_t>(FHeight > 0 ? FHeight : 0); }

    // The pixel buffer; nil until allocated.
    void* Pixels() const { return FPixels.get(); }
    // Allocates the zero-filled buffer once; false when the memory cannot be had.
    bool AllocatePixels();

    // The image kept for drawing; nil when none. Dropped whenever the pixels may change.
    const Ref<ISkImage>& Cache() const { return FCache; }
    void SetCache(Ref<ISkImage> AValue) { FCache = std::move(AValue); }

private:
    std::unique_ptr<uint8_t[]> FPixels;  // declared before the cache: the cache goes first
    Ref<ISkImage> FCache;
    int FWidth;
    int FHeight;
    Ui::TPixelFormat FPixelFormat;
};

}  // namespace Skia::UI
