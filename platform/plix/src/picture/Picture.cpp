#include "picture/Picture.h"

#include <type_traits>

#include "picture/RecordingCanvas.h"

namespace plix {

namespace {

thread_local int tDepth = 0;

struct DepthGuard {
    DepthGuard() { ++tDepth; }
    ~DepthGuard() { --tDepth; }
};

const Paint* orNull(const std::optional<Paint>& p) { return p ? &*p : nullptr; }

}  // namespace

int Picture::approximateOpCount(bool nested) const {
    int64_t n = int64_t(fOps.size());
    if (nested)
        for (const ops::Op& op : fOps)
            if (const auto* p = std::get_if<ops::DrawPicture>(&op)) n += p->picture->approximateOpCount(true);
    return int(std::min<int64_t>(n, INT32_MAX));
}

size_t Picture::approximateBytesUsed() const {
    size_t n = sizeof(*this) + fOps.capacity() * sizeof(ops::Op);
    for (const ops::Op& op : fOps) {
        if (const auto* p = std::get_if<ops::DrawPath>(&op))
            n += p->path.points().size() * sizeof(Point) + p->path.verbs().size();
        else if (const auto* c = std::get_if<ops::ClipPath>(&op))
            n += c->path.points().size() * sizeof(Point) + c->path.verbs().size();
        else if (const auto* d = std::get_if<ops::DrawPoints>(&op))
            n += d->pts.size() * sizeof(Point);
        else if (const auto* a = std::get_if<ops::DrawAnnotation>(&op))
            n += a->key.size() + a->value.size();
    }
    return n;
}

void Picture::drawInto(Canvas& canvas, const Matrix* matrix, const Paint* paint) const {
    if (auto* recording = dynamic_cast<RecordingCanvas*>(&canvas)) {
        recording->drawPicture(sp_ref(const_cast<Picture*>(this)), matrix, paint);
        return;
    }
    const int count = canvas.save();
    if (matrix) canvas.concat(*matrix);
    if (paint) canvas.saveLayer(&fCull, paint, 0);
    playback(canvas);
    canvas.restoreToCount(count);
}

void Picture::playback(Canvas& c) const {
    if (tDepth >= kMaxDepth) return;
    DepthGuard depth;
    const int baseCount = c.saveCount();
    const Matrix44 baseMatrix = c.localToDevice();
    for (const ops::Op& any : fOps) {
        std::visit(
            [&](const auto& op) {
                using T = std::decay_t<decltype(op)>;
                if constexpr (std::is_same_v<T, ops::Save>) c.save();
                else if constexpr (std::is_same_v<T, ops::SaveLayer>)
                    c.saveLayer(op.bounds ? &*op.bounds : nullptr, orNull(op.paint), op.flags);
                else if constexpr (std::is_same_v<T, ops::Restore>) {
                    if (c.saveCount() > baseCount) c.restore();
                } else if constexpr (std::is_same_v<T, ops::RestoreToCount>)
                    c.restoreToCount(std::max(op.count, 1) - 1 + baseCount);
                else if constexpr (std::is_same_v<T, ops::Concat>) c.concat(op.m);
                else if constexpr (std::is_same_v<T, ops::SetMatrix>) c.setMatrix(baseMatrix * op.m);
                else if constexpr (std::is_same_v<T, ops::ClipRect>) c.clipRect(op.r, op.op, op.aa);
                else if constexpr (std::is_same_v<T, ops::ClipRRect>) c.clipRRect(op.rr, op.op, op.aa);
                else if constexpr (std::is_same_v<T, ops::ClipPath>) c.clipPath(op.path, op.op, op.aa);
                else if constexpr (std::is_same_v<T, ops::ClipShader>) c.clipShader(op.shader, op.op);
                else if constexpr (std::is_same_v<T, ops::DrawPaint>) c.drawPaint(op.paint);
                else if constexpr (std::is_same_v<T, ops::DrawPoints>)
                    c.drawPoints(op.mode, op.pts.size(), op.pts.data(), op.paint);
                else if constexpr (std::is_same_v<T, ops::DrawRect>) c.drawRect(op.r, op.paint);
                else if constexpr (std::is_same_v<T, ops::DrawOval>) c.drawOval(op.r, op.paint);
                else if constexpr (std::is_same_v<T, ops::DrawRRect>) c.drawRRect(op.rr, op.paint);
                else if constexpr (std::is_same_v<T, ops::DrawPath>) c.drawPath(op.path, op.paint);
                else if constexpr (std::is_same_v<T, ops::DrawImage>)
                    c.drawImage(*op.image, op.x, op.y, op.sampling, orNull(op.paint));
                else if constexpr (std::is_same_v<T, ops::DrawImageRect>)
                    c.drawImageRect(*op.image, op.src, op.dst, op.sampling, orNull(op.paint), op.constraint);
                else if constexpr (std::is_same_v<T, ops::DrawImageNine>)
                    c.drawImageNine(*op.image, op.center, op.dst, op.filter, orNull(op.paint));
                else if constexpr (std::is_same_v<T, ops::DrawImageLattice>) {
                    Lattice l;
                    l.xDivs = op.xDivs.empty() ? nullptr : op.xDivs.data();
                    l.yDivs = op.yDivs.empty() ? nullptr : op.yDivs.data();
                    l.xCount = int(op.xDivs.size()), l.yCount = int(op.yDivs.size());
                    l.rectTypes = op.rectTypes.empty() ? nullptr : op.rectTypes.data();
                    l.colors = op.colors.empty() ? nullptr : op.colors.data();
                    l.bounds = op.bounds ? &*op.bounds : nullptr;
                    c.drawImageLattice(*op.image, l, op.dst, op.filter, orNull(op.paint));
                } else if constexpr (std::is_same_v<T, ops::DrawPicture>)
                    op.picture->drawInto(c, op.matrix ? &*op.matrix : nullptr, orNull(op.paint));
                else if constexpr (std::is_same_v<T, ops::DrawAnnotation>)
                    c.drawAnnotation(op.rect, op.key.c_str(), op.value.data(), op.value.size());
            },
            any);
    }
    c.restoreToCount(baseCount);
}

}  // namespace plix
