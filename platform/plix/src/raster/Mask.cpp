#include "raster/Mask.h"

#include <algorithm>

namespace plix {

void Mask::blitTo(Blitter& b) const {
    const int w = bounds.width();
    for (int y = bounds.top; y < bounds.bottom; ++y) {
        const uint8_t* r = row(y) + bounds.left;
        int i = 0;
        while (i < w) {
            const uint8_t c = r[i];
            int j = i + 1;
            if (c == 0) {
                while (j < w && r[j] == 0) ++j;
            } else if (c == 255) {
                while (j < w && r[j] == 255) ++j;
                b.blitH(bounds.left + i, y, j - i);
            } else {
                while (j < w && r[j] != 0 && r[j] != 255) ++j;
                b.blitAntiH(bounds.left + i, y, r + i, j - i);
            }
            i = j;
        }
    }
}

void MaskBlitter::blitH(int x, int y, int w) {
    if (y < fMask->bounds.top || y >= fMask->bounds.bottom) return;
    const int a = std::max(x, fMask->bounds.left), b = std::min(x + w, fMask->bounds.right);
    if (a < b) std::fill(fMask->row(y) + a, fMask->row(y) + b, uint8_t(255));
}

void MaskBlitter::blitAntiH(int x, int y, const uint8_t* cov, int n) {
    if (y < fMask->bounds.top || y >= fMask->bounds.bottom) return;
    uint8_t* r = fMask->row(y);
    for (int i = std::max(0, fMask->bounds.left - x); i < n && x + i < fMask->bounds.right; ++i)
        r[x + i] = std::max(r[x + i], cov[i]);
}

void ClipMaskBlitter::blitH(int x, int y, int w) {
    if (y < fClip->bounds.top || y >= fClip->bounds.bottom) return;
    const int a = std::max(x, fClip->bounds.left), b = std::min(x + w, fClip->bounds.right);
    if (a >= b) return;
    // The clip's own coverage is the run's coverage.
    const uint8_t* c = fClip->row(y);
    int i = a;
    while (i < b) {
        int j = i + 1;
        if (c[i] == 255) {
            while (j < b && c[j] == 255) ++j;
            fInner->blitH(i, y, j - i);
        } else if (c[i] == 0) {
            while (j < b && c[j] == 0) ++j;
        } else {
            while (j < b && c[j] != 0 && c[j] != 255) ++j;
            fInner->blitAntiH(i, y, c + i, j - i);
        }
        i = j;
    }
}

void ClipMaskBlitter::blitAntiH(int x, int y, const uint8_t* cov, int n) {
    if (y < fClip->bounds.top || y >= fClip->bounds.bottom) return;
    const int a = std::max(x, fClip->bounds.left), b = std::min(x + n, fClip->bounds.right);
    if (a >= b) return;
    fRow.resize(size_t(b - a));
    const uint8_t* c = fClip->row(y);
    for (int i = a; i < b; ++i) {
        const unsigned v = unsigned(cov[i - x]) * c[i];
        fRow[size_t(i - a)] = uint8_t((v + 128 + ((v + 128) >> 8)) >> 8);  // v / 255, rounded
    }
    fInner->blitAntiH(a, y, fRow.data(), b - a);
}

}  // namespace plix
