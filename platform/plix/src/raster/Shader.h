// The colour sources and transforms a paint carries. Each appends stages to the draw's
// pipeline once, when the draw is compiled; none is consulted per pixel. Concrete kinds
// (gradients, images, noise, runtime effects ...) live in their own modules.
#pragma once

#include "core/BlendMode.h"
#include "core/ColorSpace.h"
#include "core/ImageInfo.h"
#include "core/RefCnt.h"
#include "core/Sampling.h"
#include "geometry/Matrix.h"
#include "raster/Pipeline.h"

namespace plix {

// What a stage appender knows about the draw.
struct StageRec {
    Pipeline* pipeline;
    ColorSpace* dstColorSpace;  // null: untagged destination, no colour conversion
    float paintAlpha;           // 0..1; shaders that are not opaque-by-colour ignore it
};

// An image as a shader draws it, for the blitters' scaled-image fast path.
struct ImageDraw {
    Pixmap pixels;
    Matrix deviceToImage;  // device points to the image's pixel space
    SamplingOptions sampling;
    TileMode tileX = TileMode::Clamp, tileY = TileMode::Clamp;
    bool raw = false;  // stored values handed on unconverted
};

class Shader : public RefCnt {
public:
    // Appends stages that turn the device-space pixel centres in x, y into premultiplied colours
    // in the destination's colour space. ctm maps the shader's space to the device. False when
    // the shader cannot draw (a singular matrix, for instance): nothing is drawn then.
    virtual bool appendStages(const StageRec& rec, const Matrix& ctm) const = 0;
    // True when every colour it produces is opaque.
    virtual bool isOpaque() const { return false; }
    // A shader of one colour: its unpremultiplied sRGB colour.
    virtual bool asSolidColor(float rgba[4]) const { (void)rgba; return false; }
    // Alpha-only images take their colour from the paint.
    virtual bool usesPaintColor() const { return false; }
    // A shader that is an image under a matrix: the image and how it is drawn through ctm.
    virtual bool asImageDraw(const Matrix& ctm, ImageDraw* out) const { (void)ctm, (void)out; return false; }
};

class ColorFilter : public RefCnt {
public:
    // Appends stages that transform premultiplied r, g, b, a.
    virtual void appendStages(const StageRec& rec) const = 0;
    // True when opaque input stays opaque.
    virtual bool preservesOpaque() const { return false; }
};

// Combines the source (r..a) with the destination (dr..da) into r..a.
class Blender : public RefCnt {
public:
    virtual void appendStages(const StageRec& rec) const = 0;
    // A plain blend mode, when it is one.
    virtual bool asBlendMode(BlendMode* mode) const { (void)mode; return false; }
};

// A blender that is one of the 29 blend modes.
class ModeBlender final : public Blender {
public:
    explicit ModeBlender(BlendMode m) : fMode(m) {}
    void appendStages(const StageRec& rec) const override { rec.pipeline->append(blendOp(fMode)); }
    bool asBlendMode(BlendMode* m) const override { *m = fMode; return true; }
    BlendMode mode() const { return fMode; }

private:
    BlendMode fMode;
};

}  // namespace plix
