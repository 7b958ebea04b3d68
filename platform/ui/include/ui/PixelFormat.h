// Pixel formats of framework bitmaps, in the framework's order, with their sizes.
#pragma once

#include <cstdint>
#include <string_view>

namespace Ui {

enum class TPixelFormat {
    None, RGB, RGBA, BGR, BGRA, RGBA16, BGR_565, BGRA4, BGR4, BGR5_A1, BGR5, BGR10_A2, RGB10_A2,
    L, LA, LA4, L16, A, R16F, RG16F, RGBA16F, R32F, RG32F, RGBA32F
};

struct TPixelFormatInfo {
    TPixelFormat Format;
    std::string_view Name;
    int BytesPerPixel;
};

// One row per format, in enumeration order.
inline constexpr TPixelFormatInfo PixelFormatTable[] = {
    {TPixelFormat::None, "None", 0},        {TPixelFormat::RGB, "RGB", 4},
    {TPixelFormat::RGBA, "RGBA", 4},        {TPixelFormat::BGR, "BGR", 4},
    {TPixelFormat::BGRA, "BGRA", 4},        {TPixelFormat::RGBA16, "RGBA16", 8},
    {TPixelFormat::BGR_565, "BGR_565", 2},  {TPixelFormat::BGRA4, "BGRA4", 2},
    {TPixelFormat::BGR4, "BGR4", 2},        {TPixelFormat::BGR5_A1, "BGR5_A1", 2},
    {TPixelFormat::BGR5, "BGR5", 2},        {TPixelFormat::BGR10_A2, "BGR10_A2", 4},
    {TPixelFormat::RGB10_A2, "RGB10_A2", 4}, {TPixelFormat::L, "L", 1},
    {TPixelFormat::LA, "LA", 2},            {TPixelFormat::LA4, "LA4", 1},
    {TPixelFormat::L16, "L16", 2},          {TPixelFormat::A, "A", 1},
    {TPixelFormat::R16F, "R16F", 2},        {TPixelFormat::RG16F, "RG16F", 4},
    {TPixelFormat::RGBA16F, "RGBA16F", 8},  {TPixelFormat::R32F, "R32F", 4},
    {TPixelFormat::RG32F, "RG32F", 8},      {TPixelFormat::RGBA32F, "RGBA32F", 16},
};

constexpr bool IsValidPixelFormat(TPixelFormat f) {
    const auto i = static_cast<int>(f);
    return i >= 0 && i < static_cast<int>(std::size(PixelFormatTable));
}
// 0 for None and for values outside the enumeration.
constexpr int PixelFormatBytes(TPixelFormat f) {
    return IsValidPixelFormat(f) ? PixelFormatTable[static_cast<int>(f)].BytesPerPixel : 0;
}

static_assert([] {
    for (int i = 0; i < static_cast<int>(std::size(PixelFormatTable)); ++i)
        if (static_cast<int>(PixelFormatTable[i].Format) != i) return false;
    return true;
}(), "the pixel format table is in enumeration order");

}  // namespace Ui
