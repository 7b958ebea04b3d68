// An 8-bit coverage mask over a device rectangle: what a clip or a union of shapes covers.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/Rect.h"
#include "raster/Blitter.h"

namespace plix {

struct Mask {
    IRect bounds;
    std::vector<uint8_t> cov;  // bounds.width() * bounds.height(), row by row

    explicit Mask(const IRect& b = {}) : bounds(b), cov(b.isEmpty() ? 0 : size_t(b.width()) * size_t(b.height()), 0) {}
    uint8_t* row(int y) { return cov.data() + size_t(y - bounds.top) * size_t(bounds.width()) - bounds.left; }
    const uint8_t* row(int y) const {
        return cov.data() + size_t(y - bounds.top) * size_t(bounds.width()) - bounds.left;
    }
    // Hands the covered runs to a blitter.
    void blitTo(Blitter& b) const;
};

// Writes coverage into a mask, keeping the larger value where shapes overlap (their union).
class MaskBlitter final : public Blitter {
public:
    explicit MaskBlitter(Mask* m) : fMask(m) {}
    void blitH(int x, int y, int w) override;
    void blitAntiH(int x, int y, const uint8_t* cov, int n) override;

private:
    Mask* fMask;
};

// Passes runs on to another blitter with their coverage multiplied by a clip mask.
class ClipMaskBlitter final : public Blitter {
public:
    ClipMaskBlitter(Blitter* inner, const Mask* clip) : fInner(inner), fClip(clip) {}
    void blitH(int x, int y, int w) override;
    void blitAntiH(int x, int y, const uint8_t* cov, int n) override;

private:
    Blitter* fInner;
    const Mask* fClip;
    std::vector<uint8_t> fRow;
};

}  // namespace plix
