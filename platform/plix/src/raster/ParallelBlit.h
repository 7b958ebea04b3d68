// Large fills split across cores. A fully covered rectangle whose pixels are expensive to shade
// (runtime effects above all) is cut into bands of rows that the engine's worker threads take
// one at a time; each thread compiles the paint into a pipeline of its own, so stage contexts
// that are written while running are never shared, and every pixel comes out exactly as it
// would on one thread.
#pragma once

namespace plix {

class Pipeline;
class PipelineBlitter;

enum class BandSplit {
    Auto,    // when the shading work is large enough to pay for waking threads
    Always,  // whenever there are two bands (tests)
    Never,
};
void SetBandSplit(BandSplit mode);

// Shading cost of one pixel through a stage list, in units of a simple stage.
int PixelCost(const Pipeline& p);

// Draws the rectangle through the blitter's paint in bands on several threads and returns true,
// or returns false when it is not worth it (the caller then draws it itself).
bool BlitRectInBands(PipelineBlitter& blitter, int x, int y, int w, int h);

}  // namespace plix
