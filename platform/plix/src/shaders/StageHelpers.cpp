#include "shaders/StageHelpers.h"

#include <cmath>

namespace plix {

bool appendInverseMatrix(Pipeline& p, const Matrix& m) {
    Matrix inv;
    if (!m.invert(&inv) || !inv.isFinite()) return false;
    if (inv.isIdentity()) return true;
    if (inv.hasPerspective()) {
        float* v = p.makeArray<float>(9);
        for (int i = 0; i < 9; ++i) v[i] = inv[i];
        p.append(Op::matrix_perspective, v);
    } else {
        float* v = p.makeArray<float>(6);
        for (int i = 0; i < 6; ++i) v[i] = inv[i];
        p.append(Op::matrix_2x3, v);
    }
    return true;
}

void appendColorSpaceXform(Pipeline& p, const ColorSpace* src, const ColorSpace* dst) {
    const ColorSpaceXform x(src, dst);
    if (x.isIdentity()) return;
    p.append(Op::unpremul);
    if (x.linearize) p.append(Op::transfer_fn, p.make(x.srcFn));
    if (x.gamut) p.append(Op::gamut, p.make(x.srcToDst));
    if (x.encode) p.append(Op::transfer_fn, p.make(x.dstInvFn));
    p.append(Op::premul);
}

void convertColor(float rgba[4], const ColorSpace* cs, const ColorSpace* dst) {
    if (!dst) return;
    sp<ColorSpace> srgb;
    if (!cs) srgb = ColorSpace::MakeSRGB(), cs = srgb.get();
    ColorSpaceXform(cs, dst).apply(rgba);
}

}  // namespace plix
