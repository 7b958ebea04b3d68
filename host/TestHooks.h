// Hooks that let the window tests and benchmarks drive the real game deterministically. Each is
// an environment variable read once at start-up; unset, the game runs as it always does.
//
//   TILEFALL_TEST_TIME_STEP=SECONDS  the game clock advances SECONDS per frame drawn instead of
//                                    following real time (0 stops it), so what a frame shows
//                                    depends only on the frames and the input before it.
//   TILEFALL_TEST_STATE_FILE=PATH    after every frame, PATH holds the frame count and the state
//                                    image (see WriteStateFile); it is replaced whole, so a reader
//                                    never sees half of a frame.
//   TILEFALL_TEST_CANVAS=raster      the window draws on the CPU raster canvas instead of OpenGL.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace Host {

class TfrmMain;

struct TTestHooks {
    std::optional<double> TimeStep;  // seconds per frame; unset: real time
    std::string StateFile;           // empty: none written
    bool RasterCanvas = false;

    // Reads the variables above; raises Ui::Exception naming the variable when a value is invalid.
    static TTestHooks FromEnvironment();
    bool Any() const { return TimeStep || !StateFile.empty() || RasterCanvas; }
    // Puts the clock and the state file in place on a form that has drawn no frame yet.
    void Install(TfrmMain& AForm) const;
};

// The state file: the count of frames drawn (int32), then the 14 x 14 state image as four 32-bit
// floats a pixel (r, g, b, a), row by row; native byte order. Written to PATH.tmp, then renamed.
// Returns false when the file cannot be written.
bool WriteStateFile(const std::string& APath, int32_t AFrames, const float* AValues, size_t ACount);

}  // namespace Host
