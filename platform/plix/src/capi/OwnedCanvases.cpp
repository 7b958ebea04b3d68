#include "capi/OwnedCanvases.h"

#include <mutex>
#include <unordered_map>

#include "canvas/Canvas.h"
#include "capi/Handles.h"

namespace plix::capi {

namespace {

struct Registry {
    std::mutex lock;
    std::unordered_map<plix_handle, std::function<void()>> destroys;
};

Registry& registry() {
    static Registry r;
    return r;
}

}  // namespace

plix_handle adoptCallerCanvas(Canvas* canvas, std::function<void()> destroy) {
    if (!canvas) return 0;
    const plix_handle h = to(canvas);
    Registry& r = registry();
    std::lock_guard<std::mutex> hold(r.lock);
    r.destroys[h] = std::move(destroy);
    return h;
}

bool destroyCallerCanvas(plix_handle handle) {
    std::function<void()> destroy;
    {
        Registry& r = registry();
        std::lock_guard<std::mutex> hold(r.lock);
        const auto it = r.destroys.find(handle);
        if (it == r.destroys.end()) return false;
        destroy = std::move(it->second);
        r.destroys.erase(it);
    }
    // Outside the lock: finishing a document may write to the caller's stream.
    if (destroy) destroy();
    return true;
}

}  // namespace plix::capi
