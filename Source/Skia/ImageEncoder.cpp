#include "Skia/ImageEncoder.h"

#include <cctype>

#include "Skia/API.h"
#include "Skia/Stream.h"

namespace Skia {
namespace {

// The extension with its dot, lower case: from the last dot of the last path element.
std::string ExtensionOf(const std::string& fileName) {
    const size_t slash = fileName.find_last_of('/');
    const size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string extension = fileName.substr(dot);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

}  // namespace

TSkEncodedImageFormat TSkImageEncoder::FormatFromFileName(const std::string& AFileName) {
    const std::string extension = ExtensionOf(AFileName);
    if (extension == ".jpg" || extension == ".jpeg") return TSkEncodedImageFormat::JPEG;
    if (extension == ".webp") return TSkEncodedImageFormat::WEBP;
    if (extension == ".png") return TSkEncodedImageFormat::PNG;
    RaiseInvalidExtension();
}

std::vector<uint8_t> TSkImageEncoder::Encode(const Ref<ISkPixmap>& ASrc, TSkEncodedImageFormat AEncodedImageFormat,
                                             int32_t AQuality) {
    CheckNotNil(ASrc, "ASrc");
    Ui::TMemoryStream stream;
    EncodeToStream(stream, ASrc, AEncodedImageFormat, AQuality);
    return stream.Bytes();
}

std::vector<uint8_t> TSkImageEncoder::Encode(const TSkImageInfo& ASrcImageInfo, const void* ASrcPixels,
                                             size_t ASrcRowBytes, TSkEncodedImageFormat AEncodedImageFormat,
                                             int32_t AQuality) {
    const Ref<ISkPixmap> src = TSkPixmap::Make(ASrcImageInfo, ASrcPixels, ASrcRowBytes);
    return src ? Encode(src, AEncodedImageFormat, AQuality) : std::vector<uint8_t>();
}

bool TSkImageEncoder::EncodeToFile(const std::string& AFileName, const Ref<ISkPixmap>& ASrc, int32_t AQuality) {
    return EncodeToFile(AFileName, ASrc, FormatFromFileName(AFileName), AQuality);
}

bool TSkImageEncoder::EncodeToFile(const std::string& AFileName, const Ref<ISkPixmap>& ASrc,
                                   TSkEncodedImageFormat AEncodedImageFormat, int32_t AQuality) {
    if (AFileName.empty()) RaiseFileNameEmpty();
    CheckNotNil(ASrc, "ASrc");
    return API::plix_imageencoder_encode_to_file(AFileName.c_str(), ASrc->GetHandle(),
                                                 static_cast<int32_t>(AEncodedImageFormat), AQuality);
}

bool TSkImageEncoder::EncodeToFile(const std::string& AFileName, const TSkImageInfo& ASrcImageInfo,
                                   const void* ASrcPixels, size_t ASrcRowBytes, int32_t AQuality) {
    return EncodeToFile(AFileName, ASrcImageInfo, ASrcPixels, ASrcRowBytes, FormatFromFileName(AFileName), AQuality);
}

bool TSkImageEncoder::EncodeToFile(const std::string& AFileName, const TSkImageInfo& ASrcImageInfo,
                                   const void* ASrcPixels, size_t ASrcRowBytes,
                                   TSkEncodedImageFormat AEncodedImageFormat, int32_t AQuality) {
    if (AFileName.empty()) RaiseFileNameEmpty();
    const Ref<ISkPixmap> src = TSkPixmap::Make(ASrcImageInfo, ASrcPixels, ASrcRowBytes);
    return src && EncodeToFile(AFileName, src, AEncodedImageFormat, AQuality);
}

bool TSkImageEncoder::EncodeToStream(Ui::TStream& AStream, const Ref<ISkPixmap>& ASrc,
                                     TSkEncodedImageFormat AEncodedImageFormat, int32_t AQuality) {
    CheckNotNil(ASrc, "ASrc");
    const Ref<ISkWStream> stream = TSkWStreamAdapter::Create(AStream);
    return API::plix_imageencoder_encode_to_stream(stream->GetHandle(), ASrc->GetHandle(),
                                                   static_cast<int32_t>(AEncodedImageFormat), AQuality);
}

bool TSkImageEncoder::EncodeToStream(Ui::TStream& AStream, const TSkImageInfo& ASrcImageInfo, const void* ASrcPixels,
                                     size_t ASrcRowBytes, TSkEncodedImageFormat AEncodedImageFormat,
                                     int32_t AQuality) {
    const Ref<ISkPixmap> src = TSkPixmap::Make(ASrcImageInfo, ASrcPixels, ASrcRowBytes);
    return src && EncodeToStream(AStream, src, AEncodedImageFormat, AQuality);
}

}  // namespace Skia
