// The canvas: a stack of saved states (matrix and clip) and layers over a block of pixels, and
// the draw operations. Matrices map local coordinates to the base device; each layer is a
// device of its own placed at an integer origin, and the clips of the save levels above it are
// kept in that device's pixels. Drawing hands the raster layer (raster/Draw.h) the top device,
// its clip and the matrix moved to that device.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "canvas/RasterClip.h"
#include "canvas/SurfaceProps.h"
#include "core/Image.h"
#include "core/ImageInfo.h"
#include "core/Sampling.h"
#include "geometry/Matrix.h"
#include "geometry/Path.h"
#include "geometry/RRect.h"
#include "raster/Draw.h"
#include "raster/Paint.h"

namespace plix {

class Surface;
class TextBlob;
struct GlyphRunView;

using Color4 = std::array<float, 4>;  // unpremultiplied sRGB

enum class PointMode : int32_t { Points, Lines, Polygon };
enum class SrcRectConstraint : int32_t { Strict, Fast };

// Stretching an image by divisions: columns (and rows) alternate between fixed and scalable,
// starting with fixed; cells may be drawn, skipped or filled with a colour.
struct Lattice {
    enum RectType : int32_t { kDefault, kTransparent, kFixedColor };
    const int32_t* xDivs = nullptr;
    const int32_t* yDivs = nullptr;
    const int32_t* rectTypes = nullptr;  // (xCount + 1) * (yCount + 1), row by row, or null
    int xCount = 0, yCount = 0;
    const IRect* bounds = nullptr;       // null: the whole image
    const uint32_t* colors = nullptr;    // ARGB per cell, for kFixedColor cells
};

class Canvas {
public:
    // Layer flags of saveLayer.
    static constexpr uint32_t kPreserveLCDText = 1u << 1, kInitWithPrevious = 1u << 2, kF16ColorType = 1u << 4;

    explicit Canvas(const Pixmap& base, const SurfaceProps& props = {});
    virtual ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // Called before anything writes the base pixels (a surface un-shares pixels that a snapshot
    // still reads), and moving the base to other pixels of the same size and format.
    void setBeforeBaseWrite(std::function<void()> hook) { fBeforeBaseWrite = std::move(hook); }
    void setBasePixels(void* addr);

    const ImageInfo& baseInfo() const { return fBase.info(); }
    const SurfaceProps& props() const { return fProps; }

    // A recording canvas (picture/) overrides the state, clip and draw calls marked virtual;
    // the others reach it through them.

    // ---- saved states ----
    // Each returns the save count before the call; the count starts at 1.
    virtual int save();
    // bounds (local, may be null) limit the layer; paint (may be null) supplies alpha, colour
    // filter and blend mode when the layer is drawn back at restore.
    virtual int saveLayer(const Rect* bounds, const Paint* paint, uint32_t flags = 0);
    int saveLayerAlpha(const Rect* bounds, uint8_t alpha);
    // Does nothing at save count 1.
    virtual void restore();
    virtual void restoreToCount(int count);
    int saveCount() const { return int(fStack.size()); }

    // ---- matrix ----
    void translate(float dx, float dy);
    void scale(float sx, float sy);
    void rotate(float degrees);
    void rotate(float degrees, float px, float py);
    void skew(float kx, float ky);
    virtual void concat(const Matrix& m);
    virtual void concat(const Matrix44& m);
    virtual void setMatrix(const Matrix& m);
    virtual void setMatrix(const Matrix44& m);
    virtual void resetMatrix();
    const Matrix44& localToDevice() const { return top().ctm; }
    Matrix localToDevice3x3() const { return top().ctm.to3x3(); }

    // ---- clip ----
    virtual void clipRect(const Rect& r, ClipOp op, bool antiAlias);
    virtual void clipRRect(const RRect& rr, ClipOp op, bool antiAlias);
    virtual void clipPath(const Path& path, ClipOp op, bool antiAlias);
    virtual void clipShader(sp<Shader> shader, ClipOp op);
    // In base device pixels.
    IRect deviceClipBounds() const;
    // The device clip bounds (outset by one pixel for anti-aliasing) mapped back to local
    // coordinates; empty when the clip is empty or the matrix cannot be inverted.
    Rect localClipBounds() const;
    // True when drawing the shape surely changes no pixel.
    bool quickReject(const Rect& r) const;
    bool quickReject(const Path& p) const;

    // ---- drawing ----
    // Replaces the pixels inside the clip with the colour.
    void clear(const Color4& color);
    // The contents may be thrown away; a raster canvas keeps them.
    void discard() {}
    void drawColor(const Color4& color, BlendMode mode);
    virtual void drawPaint(const Paint& paint);
    virtual void drawPoints(PointMode mode, size_t count, const Point pts[], const Paint& paint);
    void drawPoint(Point p, const Paint& paint) { drawPoints(PointMode::Points, 1, &p, paint); }
    void drawLine(Point a, Point b, const Paint& paint);
    virtual void drawRect(const Rect& r, const Paint& paint);
    virtual void drawOval(const Rect& oval, const Paint& paint);
    void drawCircle(Point center, float radius, const Paint& paint);
    void drawArc(const Rect& oval, float startDeg, float sweepDeg, bool useCenter, const Paint& paint);
    virtual void drawRRect(const RRect& rr, const Paint& paint);
    // The area between two round rects; nothing unless outer holds inner.
    void drawDRRect(const RRect& outer, const RRect& inner, const Paint& paint);
    virtual void drawPath(const Path& path, const Paint& paint);

    // Images take alpha, colour filter and blend mode from the paint (null: none); alpha-only
    // images also take its colour, or its shader, through their alpha.
    virtual void drawImage(const Image& image, float x, float y, const SamplingOptions& sampling, const Paint* paint);
    virtual void drawImageRect(const Image& image, const Rect& src, const Rect& dst, const SamplingOptions& sampling,
                               const Paint* paint, SrcRectConstraint constraint);
    virtual void drawImageNine(const Image& image, const IRect& center, const Rect& dst, FilterMode filter,
                               const Paint* paint);
    virtual void drawImageLattice(const Image& image, const Lattice& lattice, const Rect& dst, FilterMode filter,
                                  const Paint* paint);

    // A keyed value for the area rect (links, names); kept by recordings, nothing on pixels.
    virtual void drawAnnotation(const Rect& rect, const char* key, const void* value, size_t size) {
        (void)rect, (void)key, (void)value, (void)size;
    }

    // Text (canvas/CanvasText.cpp): glyphs placed in local coordinates, and blobs moved by (x, y).
    void drawGlyphs(const GlyphRunView& run, const Paint& paint);
    void drawTextBlob(const TextBlob& blob, float x, float y, const Paint& paint);

    // A new raster surface with this canvas's properties unless props are given; null when info
    // cannot be drawn into.
    sp<Surface> makeSurface(const ImageInfo& info, const SurfaceProps* props) const;

private:
    struct Layer;
    struct Rec {
        Matrix44 ctm;
        RasterClip clip;  // in the pixels of the device at this level
        std::unique_ptr<Layer> layer;  // set when this level began a layer
    };
    // The device drawing goes to, its clip and the matrix moved to it.
    struct Target {
        DrawTarget dt;
        Matrix ctm;
    };

    Rec& top() { return fStack.back(); }
    const Rec& top() const { return fStack.back(); }
    const Layer* topLayer() const;
    // The device's origin in base pixels.
    IRect deviceBounds() const;
    // False when nothing can be drawn (empty clip); calls the base-write hook.
    bool target(Target* t);
    void internalRestore();
    void drawLayerBack(const Layer& layer, const Paint* paint);
    // Draws src (premultiplied, in the device's colour space) with its pixel (0, 0) at device
    // pixel (x, y) of the current target.
    void drawSprite(const Pixmap& src, int x, int y, const Paint& paint);
    bool drawImageAsSprite(const Image& image, const Rect& src, const Rect& dst, const Paint& paint);
    void drawImageCell(const Image& image, const Rect& src, const Rect& dst, FilterMode filter, const Paint* paint);

    Pixmap fBase;
    SurfaceProps fProps;
    std::vector<Rec> fStack;
    std::function<void()> fBeforeBaseWrite;
};

}  // namespace plix
