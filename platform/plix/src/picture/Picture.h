// Pictures: recorded canvas calls that play back onto any canvas, as they would have drawn
// there directly (the matrix and save count at the start of playback are the picture's origin).
#pragma once

#include <vector>

#include "core/RefCnt.h"
#include "picture/PictureOps.h"

namespace plix {

class Picture final : public RefCnt {
public:
    Picture(std::vector<ops::Op> ops, const Rect& cull) : fOps(std::move(ops)), fCull(cull) {}

    const Rect& cullRect() const { return fCull; }
    const std::vector<ops::Op>& ops() const { return fOps; }
    // nested: also count the calls of pictures drawn by this one.
    int approximateOpCount(bool nested) const;
    size_t approximateBytesUsed() const;

    void playback(Canvas& canvas) const;
    // As drawing the picture on canvas: under matrix, through a layer with paint when given.
    void drawInto(Canvas& canvas, const Matrix* matrix, const Paint* paint) const;

    // Pictures drawn inside pictures deeper than this are not played (a stored form could
    // otherwise nest without end).
    static constexpr int kMaxDepth = 64;

private:
    std::vector<ops::Op> fOps;
    Rect fCull;
};

}  // namespace plix
