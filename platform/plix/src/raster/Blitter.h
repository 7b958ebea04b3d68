// Where coverage goes: the scan converters hand a blitter runs of pixels on one row, either
// fully covered or with a coverage byte per pixel. One virtual call per run, never per pixel.
#pragma once

#include <cstdint>

namespace plix {

class Blitter {
public:
    virtual ~Blitter() = default;
    // w pixels from (x, y), fully covered.
    virtual void blitH(int x, int y, int w) = 0;
    // n pixels from (x, y) with coverage cov[i] (0..255).
    virtual void blitAntiH(int x, int y, const uint8_t* cov, int n) = 0;
    // A fully covered rectangle.
    virtual void blitRect(int x, int y, int w, int h) {
        for (int j = 0; j < h; ++j) blitH(x, y + j, w);
    }
};

}  // namespace plix
