#include "canvas/Canvas.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "canvas/ImageSampler.h"
#include "canvas/PixelConvert.h"
#include "canvas/SpriteBlitter.h"
#include "canvas/Surface.h"
#include "raster/PipelineBlitter.h"
#include "shaders/Shaders.h"

namespace plix {

struct Canvas::Layer {
    sp<PixelStorage> storage;
    Pixmap pixmap;
    int originX = 0, originY = 0;  // in base pixels
    Paint paint;
};

namespace {

// The colour type of a layer over a device: the device's own when it can hold any colour with
// alpha, 32-bit premultiplied otherwise; alpha-only devices keep alpha-only layers.
ColorType layerColorType(ColorType device, uint32_t flags) {
    if (flags & Canvas::kF16ColorType) return ColorType::RGBAF16;
    switch (device) {
        case ColorType::RGBA8888: case ColorType::BGRA8888: case ColorType::SRGBA8888:
        case ColorType::RGBA1010102: case ColorType::BGRA1010102: case ColorType::RGBAF16:
        case ColorType::RGBAF16Clamped: case ColorType::RGBAF32: case ColorType::RGBA16161616:
        case ColorType::Alpha8: case ColorType::Alpha16: case ColorType::AlphaF16:
            return device;
        default:
            return ColorType::BGRA8888;
    }
}

Matrix44 matrix44(const Matrix& m) { return Matrix44::From3x3(m); }

// Whether drawing transparent black with the paint's colour filter and blender changes the
// destination: blend modes that clear where the source is transparent, colour filters that
// give transparent black a colour, and every blender that is not a blend mode (it cannot be
// told apart). Drawing back a layer with such a paint changes pixels the layer never drew.
bool affectsTransparentBlack(const Paint& paint) {
    BlendMode mode;
    if (!paint.asBlendMode(&mode)) return true;
    switch (mode) {
        case BlendMode::Clear: case BlendMode::Src: case BlendMode::SrcIn: case BlendMode::DstIn:
        case BlendMode::SrcOut: case BlendMode::DstATop: case BlendMode::Modulate:
            return true;
        default:
            break;
    }
    if (!paint.colorFilter) return false;
    // The filter run on one transparent pixel.
    float px[4] = {0, 0, 0, 0};
    const Pixmap one(ImageInfo::Make(1, 1, ColorType::RGBAF32, AlphaType::Premul), px, sizeof(px));
    Paint probe;
    probe.color = {0, 0, 0, 0};
    probe.colorFilter = paint.colorFilter;
    probe.setBlendMode(BlendMode::Src);
    plix::drawPaint(DrawTarget{one, IRect::MakeWH(1, 1), nullptr}, probe);
    return px[0] != 0 || px[1] != 0 || px[2] != 0 || px[3] != 0;
}

}  // namespace

Canvas::Canvas(const Pixmap& base, const SurfaceProps& props) : fBase(base), fProps(props) {
    fStack.emplace_back();
    fStack.back().clip = RasterClip(IRect::MakeWH(base.width(), base.height()));
}

Canvas::~Canvas() = default;

void Canvas::setBasePixels(void* addr) { fBase = Pixmap(fBase.info(), addr, fBase.rowBytes()); }

const Canvas::Layer* Canvas::topLayer() const {
    for (auto it = fStack.rbegin(); it != fStack.rend(); ++it)
        if (it->layer) return it->layer.get();
    return nullptr;
}

IRect Canvas::deviceBounds() const {
    if (const Layer* l = topLayer())
        return IRect::MakeXYWH(l->originX, l->originY, l->pixmap.width(), l->pixmap.height());
    return IRect::MakeWH(fBase.width(), fBase.height());
}

bool Canvas::target(Target* t) {
    const Rec& r = top();
    if (r.clip.isEmpty()) return false;
    const Layer* l = topLayer();
    if (!l && fBeforeBaseWrite) fBeforeBaseWrite();
    const Pixmap& dst = l ? l->pixmap : fBase;
    t->dt = DrawTarget{dst, r.clip.bounds(), r.clip.mask()};
    const IRect dev = deviceBounds();
    t->ctm = Matrix::Translate(float(-dev.left), float(-dev.top)) * r.ctm.to3x3();
    return true;
}

// ---- saved states ----

int Canvas::save() {
    const int count = saveCount();
    Rec rec;
    rec.ctm = top().ctm;
    rec.clip = top().clip;
    fStack.push_back(std::move(rec));
    return count;
}

int Canvas::saveLayer(const Rect* bounds, const Paint* paint, uint32_t flags) {
    const int count = saveCount();
    const IRect dev = deviceBounds();
    const Matrix devCtm = Matrix::Translate(float(-dev.left), float(-dev.top)) * top().ctm.to3x3();
    IRect b = top().clip.bounds();
    // A layer drawn back with a paint that changes pixels where the layer is transparent
    // reaches the whole clip, whatever its bounds say, as it does in the reference engine.
    if (paint && affectsTransparentBlack(*paint)) bounds = nullptr;
    if (bounds) {
        const Rect mapped = devCtm.mapRect(bounds->makeSorted());
        if (!mapped.isFinite() || !b.intersect(mapped.roundOut())) b = {};
    }
    Rec rec;
    rec.ctm = top().ctm;
    std::unique_ptr<Layer> layer;
    if (!b.isEmpty()) {
        const Layer* parent = topLayer();
        const Pixmap& parentPixels = parent ? parent->pixmap : fBase;
        const ImageInfo info = ImageInfo::Make(b.width(), b.height(), layerColorType(parentPixels.colorType(), flags),
                                               AlphaType::Premul, parentPixels.info().colorSpace);
        const size_t rowBytes = info.minRowBytes();
        if (sp<PixelStorage> storage = PixelStorage::Allocate(rowBytes, b.height())) {
            layer = std::make_unique<Layer>();
            layer->pixmap = Pixmap(info, storage->addr(), rowBytes);
            layer->storage = std::move(storage);
            layer->originX = dev.left + b.left, layer->originY = dev.top + b.top;
            if (paint) layer->paint = *paint;
            if (flags & kInitWithPrevious) readPixelsAt(parentPixels, layer->pixmap, b.left, b.top);
            rec.clip = top().clip.makeOffsetCropped(b.left, b.top, b.width(), b.height());
        }
    }
    // Without a layer (nothing to draw, or no memory) the level draws nothing.
    rec.layer = std::move(layer);
    fStack.push_back(std::move(rec));
    return count;
}

int Canvas::saveLayerAlpha(const Rect* bounds, uint8_t alpha) {
    Paint p;
    p.setAlpha(alpha / 255.0f);
    return saveLayer(bounds, alpha == 255 ? nullptr : &p, 0);
}

void Canvas::internalRestore() {
    std::unique_ptr<Layer> layer = std::move(top().layer);
    fStack.pop_back();
    if (layer) {
        const IRect dev = deviceBounds();
        drawSprite(layer->pixmap, layer->originX - dev.left, layer->originY - dev.top, layer->paint);
    }
}

void Canvas::restore() {
    if (fStack.size() > 1) internalRestore();
}

void Canvas::restoreToCount(int count) {
    count = std::max(count, 1);
    while (saveCount() > count) internalRestore();
}

// ---- matrix ----

void Canvas::translate(float dx, float dy) { concat(Matrix::Translate(dx, dy)); }
void Canvas::scale(float sx, float sy) { concat(Matrix::Scale(sx, sy)); }
void Canvas::rotate(float degrees) { concat(Matrix::RotateDeg(degrees)); }
void Canvas::rotate(float degrees, float px, float py) { concat(Matrix::RotateDeg(degrees, {px, py})); }
void Canvas::skew(float kx, float ky) { concat(Matrix::Skew(kx, ky)); }
void Canvas::concat(const Matrix& m) { top().ctm = top().ctm * matrix44(m); }
void Canvas::concat(const Matrix44& m) { top().ctm = top().ctm * m; }
void Canvas::setMatrix(const Matrix& m) { top().ctm = matrix44(m); }
void Canvas::setMatrix(const Matrix44& m) { top().ctm = m; }
void Canvas::resetMatrix() { top().ctm = Matrix44(); }

// ---- clip ----

namespace {
Matrix deviceMatrix(const Matrix44& ctm, const IRect& dev) {
    return Matrix::Translate(float(-dev.left), float(-dev.top)) * ctm.to3x3();
}
}  // namespace

void Canvas::clipRect(const Rect& r, ClipOp op, bool antiAlias) {
    top().clip.opRect(r, deviceMatrix(top().ctm, deviceBounds()), op, antiAlias);
}

void Canvas::clipRRect(const RRect& rr, ClipOp op, bool antiAlias) {
    if (rr.isRect() || rr.isEmpty()) return clipRect(rr.rect(), op, antiAlias);
    Path p;
    p.addRRect(rr);
    clipPath(p, op, antiAlias);
}

void Canvas::clipPath(const Path& path, ClipOp op, bool antiAlias) {
    Rect r;
    bool closed = false;
    if (!isInverseFill(path.fillType()) && path.isRect(&r, &closed) && closed)
        return clipRect(r, op, antiAlias);
    top().clip.opPath(path, deviceMatrix(top().ctm, deviceBounds()), op, antiAlias);
}

void Canvas::clipShader(sp<Shader> shader, ClipOp op) {
    if (!shader) return;
    top().clip.opShader(*shader, deviceMatrix(top().ctm, deviceBounds()), op);
}

IRect Canvas::deviceClipBounds() const {
    const IRect& b = top().clip.bounds();
    if (b.isEmpty()) return {};
    const IRect dev = deviceBounds();
    return {b.left + dev.left, b.top + dev.top, b.right + dev.left, b.bottom + dev.top};
}

Rect Canvas::localClipBounds() const {
    const IRect dev = deviceClipBounds();
    if (dev.isEmpty()) return {};
    Matrix inv;
    if (!localToDevice3x3().invert(&inv)) return {};
    return inv.mapRect(Rect::Make(dev).makeOutset(1, 1));
}

bool Canvas::quickReject(const Rect& r) const {
    const IRect clip = deviceClipBounds();
    if (clip.isEmpty() || !r.isFinite()) return true;
    const Matrix m = localToDevice3x3();
    if (m.hasPerspective()) return false;  // mapped corners do not bound the shape behind the eye
    const Rect dev = m.mapRect(r.makeSorted());
    if (!dev.isFinite()) return false;
    // One pixel of slack for anti-aliasing.
    const Rect slack = Rect::Make(clip).makeOutset(1, 1);
    return !(dev.left < slack.right && slack.left < dev.right && dev.top < slack.bottom && slack.top < dev.bottom);
}

bool Canvas::quickReject(const Path& p) const {
    if (isInverseFill(p.fillType())) return deviceClipBounds().isEmpty();
    if (p.isEmpty()) return true;
    return quickReject(p.bounds());
}

// ---- drawing ----

void Canvas::clear(const Color4& color) { drawColor(color, BlendMode::Src); }

void Canvas::drawColor(const Color4& color, BlendMode mode) {
    Paint p;
    p.color = color;
    p.setBlendMode(mode);
    drawPaint(p);
}

void Canvas::drawPaint(const Paint& paint) {
    Target t;
    if (!target(&t)) return;
    IRect clip = t.dt.clip;
    if (!clip.intersect(IRect::MakeWH(t.dt.dst.width(), t.dt.dst.height()))) return;
    auto blitter = PipelineBlitter::Make(t.dt.dst, paint, t.ctm);
    if (!blitter) return;
    if (t.dt.clipMask) {
        ClipMaskBlitter masked(blitter.get(), t.dt.clipMask);
        masked.blitRect(clip.left, clip.top, clip.width(), clip.height());
    } else {
        blitter->blitRect(clip.left, clip.top, clip.width(), clip.height());
    }
}

void Canvas::drawPoints(PointMode mode, size_t count, const Point pts[], const Paint& paint0) {
    if (!pts || count == 0) return;
    Target t;
    if (!target(&t)) return;
    Paint paint = paint0;
    paint.style = PaintStyle::Stroke;
    // Lines take the points in pairs; a polygon joins each point to the next. Either way each
    // segment is drawn on its own: hairlines between the device points without caps, wider
    // lines stroked with the paint's caps and no joins.
    if (mode != PointMode::Points && paint.strokeWidth == 0) {
        std::vector<Point> device(count);
        t.ctm.mapPoints(device.data(), pts, int(count));
        plix::drawHairlineSegments(t.dt, device.data(), count, mode == PointMode::Polygon, t.ctm, paint);
        return;
    }
    if (mode != PointMode::Points) {
        const size_t step = mode == PointMode::Lines ? 2 : 1;
        for (size_t i = 0; i + 1 < count; i += step) {
            Path p;
            p.moveTo(pts[i]);
            p.lineTo(pts[i + 1]);
            plix::drawPath(t.dt, p, t.ctm, paint);
        }
        return;
    }
    // Points: a square (or a circle with round caps) the stroke width across. Hairline points,
    // whatever the cap: anti-aliased, a device pixel's square centred on the point; aliased, the
    // pixel the point is in.
    Paint fill = paint0;
    fill.style = PaintStyle::Fill;
    const float w = paint.strokeWidth;
    Matrix inv;
    const bool hairline = !(w > 0);
    if (hairline && !t.ctm.invert(&inv)) return;
    for (size_t i = 0; i < count; ++i) {
        if (!pts[i].isFinite()) continue;
        Path p;
        if (hairline) {
            const Point d = t.ctm.mapPoint(pts[i]);
            if (!d.isFinite()) continue;
            const Rect square = paint.antiAlias ? Rect{d.x - 0.5f, d.y - 0.5f, d.x + 0.5f, d.y + 0.5f}
                                                : Rect::MakeXYWH(std::floor(d.x), std::floor(d.y), 1, 1);
            Path dev;
            dev.addRect(square);
            p = dev.makeTransform(inv);
        } else if (paint.cap == StrokeCap::Round) {
            p.addCircle(pts[i].x, pts[i].y, w / 2);
        } else {
            p.addRect({pts[i].x - w / 2, pts[i].y - w / 2, pts[i].x + w / 2, pts[i].y + w / 2});
        }
        plix::drawPath(t.dt, p, t.ctm, fill);
    }
}

void Canvas::drawLine(Point a, Point b, const Paint& paint) {
    const Point pts[2] = {a, b};
    drawPoints(PointMode::Lines, 2, pts, paint);
}

void Canvas::drawRect(const Rect& r, const Paint& paint) {
    Target t;
    if (target(&t)) plix::drawRect(t.dt, r, t.ctm, paint);
}

void Canvas::drawOval(const Rect& oval, const Paint& paint) {
    Target t;
    if (target(&t)) plix::drawOval(t.dt, oval, t.ctm, paint);
}

void Canvas::drawCircle(Point center, float radius, const Paint& paint) {
    radius = std::max(radius, 0.0f);
    drawOval({center.x - radius, center.y - radius, center.x + radius, center.y + radius}, paint);
}

void Canvas::drawArc(const Rect& oval0, float startDeg, float sweepDeg, bool useCenter, const Paint& paint) {
    const Rect oval = oval0.makeSorted();
    if (oval.isEmpty() || !(sweepDeg != 0) || !std::isfinite(startDeg) || !std::isfinite(sweepDeg)) return;
    Path p;
    if (useCenter) {
        p.moveTo({oval.centerX(), oval.centerY()});
        p.arcTo(oval, startDeg, std::clamp(sweepDeg, -360.0f, 360.0f), false);
        p.close();
    } else {
        p.addArc(oval, startDeg, sweepDeg);
    }
    drawPath(p, paint);
}

void Canvas::drawRRect(const RRect& rr, const Paint& paint) {
    Target t;
    if (target(&t)) plix::drawRRect(t.dt, rr, t.ctm, paint);
}

void Canvas::drawDRRect(const RRect& outer, const RRect& inner, const Paint& paint) {
    if (outer.isEmpty()) return;
    if (inner.isEmpty()) return drawRRect(outer, paint);
    if (!outer.contains(inner.rect())) return;
    Path p;
    p.addRRect(outer);
    p.addRRect(inner);
    p.setFillType(PathFillType::EvenOdd);
    drawPath(p, paint);
}

void Canvas::drawPath(const Path& path, const Paint& paint) {
    Target t;
    if (target(&t)) plix::drawPath(t.dt, path, t.ctm, paint);
}

// ---- images ----

void Canvas::drawSprite(const Pixmap& src, int x, int y, const Paint& paint) {
    Target t;
    if (!target(&t)) return;
    IRect area = IRect::MakeXYWH(x, y, src.width(), src.height());
    if (!area.intersect(t.dt.clip) || !area.intersect(IRect::MakeWH(t.dt.dst.width(), t.dt.dst.height()))) return;
    if (t.dt.clipMask && !area.intersect(t.dt.clipMask->bounds)) return;
    auto blitter = SpriteBlitter::Make(t.dt.dst, src, x, y, area, paint);
    if (!blitter) return;
    if (t.dt.clipMask) {
        ClipMaskBlitter masked(blitter.get(), t.dt.clipMask);
        masked.blitRect(area.left, area.top, area.width(), area.height());
    } else {
        blitter->blitRect(area.left, area.top, area.width(), area.height());
    }
}

// Images placed one-to-one at whole device pixels need no sampling: their pixels (converted to
// the device's colour space and premultiplied when needed) go straight to the blend.
bool Canvas::drawImageAsSprite(const Image& image, const Rect& src, const Rect& dst, const Paint& paint) {
    const Matrix m = localToDevice3x3();
    if (!m.isTranslate() || !(src.width() == dst.width() && src.height() == dst.height())) return false;
    const float fx = dst.left - src.left + m[Matrix::kTX], fy = dst.top - src.top + m[Matrix::kTY];
    if (fx != std::floor(fx) || fy != std::floor(fy) || std::fabs(fx) > 1e8f || std::fabs(fy) > 1e8f) return false;
    if (src.left != std::floor(src.left) || src.top != std::floor(src.top) || src.right != std::floor(src.right) ||
        src.bottom != std::floor(src.bottom))
        return false;
    if (paint.shader && image.isAlphaOnly()) return false;
    IRect isrc{int(src.left), int(src.top), int(src.right), int(src.bottom)};
    if (!isrc.intersect(image.bounds())) return true;  // nothing of the image is inside src
    const IRect dev = deviceBounds();
    const int x = int(fx) + isrc.left - dev.left, y = int(fy) + isrc.top - dev.top;

    // The part that can show, in device pixels.
    Target t;
    if (!target(&t)) return true;
    IRect area = IRect::MakeXYWH(x, y, isrc.width(), isrc.height());
    if (!area.intersect(t.dt.clip)) return true;
    Pixmap part;
    if (!image.pixmap().extractSubset(&part, isrc.left + area.left - x, isrc.top + area.top - y,
                                      isrc.left + area.right - x, isrc.top + area.bottom - y))
        return true;
    const Pixmap& device = t.dt.dst;
    Paint p = paint;
    p.shader = nullptr;
    const bool sameSpace = !image.colorSpace() || !device.colorSpace() ||
                           ColorSpace::Equals(image.colorSpace(), device.colorSpace());
    if (!image.isAlphaOnly() && image.alphaType() != AlphaType::Unpremul && sameSpace) {
        drawSprite(part, area.left, area.top, p);
        return true;
    }
    // Convert what shows into premultiplied floats in the device's colour space.
    const ImageInfo info = ImageInfo::Make(part.width(), part.height(), ColorType::RGBAF32, AlphaType::Premul,
                                           device.info().colorSpace);
    sp<PixelStorage> tmp = PixelStorage::Allocate(info.minRowBytes(), part.height());
    if (!tmp) return true;
    const Pixmap conv(info, tmp->addr(), info.minRowBytes());
    if (!convertPixels(conv, part)) return true;
    if (image.isAlphaOnly()) {
        // Alpha-only images draw the paint's colour through their alpha.
        float c[4] = {paint.color[0], paint.color[1], paint.color[2], 1};
        if (device.colorSpace()) ColorSpaceXform(ColorSpace::MakeSRGB().get(), device.colorSpace()).apply(c);
        for (int yy = 0; yy < conv.height(); ++yy) {
            float* px = conv.row<float>(yy);
            for (int xx = 0; xx < conv.width(); ++xx, px += 4)
                px[0] = c[0] * px[3], px[1] = c[1] * px[3], px[2] = c[2] * px[3];
        }
    }
    drawSprite(conv, area.left, area.top, p);
    return true;
}

void Canvas::drawImage(const Image& image, float x, float y, const SamplingOptions& sampling, const Paint* paint) {
    const Rect src = Rect::MakeWH(float(image.width()), float(image.height()));
    drawImageRect(image, src, src.makeOffset(x, y), sampling, paint, SrcRectConstraint::Fast);
}

void Canvas::drawImageRect(const Image& image, const Rect& src, const Rect& dst, const SamplingOptions& sampling,
                           const Paint* paint, SrcRectConstraint constraint) {
    if (!src.isFinite() || !dst.isFinite()) return;
    const Rect s = src.makeSorted(), d = dst.makeSorted();
    if (s.isEmpty() || d.isEmpty()) return;
    Paint p = paint ? *paint : Paint();
    p.style = PaintStyle::Fill;
    p.pathEffect = nullptr;
    if (drawImageAsSprite(image, s, d, p)) return;
    // Sampled: the image mapped from src onto dst, read only inside src when strict.
    const Rect allowed = constraint == SrcRectConstraint::Strict ? s : Rect::Make(image.bounds());
    const float color[4] = {p.color[0], p.color[1], p.color[2], p.color[3]};
    const Matrix srcToDst = Matrix::RectToRect(s, d);
    // Only the part of the image that can show is prepared for sampling.
    Rect visible;
    bool hasVisible = false;
    if (!localToDevice3x3().hasPerspective()) {
        Rect shown = d;
        if (!shown.intersect(localClipBounds())) return;
        Matrix dstToSrc;
        if (srcToDst.invert(&dstToSrc)) visible = dstToSrc.mapRect(shown), hasVisible = true;
    }
    if (image.isAlphaOnly() && p.shader) {
        // The paint's shader is the colour, the image's alpha its coverage; as in the reference
        // engine, the paint's shader is seen in the image's pixel space, mapped with the image.
        const float white[4] = {1, 1, 1, 1};
        auto mask = make_sp<ImageRectShader>(sp_ref(const_cast<Image*>(&image)), allowed, Matrix(), sampling, white,
                                             hasVisible ? &visible : nullptr);
        p.shader = MakeLocalMatrixShader(MakeBlendShader(BlendMode::DstIn, std::move(p.shader), std::move(mask)),
                                         srcToDst);
    } else {
        p.shader = make_sp<ImageRectShader>(sp_ref(const_cast<Image*>(&image)), allowed, srcToDst, sampling, color,
                                            hasVisible ? &visible : nullptr);
    }
    drawRect(d, p);
}

void Canvas::drawImageCell(const Image& image, const Rect& src, const Rect& dst, FilterMode filter,
                           const Paint* paint) {
    drawImageRect(image, src, dst, SamplingOptions(filter), paint, SrcRectConstraint::Strict);
}

void Canvas::drawImageNine(const Image& image, const IRect& center, const Rect& dst, FilterMode filter,
                           const Paint* paint) {
    const IRect& c = center;
    if (c.isEmpty() || !image.bounds().contains(c))
        return drawImageRect(image, Rect::Make(image.bounds()), dst, SamplingOptions(filter), paint,
                             SrcRectConstraint::Fast);
    const int32_t xDivs[2] = {c.left, c.right}, yDivs[2] = {c.top, c.bottom};
    Lattice lattice;
    lattice.xDivs = xDivs, lattice.yDivs = yDivs;
    lattice.xCount = lattice.yCount = 2;
    drawImageLattice(image, lattice, dst, filter, paint);
}

namespace {

// Source and destination edges of the columns (or rows) of a lattice along one axis. Column i
// spans divs[i-1]..divs[i] (the bounds at the ends); odd columns stretch. Fixed columns keep
// their size and stretchable ones share what is left in proportion to their sizes; when the
// fixed ones alone do not fit they are shrunk together and the others vanish.
bool latticeAxis(const int32_t* divs, int count, int lo, int hi, float dstLo, float dstHi, std::vector<float>& srcEdges,
                 std::vector<float>& dstEdges) {
    srcEdges.assign(1, float(lo));
    for (int i = 0; i < count; ++i) {
        if (divs[i] < lo || divs[i] > hi || (i > 0 && divs[i] < divs[i - 1])) return false;
        srcEdges.push_back(float(divs[i]));
    }
    srcEdges.push_back(float(hi));
    const size_t cells = srcEdges.size() - 1;
    double fixed = 0, stretch = 0;
    for (size_t i = 0; i < cells; ++i) (i % 2 ? stretch : fixed) += srcEdges[i + 1] - srcEdges[i];
    const double avail = double(dstHi) - dstLo;
    const double fixedScale = fixed > avail ? (fixed > 0 ? avail / fixed : 0) : 1;
    const double stretchScale = stretch > 0 && avail > fixed ? (avail - fixed) / stretch : 0;
    dstEdges.assign(1, dstLo);
    double at = dstLo;
    for (size_t i = 0; i < cells; ++i) {
        at += (srcEdges[i + 1] - srcEdges[i]) * (i % 2 ? stretchScale : fixedScale);
        dstEdges.push_back(i + 1 == cells ? dstHi : float(at));
    }
    return true;
}

}  // namespace

void Canvas::drawImageLattice(const Image& image, const Lattice& lattice, const Rect& dst0, FilterMode filter,
                              const Paint* paint) {
    const Rect dst = dst0.makeSorted();
    if (!dst.isFinite() || dst.isEmpty()) return;
    IRect bounds = lattice.bounds ? *lattice.bounds : image.bounds();
    if (lattice.xCount < 0 || lattice.yCount < 0 || (lattice.xCount && !lattice.xDivs) ||
        (lattice.yCount && !lattice.yDivs) || !image.bounds().contains(bounds)) {
        // A lattice that does not describe the image draws it plainly.
        return drawImageRect(image, Rect::Make(image.bounds()), dst, SamplingOptions(filter), paint,
                             SrcRectConstraint::Fast);
    }
    std::vector<float> sx, dx, sy, dy;
    if (!latticeAxis(lattice.xDivs, lattice.xCount, bounds.left, bounds.right, dst.left, dst.right, sx, dx) ||
        !latticeAxis(lattice.yDivs, lattice.yCount, bounds.top, bounds.bottom, dst.top, dst.bottom, sy, dy))
        return drawImageRect(image, Rect::Make(image.bounds()), dst, SamplingOptions(filter), paint,
                             SrcRectConstraint::Fast);
    for (size_t j = 0; j + 1 < sy.size(); ++j) {
        for (size_t i = 0; i + 1 < sx.size(); ++i) {
            const Rect s{sx[i], sy[j], sx[i + 1], sy[j + 1]}, d{dx[i], dy[j], dx[i + 1], dy[j + 1]};
            if (d.isEmpty()) continue;
            const size_t cell = j * sx.size() - j + i;  // (xCount + 1) cells per row
            const int32_t type = lattice.rectTypes ? lattice.rectTypes[cell] : Lattice::kDefault;
            if (type == Lattice::kTransparent) continue;
            if (type == Lattice::kFixedColor) {
                Paint p = paint ? *paint : Paint();
                p.shader = nullptr;
                const float alpha = p.alpha();
                p.setColor(lattice.colors ? lattice.colors[cell] : 0);
                p.setAlpha(p.alpha() * alpha);
                p.style = PaintStyle::Fill;
                drawRect(d, p);
                continue;
            }
            if (s.isEmpty()) continue;
            drawImageCell(image, s, d, filter, paint);
        }
    }
}

sp<Surface> Canvas::makeSurface(const ImageInfo& info, const SurfaceProps* props) const {
    return Surface::MakeRaster(info, 0, props ? props : &fProps);
}

}  // namespace plix
