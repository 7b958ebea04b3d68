#include "UI/Graphics/CanvasService.h"

#include <mutex>

#include "UI/Graphics/GlCanvas.h"
#include "UI/Graphics/RasterCanvas.h"
#include "UI/Graphics/Switches.h"

namespace Skia::UI {

const Ui::TCanvasClass* TSkCanvasService::ChosenCanvasClass() {
    if (!GlobalUseSkia) return nullptr;
    if (GlobalUseSkiaRaster) return &TSkRasterCanvas::Class();
    return &TGlCanvas::Class();
}

void TSkCanvasService::RegisterCanvasClasses() {
    if (!FCurrent) return;
    if (const Ui::TCanvasClass* canvasClass = ChosenCanvasClass()) {
        Ui::TCanvasManager::EnableSoftwareCanvas(true);
        Ui::TCanvasManager::RegisterCanvas(*canvasClass, true, false);
        if (RegisterTextLayout) RegisterTextLayout(*canvasClass);
        if (!GlobalKeepFrameworkImageCodecs && RegisterCodecExtension) {
            RegisterCodecExtension(".jpg", "JPEG Images", true, true);
            RegisterCodecExtension(".jpeg", "JPEG Images", true, true);
            RegisterCodecExtension(".png", "PNG Images", true, true);
        }
    }
    // The framework's own classes come after the Skia one, which stays the default.
    FCurrent->RegisterCanvasClasses();
}

void TSkCanvasService::UnregisterCanvasClasses() {
    if (FCurrent) FCurrent->UnregisterCanvasClasses();
}

void InstallCanvasService() {
    static std::once_flag once;
    std::call_once(once, [] {
        Ui::TPlatformServices& services = Ui::TPlatformServices::Current();
        Ref<Ui::IUICanvasService> current = services.GetPlatformService<Ui::IUICanvasService>();
        Ref<Ui::IUICanvasService> wrapper(new TSkCanvasService(current));
        services.RemovePlatformService<Ui::IUICanvasService>();
        services.AddPlatformService<Ui::IUICanvasService>(wrapper);
    });
}

}  // namespace Skia::UI
