#include "UI/Graphics/BitmapHandle.h"

#include <new>

namespace Skia::UI {

namespace {

using Ui::TPixelFormat;

constexpr TSkColorType ColorTypes[] = {
    TSkColorType::Unknown,       // None
    TSkColorType::Unknown,       // RGB
    TSkColorType::RGBA8888,      // RGBA
    TSkColorType::Unknown,       // BGR
    TSkColorType::BGRA8888,      // BGRA
    TSkColorType::RGBA16161616,  // RGBA16
    TSkColorType::RGB565,        // BGR_565
    TSkColorType::ARGB4444,      // BGRA4
    TSkColorType::Unknown,       // BGR4
    TSkColorType::Unknown,       // BGR5_A1
    TSkColorType::Unknown,       // BGR5
    TSkColorType::BGRA1010102,   // BGR10_A2
    TSkColorType::RGBA1010102,   // RGB10_A2
    TSkColorType::Gray8,         // L
    TSkColorType::Unknown,       // LA
    TSkColorType::Unknown,       // LA4
    TSkColorType::Unknown,       // L16
    TSkColorType::Alpha8,        // A
    TSkColorType::AlphaF16,      // R16F
    TSkColorType::RGF16,         // RG16F
    TSkColorType::RGBAF16,       // RGBA16F
    TSkColorType::Unknown,       // R32F
    TSkColorType::Unknown,       // RG32F
    TSkColorType::RGBAF32,       // RGBA32F
};
static_assert(std::size(ColorTypes) == std::size(Ui::PixelFormatTable), "one colour type per pixel format");

}  // namespace

TSkColorType PixelFormatToColorType(TPixelFormat APixelFormat) {
    return Ui::IsValidPixelFormat(APixelFormat) ? ColorTypes[static_cast<int>(APixelFormat)] : TSkColorType::Unknown;
}

TSkBitmapHandle::TSkBitmapHandle(int AWidth, int AHeight, TPixelFormat APixelFormat)
    : FWidth(AWidth), FHeight(AHeight), FPixelFormat(APixelFormat) {}

TSkBitmapHandle::~TSkBitmapHandle() = default;

size_t TSkBitmapHandle::RowBytes() const {
    return static_cast<size_t>(Ui::PixelFormatBytes(FPixelFormat)) * static_cast<size_t>(FWidth > 0 ? FWidth : 0);
}

bool TSkBitmapHandle::AllocatePixels() {
    if (FPixels) return true;
    const size_t size = ByteSize();
    if (size == 0) return false;
    FPixels.reset(new (std::nothrow) uint8_t[size]());
    return FPixels != nullptr;
}

}  // namespace Skia::UI
