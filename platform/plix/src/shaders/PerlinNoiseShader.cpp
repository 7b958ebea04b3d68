// Perlin noise as the SVG turbulence filter defines it: a seeded pseudo-random lattice of
// gradients per channel, summed over octaves of doubling frequency, optionally stitched so
// that a tile of the given size repeats seamlessly.
#include <cmath>

#include "shaders/Shaders.h"
#include "shaders/StageHelpers.h"

namespace plix {

namespace {

constexpr int kBlockSize = 256, kPerlinN = 4096;
constexpr long kRandM = 2147483647, kRandA = 16807, kRandQ = 127773, kRandR = 2836;

// The Park-Miller generator of the SVG reference.
long random(long seed) {
    long r = kRandA * (seed % kRandQ) - kRandR * (seed / kRandQ);
    if (r <= 0) r += kRandM;
    return r;
}

void initLattice(PerlinCtx& c, long seed) {
    if (seed <= 0) seed = -(seed % (kRandM - 1)) + 1;
    if (seed > kRandM - 1) seed = kRandM - 1;
    for (int ch = 0; ch < 4; ++ch) {
        for (int i = 0; i < kBlockSize; ++i) {
            c.latticeSelector[i] = i;
            for (int j = 0; j < 2; ++j) {
                seed = random(seed);
                c.gradient[ch][i][j] = float((seed % (kBlockSize + kBlockSize)) - kBlockSize) / kBlockSize;
            }
            const float gx = c.gradient[ch][i][0], gy = c.gradient[ch][i][1];
            const float len = std::sqrt(gx * gx + gy * gy);
            if (len > 0) c.gradient[ch][i][0] = gx / len, c.gradient[ch][i][1] = gy / len;
        }
    }
    for (int i = kBlockSize - 1; i > 0; --i) {
        const int k = c.latticeSelector[i];
        seed = random(seed);
        const int j = int(seed % kBlockSize);
        c.latticeSelector[i] = c.latticeSelector[j];
        c.latticeSelector[j] = k;
    }
    for (int i = 0; i < kBlockSize + 2; ++i) {
        c.latticeSelector[kBlockSize + i] = c.latticeSelector[i];
        for (int ch = 0; ch < 4; ++ch)
            for (int j = 0; j < 2; ++j) c.gradient[ch][kBlockSize + i][j] = c.gradient[ch][i][j];
    }
}

// The frequency nearest f (by ratio) that fits a whole number of periods into the tile.
float stitchFrequency(float f, float tile) {
    if (f == 0) return 0;
    const float lo = std::floor(tile * f) / tile, hi = std::ceil(tile * f) / tile;
    if (!(lo > 0)) return hi;
    return f / lo < hi / f ? lo : hi;
}

class PerlinNoiseShader final : public Shader {
public:
    PerlinNoiseShader(bool fractal, float fx, float fy, int octaves, long seed, int tileW, int tileH) {
        PerlinCtx& c = fCtx;
        initLattice(c, seed);
        c.fractal = fractal;
        c.octaves = octaves;
        c.stitch = tileW > 0 && tileH > 0;
        if (c.stitch) {
            fx = stitchFrequency(fx, float(tileW));
            fy = stitchFrequency(fy, float(tileH));
            c.stitchWidth = int(std::fmin(float(tileW) * fx + 0.5f, float(1 << 24)));
            c.stitchHeight = int(std::fmin(float(tileH) * fy + 0.5f, float(1 << 24)));
            c.wrapX = kPerlinN + c.stitchWidth;
            c.wrapY = kPerlinN + c.stitchHeight;
        }
        c.baseX = fx, c.baseY = fy;
    }
    bool appendStages(const StageRec& rec, const Matrix& ctm) const override {
        Pipeline& p = *rec.pipeline;
        // The noise is sampled at the pixels' corners past the centres (x + 1, y + 1 for
        // pixel x, y), as the SVG filter's one-based pixel coordinates have it.
        if (!appendInverseMatrix(p, ctm * Matrix::Translate(-0.5f, -0.5f))) return false;
        p.append(Op::perlin_noise, &fCtx);
        p.append(Op::premul);
        return true;
    }

private:
    PerlinCtx fCtx{};
};

}  // namespace

sp<Shader> MakePerlinNoiseShader(bool fractal, float fx, float fy, int octaves, float seed, int tileWidth,
                                 int tileHeight) {
    if (!(fx >= 0) || !(fy >= 0) || !std::isfinite(fx) || !std::isfinite(fy) || octaves < 0 || octaves > 255 ||
        !std::isfinite(seed) || tileWidth < 0 || tileHeight < 0)
        return nullptr;
    // The seed as an integer, within the generator's range.
    const long s = long(std::fmax(std::fmin(seed, 2147483647.0f), -2147483647.0f));
    return make_sp<PerlinNoiseShader>(fractal, fx, fy, octaves, s, tileWidth, tileHeight);
}

}  // namespace plix
