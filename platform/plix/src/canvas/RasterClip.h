// The clip of one save level of a canvas, in the pixels of the device being drawn: a rectangle,
// and, once a clip is not pixel-aligned or not a rectangle, an 8-bit coverage mask as well. The
// mask is shared between save levels until one of them changes it.
#pragma once

#include <memory>

#include "geometry/Matrix.h"
#include "geometry/Path.h"
#include "geometry/Rect.h"
#include "raster/Mask.h"

namespace plix {

class Shader;

enum class ClipOp : int32_t { Difference, Intersect };

class RasterClip {
public:
    RasterClip() = default;
    // Everything of a device of the given size.
    explicit RasterClip(const IRect& device) : fBounds(device) {}

    bool isEmpty() const { return fBounds.isEmpty(); }
    bool isRect() const { return !fMask; }
    // Pixels outside never change; with a mask, coverage inside comes from the mask.
    const IRect& bounds() const { return fBounds; }
    const Mask* mask() const { return fMask.get(); }

    void setEmpty() { fBounds = {}, fMask.reset(); }
    void opRect(const Rect& r, const Matrix& ctm, ClipOp op, bool antiAlias);
    void opPath(const Path& path, const Matrix& ctm, ClipOp op, bool antiAlias);
    // Coverage is the shader's alpha.
    void opShader(const Shader& shader, const Matrix& ctm, ClipOp op);

    // This clip seen from a device whose pixel (0, 0) is at origin of this one, cropped to size.
    RasterClip makeOffsetCropped(int originX, int originY, int width, int height) const;

private:
    // Combines coverage computed over fBounds with the current clip.
    void applyCoverage(Mask&& cov, ClipOp op);
    void shrinkToCoverage();

    IRect fBounds;
    std::shared_ptr<const Mask> fMask;
};

}  // namespace plix
