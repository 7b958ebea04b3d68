// A runtime effect's child shader, evaluated at the points the program asks for rather than at
// device pixels. The child's stages are compiled once per thread: stage lists may keep state in
// their contexts while they run (composed shaders save colours there), so threads that run one
// effect at once each need their own. A child that is only a small image read at nearest
// sampling (the state image of a game, a palette) skips the pipeline: its texels are resolved
// once into a table of final colours and each point is a tile-and-look-up.
#pragma once

#include <cstdint>
#include <vector>

#include "raster/Pipeline.h"
#include "raster/Shader.h"

namespace plix {

class ChildPipeline {
public:
    explicit ChildPipeline(const Shader& shader);

    // The sksl::ChildEval entry: in = {x, y}, out = {r, g, b, a}, n points.
    static void Eval(void* context, int n, const float* const* in, float* const* out);

private:
    struct Compiled;
    // The stage list of the calling thread; *inUse: its count of runs in progress, to raise
    // while it runs (null for the list the child was made with, which is never dropped).
    const Pipeline& pipelineOfThisThread(bool* ok, int** inUse) const;
    void evalPipeline(const Pipeline& p, int n, const float* const* in, float* const* out) const;
    void evalTable(const Pipeline& p, int n, const float* const* in, float* const* out) const;

    sp<Shader> fShader;
    uint64_t fId;
    Pipeline fPipeline;  // for the thread that made the child
    bool fOk = false;
    uint64_t fOwner;     // that thread's number

    // The nearest-image shortcut: stages before the read (the inverse matrix), then the table.
    int fReadStage = -1;        // index of the image read in the stage list; -1: no shortcut
    std::vector<float> fTable;  // width x height premultiplied r, g, b, a, as the read gives them
    int fWidth = 0, fHeight = 0;
    TileMode fTileX = TileMode::Clamp, fTileY = TileMode::Clamp;
};

}  // namespace plix
