#include "picture/RecordingCanvas.h"

#include <algorithm>
#include <cmath>

namespace plix {

namespace {

// The tracking base has no pixels; its size only bounds the clip queries.
Pixmap trackingBase(const Rect& bounds) {
    auto side = [](float v) { return std::isfinite(v) ? int(std::clamp(std::ceil(v), 0.0f, 16384.0f)) : 0; };
    return Pixmap(ImageInfo::Make(side(bounds.right), side(bounds.bottom), ColorType::RGBA8888, AlphaType::Premul),
                  nullptr, 0);
}

std::optional<Paint> optionalPaint(const Paint* p) { return p ? std::optional<Paint>(*p) : std::nullopt; }

}  // namespace

RecordingCanvas::RecordingCanvas(const Rect& bounds) : Canvas(trackingBase(bounds)) {}

sp<Picture> RecordingCanvas::finish(const Rect& cull) {
    auto picture = make_sp<Picture>(std::move(fOps), cull);
    fOps = {};
    Canvas::restoreToCount(1);
    Canvas::resetMatrix();
    return picture;
}

int RecordingCanvas::save() {
    add(ops::Save{});
    return Canvas::save();
}

// The layer itself is the target's business at playback; here only the state stack grows.
int RecordingCanvas::saveLayer(const Rect* bounds, const Paint* paint, uint32_t flags) {
    add(ops::SaveLayer{bounds ? std::optional<Rect>(*bounds) : std::nullopt, optionalPaint(paint), flags});
    return Canvas::save();
}

void RecordingCanvas::restore() {
    if (saveCount() > 1) add(ops::Restore{});
    Canvas::restore();
}

void RecordingCanvas::restoreToCount(int count) {
    add(ops::RestoreToCount{count});
    Canvas::restoreToCount(count);
}

void RecordingCanvas::concat(const Matrix& m) { concat(Matrix44::From3x3(m)); }

void RecordingCanvas::concat(const Matrix44& m) {
    add(ops::Concat{m});
    Canvas::concat(m);
}

void RecordingCanvas::setMatrix(const Matrix& m) { setMatrix(Matrix44::From3x3(m)); }

void RecordingCanvas::setMatrix(const Matrix44& m) {
    add(ops::SetMatrix{m});
    Canvas::setMatrix(m);
}

void RecordingCanvas::resetMatrix() { setMatrix(Matrix44()); }

void RecordingCanvas::clipRect(const Rect& r, ClipOp op, bool aa) {
    add(ops::ClipRect{r, op, aa});
    Canvas::clipRect(r, op, aa);
}

void RecordingCanvas::clipRRect(const RRect& rr, ClipOp op, bool aa) {
    add(ops::ClipRRect{rr, op, aa});
    Canvas::clipRRect(rr, op, aa);
}

void RecordingCanvas::clipPath(const Path& path, ClipOp op, bool aa) {
    add(ops::ClipPath{path, op, aa});
    Canvas::clipPath(path, op, aa);
}

void RecordingCanvas::clipShader(sp<Shader> shader, ClipOp op) {
    add(ops::ClipShader{shader, op});
    Canvas::clipShader(std::move(shader), op);
}

void RecordingCanvas::drawPaint(const Paint& paint) { add(ops::DrawPaint{paint}); }

void RecordingCanvas::drawPoints(PointMode mode, size_t count, const Point pts[], const Paint& paint) {
    if (!pts || count == 0) return;
    add(ops::DrawPoints{mode, std::vector<Point>(pts, pts + count), paint});
}

void RecordingCanvas::drawRect(const Rect& r, const Paint& paint) { add(ops::DrawRect{r, paint}); }
void RecordingCanvas::drawOval(const Rect& r, const Paint& paint) { add(ops::DrawOval{r, paint}); }
void RecordingCanvas::drawRRect(const RRect& rr, const Paint& paint) { add(ops::DrawRRect{rr, paint}); }
void RecordingCanvas::drawPath(const Path& path, const Paint& paint) { add(ops::DrawPath{path, paint}); }

void RecordingCanvas::drawImage(const Image& image, float x, float y, const SamplingOptions& sampling,
                                const Paint* paint) {
    add(ops::DrawImage{sp_ref(const_cast<Image*>(&image)), x, y, sampling, optionalPaint(paint)});
}

void RecordingCanvas::drawImageRect(const Image& image, const Rect& src, const Rect& dst,
                                    const SamplingOptions& sampling, const Paint* paint, SrcRectConstraint c) {
    add(ops::DrawImageRect{sp_ref(const_cast<Image*>(&image)), src, dst, sampling, optionalPaint(paint), c});
}

void RecordingCanvas::drawImageNine(const Image& image, const IRect& center, const Rect& dst, FilterMode filter,
                                    const Paint* paint) {
    add(ops::DrawImageNine{sp_ref(const_cast<Image*>(&image)), center, dst, filter, optionalPaint(paint)});
}

void RecordingCanvas::drawImageLattice(const Image& image, const Lattice& l, const Rect& dst, FilterMode filter,
                                       const Paint* paint) {
    ops::DrawImageLattice op{sp_ref(const_cast<Image*>(&image)), {}, {}, {}, {}, std::nullopt, dst, filter, optionalPaint(paint)};
    if (l.xDivs && l.xCount > 0) op.xDivs.assign(l.xDivs, l.xDivs + l.xCount);
    if (l.yDivs && l.yCount > 0) op.yDivs.assign(l.yDivs, l.yDivs + l.yCount);
    const size_t cells = size_t(std::max(l.xCount, 0) + 1) * size_t(std::max(l.yCount, 0) + 1);
    if (l.rectTypes) op.rectTypes.assign(l.rectTypes, l.rectTypes + cells);
    if (l.colors) op.colors.assign(l.colors, l.colors + cells);
    if (l.bounds) op.bounds = *l.bounds;
    // A lattice whose division arrays are missing keeps its counts out of reach of playback.
    if ((l.xCount > 0 && !l.xDivs) || (l.yCount > 0 && !l.yDivs)) op.xDivs.clear(), op.yDivs.clear();
    add(std::move(op));
}

void RecordingCanvas::drawAnnotation(const Rect& rect, const char* key, const void* value, size_t size) {
    if (!key) return;
    const auto* bytes = static_cast<const uint8_t*>(value);
    add(ops::DrawAnnotation{rect, key, bytes ? std::vector<uint8_t>(bytes, bytes + size) : std::vector<uint8_t>{}});
}

void RecordingCanvas::drawPicture(sp<Picture> picture, const Matrix* matrix, const Paint* paint) {
    if (!picture) return;
    add(ops::DrawPicture{std::move(picture), matrix ? std::optional<Matrix>(*matrix) : std::nullopt,
                         optionalPaint(paint)});
}

}  // namespace plix
