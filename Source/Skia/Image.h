// Images (reference-counted, immutable): pictures in CPU or GPU memory. Every Make... gives a
// new image (or shader); a native failure gives nil, a failed read, scale or encode False.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "Skia/ColorSpace.h"
#include "Skia/Enums.h"
#include "Skia/GrBackendTexture.h"
#include "Skia/GrDirectContext.h"
#include "Skia/ImageFilter.h"
#include "Skia/ImageInfo.h"
#include "Skia/Object.h"
#include "Skia/Paint.h"
#include "Skia/Picture.h"
#include "Skia/Pixmap.h"
#include "Skia/Sampling.h"
#include "Skia/Shader.h"
#include "Skia/SurfaceProperties.h"
#include "ui/Stream.h"
#include "ui/Types.h"

namespace Skia {

// Called once, with the pixel address, when the native image no longer needs the caller's
// pixels; on whatever thread releases the image.
using TSkImageRasterReleaseProc = std::function<void(void* APixels)>;
// Called once when the native image no longer needs the caller's texture.
using TSkImageTextureReleaseProc = std::function<void()>;

class ISkImage : public virtual ISkReferenceCounted {
public:
    using TMatrix = Ui::TMatrix;
    static constexpr TSkTileMode Clamp = TSkTileMode::Clamp;
    static constexpr TSkImageCachingHint Allow = TSkImageCachingHint::Allow;

    // The encoded bytes; empty when encoding fails.
    virtual std::vector<uint8_t> Encode(TSkEncodedImageFormat AEncodedImageFormat = TSkEncodedImageFormat::PNG,
                                        int32_t AQuality = 80) = 0;
    // The format from the file's extension (see TSkImageEncoder::FormatFromFileName).
    virtual bool EncodeToFile(const std::string& AFileName, int32_t AQuality = 80) = 0;
    virtual bool EncodeToFile(const std::string& AFileName, TSkEncodedImageFormat AEncodedImageFormat,
                              int32_t AQuality = 80) = 0;
    virtual bool EncodeToStream(Ui::TStream& AStream,
                                TSkEncodedImageFormat AEncodedImageFormat = TSkEncodedImageFormat::PNG,
                                int32_t AQuality = 80) = 0;
    virtual TSkAlphaType GetAlphaType() = 0;
    virtual Ref<ISkColorSpace> GetColorSpace() = 0;
    virtual TSkColorType GetColorType() = 0;
    virtual int32_t GetHeight() = 0;
    virtual TSkImageInfo GetImageInfo() = 0;
    virtual uint32_t GetUniqueId() = 0;
    virtual int32_t GetWidth() = 0;
    virtual bool IsAlphaOnly() = 0;
    virtual bool IsLazyGenerated() = 0;
    virtual bool IsOpaque() = 0;
    virtual bool IsTextureBacked() = 0;
    // Whether the image can be drawn on AContext (nil: on the CPU).
    virtual bool IsValid(const Ref<IGrDirectContext>& AContext = nullptr) = 0;
    virtual Ref<ISkImage> MakeNonTextureImage() = 0;
    virtual Ref<ISkImage> MakeRasterImage() = 0;
    // Shaders without colour-space conversion or unpremultiplication of the pixels.
    virtual Ref<ISkShader> MakeRawShader(TSkTileMode ATileModeX = Clamp, TSkTileMode ATileModeY = Clamp) = 0;
    virtual Ref<ISkShader> MakeRawShader(const TMatrix& ALocalMatrix, TSkTileMode ATileModeX = Clamp,
                                         TSkTileMode ATileModeY = Clamp) = 0;
    virtual Ref<ISkShader> MakeRawShader(const TSkSamplingOptions& ASampling, TSkTileMode ATileModeX = Clamp,
                                         TSkTileMode ATileModeY = Clamp) = 0;
    virtual Ref<ISkShader> MakeRawShader(const TMatrix& ALocalMatrix, const TSkSamplingOptions& ASampling,
                                         TSkTileMode ATileModeX = Clamp, TSkTileMode ATileModeY = Clamp) = 0;
    virtual Ref<ISkShader> MakeShader(TSkTileMode ATileModeX = Clamp, TSkTileMode ATileModeY = Clamp) = 0;
    virtual Ref<ISkShader> MakeShader(const TMatrix& ALocalMatrix, TSkTileMode ATileModeX = Clamp,
                                      TSkTileMode ATileModeY = Clamp) = 0;
    virtual Ref<ISkShader> MakeShader(const TSkSamplingOptions& ASampling, TSkTileMode ATileModeX = Clamp,
                                      TSkTileMode ATileModeY = Clamp) = 0;
    virtual Ref<ISkShader> MakeShader(const TMatrix& ALocalMatrix, const TSkSamplingOptions& ASampling,
                                      TSkTileMode ATileModeX = Clamp, TSkTileMode ATileModeY = Clamp) = 0;
    virtual Ref<ISkImage> MakeSubset(const Ui::TRect& ASubset, const Ref<IGrDirectContext>& AContext = nullptr) = 0;
    virtual Ref<ISkImage> MakeTextureImage(const Ref<IGrDirectContext>& AContext, bool AIsMipmapped = false) = 0;
    // The filtered image, AOutSubset its meaningful area and AOffset where that area goes.
    virtual Ref<ISkImage> MakeWithFilter(const Ref<ISkImageFilter>& AFilter, const Ui::TRect& ASubset,
                                         const Ui::TRect& AClipBounds, Ui::TRect& AOutSubset, Ui::TPoint& AOffset,
                                         const Ref<IGrDirectContext>& AContext = nullptr) = 0;
    // A pixmap over the image's pixels (they stay the image's); nil when they are not readable
    // directly.
    virtual Ref<ISkPixmap> PeekPixels() = 0;
    virtual bool ReadPixels(const Ref<ISkPixmap>& ADest, int32_t ASrcX = 0, int32_t ASrcY = 0,
                            TSkImageCachingHint ACachingHint = Allow,
                            const Ref<IGrDirectContext>& AContext = nullptr) = 0;
    virtual bool ReadPixels(const TSkImageInfo& ADestImageInfo, void* ADestPixels, size_t ADestRowBytes,
                            int32_t ASrcX = 0, int32_t ASrcY = 0, TSkImageCachingHint ACachingHint = Allow,
                            const Ref<IGrDirectContext>& AContext = nullptr) = 0;
    virtual bool ScalePixels(const Ref<ISkPixmap>& ADest, TSkImageCachingHint ACachingHint = Allow) = 0;
    virtual bool ScalePixels(const Ref<ISkPixmap>& ADest, const TSkSamplingOptions& ASampling,
                             TSkImageCachingHint ACachingHint = Allow) = 0;
    virtual bool ScalePixels(const TSkImageInfo& ADestImageInfo, void* ADestPixels, size_t ADestRowBytes,
                             TSkImageCachingHint ACachingHint = Allow) = 0;
    virtual bool ScalePixels(const TSkImageInfo& ADestImageInfo, void* ADestPixels, size_t ADestRowBytes,
                             const TSkSamplingOptions& ASampling, TSkImageCachingHint ACachingHint = Allow) = 0;
};

class TSkImage : public TSkReferenceCounted, public virtual ISkImage {
public:
    using TSkReferenceCounted::TSkReferenceCounted;

    // ---- factories ----
    static Ref<ISkImage> MakeFromEncoded(std::span<const uint8_t> ABytes);
    static Ref<ISkImage> MakeFromEncodedFile(const std::string& AFileName);
    static Ref<ISkImage> MakeFromEncodedStream(Ui::TStream& AStream);
    // Copies the pixels.
    static Ref<ISkImage> MakeRasterCopy(const Ref<ISkPixmap>& APixmap);
    static Ref<ISkImage> MakeRasterCopy(const TSkImageInfo& AImageInfo, const void* APixels, size_t ARowBytes);
    // Shares the pixels: they must stay valid until ARasterReleaseProc has been called.
    static Ref<ISkImage> MakeFromRaster(const Ref<ISkPixmap>& APixmap,
                                        const TSkImageRasterReleaseProc& ARasterReleaseProc = nullptr);
    static Ref<ISkImage> MakeFromRaster(const TSkImageInfo& AImageInfo, const void* APixels, size_t ARowBytes,
                                        const TSkImageRasterReleaseProc& ARasterReleaseProc = nullptr);
    static Ref<ISkImage> MakeFromPicture(const Ref<ISkPicture>& APicture, const Ui::TSize& ADimensions,
                                         const Ref<ISkPaint>& APaint = nullptr,
                                         const Ref<ISkColorSpace>& AColorSpace = nullptr);
    static Ref<ISkImage> MakeFromPicture(const Ref<ISkPicture>& APicture, const Ui::TSize& ADimensions,
                                         const TMatrix& AMatrix, const Ref<ISkPaint>& APaint = nullptr,
                                         const Ref<ISkColorSpace>& AColorSpace = nullptr);
    static Ref<ISkImage> MakeFromPicture(const Ref<ISkPicture>& APicture, const Ui::TSize& ADimensions,
                                         const TSkSurfaceProperties& AProperties, const Ref<ISkPaint>& APaint = nullptr,
                                         const Ref<ISkColorSpace>& AColorSpace = nullptr);
    static Ref<ISkImage> MakeFromPicture(const Ref<ISkPicture>& APicture, const Ui::TSize& ADimensions,
                                         const TMatrix& AMatrix, const TSkSurfaceProperties& AProperties,
                                         const Ref<ISkPaint>& APaint = nullptr,
                                         const Ref<ISkColorSpace>& AColorSpace = nullptr);
    static Ref<ISkImage> MakeCrossContext(const Ref<IGrDirectContext>& AContext, const Ref<ISkPixmap>& APixmap,
                                          bool ABuildMips, bool ALimitToMaxTextureSize = false);
    static Ref<ISkImage> MakeCrossContext(const Ref<IGrDirectContext>& AContext, const TSkImageInfo& AImageInfo,
                                          const void* APixels, size_t ARowBytes, bool ABuildMips,
                                          bool ALimitToMaxTextureSize = false);
    static Ref<ISkImage> MakeFromTexture(const Ref<IGrDirectContext>& AContext, const Ref<IGrBackendTexture>& ATexture,
                                         TGrSurfaceOrigin AOrigin, TSkColorType AColorType,
                                         TSkAlphaType AAlphaType = TSkAlphaType::Premul,
                                         const Ref<ISkColorSpace>& AColorSpace = nullptr,
                                         const TSkImageTextureReleaseProc& ATextureReleaseProc = nullptr);
    // The image takes over the texture.
    static Ref<ISkImage> MakeFromAdoptedTexture(const Ref<IGrDirectContext>& AContext,
                                                const Ref<IGrBackendTexture>& ATexture, TGrSurfaceOrigin AOrigin,
                                                TSkColorType AColorType, TSkAlphaType AAlphaType = TSkAlphaType::Premul,
                                                const Ref<ISkColorSpace>& AColorSpace = nullptr);

    // ---- ISkImage ----
    std::vector<uint8_t> Encode(TSkEncodedImageFormat AEncodedImageFormat, int32_t AQuality) override;
    bool EncodeToFile(const std::string& AFileName, int32_t AQuality) override;
    bool EncodeToFile(const std::string& AFileName, TSkEncodedImageFormat AEncodedImageFormat,
                      int32_t AQuality) override;
    bool EncodeToStream(Ui::TStream& AStream, TSkEncodedImageFormat AEncodedImageFormat, int32_t AQuality) override;
    TSkAlphaType GetAlphaType() override;
    Ref<ISkColorSpace> GetColorSpace() override;
    TSkColorType GetColorType() override;
    int32_t GetHeight() override;
    TSkImageInfo GetImageInfo() override;
    uint32_t GetUniqueId() override;
    int32_t GetWidth() override;
    bool IsAlphaOnly() override;
    bool IsLazyGenerated() override;
    bool IsOpaque() override;
    bool IsTextureBacked() override;
    bool IsValid(const Ref<IGrDirectContext>& AContext) override;
    Ref<ISkImage> MakeNonTextureImage() override;
    Ref<ISkImage> MakeRasterImage() override;
    Ref<ISkShader> MakeRawShader(TSkTileMode ATileModeX, TSkTileMode ATileModeY) override;
    Ref<ISkShader> MakeRawShader(const TMatrix& ALocalMatrix, TSkTileMode ATileModeX, TSkTileMode ATileModeY) override;
    Ref<ISkShader> MakeRawShader(const TSkSamplingOptions& ASampling, TSkTileMode ATileModeX,
                                 TSkTileMode ATileModeY) override;
    Ref<ISkShader> MakeRawShader(const TMatrix& ALocalMatrix, const TSkSamplingOptions& ASampling,
                                 TSkTileMode ATileModeX, TSkTileMode ATileModeY) override;
    Ref<ISkShader> MakeShader(TSkTileMode ATileModeX, TSkTileMode ATileModeY) override;
    Ref<ISkShader> MakeShader(const TMatrix& ALocalMatrix, TSkTileMode ATileModeX, TSkTileMode ATileModeY) override;
    Ref<ISkShader> MakeShader(const TSkSamplingOptions& ASampling, TSkTileMode ATileModeX,
                              TSkTileMode ATileModeY) override;
    Ref<ISkShader> MakeShader(const TMatrix& ALocalMatrix, const TSkSamplingOptions& ASampling, TSkTileMode ATileModeX,
                              TSkTileMode ATileModeY) override;
    Ref<ISkImage> MakeSubset(const Ui::TRect& ASubset, const Ref<IGrDirectContext>& AContext) override;
    Ref<ISkImage> MakeTextureImage(const Ref<IGrDirectContext>& AContext, bool AIsMipmapped) override;
    Ref<ISkImage> MakeWithFilter(const Ref<ISkImageFilter>& AFilter, const Ui::TRect& ASubset,
                                 const Ui::TRect& AClipBounds, Ui::TRect& AOutSubset, Ui::TPoint& AOffset,
                                 const Ref<IGrDirectContext>& AContext) override;
    Ref<ISkPixmap> PeekPixels() override;
    bool ReadPixels(const Ref<ISkPixmap>& ADest, int32_t ASrcX, int32_t ASrcY, TSkImageCachingHint ACachingHint,
                    const Ref<IGrDirectContext>& AContext) override;
    bool ReadPixels(const TSkImageInfo& ADestImageInfo, void* ADestPixels, size_t ADestRowBytes, int32_t ASrcX,
                    int32_t ASrcY, TSkImageCachingHint ACachingHint, const Ref<IGrDirectContext>& AContext) override;
    bool ScalePixels(const Ref<ISkPixmap>& ADest, TSkImageCachingHint ACachingHint) override;
    bool ScalePixels(const Ref<ISkPixmap>& ADest, const TSkSamplingOptions& ASampling,
                     TSkImageCachingHint ACachingHint) override;
    bool ScalePixels(const TSkImageInfo& ADestImageInfo, void* ADestPixels, size_t ADestRowBytes,
                     TSkImageCachingHint ACachingHint) override;
    bool ScalePixels(const TSkImageInfo& ADestImageInfo, void* ADestPixels, size_t ADestRowBytes,
                     const TSkSamplingOptions& ASampling, TSkImageCachingHint ACachingHint) override;

private:
    static Ref<ISkImage> FromPicture(const Ref<ISkPicture>& APicture, const Ui::TSize& ADimensions,
                                     const TMatrix* AMatrix, const TSkSurfaceProperties* AProperties,
                                     const Ref<ISkPaint>& APaint, const Ref<ISkColorSpace>& AColorSpace);
};

}  // namespace Skia
