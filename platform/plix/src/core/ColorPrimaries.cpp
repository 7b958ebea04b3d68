#include <cmath>

#include "core/ColorSpace.h"

namespace plix {

namespace {

// The Bradford cone response.
const Matrix3 kBradford{{0.8951f, 0.2664f, -0.1614f, -0.7502f, 1.7135f, 0.0367f, 0.0389f, -0.0685f, 1.0296f}};
constexpr float kD50[3] = {0.96422f, 1.0f, 0.82521f};

bool inUnitRange(float v) { return std::isfinite(v) && v >= 0 && v <= 1; }

}  // namespace

bool primariesToXYZD50(const ColorPrimaries& p, Matrix3* toXYZD50) {
    for (float v : {p.rx, p.ry, p.gx, p.gy, p.bx, p.by, p.wx, p.wy})
        if (!inUnitRange(v)) return false;
    if (p.wy <= 0) return false;
    // Columns: the primaries' XYZ up to a scale each, which the white point fixes.
    Matrix3 prim;
    prim.m = {p.rx, p.gx, p.bx, p.ry, p.gy, p.by, 1 - p.rx - p.ry, 1 - p.gx - p.gy, 1 - p.bx - p.by};
    Matrix3 primInv;
    if (!prim.invert(&primInv)) return false;
    float wX = p.wx / p.wy, wY = 1, wZ = (1 - p.wx - p.wy) / p.wy;
    float sr = wX, sg = wY, sb = wZ;
    primInv.map(sr, sg, sb);
    Matrix3 toXYZ;
    toXYZ.m = {prim.m[0] * sr, prim.m[1] * sg, prim.m[2] * sb, prim.m[3] * sr, prim.m[4] * sg,
               prim.m[5] * sb, prim.m[6] * sr, prim.m[7] * sg, prim.m[8] * sb};
    // Adapt the white to D50 in the Bradford cone space.
    float cw[3] = {wX, wY, wZ}, cd[3] = {kD50[0], kD50[1], kD50[2]};
    kBradford.map(cw[0], cw[1], cw[2]);
    kBradford.map(cd[0], cd[1], cd[2]);
    Matrix3 scale;
    scale.m = {cd[0] / cw[0], 0, 0, 0, cd[1] / cw[1], 0, 0, 0, cd[2] / cw[2]};
    Matrix3 bradfordInv;
    kBradford.invert(&bradfordInv);
    const Matrix3 result = bradfordInv * scale * kBradford * toXYZ;
    for (float v : result.m)
        if (!std::isfinite(v)) return false;
    *toXYZD50 = result;
    return true;
}

}  // namespace plix
