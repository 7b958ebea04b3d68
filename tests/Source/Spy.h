// Stand-ins for entries of the binding's table, so tests see exactly what a wrapper asks of the
// native side. While a Spy<&API::plix_xxx> lives, the entry plix_xxx counts its calls and runs
// the test's hook (any callable, captures allowed) instead of the engine; the entry is restored
// when the spy goes. One spy per entry at a time.
//
//   Spy<&API::plix_canvas_draw_rect> drawRect([&](plix_handle, const plix_rect* r, plix_handle p) {...});
#pragma once

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "Skia/API.h"

template <auto Slot>
class Spy;

template <class R, class... A, R (**Slot)(A...)>
class Spy<Slot> {
public:
    using Hook = std::function<R(A...)>;

    Spy() : Spy(Hook{}) {}
    explicit Spy(Hook hook) : fSaved(*Slot) {
        sHook = std::move(hook);
        sCalls = 0;
        *Slot = &Call;
    }
    ~Spy() {
        *Slot = fSaved;
        sHook = nullptr;
    }
    Spy(const Spy&) = delete;
    Spy& operator=(const Spy&) = delete;

    static int Calls() { return sCalls; }
    void SetHook(Hook hook) { sHook = std::move(hook); }

private:
    static R Call(A... args) {
        ++sCalls;
        if (sHook) return sHook(args...);
        if constexpr (!std::is_void_v<R>) return R{};
    }

    static inline Hook sHook;
    static inline int sCalls = 0;
    R (*fSaved)(A...);
};

// What the native side was asked to release, by handle: reference-counted objects through
// plix_refcnt_ref / unref, colour spaces, text blobs and vertices through their own pairs, the
// others through their family's destroy. While a FakeReleases lives no fake handle reaches the
// engine's release functions. Log holds every release call in order ("unref 0x10", "destroy 0x20").
class FakeReleases {
public:
    FakeReleases() {
        refs.clear();
        unrefs.clear();
        destroys.clear();
        log.clear();
    }

    static inline std::map<plix_handle, int> refs;
    static inline std::map<plix_handle, int> unrefs;
    static inline std::map<plix_handle, int> destroys;
    static inline std::vector<std::string> log;

    static int Refs(plix_handle h) { return Find(refs, h); }
    static int Unrefs(plix_handle h) { return Find(unrefs, h); }
    static int Destroys(plix_handle h) { return Find(destroys, h); }
    // Native references taken minus dropped: 0 when a wrapper gave back all it held.
    static int Balance(plix_handle h) { return Refs(h) - Unrefs(h); }

    static std::string Name(const char* what, plix_handle h) {
        char text[64];
        std::snprintf(text, sizeof text, "%s 0x%lx", what, static_cast<unsigned long>(h));
        return text;
    }

private:
    static int Find(const std::map<plix_handle, int>& m, plix_handle h) {
        auto it = m.find(h);
        return it == m.end() ? 0 : it->second;
    }
    static void OnRef(plix_handle h) { ++refs[h]; log.push_back(Name("ref", h)); }
    static void OnUnref(plix_handle h) { ++unrefs[h]; log.push_back(Name("unref", h)); }
    static void OnDestroy(plix_handle h) { ++destroys[h]; log.push_back(Name("destroy", h)); }

    Spy<&Skia::API::plix_refcnt_ref> fRef{OnRef};
    Spy<&Skia::API::plix_refcnt_unref> fUnref{OnUnref};
    Spy<&Skia::API::plix_colorspace_ref> fColorSpaceRef{OnRef};
    Spy<&Skia::API::plix_colorspace_unref> fColorSpaceUnref{OnUnref};
    Spy<&Skia::API::plix_textblob_ref> fTextBlobRef{OnRef};
    Spy<&Skia::API::plix_textblob_unref> fTextBlobUnref{OnUnref};
    Spy<&Skia::API::plix_vertices_ref> fVerticesRef{OnRef};
    Spy<&Skia::API::plix_vertices_unref> fVerticesUnref{OnUnref};
    Spy<&Skia::API::plix_canvas_destroy> fCanvas{OnDestroy};
    Spy<&Skia::API::plix_colorspaceiccprofile_destroy> fProfile{OnDestroy};
    Spy<&Skia::API::plix_font_destroy> fFont{OnDestroy};
    Spy<&Skia::API::plix_paint_destroy> fPaint{OnDestroy};
    Spy<&Skia::API::plix_opbuilder_destroy> fOpBuilder{OnDestroy};
    Spy<&Skia::API::plix_path_destroy> fPath{OnDestroy};
    Spy<&Skia::API::plix_pathbuilder_destroy> fPathBuilder{OnDestroy};
    Spy<&Skia::API::plix_pathiterator_destroy> fPathIterator{OnDestroy};
    Spy<&Skia::API::plix_pathmeasure_destroy> fPathMeasure{OnDestroy};
    Spy<&Skia::API::plix_pixmap_destroy> fPixmap{OnDestroy};
    Spy<&Skia::API::plix_region_destroy> fRegion{OnDestroy};
    Spy<&Skia::API::plix_rrect_destroy> fRoundRect{OnDestroy};
    Spy<&Skia::API::plixgpu_backendrendertarget_destroy> fRenderTarget{OnDestroy};
    Spy<&Skia::API::plixgpu_backendtexture_destroy> fTexture{OnDestroy};
    Spy<&Skia::API::plixgpu_backendsemaphore_destroy> fSemaphore{OnDestroy};
    Spy<&Skia::API::plixgpu_backendsurfacemutablestate_destroy> fState{OnDestroy};
};
