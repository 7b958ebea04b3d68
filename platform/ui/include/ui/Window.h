// TWindowHandle: a form's window as canvases see it: client size, scale, the native window for
// EGL and the pixel surface for CPU canvases.
#pragma once

#include <string>

#include "ui/Classes.h"
#include "ui/Platform.h"

namespace Ui {

class TForm;

class EPlatformError : public Exception {
public:
    using Exception::Exception;
};

class TWindowHandle {
public:
    // Makes the back end's window; raises EPlatformError when it cannot.
    TWindowHandle(TForm* form, const TWindowParams& params);
    ~TWindowHandle();
    TWindowHandle(const TWindowHandle&) = delete;
    TWindowHandle& operator=(const TWindowHandle&) = delete;

    TForm* Form() const { return fForm; }
    TPlatformWindow* PlatformWindow() const { return fWindow; }
    const TPlatformBackend& Backend() const { return fBackend; }

    TSize ClientSize() const;  // logical units
    float Scale() const;
    TSize PixelSize() const;   // device pixels: the client size times the scale, rounded
    TNativeWindow NativeWindow() const;
    bool LockSurface(TWindowSurface& surface);
    void Present();
    // Per-pixel window transparency; not offered by the back ends.
    bool Transparency() const { return false; }

private:
    TForm* fForm;
    const TPlatformBackend& fBackend;
    TPlatformWindow* fWindow = nullptr;
};

}  // namespace Ui
