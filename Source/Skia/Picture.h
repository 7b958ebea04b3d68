// Pictures (reference-counted): recorded drawing that can be played back on a canvas or used
// as a shader's pattern.
#pragma once

#include <cstddef>
#include <cstdint>

#include "Skia/Enums.h"
#include "Skia/Object.h"
#include "Skia/Shader.h"
#include "ui/Stream.h"
#include "ui/Types.h"

namespace Skia {

class ISkCanvas;

class ISkPicture : public virtual ISkReferenceCounted {
public:
    // Bytes the picture holds (its ops and the objects they refer to).
    virtual size_t ApproximateBytesUsed() = 0;
    // ANested: count the ops of nested pictures too.
    virtual int32_t ApproximateOperationCount(bool ANested = false) = 0;
    virtual Ui::TRectF GetCullRect() = 0;
    // The tile rectangle is the cull rectangle unless given.
    virtual Ref<ISkShader> MakeShader(TSkTileMode ATileModeX = TSkTileMode::Clamp,
                                      TSkTileMode ATileModeY = TSkTileMode::Clamp,
                                      TSkFilterMode AFilterMode = TSkFilterMode::Nearest) = 0;
    virtual Ref<ISkShader> MakeShader(const Ui::TRectF& ATileRect, TSkTileMode ATileModeX = TSkTileMode::Clamp,
                                      TSkTileMode ATileModeY = TSkTileMode::Clamp,
                                      TSkFilterMode AFilterMode = TSkFilterMode::Nearest) = 0;
    virtual Ref<ISkShader> MakeShader(const Ui::TMatrix& ALocalMatrix, TSkTileMode ATileModeX = TSkTileMode::Clamp,
                                      TSkTileMode ATileModeY = TSkTileMode::Clamp,
                                      TSkFilterMode AFilterMode = TSkFilterMode::Nearest) = 0;
    virtual Ref<ISkShader> MakeShader(const Ui::TRectF& ATileRect, const Ui::TMatrix& ALocalMatrix,
                                      TSkTileMode ATileModeX = TSkTileMode::Clamp,
                                      TSkTileMode ATileModeY = TSkTileMode::Clamp,
                                      TSkFilterMode AFilterMode = TSkFilterMode::Nearest) = 0;
    virtual void Playback(const Ref<ISkCanvas>& ACanvas) = 0;
    virtual void SerializeToStream(Ui::TStream& AStream) = 0;
};

class TSkPicture : public TSkReferenceCounted, public virtual ISkPicture {
public:
    using TSkReferenceCounted::TSkReferenceCounted;

    // nil when the stream holds no picture.
    static Ref<ISkPicture> MakeFromStream(Ui::TStream& AStream);

    size_t ApproximateBytesUsed() override;
    int32_t ApproximateOperationCount(bool ANested) override;
    Ui::TRectF GetCullRect() override;
    Ref<ISkShader> MakeShader(TSkTileMode ATileModeX, TSkTileMode ATileModeY, TSkFilterMode AFilterMode) override;
    Ref<ISkShader> MakeShader(const Ui::TRectF& ATileRect, TSkTileMode ATileModeX, TSkTileMode ATileModeY,
                              TSkFilterMode AFilterMode) override;
    Ref<ISkShader> MakeShader(const Ui::TMatrix& ALocalMatrix, TSkTileMode ATileModeX, TSkTileMode ATileModeY,
                              TSkFilterMode AFilterMode) override;
    Ref<ISkShader> MakeShader(const Ui::TRectF& ATileRect, const Ui::TMatrix& ALocalMatrix, TSkTileMode ATileModeX,
                              TSkTileMode ATileModeY, TSkFilterMode AFilterMode) override;
    void Playback(const Ref<ISkCanvas>& ACanvas) override;
    void SerializeToStream(Ui::TStream& AStream) override;

private:
    Ref<ISkShader> Shader(TSkTileMode ATileModeX, TSkTileMode ATileModeY, TSkFilterMode AFilterMode,
                          const Ui::TMatrix* ALocalMatrix, const Ui::TRectF* ATileRect);
};

}  // namespace Skia
