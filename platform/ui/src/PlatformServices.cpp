#include "ui/PlatformServices.h"

#include "Internal.h"

namespace Ui {

TPlatformServices& TPlatformServices::Current() {
    // Made on first use, whoever comes first (static initialisers of other libraries
    // included), so that the framework's own services are always there to be wrapped.
    static TPlatformServices* services = [] {
        auto* s = new TPlatformServices();
        Internal::InstallDefaultServices(*s);
        return s;
    }();
    return *services;
}

bool TPlatformServices::Add(std::type_index type, Ref<IInterface> service) {
    if (!service) return false;
    std::lock_guard guard(fLock);
    return fServices.emplace(type, std::move(service)).second;
}

void TPlatformServices::Remove(std::type_index type) {
    Ref<IInterface> removed;  // released outside the lock
    std::lock_guard guard(fLock);
    if (const auto it = fServices.find(type); it != fServices.end()) {
        removed = std::move(it->second);
        fServices.erase(it);
    }
}

Ref<IInterface> TPlatformServices::Get(std::type_index type) {
    std::lock_guard guard(fLock);
    const auto it = fServices.find(type);
    return it == fServices.end() ? nullptr : it->second;
}

}  // namespace Ui
