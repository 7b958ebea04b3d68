#include "ui/Window.h"

#include <cmath>

namespace Ui {

TWindowHandle::TWindowHandle(TForm* form, const TWindowParams& params)
    : fForm(form), fBackend(TPlatform::Backend()) {
    TPlatform::EnsureInitialized();
    std::string error;
    fWindow = fBackend.CreateWindow(params, error);
    if (!fWindow) throw EPlatformError("Could not create the window: " + error);
}

TWindowHandle::~TWindowHandle() { fBackend.DestroyWindow(fWindow); }

TSize TWindowHandle::ClientSize() const { return fBackend.GetClientSize(fWindow); }
float TWindowHandle::Scale() const { return fBackend.GetScale(fWindow); }

TSize TWindowHandle::PixelSize() const {
    const TSize size = ClientSize();
    const float scale = Scale();
    return {static_cast<int>(std::nearbyint(static_cast<float>(size.Width) * scale)),
            static_cast<int>(std::nearbyint(static_cast<float>(size.Height) * scale))};
}

TNativeWindow TWindowHandle::NativeWindow() const { return fBackend.GetNativeWindow(fWindow); }
bool TWindowHandle::LockSurface(TWindowSurface& surface) { return fBackend.LockSurface(fWindow, surface); }
void TWindowHandle::Present() { fBackend.Present(fWindow); }

}  // namespace Ui
