// The blitter for an image scaled (and moved) onto 32-bit pixels of the same channel order
// with bilinear filtering, SrcOver or Src: each row reads two image rows, each pixel two
// neighbouring pixels of each, weighted in 16-bit integers, and blends in place. It computes
// what the general pipeline does to within two levels (weights of 1/256).
#pragma once

#include <cstdint>

#include "core/ImageInfo.h"
#include "raster/Blitter.h"
#include "raster/Paint.h"

namespace plix {

class ScaledImageBlitter final : public Blitter {
public:
    // False when the paint, its matrix or the destination need the general pipeline.
    bool init(const Pixmap& dst, const Paint& paint, const Matrix& ctm);

    void blitH(int x, int y, int w) override;
    void blitAntiH(int x, int y, const uint8_t* cov, int n) override;
    void blitRect(int x, int y, int w, int h) override;

private:
    // Columns x .. x + w: the left image pixel and the weights of each.
    void prepareColumns(int x, int w);
    // The filtered image pixels of row y, columns as prepared: pairs handed to emit2(i, two
    // pixels in the low 64 bits), a last odd one to emit(i, pixel).
    template <class Emit, class Emit2>
    void sampleRow(int y, int w, Emit&& emit, Emit2&& emit2) const;

    Pixmap fDst, fSrc;
    float fSx = 1, fTx = 0, fSy = 1, fTy = 0;  // device to image: x' = x sx + tx
    bool fSrcMode = false;
    int fColX = 0, fColW = -1;  // the columns prepared
    // Where a full run writes its groups of four directly (null: every pixel through emit).
    mutable uint32_t* fBulk = nullptr;
    bool fBulkBlend = false;
};

}  // namespace plix
