// Sampling an image: nearest, bilinear or cubic filtering, optionally from a mipmap level
// chosen by how much the draw shrinks the image, with a tile mode on each axis.
#include <algorithm>
#include <cstring>
#include <cmath>
#include <mutex>
#include <vector>

#include "shaders/Shaders.h"
#include "shaders/StageHelpers.h"

namespace plix {

namespace {

// One level of the mipmap chain, its pixels kept by the shader.
struct MipLevel {
    std::vector<uint8_t> bytes;
    ImageLevel level;
};

class ImageShader final : public Shader {
public:
    ImageShader(sp<Image> image, TileMode tx, TileMode ty, const SamplingOptions& s, const Matrix& local, bool raw)
        : fImage(std::move(image)), fTileX(tx), fTileY(ty), fSampling(s), fLocal(local), fRaw(raw) {}

    bool appendStages(const StageRec& rec, const Matrix& ctm) const override {
        Pipeline& p = *rec.pipeline;
        const Matrix total = ctm * fLocal;
        if (!appendInverseMatrix(p, total)) return false;
        const Pixmap& pm = fImage->pixmap();
        if (!loadFn(pm.colorType()) || !pm.valid()) return false;
        ImageCtx* ctx = p.make(ImageCtx{});
        ctx->tileX = fTileX, ctx->tileY = fTileY;
        ctx->opaque = fImage->isOpaque();
        ctx->premulAfter = !fRaw && pm.alphaType() == AlphaType::Unpremul;
        int lower = 0;
        float weight = 0;
        if (fSampling.useCubic) {
            ctx->filter = 2;
            ctx->B = fSampling.cubic.B, ctx->C = fSampling.cubic.C;
            ctx->clampToAlpha = true;
        } else {
            ctx->filter = fSampling.filter == FilterMode::Linear ? 1 : 0;
            if (fSampling.mipmap != MipmapMode::None) pickLevel(total, &lower, &weight);
        }
        ctx->level[0] = level(lower);
        if (lower > 0) {
            // Coordinates arrive in the image's own pixels; the level's are smaller.
            float* m = p.makeArray<float>(6);
            const float sx = float(ctx->level[0].width) / float(pm.width());
            const float sy = float(ctx->level[0].height) / float(pm.height());
            m[0] = sx, m[1] = 0, m[2] = 0, m[3] = 0, m[4] = sy, m[5] = 0;
            p.append(Op::matrix_2x3, m);
        }
        if (weight > 0) {
            ctx->level[1] = level(lower + 1);
            ctx->levelWeight = weight;
            ctx->levelScale[0] = float(ctx->level[1].width) / float(ctx->level[0].width);
            ctx->levelScale[1] = float(ctx->level[1].height) / float(ctx->level[0].height);
        }
        p.append(Op::image_sample, ctx);
        if (!fRaw) appendColorSpaceXform(p, fImage->colorSpace(), rec.dstColorSpace);
        return true;
    }
    bool isOpaque() const override {
        return fImage->isOpaque() && fTileX != TileMode::Decal && fTileY != TileMode::Decal;
    }
    bool asImageDraw(const Matrix& ctm, ImageDraw* out) const override {
        Matrix inv;
        if (!(ctm * fLocal).invert(&inv)) return false;
        *out = {fImage->pixmap(), inv, fSampling, fTileX, fTileY, fRaw};
        return true;
    }

private:
    static ImageLevel levelOf(const Pixmap& pm) {
        const ColorType ct = pm.colorType();
        const int fast = ct == ColorType::RGBA8888 ? 1 : ct == ColorType::BGRA8888 ? 2 : 0;
        return {pm.addr(), pm.rowBytes(), pm.width(), pm.height(), pm.info().bytesPerPixel(), loadFn(ct), fast};
    }
    // Level 0 is the image, level k > 0 the k-th halving.
    ImageLevel level(int k) const { return k == 0 ? levelOf(fImage->pixmap()) : chain()[size_t(k - 1)].level; }

    // The level whose size is nearest what the draw shows (the smaller forward scale
    // decides), and with linear mipmapping the weight of the next smaller one.
    void pickLevel(const Matrix& total, int* lower, float* weight) const {
        if (total.hasPerspective()) return;
        const float scale = total.minScale();
        if (!(scale > 0) || !std::isfinite(scale) || scale >= 1) return;
        float lv = std::log2(1 / scale);
        if (fSampling.mipmap == MipmapMode::Nearest) lv = std::round(lv);
        const int levels = int(chain().size());
        *lower = std::min(int(std::floor(lv)), levels);
        *weight = *lower < levels ? lv - std::floor(lv) : 0;
    }

    // Levels 1, 2 ... halving each side down to 1 x 1, built on first use.
    const std::vector<MipLevel>& chain() const {
        std::call_once(fMipsOnce, [&] { buildChain(); });
        return fMips;
    }
    void buildChain() const {
        const Pixmap& src = fImage->pixmap();
        const bool is8888 = src.colorType() == ColorType::RGBA8888 || src.colorType() == ColorType::BGRA8888;
        // Each level holds four channels per pixel: bytes for 8888 images, floats otherwise.
        const int bpp = is8888 ? 4 : 16;
        const LoadFn load = loadFn(src.colorType());
        int w = src.width(), h = src.height();
        std::vector<float> prev(size_t(w) * size_t(h) * 4);
        for (int y = 0; y < h; ++y) {
            const size_t wn = static_cast<size_t>(w);
            std::vector<float> r(wn), g(wn), b(wn), a(wn);
            load(src.addr(0, y), w, r.data(), g.data(), b.data(), a.data());
            for (int x = 0; x < w; ++x) {
                float* o = &prev[(size_t(y) * size_t(w) + size_t(x)) * 4];
                o[0] = r[size_t(x)], o[1] = g[size_t(x)], o[2] = b[size_t(x)], o[3] = a[size_t(x)];
            }
        }
        while (w > 1 || h > 1) {
            const int nw = std::max(1, w / 2), nh = std::max(1, h / 2);
            std::vector<float> next(size_t(nw) * size_t(nh) * 4);
            for (int y = 0; y < nh; ++y)
                for (int x = 0; x < nw; ++x)
                    for (int c = 0; c < 4; ++c) {
                        float s = 0;
                        for (int dy = 0; dy < 2; ++dy)
                            for (int dx = 0; dx < 2; ++dx) {
                                const int sx = std::min(2 * x + dx, w - 1), sy = std::min(2 * y + dy, h - 1);
                                s += prev[(size_t(sy) * size_t(w) + size_t(sx)) * 4 + size_t(c)];
                            }
                        next[(size_t(y) * size_t(nw) + size_t(x)) * 4 + size_t(c)] = s * 0.25f;
                    }
            MipLevel lv;
            lv.bytes.resize(size_t(nw) * size_t(nh) * size_t(bpp));
            for (size_t i = 0; i < size_t(nw) * size_t(nh); ++i) {
                const float* c = &next[i * 4];
                if (is8888) {
                    const bool bgra = src.colorType() == ColorType::BGRA8888;
                    const float ordered[4] = {bgra ? c[2] : c[0], c[1], bgra ? c[0] : c[2], c[3]};
                    for (int k = 0; k < 4; ++k) lv.bytes[i * 4 + size_t(k)] = uint8_t(std::clamp(ordered[k], 0.0f, 1.0f) * 255 + 0.5f);
                } else {
                    std::memcpy(&lv.bytes[i * 16], c, 16);
                }
            }
            const ColorType ct = is8888 ? src.colorType() : ColorType::RGBAF32;
            lv.level = {nullptr, size_t(nw) * size_t(bpp), nw, nh, bpp, loadFn(ct),
                        ct == ColorType::RGBA8888 ? 1 : ct == ColorType::BGRA8888 ? 2 : 0};
            fMips.push_back(std::move(lv));
            prev.swap(next);
            w = nw, h = nh;
        }
        for (MipLevel& lv : fMips) lv.level.pixels = lv.bytes.data();
    }

    sp<Image> fImage;
    TileMode fTileX, fTileY;
    SamplingOptions fSampling;
    Matrix fLocal;
    bool fRaw;
    mutable std::once_flag fMipsOnce;
    mutable std::vector<MipLevel> fMips;
};

}  // namespace

sp<Shader> MakeImageShader(sp<Image> image, TileMode tx, TileMode ty, const SamplingOptions& sampling,
                           const Matrix* local, bool raw) {
    if (!image || !image->pixmap().valid() || (local && !local->isFinite())) return nullptr;
    if (!isValidTileMode(int32_t(tx)) || !isValidTileMode(int32_t(ty))) return nullptr;
    return make_sp<ImageShader>(std::move(image), tx, ty, sampling, local ? *local : Matrix(), raw);
}

}  // namespace plix
