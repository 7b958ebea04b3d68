// The general blitter: compiles the paint into two stage lists for the destination, one for
// fully covered runs and one for runs with coverage, and runs them over each run in batches.
#pragma once

#include <memory>

#include "core/ImageInfo.h"
#include "geometry/Matrix.h"
#include "raster/Blitter.h"
#include "raster/Paint.h"
#include "raster/Pipeline.h"

namespace plix {

class PipelineBlitter final : public Blitter {
public:
    // Null when nothing can be drawn (unsupported destination, a shader that cannot draw).
    static std::unique_ptr<PipelineBlitter> Make(const Pixmap& dst, const Paint& paint, const Matrix& ctm);
    PipelineBlitter() = default;
    // Compiles the paint afresh, reusing the storage of earlier draws; false when nothing can
    // be drawn.
    bool init(const Pixmap& dst, const Paint& paint, const Matrix& ctm);
    // Compiles the paint of another blitter's draw (still running) for this thread.
    bool initLike(const PipelineBlitter& other);

    void blitH(int x, int y, int w) override;
    void blitAntiH(int x, int y, const uint8_t* cov, int n) override;
    void blitRect(int x, int y, int w, int h) override;

    const Pipeline& fullProgram() const { return fFull; }
    const Pipeline& coverageProgram() const { return fPartial; }
    // Runs the scalar reference interpreter instead of the fast stages (for tests).
    void useReference(bool on) { fReference = on; }

private:
    void run(const Pipeline& p);

    Pipeline fFull, fPartial;
    Batch fBatch;
    bool fReference = false;
    // What init compiled, for initLike; the paint belongs to the draw and lives as long.
    Pixmap fDst;
    const Paint* fPaint = nullptr;
    Matrix fCtm;
};

// Appends the stages that produce the paint's source colour (shader or solid colour, paint
// alpha, colour filter) in the destination's colour space. False when nothing can be drawn.
bool appendPaintColorStages(Pipeline& p, const Paint& paint, const Matrix& ctm, ColorSpace* dstCS);

}  // namespace plix
