// The canvas's own sampling of an image for drawImageRect and the cells of nine-patches and
// lattices: a shader that maps device pixels back into the image and filters the image's
// pixels (nearest, bilinear or cubic), never reading outside the allowed rectangle (the source
// rectangle for strict drawing, the whole image otherwise). The pixels it reads are converted
// once per draw to premultiplied half floats in the destination's colour space; a hint limits
// that to the part of the image that can show.
#pragma once

#include <cstdint>
#include <vector>

#include "core/Image.h"
#include "core/Sampling.h"
#include "geometry/Matrix.h"
#include "geometry/Rect.h"
#include "raster/Shader.h"

namespace plix {

class ImageRectShader final : public Shader {
public:
    // local maps the image's pixel space to the draw's local space; allowed is in image pixels.
    // paintColor (unpremultiplied sRGB) colours alpha-only images.
    // visible (image pixels, may be null) bounds what the draw can reach.
    ImageRectShader(sp<Image> image, const Rect& allowed, const Matrix& local, const SamplingOptions& sampling,
                    const float paintColor[4], const Rect* visible = nullptr);

    bool appendStages(const StageRec& rec, const Matrix& ctm) const override;
    bool isOpaque() const override { return fImage->isOpaque(); }
    bool usesPaintColor() const override { return fImage->isAlphaOnly(); }

private:
    sp<Image> fImage;
    Rect fAllowed;
    Matrix fLocal;
    SamplingOptions fSampling;
    float fPaintColor[4];
    Rect fVisible;
    bool fHasVisible = false;
    // The converted pixels, made by the first pipeline and shared by the draw's others.
    mutable std::vector<uint16_t> fPixels;
    mutable IRect fRegion;
    mutable sp<ColorSpace> fPixelsSpace;
    mutable bool fConverted = false;
};

}  // namespace plix
