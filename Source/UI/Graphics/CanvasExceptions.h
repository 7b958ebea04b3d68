// The exceptions of the Skia framework canvases, each deriving from the one before: canvas
// failures in general, GPU canvas failures, and OpenGL (EGL) failures.
#pragma once

#include "ui/Exception.h"

namespace Skia::UI {

class ESkCanvas : public Ui::Exception {
public:
    using Ui::Exception::Exception;
};

class EGrCanvas : public ESkCanvas {
public:
    using ESkCanvas::ESkCanvas;
};

class EGlError : public EGrCanvas {
public:
    using EGrCanvas::EGrCanvas;
};

}  // namespace Skia::UI
