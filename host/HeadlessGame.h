// The game run without a window: the real main form (its FormCreate and frame handler) drawing
// on a raster surface, with a clock that advances by a fixed step per frame and scripted input.
// Tests and tilefall-capture drive it.
#pragma once

#include <memory>
#include <vector>

#include "InputScript.h"
#include "MainForm.h"

namespace Host {

class THeadlessGame {
public:
    // Makes the form, which reads and compiles the shader files (raising what FormCreate raises).
    THeadlessGame(int AWidth, int AHeight, double ATimeStep);
    ~THeadlessGame();

    // Input for frames still to come; events of the same frame keep their order.
    void Queue(const std::vector<TInputEvent>& AEvents);
    // Applies the input of this frame, draws it, and advances the clock by one step.
    void Frame();
    // The window's new size; the next frame draws at it.
    void Resize(int AWidth, int AHeight);

    TfrmMain& Form() { return *FForm; }
    int FrameIndex() const { return FFrame; }
    // The last picture drawn.
    Skia::Ref<Skia::ISkImage> Picture();
    // The last state image as 14 x 14 pixels of four floats (r, g, b, a), row by row.
    std::vector<float> StateValues();
    // The same scaled to 8 bits a channel, as an image (for looking at it).
    Skia::Ref<Skia::ISkImage> StateImage8();

private:
    std::unique_ptr<TfrmMain> FForm;
    Skia::Ref<Skia::ISkSurface> FSurface;
    int FWidth, FHeight;
    std::vector<TInputEvent> FEvents;
    size_t FNextEvent = 0;
    int FFrame = 0;
    double FTime = 0;
    double FTimeStep;
};

}  // namespace Host
