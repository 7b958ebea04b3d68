// Pixmaps: a view of pixel memory somebody else owns. Destroying one frees only the native
// descriptor, never the pixels.
#pragma once

#include <cstddef>
#include <cstdint>

#include "Skia/ColorSpace.h"
#include "Skia/ImageInfo.h"
#include "Skia/Object.h"
#include "Skia/Sampling.h"
#include "ui/Types.h"

namespace Skia {

class ISkPixmap : public virtual ISkObject {
public:
    using TAlphaColor = Ui::TAlphaColor;
    using TAlphaColorF = Ui::TAlphaColorF;
    using TRect = Ui::TRect;

    virtual bool Erase(TAlphaColor AColor) = 0;
    virtual bool Erase(TAlphaColor AColor, const TRect& ASubset) = 0;
    virtual bool Erase(const TAlphaColorF& AColor, const Ref<ISkColorSpace>& AColorSpace = nullptr) = 0;
    virtual bool Erase(const TAlphaColorF& AColor, const TRect& ASubset,
                       const Ref<ISkColorSpace>& AColorSpace = nullptr) = 0;
    // Makes ADest view the ASubset area of these pixels.
    virtual bool ExtractSubset(const Ref<ISkPixmap>& ADest, const TRect& ASubset) = 0;
    virtual float GetAlpha(int32_t AX, int32_t AY) = 0;
    virtual TSkAlphaType GetAlphaType() = 0;
    virtual TAlphaColor GetColor(int32_t AX, int32_t AY) = 0;
    virtual TAlphaColorF GetColorF(int32_t AX, int32_t AY) = 0;
    virtual Ref<ISkColorSpace> GetColorSpace() = 0;
    virtual TSkColorType GetColorType() = 0;
    virtual int32_t GetHeight() = 0;
    virtual TSkImageInfo GetImageInfo() = 0;
    virtual void* GetPixelAddr(int32_t AX, int32_t AY) = 0;
    virtual void* GetPixels() = 0;
    virtual size_t GetRowBytes() = 0;
    virtual int32_t GetWidth() = 0;
    virtual bool ReadPixels(const Ref<ISkPixmap>& ADest, int32_t ASrcX = 0, int32_t ASrcY = 0) = 0;
    virtual bool ReadPixels(const TSkImageInfo& ADestImageInfo, void* ADestPixels, size_t ADestRowBytes,
                            int32_t ASrcX = 0, int32_t ASrcY = 0) = 0;
    virtual bool ScalePixels(const Ref<ISkPixmap>& ADest) = 0;
    virtual bool ScalePixels(const Ref<ISkPixmap>& ADest, const TSkSamplingOptions& ASampling) = 0;
    virtual bool ScalePixels(const TSkImageInfo& ADestImageInfo, void* ADestPixels, size_t ADestRowBytes) = 0;
    virtual bool ScalePixels(const TSkImageInfo& ADestImageInfo, void* ADestPixels, size_t ADestRowBytes,
                             const TSkSamplingOptions& ASampling) = 0;
    virtual void SetColorSpace(const Ref<ISkColorSpace>& AValue) = 0;
};

class TSkPixmap : public TSkObject, public virtual ISkPixmap {
public:
    using TSkObject::TSkObject;

    // A view of APixels (ARowBytes bytes per row) described by AImageInfo.
    static Ref<ISkPixmap> Create(const TSkImageInfo& AImageInfo, const void* APixels, size_t ARowBytes);
    // The same, nil when the native side refuses the description: the temporary pixmaps of the
    // operations that take (image info, pixels, row bytes), which report a native failure as
    // False or nil rather than raise.
    static Ref<ISkPixmap> Make(const TSkImageInfo& AImageInfo, const void* APixels, size_t ARowBytes);

    bool Erase(TAlphaColor AColor) override;
    bool Erase(TAlphaColor AColor, const TRect& ASubset) override;
    bool Erase(const TAlphaColorF& AColor, const Ref<ISkColorSpace>& AColorSpace) override;
    bool Erase(const TAlphaColorF& AColor, const TRect& ASubset, const Ref<ISkColorSpace>& AColorSpace) override;
    bool ExtractSubset(const Ref<ISkPixmap>& ADest, const TRect& ASubset) override;
    float GetAlpha(int32_t AX, int32_t AY) override;
    TSkAlphaType GetAlphaType() override;
    TAlphaColor GetColor(int32_t AX, int32_t AY) override;
    TAlphaColorF GetColorF(int32_t AX, int32_t AY) override;
    Ref<ISkColorSpace> GetColorSpace() override;
    TSkColorType GetColorType() override;
    int32_t GetHeight() override;
    TSkImageInfo GetImageInfo() override;
    void* GetPixelAddr(int32_t AX, int32_t AY) override;
    void* GetPixels() override;
    size_t GetRowBytes() override;
    int32_t GetWidth() override;
    bool ReadPixels(const Ref<ISkPixmap>& ADest, int32_t ASrcX, int32_t ASrcY) override;
    bool ReadPixels(const TSkImageInfo& ADestImageInfo, void* ADestPixels, size_t ADestRowBytes, int32_t ASrcX,
                    int32_t ASrcY) override;
    bool ScalePixels(const Ref<ISkPixmap>& ADest) override;
    bool ScalePixels(const Ref<ISkPixmap>& ADest, const TSkSamplingOptions& ASampling) override;
    bool ScalePixels(const TSkImageInfo& ADestImageInfo, void* ADestPixels, size_t ADestRowBytes) override;
    bool ScalePixels(const TSkImageInfo& ADestImageInfo, void* ADestPixels, size_t ADestRowBytes,
                     const TSkSamplingOptions& ASampling) override;
    void SetColorSpace(const Ref<ISkColorSpace>& AValue) override;

protected:
    void __DestroyHandle(NativeUInt AHandle) override;
};

}  // namespace Skia
