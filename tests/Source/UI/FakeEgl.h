// A stand-in for EGL behind the OpenGL canvas's function table: one display whose driver offers
// configs with chosen sample counts, contexts that remember their share and attributes, surfaces,
// and what is current on each thread (per client API, as EGL keeps it). Knobs make single steps
// fail; the log tells what the canvas asked in order.
#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "UI/Graphics/Egl.h"

namespace fake {

namespace Egl = Skia::UI::Egl;
using Egl::TInt;

class FakeEgl {
public:
    struct Config {
        int index;
        int samples;
    };
    struct Context {
        std::string name;
        Context* share = nullptr;
        std::vector<TInt> attributes;  // as given, up to the terminator
        std::thread::id currentOn;
        bool current = false;
        bool destroyed = false;  // destroyed while current: freed when released, as EGL does
    };
    struct Surface {
        std::string kind;  // "pbuffer" or "window"
        uintptr_t window = 0;
    };

    // ---- knobs ----
    bool failGetDisplay = false, failInitialize = false, failBindApi = false, failStencil = false;
    bool failPbuffer = false, failWindowSurface = false, failSwap = false;
    int versionMajor = 1, versionMinor = 5;
    std::string extensions = "EGL_KHR_create_context EGL_KHR_surfaceless_context";
    // Versions a context can be made at; legacy: contexts without a version.
    std::vector<std::pair<int, int>> acceptedVersions = {{4, 3}, {4, 2}, {4, 1}, {4, 0}, {3, 3}, {3, 2}};
    bool acceptLegacy = true;
    // Names of contexts that cannot be made current.
    std::set<std::string> unmakeable;

    // ---- what happened ----
    std::vector<std::string> log;  // "choose 4", "context 4.3", "context legacy", "pbuffer", "window surface", "interval 0", "swap"
    int swaps = 0;

    FakeEgl() : fSaved(Egl::Api()) {
        sCurrent = this;
        SetOffered({0, 4});
        Egl::TEglApi& api = Egl::Api();
        api.GetDisplay = [](void*) -> Egl::TDisplay { return F().failGetDisplay ? nullptr : F().Display(); };
        api.Initialize = [](Egl::TDisplay, TInt* major, TInt* minor) -> bool {
            if (F().failInitialize) return false;
            *major = F().versionMajor;
            *minor = F().versionMinor;
            return true;
        };
        api.QueryString = [](Egl::TDisplay, TInt name) -> const char* {
            return name == Egl::Values::Extensions ? F().extensions.c_str() : "";
        };
        api.BindAPI = [](uint32_t a) -> bool {
            if (F().failBindApi) return false;
            std::lock_guard guard(F().fLock);
            F().Thread().api = a;
            return true;
        };
        api.QueryAPI = []() -> uint32_t {
            std::lock_guard guard(F().fLock);
            return F().Thread().api;
        };
        api.ChooseConfig = [](Egl::TDisplay, const TInt* attributes, Egl::TConfig* configs, TInt size, TInt* count) {
            return F().Choose(attributes, configs, size, count);
        };
        api.GetConfigAttrib = [](Egl::TDisplay, Egl::TConfig c, TInt attribute, TInt* value) -> bool {
            if (attribute == Egl::Values::Samples) *value = static_cast<Config*>(c)->samples;
            if (attribute == Egl::Values::StencilSize) {
                if (F().failStencil) return false;
                *value = 8;
            }
            return true;
        };
        api.CreateContext = [](Egl::TDisplay, Egl::TConfig, Egl::TContext share, const TInt* attributes) {
            return static_cast<Egl::TContext>(F().Create(static_cast<Context*>(share), attributes));
        };
        api.DestroyContext = [](Egl::TDisplay, Egl::TContext c) -> bool {
            std::lock_guard guard(F().fLock);
            auto* context = static_cast<Context*>(c);
            if (context && context->current) {
                context->destroyed = true;
                return true;
            }
            return std::erase_if(F().fContexts, [c](const auto& p) { return p.get() == c; }) > 0;
        };
        api.CreatePbufferSurface = [](Egl::TDisplay, Egl::TConfig, const TInt*) -> Egl::TSurface {
            F().log.push_back("pbuffer");
            return F().failPbuffer ? nullptr : F().NewSurface("pbuffer", 0);
        };
        api.CreateWindowSurface = [](Egl::TDisplay, Egl::TConfig, uintptr_t window, const TInt*) -> Egl::TSurface {
            F().log.push_back("window surface");
            return F().failWindowSurface ? nullptr : F().NewSurface("window", window);
        };
        api.DestroySurface = [](Egl::TDisplay, Egl::TSurface s) -> bool {
            std::lock_guard guard(F().fLock);
            return std::erase_if(F().fSurfaces, [s](const auto& p) { return p.get() == s; }) > 0;
        };
        api.MakeCurrent = [](Egl::TDisplay, Egl::TSurface draw, Egl::TSurface, Egl::TContext c) -> bool {
            return F().MakeCurrent(static_cast<Surface*>(draw), static_cast<Context*>(c));
        };
        api.GetCurrentDisplay = []() -> Egl::TDisplay {
            std::lock_guard guard(F().fLock);
            return F().Thread().Bound().context ? F().Display() : nullptr;
        };
        api.GetCurrentSurface = [](TInt) -> Egl::TSurface {
            std::lock_guard guard(F().fLock);
            return F().Thread().Bound().surface;
        };
        api.GetCurrentContext = []() -> Egl::TContext {
            std::lock_guard guard(F().fLock);
            return F().Thread().Bound().context;
        };
        api.SwapInterval = [](Egl::TDisplay, TInt interval) -> bool {
            F().log.push_back("interval " + std::to_string(interval));
            return true;
        };
        api.SwapBuffers = [](Egl::TDisplay, Egl::TSurface) -> bool {
            F().log.push_back("swap on " + F().Current());
            ++F().swaps;
            return !F().failSwap;
        };
        api.GetIntegerv = [](uint32_t, TInt* data) { *data = 0; };
    }

    ~FakeEgl() {
        Egl::Api() = fSaved;
        sCurrent = nullptr;
    }
    FakeEgl(const FakeEgl&) = delete;
    FakeEgl& operator=(const FakeEgl&) = delete;

    // The configs the driver offers, in its order, by their sample counts (0: single-sampled).
    void SetOffered(const std::vector<int>& samples) {
        fConfigs.clear();
        for (size_t i = 0; i < samples.size(); ++i) fConfigs.push_back(std::make_unique<Config>(Config{static_cast<int>(i), samples[i]}));
    }
    int IndexOf(Egl::TConfig c) const { return static_cast<Config*>(c)->index; }

    // A context of the program's own, made current on this thread (for OpenGL), as a caller's.
    Context* MakeCallerContext(const std::string& name = "caller") {
        Context* c = Create(nullptr, nullptr, name);
        MakeCurrent(nullptr, c);
        return c;
    }
    // The name of the context current for OpenGL on this thread; "none" without one.
    std::string Current() {
        std::lock_guard guard(fLock);
        Context* c = Thread().Slots[Egl::Values::OpenGlApi].context;
        return c ? c->name : "none";
    }
    int LiveContexts() {
        std::lock_guard guard(fLock);
        return static_cast<int>(std::count_if(fContexts.begin(), fContexts.end(), [](const auto& c) { return !c->destroyed; }));
    }
    int LiveSurfaces() {
        std::lock_guard guard(fLock);
        return static_cast<int>(fSurfaces.size());
    }
    Context* Find(const std::string& name) {
        std::lock_guard guard(fLock);
        for (auto& c : fContexts)
            if (c->name == name && !c->destroyed) return c.get();
        return nullptr;
    }

private:
    struct Slot {
        Context* context = nullptr;
        Surface* surface = nullptr;
    };
    struct ThreadState {
        uint32_t api = Egl::Values::OpenGlApi;
        std::map<uint32_t, Slot> Slots;
        Slot& Bound() { return Slots[api]; }
    };

    static FakeEgl& F() { return *sCurrent; }
    Egl::TDisplay Display() { return &fDisplayTag; }
    ThreadState& Thread() { return fThreads[std::this_thread::get_id()]; }

    Surface* NewSurface(const std::string& kind, uintptr_t window) {
        std::lock_guard guard(fLock);
        fSurfaces.push_back(std::make_unique<Surface>(Surface{kind, window}));
        return fSurfaces.back().get();
    }

    bool Choose(const TInt* attributes, Egl::TConfig* configs, TInt size, TInt* count) {
        int samples = 0;
        for (const TInt* a = attributes; *a != Egl::Values::None; a += 2)
            if (a[0] == Egl::Values::Samples) samples = a[1];
        log.push_back("choose " + std::to_string(samples == 0 ? 1 : samples));
        *count = 0;
        for (const auto& c : fConfigs) {
            // Single-sampled requests get single-sampled configs; the others at least the samples.
            if (samples == 0 ? c->samples != 0 : c->samples < samples) continue;
            if (*count >= size) break;
            configs[(*count)++] = c.get();
        }
        return true;
    }

    Context* Create(Context* share, const TInt* attributes, const std::string& name = {}) {
        std::vector<TInt> list;
        int major = 0, minor = 0;
        for (const TInt* a = attributes; a && *a != Egl::Values::None; a += 2) {
            list.insert(list.end(), {a[0], a[1]});
            if (a[0] == Egl::Values::ContextMajorVersion) major = a[1];
            if (a[0] == Egl::Values::ContextMinorVersion) minor = a[1];
        }
        if (attributes) {
            log.push_back(major ? "context " + std::to_string(major) + "." + std::to_string(minor) : "context legacy");
            const bool accepted = major ? std::find(acceptedVersions.begin(), acceptedVersions.end(),
                                                    std::make_pair(major, minor)) != acceptedVersions.end()
                                        : acceptLegacy;
            if (!accepted) return nullptr;
        }
        std::lock_guard guard(fLock);
        auto c = std::make_unique<Context>();
        c->share = share;
        c->attributes = list;
        if (!name.empty())
            c->name = name;
        else
            c->name = share ? "window " + std::to_string(++fWindows) : (fShared++ == 0 ? "shared" : "shared " + std::to_string(fShared));
        fContexts.push_back(std::move(c));
        return fContexts.back().get();
    }

    bool MakeCurrent(Surface* draw, Context* c) {
        std::lock_guard guard(fLock);
        if (c && unmakeable.count(c->name)) return false;
        if (c && c->current && c->currentOn != std::this_thread::get_id()) return false;  // EGL_BAD_ACCESS
        Slot& slot = Thread().Bound();
        if (Context* old = slot.context; old && old != c) {
            old->current = false;
            if (old->destroyed) std::erase_if(fContexts, [old](const auto& p) { return p.get() == old; });
        }
        slot = {c, draw};
        if (c) {
            c->current = true;
            c->currentOn = std::this_thread::get_id();
        }
        return true;
    }

    static inline FakeEgl* sCurrent = nullptr;
    Egl::TEglApi fSaved;
    int fDisplayTag = 0;
    std::recursive_mutex fLock;
    std::vector<std::unique_ptr<Config>> fConfigs;
    std::vector<std::unique_ptr<Context>> fContexts;
    std::vector<std::unique_ptr<Surface>> fSurfaces;
    std::map<std::thread::id, ThreadState> fThreads;
    int fWindows = 0;
    int fShared = 0;
};

}  // namespace fake
