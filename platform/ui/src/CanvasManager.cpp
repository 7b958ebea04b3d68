#include <algorithm>
#include <mutex>

#include "ui/Canvas.h"
#include "ui/PlatformServices.h"

namespace Ui {

namespace {

struct TEntry {
    const TCanvasClass* Class;
    bool IsDefault;
    bool IsPrinter;
};

struct TManager {
    std::recursive_mutex lock;
    std::vector<TEntry> entries;
    bool registered = false;  // the canvas service was asked to register its classes
    bool softwareEnabled = false;
};

TManager& Manager() {
    static TManager* manager = new TManager();
    return *manager;
}

void EnsureRegistered(TManager& m) {
    if (m.registered) return;
    m.registered = true;  // before the call: the service registers through RegisterCanvas
    if (Ref<IUICanvasService> service = TPlatformServices::Current().GetPlatformService<IUICanvasService>())
        service->RegisterCanvasClasses();
}

}  // namespace

void TCanvasManager::RegisterCanvas(const TCanvasClass& canvasClass, bool isDefault, bool isPrinter) {
    TManager& m = Manager();
    std::lock_guard guard(m.lock);
    const bool known = std::any_of(m.entries.begin(), m.entries.end(),
                                   [&](const TEntry& e) { return e.Class == &canvasClass; });
    if (!known) m.entries.push_back({&canvasClass, isDefault, isPrinter});
}

const TCanvasClass& TCanvasManager::DefaultCanvas() {
    TManager& m = Manager();
    std::lock_guard guard(m.lock);
    EnsureRegistered(m);
    for (const TEntry& e : m.entries)
        if (e.IsDefault && !e.IsPrinter) return *e.Class;
    for (const TEntry& e : m.entries)
        if (!e.IsPrinter) return *e.Class;
    throw ECanvasManagerException("No canvas class is registered");
}

std::vector<const TCanvasClass*> TCanvasManager::RegisteredCanvasClasses() {
    TManager& m = Manager();
    std::lock_guard guard(m.lock);
    EnsureRegistered(m);
    std::vector<const TCanvasClass*> out;
    for (const TEntry& e : m.entries) out.push_back(e.Class);
    return out;
}

TCanvas* TCanvasManager::CreateFromWindow(TWindowHandle* parent, int width, int height, TCanvasQuality quality) {
    if (!parent) throw ECanvasManagerException("A window canvas needs a window");
    return DefaultCanvas().CreateFromWindow(parent, width, height, quality);
}

TCanvas* TCanvasManager::CreateFromBitmap(TBitmap& bitmap, TCanvasQuality quality) {
    // A bitmap is drawn by the class that holds its pixels.
    const TCanvasClass* canvasClass = bitmap.CanvasClass();
    if (!canvasClass) throw ECanvasManagerException("An empty bitmap has no canvas");
    return canvasClass->CreateFromBitmap(bitmap, quality);
}

void TCanvasManager::EnableSoftwareCanvas(bool enable) {
    TManager& m = Manager();
    std::lock_guard guard(m.lock);
    m.softwareEnabled = enable;
}

bool TCanvasManager::SoftwareCanvasEnabled() {
    TManager& m = Manager();
    std::lock_guard guard(m.lock);
    return m.softwareEnabled;
}

void TCanvasManager::UnInitialize() {
    TManager& m = Manager();
    std::lock_guard guard(m.lock);
    if (m.registered)
        if (Ref<IUICanvasService> service = TPlatformServices::Current().GetPlatformService<IUICanvasService>())
            service->UnregisterCanvasClasses();
    m.entries.clear();
    m.registered = false;
}

}  // namespace Ui
