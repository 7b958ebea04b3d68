// The bitmap codec manager: codec classes registered by file extension, through which bitmaps
// and surfaces are loaded and saved. A codec class is a factory of codec instances (one per
// call) with two class-level queries.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/Bitmap.h"

namespace Ui {

class TStream;

struct TBitmapCodecSaveParams {
    int Quality = 100;  // 0 to 100, for lossy formats
};

class TCustomBitmapCodec {
public:
    virtual ~TCustomBitmapCodec() = default;
    // maxSizeLimit 0 means no limit; a larger image is scaled down to fit.
    virtual bool LoadFromFile(const std::string& fileName, TBitmapSurface& surface, unsigned maxSizeLimit) = 0;
    virtual bool LoadFromStream(TStream& stream, TBitmapSurface& surface, unsigned maxSizeLimit) = 0;
    virtual bool LoadThumbnailFromFile(const std::string& fileName, float fitWidth, float fitHeight,
                                       bool useEmbedded, TBitmapSurface& surface) = 0;
    virtual bool SaveToFile(const std::string& fileName, const TBitmapSurface& surface,
                            const TBitmapCodecSaveParams* params) = 0;
    virtual bool SaveToStream(TStream& stream, const TBitmapSurface& surface, const std::string& extension,
                              const TBitmapCodecSaveParams* params) = 0;
};

class TBitmapCodecClass {
public:
    virtual ~TBitmapCodecClass() = default;
    virtual std::unique_ptr<TCustomBitmapCodec> Create() const = 0;
    // (0, 0) when the file cannot be decoded.
    virtual TPointF GetImageSize(const std::string& fileName) const = 0;
    virtual bool IsValid(TStream& stream) const = 0;
};

// The codec class of T, which supplies static GetImageSize(fileName) and IsValid(stream).
template <class T>
class TBitmapCodecClassOf final : public TBitmapCodecClass {
public:
    std::unique_ptr<TCustomBitmapCodec> Create() const override { return std::make_unique<T>(); }
    TPointF GetImageSize(const std::string& fileName) const override { return T::GetImageSize(fileName); }
    bool IsValid(TStream& stream) const override { return T::IsValid(stream); }
    static const TBitmapCodecClass& Instance() {
        static const TBitmapCodecClassOf instance;
        return instance;
    }
};

class TBitmapCodecManager {
public:
    struct TDescriptor {
        std::string Extension;  // lower case, with the dot
        std::string Description;
        bool CanSave;
        const TBitmapCodecClass* CodecClass;
    };

    // Extensions compare without regard to case; a leading dot is added when missing.
    // False when a codec is already registered for the extension (it stays).
    static bool RegisterBitmapCodecClass(const std::string& extension, const std::string& description,
                                         bool canSave, const TBitmapCodecClass& codecClass);
    static void UnregisterBitmapCodecClass(const std::string& extension);
    static bool CodecExists(const std::string& extension);
    static const TDescriptor* FindCodec(const std::string& extension);
    static std::vector<TDescriptor> Codecs();

    // These answer False when no codec serves the file's extension (or, for streams, none
    // recognises the content) or when the codec fails.
    static bool LoadFromFile(const std::string& fileName, TBitmapSurface& surface, unsigned maxSizeLimit = 0);
    static bool LoadFromStream(TStream& stream, TBitmapSurface& surface, unsigned maxSizeLimit = 0);
    static bool LoadThumbnailFromFile(const std::string& fileName, float fitWidth, float fitHeight,
                                      bool useEmbedded, TBitmapSurface& surface);
    static bool SaveToFile(const std::string& fileName, const TBitmapSurface& surface,
                           const TBitmapCodecSaveParams* params = nullptr);
    static bool SaveToStream(TStream& stream, const TBitmapSurface& surface, const std::string& extension,
                             const TBitmapCodecSaveParams* params = nullptr);
    static TPointF GetImageSize(const std::string& fileName);
};

}  // namespace Ui
