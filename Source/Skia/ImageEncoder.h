// Still-image encoding of pixels held by a pixmap (or given as image info, address and row
// bytes), into bytes, a file or a stream; quality 0..100. Saving to a file by its name picks the
// format from the extension: ".jpg" and ".jpeg" JPEG, ".webp" WebP, ".png" PNG.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Skia/Enums.h"
#include "Skia/ImageInfo.h"
#include "Skia/Pixmap.h"
#include "ui/Stream.h"

namespace Skia {

class TSkImageEncoder {
public:
    // The format a file name's extension asks for (case-insensitive); ESkArgumentException
    // "Invalid extension" for any other extension, none at all, or an empty name.
    static TSkEncodedImageFormat FormatFromFileName(const std::string& AFileName);

    // The encoded bytes; empty when encoding fails.
    static std::vector<uint8_t> Encode(const Ref<ISkPixmap>& ASrc,
                                       TSkEncodedImageFormat AEncodedImageFormat = TSkEncodedImageFormat::PNG,
                                       int32_t AQuality = 80);
    static std::vector<uint8_t> Encode(const TSkImageInfo& ASrcImageInfo, const void* ASrcPixels, size_t ASrcRowBytes,
                                       TSkEncodedImageFormat AEncodedImageFormat = TSkEncodedImageFormat::PNG,
                                       int32_t AQuality = 80);
    static bool EncodeToFile(const std::string& AFileName, const Ref<ISkPixmap>& ASrc, int32_t AQuality = 80);
    static bool EncodeToFile(const std::string& AFileName, const Ref<ISkPixmap>& ASrc,
                             TSkEncodedImageFormat AEncodedImageFormat, int32_t AQuality = 80);
    static bool EncodeToFile(const std::string& AFileName, const TSkImageInfo& ASrcImageInfo, const void* ASrcPixels,
                             size_t ASrcRowBytes, int32_t AQuality = 80);
    static bool EncodeToFile(const std::string& AFileName, const TSkImageInfo& ASrcImageInfo, const void* ASrcPixels,
                             size_t ASrcRowBytes, TSkEncodedImageFormat AEncodedImageFormat, int32_t AQuality = 80);
    static bool EncodeToStream(Ui::TStream& AStream, const Ref<ISkPixmap>& ASrc,
                               TSkEncodedImageFormat AEncodedImageFormat = TSkEncodedImageFormat::PNG,
                               int32_t AQuality = 80);
    static bool EncodeToStream(Ui::TStream& AStream, const TSkImageInfo& ASrcImageInfo, const void* ASrcPixels,
                               size_t ASrcRowBytes, TSkEncodedImageFormat AEncodedImageFormat = TSkEncodedImageFormat::PNG,
                               int32_t AQuality = 80);
};

}  // namespace Skia
