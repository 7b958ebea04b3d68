// The canvas a picture recorder hands out: every state, clip and draw call is kept as an op
// (and the states also tracked, so the canvas answers matrix and clip queries as a canvas of
// the recording's bounds would). It draws no pixels.
#pragma once

#include <memory>
#include <vector>

#include "canvas/Canvas.h"
#include "picture/Picture.h"

namespace plix {

class RecordingCanvas final : public Canvas {
public:
    explicit RecordingCanvas(const Rect& bounds);

    // The calls so far as a picture with the given cull rect; the canvas starts again empty.
    sp<Picture> finish(const Rect& cull);

    int save() override;
    int saveLayer(const Rect* bounds, const Paint* paint, uint32_t flags) override;
    void restore() override;
    void restoreToCount(int count) override;
    void concat(const Matrix& m) override;
    void concat(const Matrix44& m) override;
    void setMatrix(const Matrix& m) override;
    void setMatrix(const Matrix44& m) override;
    void resetMatrix() override;
    void clipRect(const Rect& r, ClipOp op, bool antiAlias) override;
    void clipRRect(const RRect& rr, ClipOp op, bool antiAlias) override;
    void clipPath(const Path& path, ClipOp op, bool antiAlias) override;
    void clipShader(sp<Shader> shader, ClipOp op) override;
    void drawPaint(const Paint& paint) override;
    void drawPoints(PointMode mode, size_t count, const Point pts[], const Paint& paint) override;
    void drawRect(const Rect& r, const Paint& paint) override;
    void drawOval(const Rect& oval, const Paint& paint) override;
    void drawRRect(const RRect& rr, const Paint& paint) override;
    void drawPath(const Path& path, const Paint& paint) override;
    void drawImage(const Image& image, float x, float y, const SamplingOptions& sampling, const Paint* paint) override;
    void drawImageRect(const Image& image, const Rect& src, const Rect& dst, const SamplingOptions& sampling,
                       const Paint* paint, SrcRectConstraint constraint) override;
    void drawImageNine(const Image& image, const IRect& center, const Rect& dst, FilterMode filter,
                       const Paint* paint) override;
    void drawImageLattice(const Image& image, const Lattice& lattice, const Rect& dst, FilterMode filter,
                          const Paint* paint) override;
    void drawAnnotation(const Rect& rect, const char* key, const void* value, size_t size) override;
    void drawPicture(sp<Picture> picture, const Matrix* matrix, const Paint* paint);

private:
    template <class T>
    void add(T&& op) {
        fOps.emplace_back(std::forward<T>(op));
    }
    std::vector<ops::Op> fOps;
};

}  // namespace plix
