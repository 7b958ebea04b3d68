// Text blobs (counted by their own ref / unref pair): positioned glyph runs made once, drawn many
// times. Text crosses as UTF-16.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "Skia/Object.h"
#include "Skia/RotationScaleMatrix.h"
#include "ui/Types.h"

namespace Skia {

class ISkFont;
class ISkPaint;

class ISkTextBlob : public virtual ISkNonVirtualReferenceCounted {
public:
    // Pairs of x where the glyphs cross the band between AUpperBounds and ALowerBounds.
    virtual std::vector<float> GetIntercepts(float AUpperBounds, float ALowerBounds,
                                             const Ref<ISkPaint>& APaint = nullptr) = 0;
};

class TSkTextBlob : public TSkNonVirtualReferenceCounted, public virtual ISkTextBlob {
public:
    using TSkNonVirtualReferenceCounted::TSkNonVirtualReferenceCounted;

    // Each factory gives nil for text without glyphs; the position arrays need one element per
    // glyph of the text ("Parameter %s size mismatch" otherwise).
    static Ref<ISkTextBlob> MakeFromText(const std::string& AText, const Ref<ISkFont>& AFont);
    static Ref<ISkTextBlob> MakeFromTextHorizontallyPositioned(const std::string& AText,
                                                               std::span<const float> AXPositions, float AY,
                                                               const Ref<ISkFont>& AFont);
    static Ref<ISkTextBlob> MakeFromTextPositioned(const std::string& AText, std::span<const Ui::TPointF> APositions,
                                                   const Ref<ISkFont>& AFont);
    static Ref<ISkTextBlob> MakeFromTextTransform(const std::string& AText,
                                                  std::span<const TSkRotationScaleMatrix> AMatrices,
                                                  const Ref<ISkFont>& AFont);

    std::vector<float> GetIntercepts(float AUpperBounds, float ALowerBounds, const Ref<ISkPaint>& APaint) override;

protected:
    void __RefHandle(NativeUInt AHandle) override;
    void __UnrefHandle(NativeUInt AHandle) override;
};

}  // namespace Skia
