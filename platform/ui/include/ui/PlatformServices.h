// The platform-service registry: services are counted interfaces looked up by their interface
// type. The framework installs its own canvas and timer services on first use of the
// registry; code may replace them (remove, then add) as the Skia canvas service does.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <typeindex>

#include "ui/Classes.h"
#include "ui/Interface.h"

namespace Ui {

class EUnsupportedPlatformService : public Exception {
public:
    explicit EUnsupportedPlatformService(const std::string& serviceName)
        : Exception("Unsupported platform service: " + serviceName) {}
};

// Registers the canvas classes of a graphics back end with the canvas manager. The manager
// calls RegisterCanvasClasses before it first needs a canvas class.
class IUICanvasService : public virtual IInterface {
public:
    virtual void RegisterCanvasClasses() = 0;
    virtual void UnregisterCanvasClasses() = 0;
};

using TFmxHandle = uintptr_t;
using TTimerProc = std::function<void()>;

// Timers that fire on the user-interface thread, and the framework's clock.
class IUITimerService : public virtual IInterface {
public:
    // A timer firing every intervalMs milliseconds (at least 1) from the message loop; 0 when
    // the timer cannot be made (no procedure).
    virtual TFmxHandle CreateTimer(int intervalMs, TTimerProc proc) = 0;
    // False when no such timer exists.
    virtual bool DestroyTimer(TFmxHandle timer) = 0;
    // Seconds on the monotonic clock.
    virtual double GetTick() = 0;
};

class TPlatformServices {
public:
    // The process's registry, with the framework's own services installed.
    static TPlatformServices& Current();

    // Adds a service; a service already registered for the interface stays and False returns.
    template <class I>
    bool AddPlatformService(const Ref<I>& service) {
        return Add(typeid(I), Ref<IInterface>(service.get()));
    }
    template <class I>
    void RemovePlatformService() { Remove(typeid(I)); }
    // The registered service or nil.
    template <class I>
    Ref<I> GetPlatformService() { return Get(typeid(I)).template As<I>(); }
    template <class I>
    bool SupportsPlatformService(Ref<I>* service = nullptr) {
        Ref<I> s = GetPlatformService<I>();
        if (service) *service = s;
        return s != nullptr;
    }
    // The registered service; raises EUnsupportedPlatformService naming it when there is none.
    template <class I>
    Ref<I> GetRequiredPlatformService(const std::string& name) {
        if (Ref<I> s = GetPlatformService<I>()) return s;
        throw EUnsupportedPlatformService(name);
    }

private:
    TPlatformServices() = default;
    bool Add(std::type_index type, Ref<IInterface> service);
    void Remove(std::type_index type);
    Ref<IInterface> Get(std::type_index type);

    std::recursive_mutex fLock;
    std::map<std::type_index, Ref<IInterface>> fServices;
};

}  // namespace Ui
