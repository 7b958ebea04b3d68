// A stand-in for the engine's canvas, surface, paint, path, shader and image entries, so that the
// framework canvas on Skia can be tested on what it asks of Skia: while a FakeSkia lives, those
// entries of the binding's table build small models instead of reaching the engine.
//
// The model keeps what the framework canvas must keep in step: each canvas has a save stack of
// states (matrix and clip rectangles), every draw is recorded with a copy of its paint and the
// matrix and clip in force, and shaders, path effects and paths remember what they were made
// from. Surfaces over caller pixels really write them on Clear (BGRA or RGBA, premultiplied,
// inside the intersected clip) so that presenting can be checked pixel by pixel.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "Skia/API.h"
#include "Spy.h"
#include "ui/Types.h"

namespace fake {

namespace API = Skia::API;
using Ui::TMatrix;
using Ui::TPointF;
using Ui::TRectF;

inline TMatrix FromNative(const plix_matrix& n) {
    TMatrix m;
    m.m11 = n.scale_x;
    m.m12 = n.skew_y;
    m.m21 = n.skew_x;
    m.m22 = n.scale_y;
    m.m31 = n.trans_x;
    m.m32 = n.trans_y;
    return m;
}

inline TRectF FromNative(const plix_rect& r) { return {r.left, r.top, r.right, r.bottom}; }

struct Object {
    virtual ~Object() = default;
    int refs = 1;
};

struct Paint {
    uint32_t rgb = 0x000000;  // colour without alpha
    float alpha = 1;          // 0..1
    bool antiAlias = false;
    int style = 0;            // TSkPaintStyle
    float strokeWidth = 0;
    int cap = 0;              // TSkStrokeCap
    int join = 0;             // TSkStrokeJoin
    plix_handle shader = 0;
    plix_handle pathEffect = 0;

    uint8_t Alpha() const { return static_cast<uint8_t>(std::lround(std::clamp(alpha, 0.0f, 1.0f) * 255)); }
    uint32_t Color() const { return (static_cast<uint32_t>(Alpha()) << 24) | rgb; }
    bool IsDefault() const {
        return rgb == 0 && alpha == 1 && !antiAlias && style == 0 && strokeWidth == 0 && cap == 0 && join == 0 &&
               !shader && !pathEffect;
    }
};

struct PaintObject : Object {
    Paint paint;
};

struct Pixmap {
    int width = 0, height = 0, colorType = 0, alphaType = 0;
    void* pixels = nullptr;
    size_t rowBytes = 0;
};

struct PixmapObject : Object {
    Pixmap pixmap;
};

struct Image : Object {
    Pixmap pixmap;
    plix_image_raster_release_proc release = nullptr;
    void* releaseContext = nullptr;
    ~Image() override {
        if (release) release(pixmap.pixels, releaseContext);
    }
};

struct Shader : Object {
    std::string kind;  // "linear", "radial" or "image"
    std::vector<TPointF> points;  // linear: start and end; radial: centre
    float radius = 0;
    std::vector<uint32_t> colors;
    std::vector<float> positions;
    int tileX = 0, tileY = 0;
    bool hasLocalMatrix = false;
    TMatrix localMatrix;
    Pixmap image;  // the image's pixels, for image shaders
    plix_sampling_options sampling{};
};

// Direct contexts, GL interfaces and texture images: named, with what was current when they
// were made.
struct GpuObject : Object {
    std::string name;
    std::string madeOn;  // the context current when it was made
};

struct RenderTarget : Object {
    int width = 0, height = 0, sampleCount = 0, stencilBits = 0;
    plix_gl_framebuffer_info framebuffer{};
};

struct PathEffect : Object {
    std::vector<float> intervals;
    float phase = 0;
};

// A path as text ("M 0 0", "L 10 0", "C ...", "Z", "O left top right bottom dir start") with its
// fill type, and the polygons it encloses for containment.
struct Path {
    int fillType = 0;
    std::vector<std::string> verbs;
    std::vector<std::vector<TPointF>> contours;
    TPointF last;

    std::string Text() const {
        std::string out;
        for (const auto& v : verbs) out += (out.empty() ? "" : " ") + v;
        return out;
    }
    // Even-odd over the contours.
    bool Contains(float x, float y) const {
        bool inside = false;
        for (const auto& c : contours)
            for (size_t i = 0; i < c.size(); ++i) {
                const TPointF a = c[i], b = c[(i + 1) % c.size()];
                if ((a.Y > y) != (b.Y > y) && x < a.X + (y - a.Y) / (b.Y - a.Y) * (b.X - a.X)) inside = !inside;
            }
        return inside;
    }
};

struct PathObject : Object {
    Path path;
};

struct Clip {
    int op;           // TSkClipOp: 0 difference, 1 intersect
    TRectF device;    // the rectangle in device pixels (matrices here keep axes)
};

struct State {
    TMatrix matrix;
    std::vector<Clip> clips;
};

struct Draw {
    std::string op;  // "rect", "path", "line", "image"
    TRectF rect;     // rect; image: destination
    TRectF src;      // image: source
    TPointF p1, p2;  // line
    Path path;       // path
    Paint paint;
    plix_handle paintHandle = 0;
    // Copies of what the paint's shader and path effect were made from (the paint lets go of
    // them after the draw).
    std::shared_ptr<const Shader> shader;
    std::shared_ptr<const PathEffect> pathEffect;
    TMatrix matrix;
    std::vector<Clip> clips;
    Pixmap image;
    plix_sampling_options sampling{};
    int constraint = 0;
};

struct Surface;

struct Canvas : Object {
    Surface* surface = nullptr;
    std::vector<State> stack{1};
    State& Top() { return stack.back(); }
};

struct Surface : Object {
    Pixmap pixels;
    // GPU surfaces: the render target they draw into, their origin and context.
    bool gpu = false;
    RenderTarget target;
    int origin = 0;
    std::string context;
    Canvas canvas;
    int flushes = 0;
    plix_surface_raster_release_proc release = nullptr;
    void* releaseContext = nullptr;
    ~Surface() override {
        if (release) release(pixels.pixels, releaseContext);
    }
};

class FakeSkia {
public:
    FakeSkia() { sCurrent = this; }
    ~FakeSkia() { sCurrent = nullptr; }
    FakeSkia(const FakeSkia&) = delete;
    FakeSkia& operator=(const FakeSkia&) = delete;

    static FakeSkia& Current() { return *sCurrent; }

    std::vector<Draw> draws;
    std::vector<std::string> log;  // state changes in order: "save 1", "restore", "clip 1 ...", "matrix ..."
    int surfacesMade = 0;
    int pathEffectsMade = 0;
    // When set, surfaces over caller pixels are refused (0).
    bool refuseSurfaces = false;
    // When set, every draw raises this message (as a failing engine call would).
    std::string failDraws;

    // ---- GPU ----
    // Names the GPU context current on the calling thread (set by a stand-in of EGL).
    std::function<std::string()> currentContext = [] { return std::string("-"); };
    bool failGlInterface = false;
    bool failDirectContext = false;
    int maxSampleCount = 4;
    // GPU work in order: "interface on shared", "context 1 on shared", "flush context 1 sync on
    // shared", "abandon context 2 on window 1", "release context 1 on shared", "upload 4x2 on
    // shared" ...
    std::vector<std::string> gpuLog;
    std::thread::id releasedOn;  // the thread that released a direct context's resources
    int directContextsMade = 0;
    int uploads = 0;
    Surface* LastGpuSurface() const { return fLastGpuSurface; }

    template <class T>
    static T* As(plix_handle h) { return dynamic_cast<T*>(reinterpret_cast<Object*>(h)); }
    static plix_handle Handle(Object* o) { return reinterpret_cast<plix_handle>(o); }

    // Objects alive by kind (made and not yet released).
    int Alive() const { return static_cast<int>(fObjects.size()); }
    Paint PaintOf(plix_handle h) const { return As<PaintObject>(h)->paint; }
    Surface* LastSurface() const { return fLastSurface; }
    Canvas* LastCanvas() const { return fLastSurface ? &fLastSurface->canvas : nullptr; }
    // The device rectangle inside all intersect clips of the canvas's top state (difference
    // clips are not subtracted); the whole surface when there are none.
    static TRectF ClipBounds(Canvas& c) {
        TRectF r(0, 0, static_cast<float>(c.surface->pixels.width), static_cast<float>(c.surface->pixels.height));
        for (const Clip& clip : c.Top().clips)
            if (clip.op == 1) r = TRectF::Intersect(r, clip.device);
        return r;
    }

private:
    template <class T>
    T* Make() {
        auto* o = new T();
        fObjects[Handle(o)] = o;
        return o;
    }
    void Unref(plix_handle h) {
        auto it = fObjects.find(h);
        if (it == fObjects.end()) return;
        if (--it->second->refs > 0) return;
        Object* o = it->second;
        fObjects.erase(it);
        if (auto* s = dynamic_cast<Surface*>(o); s == fLastSurface) fLastSurface = nullptr;
        if (auto* s = dynamic_cast<Surface*>(o); s == fLastGpuSurface) fLastGpuSurface = nullptr;
        delete o;
    }
    void Ref(plix_handle h) {
        if (auto it = fObjects.find(h); it != fObjects.end()) ++it->second->refs;
    }
    void Destroy(plix_handle h) {
        auto it = fObjects.find(h);
        if (it == fObjects.end()) return;
        delete it->second;
        fObjects.erase(it);
    }
    // A held reference in a paint slot.
    void Replace(plix_handle& slot, plix_handle value) {
        if (value) Ref(value);
        if (slot) Unref(slot);
        slot = value;
    }
    Paint& P(plix_handle h) { return As<PaintObject>(h)->paint; }
    Path& PathOf(plix_handle h) { return As<PathObject>(h)->path; }
    Canvas& C(plix_handle h) { return *As<Canvas>(h); }

    static std::string Num(float v) {
        std::ostringstream s;
        s << v;
        return s.str();
    }
    static std::string Pt(const plix_point& p) { return Num(p.x) + " " + Num(p.y); }

    Draw Record(Canvas& c, std::string op, plix_handle paint) {
        if (!failDraws.empty()) throw std::runtime_error(failDraws);
        Draw d;
        d.op = std::move(op);
        if (paint) d.paint = P(paint);
        d.paintHandle = paint;
        if (d.paint.shader) d.shader = std::make_shared<const Shader>(*As<Shader>(d.paint.shader));
        if (d.paint.pathEffect) d.pathEffect = std::make_shared<const PathEffect>(*As<PathEffect>(d.paint.pathEffect));
        d.matrix = c.Top().matrix;
        d.clips = c.Top().clips;
        return d;
    }

    void ClearPixels(Canvas& c, uint32_t color) {
        const Pixmap& px = c.surface->pixels;
        if (!px.pixels || (px.colorType != 4 && px.colorType != 6)) return;  // RGBA8888, BGRA8888
        const uint32_t a = color >> 24;
        auto mul = [a](uint32_t v) { return (v * a + 127) / 255; };
        uint32_t r = mul((color >> 16) & 0xFF), g = mul((color >> 8) & 0xFF), b = mul(color & 0xFF);
        if (px.colorType == 4) std::swap(r, b);
        const uint32_t value = (a << 24) | (r << 16) | (g << 8) | b;
        const TRectF area = ClipBounds(c);
        for (int y = static_cast<int>(std::ceil(area.Top - 0.5f)); y < static_cast<int>(std::ceil(area.Bottom - 0.5f)); ++y)
            for (int x = static_cast<int>(std::ceil(area.Left - 0.5f)); x < static_cast<int>(std::ceil(area.Right - 0.5f)); ++x)
                std::memcpy(static_cast<uint8_t*>(px.pixels) + static_cast<size_t>(y) * px.rowBytes + static_cast<size_t>(x) * 4,
                            &value, 4);
    }

    static inline FakeSkia* sCurrent = nullptr;
    std::map<plix_handle, Object*> fObjects;
    Surface* fLastSurface = nullptr;
    Surface* fLastGpuSurface = nullptr;

    // ---- reference counting ----
    Spy<&API::plix_refcnt_ref> fRef{[this](plix_handle h) { Ref(h); }};
    Spy<&API::plix_refcnt_unref> fUnref{[this](plix_handle h) { Unref(h); }};

    // ---- pixmaps, surfaces, images ----
    Spy<&API::plix_pixmap_create> fPixmapCreate{[this](const plix_imageinfo* info, const void* pixels, size_t rowBytes) {
        auto* p = Make<PixmapObject>();
        p->pixmap = {info->width, info->height, info->color_type, info->alpha_type, const_cast<void*>(pixels), rowBytes};
        return Handle(p);
    }};
    Spy<&API::plix_pixmap_destroy> fPixmapDestroy{[this](plix_handle h) { Destroy(h); }};
    Spy<&API::plix_surface_make_raster_direct> fRasterDirect{
        [this](plix_handle pixmap, plix_surface_raster_release_proc release, void* context, const plix_surface_props*) {
            if (refuseSurfaces) return plix_handle(0);
            auto* s = Make<Surface>();
            s->pixels = As<PixmapObject>(pixmap)->pixmap;
            s->canvas.surface = s;
            s->release = release;
            s->releaseContext = context;
            fLastSurface = s;
            ++surfacesMade;
            return Handle(s);
        }};
    Spy<&API::plix_surface_get_canvas> fGetCanvas{[](plix_handle s) { return Handle(&As<Surface>(s)->canvas); }};
    Spy<&API::plix_surface_flush_and_submit> fFlushAndSubmit{
        [](plix_handle s, const plix_handle*, int32_t, plix_handle, bool) { ++As<Surface>(s)->flushes; }};
    Spy<&API::plix_image_make_from_raster> fImageFromRaster{
        [this](plix_handle pixmap, plix_image_raster_release_proc release, void* context) {
            auto* i = Make<Image>();
            i->pixmap = As<PixmapObject>(pixmap)->pixmap;
            i->release = release;
            i->releaseContext = context;
            return Handle(i);
        }};
    Spy<&API::plix_image_get_width> fImageWidth{[](plix_handle h) { return As<Image>(h)->pixmap.width; }};
    Spy<&API::plix_image_get_height> fImageHeight{[](plix_handle h) { return As<Image>(h)->pixmap.height; }};
    Spy<&API::plix_image_make_shader> fImageShader{
        [this](plix_handle image, int32_t tx, int32_t ty, const plix_sampling_options* sampling, const plix_matrix* m) {
            auto* s = Make<Shader>();
            s->kind = "image";
            s->image = As<Image>(image)->pixmap;
            s->tileX = tx;
            s->tileY = ty;
            if (sampling) s->sampling = *sampling;
            if (m) {
                s->hasLocalMatrix = true;
                s->localMatrix = FromNative(*m);
            }
            return Handle(s);
        }};

    // ---- shaders and path effects ----
    Spy<&API::plix_shader_make_gradient_linear> fLinear{[this](const plix_point* points, const uint32_t* colors,
                                                               const float* positions, int32_t count, int32_t tile,
                                                               const plix_matrix* m) {
        auto* s = Make<Shader>();
        s->kind = "linear";
        s->points = {{points[0].x, points[0].y}, {points[1].x, points[1].y}};
        s->colors.assign(colors, colors + count);
        if (positions) s->positions.assign(positions, positions + count);
        s->tileX = s->tileY = tile;
        if (m) {
            s->hasLocalMatrix = true;
            s->localMatrix = FromNative(*m);
        }
        return Handle(s);
    }};
    Spy<&API::plix_shader_make_gradient_radial> fRadial{[this](const plix_point* center, float radius,
                                                               const uint32_t* colors, const float* positions,
                                                               int32_t count, int32_t tile, const plix_matrix* m) {
        if (!(radius > 0)) return plix_handle(0);  // as the engine: no gradient without a radius
        auto* s = Make<Shader>();
        s->kind = "radial";
        s->points = {{center->x, center->y}};
        s->radius = radius;
        s->colors.assign(colors, colors + count);
        if (positions) s->positions.assign(positions, positions + count);
        s->tileX = s->tileY = tile;
        if (m) {
            s->hasLocalMatrix = true;
            s->localMatrix = FromNative(*m);
        }
        return Handle(s);
    }};
    Spy<&API::plix_patheffect_make_dash> fDash{[this](const float* intervals, int32_t count, float phase) {
        auto* e = Make<PathEffect>();
        e->intervals.assign(intervals, intervals + count);
        e->phase = phase;
        ++pathEffectsMade;
        return Handle(e);
    }};

    // ---- paints ----
    Spy<&API::plix_paint_create> fPaintCreate{[this] { return Handle(Make<PaintObject>()); }};
    Spy<&API::plix_paint_destroy> fPaintDestroy{[this](plix_handle h) {
        Replace(P(h).shader, 0);
        Replace(P(h).pathEffect, 0);
        Destroy(h);
    }};
    Spy<&API::plix_paint_reset> fPaintReset{[this](plix_handle h) {
        Replace(P(h).shader, 0);
        Replace(P(h).pathEffect, 0);
        P(h) = Paint();
        log.push_back("paint reset");
    }};
    Spy<&API::plix_paint_set_color> fSetColor{[this](plix_handle h, uint32_t c) {
        P(h).rgb = c & 0xFFFFFF;
        P(h).alpha = static_cast<float>(c >> 24) / 255;
    }};
    Spy<&API::plix_paint_set_alpha> fSetAlpha{[this](plix_handle h, uint8_t a) { P(h).alpha = static_cast<float>(a) / 255; }};
    Spy<&API::plix_paint_set_alphaf> fSetAlphaF{[this](plix_handle h, float a) { P(h).alpha = std::clamp(a, 0.0f, 1.0f); }};
    Spy<&API::plix_paint_set_antialias> fSetAntiAlias{[this](plix_handle h, bool v) { P(h).antiAlias = v; }};
    Spy<&API::plix_paint_set_style> fSetStyle{[this](plix_handle h, int32_t v) { P(h).style = v; }};
    Spy<&API::plix_paint_set_stroke_width> fSetWidth{[this](plix_handle h, float v) { P(h).strokeWidth = v; }};
    Spy<&API::plix_paint_set_stroke_cap> fSetCap{[this](plix_handle h, int32_t v) { P(h).cap = v; }};
    Spy<&API::plix_paint_set_stroke_join> fSetJoin{[this](plix_handle h, int32_t v) { P(h).join = v; }};
    Spy<&API::plix_paint_set_shader> fSetShader{[this](plix_handle h, plix_handle v) { Replace(P(h).shader, v); }};
    Spy<&API::plix_paint_set_path_effect> fSetEffect{[this](plix_handle h, plix_handle v) { Replace(P(h).pathEffect, v); }};
    Spy<&API::plix_paint_get_fill_path> fFillPath{[this](plix_handle, plix_handle path, const plix_rect*, float) {
        auto* p = Make<PathObject>();
        p->path = PathOf(path);
        return Handle(p);
    }};

    // ---- paths ----
    Spy<&API::plix_pathbuilder_create> fBuilderCreate{[this] { return Handle(Make<PathObject>()); }};
    Spy<&API::plix_pathbuilder_destroy> fBuilderDestroy{[this](plix_handle h) { Destroy(h); }};
    Spy<&API::plix_pathbuilder_set_filltype> fSetFillType{[this](plix_handle h, int32_t t) { PathOf(h).fillType = t; }};
    Spy<&API::plix_pathbuilder_move_to> fMoveTo{[this](plix_handle h, const plix_point* p) {
        Path& path = PathOf(h);
        path.verbs.push_back("M " + Pt(*p));
        path.contours.push_back({{p->x, p->y}});
        path.last = {p->x, p->y};
    }};
    Spy<&API::plix_pathbuilder_line_to> fLineTo{[this](plix_handle h, const plix_point* p) {
        Path& path = PathOf(h);
        path.verbs.push_back("L " + Pt(*p));
        if (path.contours.empty()) path.contours.push_back({path.last});
        path.contours.back().push_back({p->x, p->y});
        path.last = {p->x, p->y};
    }};
    Spy<&API::plix_pathbuilder_cubic_to> fCubicTo{[this](plix_handle h, const plix_point* a, const plix_point* b,
                                                         const plix_point* c) {
        Path& path = PathOf(h);
        path.verbs.push_back("C " + Pt(*a) + " " + Pt(*b) + " " + Pt(*c));
        if (path.contours.empty()) path.contours.push_back({path.last});
        const TPointF p0 = path.last;
        for (int i = 1; i <= 16; ++i) {
            const float t = static_cast<float>(i) / 16, u = 1 - t;
            path.contours.back().push_back({u * u * u * p0.X + 3 * u * u * t * a->x + 3 * u * t * t * b->x + t * t * t * c->x,
                                            u * u * u * p0.Y + 3 * u * u * t * a->y + 3 * u * t * t * b->y + t * t * t * c->y});
        }
        path.last = {c->x, c->y};
    }};
    Spy<&API::plix_pathbuilder_close> fClose{[this](plix_handle h) { PathOf(h).verbs.push_back("Z"); }};
    Spy<&API::plix_pathbuilder_add_oval> fAddOval{[this](plix_handle h, const plix_rect* r, int32_t dir, uint32_t start) {
        Path& path = PathOf(h);
        path.verbs.push_back("O " + Num(r->left) + " " + Num(r->top) + " " + Num(r->right) + " " + Num(r->bottom) + " " +
                             std::to_string(dir) + " " + std::to_string(start));
        std::vector<TPointF> polygon;
        for (int i = 0; i < 64; ++i) {
            const float a = static_cast<float>(i) * 6.2831853f / 64;
            polygon.push_back({(r->left + r->right) / 2 + std::cos(a) * (r->right - r->left) / 2,
                               (r->top + r->bottom) / 2 + std::sin(a) * (r->bottom - r->top) / 2});
        }
        path.contours.push_back(polygon);
    }};
    Spy<&API::plix_pathbuilder_detach> fDetach{[this](plix_handle h) {
        auto* p = Make<PathObject>();
        p->path = PathOf(h);
        PathOf(h) = Path();
        return Handle(p);
    }};
    Spy<&API::plix_path_destroy> fPathDestroy{[this](plix_handle h) { Destroy(h); }};
    Spy<&API::plix_path_contains> fContains{[this](plix_handle h, float x, float y) { return PathOf(h).Contains(x, y); }};


    // ---- GPU ----
    std::string NameOf(plix_handle h) { return As<GpuObject>(h)->name; }
    Spy<&API::plixgpu_gl_interface_make_native> fMakeNative{[this] {
        if (failGlInterface) return plix_handle(0);
        auto* o = Make<GpuObject>();
        o->name = "interface";
        o->madeOn = currentContext();
        gpuLog.push_back("interface on " + o->madeOn);
        return Handle(o);
    }};
    Spy<&API::plixgpu_directcontext_make_gl> fMakeGl{[this](plix_handle glInterface, const plix_context_options*) {
        if (failDirectContext || !glInterface) return plix_handle(0);
        auto* o = Make<GpuObject>();
        o->name = "context " + std::to_string(++directContextsMade);
        o->madeOn = currentContext();
        gpuLog.push_back(o->name + " on " + o->madeOn);
        return Handle(o);
    }};
    Spy<&API::plixgpu_directcontext_flush_and_submit> fContextFlush{[this](plix_handle h, bool sync) {
        gpuLog.push_back("flush " + NameOf(h) + (sync ? " sync" : "") + " on " + currentContext());
    }};
    Spy<&API::plixgpu_directcontext_abandon_context> fAbandon{
        [this](plix_handle h) { gpuLog.push_back("abandon " + NameOf(h) + " on " + currentContext()); }};
    Spy<&API::plixgpu_directcontext_release_resources_and_abandon_context> fReleaseResources{[this](plix_handle h) {
        releasedOn = std::this_thread::get_id();
        gpuLog.push_back("release " + NameOf(h) + " on " + currentContext());
    }};
    Spy<&API::plixgpu_directcontext_get_max_surface_sample_count_for_color_type> fMaxSamples{
        [this](plix_handle, int32_t) { return maxSampleCount; }};
    Spy<&API::plixgpu_backendrendertarget_create_gl> fRenderTarget{
        [this](int32_t w, int32_t h, int32_t samples, int32_t stencil, const plix_gl_framebuffer_info* info) {
            auto* t = Make<RenderTarget>();
            t->width = w;
            t->height = h;
            t->sampleCount = samples;
            t->stencilBits = stencil;
            t->framebuffer = *info;
            return Handle(t);
        }};
    Spy<&API::plixgpu_backendrendertarget_destroy> fRenderTargetDestroy{[this](plix_handle h) { Destroy(h); }};
    Spy<&API::plix_surface_make_from_render_target> fFromRenderTarget{[this](plix_handle context, plix_handle target,
                                                                             int32_t origin, int32_t colorType, plix_handle,
                                                                             const plix_surface_props*) {
        auto* s = Make<Surface>();
        s->gpu = true;
        s->target = *As<RenderTarget>(target);
        s->pixels = {s->target.width, s->target.height, colorType, 2, nullptr, 0};
        s->origin = origin;
        s->context = NameOf(context);
        s->canvas.surface = s;
        fLastGpuSurface = s;
        ++surfacesMade;
        return Handle(s);
    }};
    Spy<&API::plix_image_make_cross_context> fCrossContext{[this](plix_handle, plix_handle pixmap, bool, bool) {
        auto* i = Make<Image>();
        i->pixmap = As<PixmapObject>(pixmap)->pixmap;
        ++uploads;
        gpuLog.push_back("upload " + std::to_string(i->pixmap.width) + "x" + std::to_string(i->pixmap.height) + " on " +
                         currentContext());
        return Handle(i);
    }};
    Spy<&API::plix_image_make_texture_image> fTextureImage{[this](plix_handle image, plix_handle, bool) {
        auto* i = Make<Image>();
        i->pixmap = As<Image>(image)->pixmap;
        ++uploads;
        gpuLog.push_back("texture on " + currentContext());
        return Handle(i);
    }};

    // ---- canvases ----
    Spy<&API::plix_canvas_save> fSave{[this](plix_handle h) {
        Canvas& c = C(h);
        const auto count = static_cast<int32_t>(c.stack.size());
        c.stack.push_back(c.Top());
        log.push_back("save " + std::to_string(count));
        return count;
    }};
    Spy<&API::plix_canvas_restore> fRestore{[this](plix_handle h) {
        Canvas& c = C(h);
        if (c.stack.size() > 1) c.stack.pop_back();
        log.push_back("restore");
    }};
    Spy<&API::plix_canvas_restore_to_count> fRestoreToCount{[this](plix_handle h, int32_t n) {
        Canvas& c = C(h);
        while (static_cast<int32_t>(c.stack.size()) > std::max(n, 1)) c.stack.pop_back();
        log.push_back("restore to " + std::to_string(n));
    }};
    Spy<&API::plix_canvas_get_save_count> fSaveCount{[this](plix_handle h) { return static_cast<int32_t>(C(h).stack.size()); }};
    Spy<&API::plix_canvas_set_matrix2> fSetMatrix{[this](plix_handle h, const plix_matrix* m) {
        C(h).Top().matrix = FromNative(*m);
        log.push_back("matrix " + Num(m->scale_x) + " " + Num(m->skew_y) + " " + Num(m->skew_x) + " " + Num(m->scale_y) +
                      " " + Num(m->trans_x) + " " + Num(m->trans_y));
    }};
    Spy<&API::plix_canvas_clip_rect> fClipRect{[this](plix_handle h, const plix_rect* r, int32_t op, bool aa) {
        Canvas& c = C(h);
        const TRectF device = c.Top().matrix.TransformRect(FromNative(*r));
        c.Top().clips.push_back({op, device});
        log.push_back("clip " + std::to_string(op) + (aa ? " aa " : " ") + Num(device.Left) + " " + Num(device.Top) +
                      " " + Num(device.Right) + " " + Num(device.Bottom));
    }};
    Spy<&API::plix_canvas_clear> fClear{[this](plix_handle h, uint32_t color) {
        Canvas& c = C(h);
        std::ostringstream s;
        s << "clear " << std::hex << color;
        log.push_back(s.str());
        ClearPixels(c, color);
    }};
    Spy<&API::plix_canvas_draw_rect> fDrawRect{[this](plix_handle h, const plix_rect* r, plix_handle paint) {
        Draw d = Record(C(h), "rect", paint);
        d.rect = FromNative(*r);
        draws.push_back(d);
    }};
    Spy<&API::plix_canvas_draw_path> fDrawPath{[this](plix_handle h, plix_handle path, plix_handle paint) {
        Draw d = Record(C(h), "path", paint);
        d.path = PathOf(path);
        draws.push_back(d);
    }};
    Spy<&API::plix_canvas_draw_line> fDrawLine{[this](plix_handle h, const plix_point* a, const plix_point* b,
                                                      plix_handle paint) {
        Draw d = Record(C(h), "line", paint);
        d.p1 = {a->x, a->y};
        d.p2 = {b->x, b->y};
        draws.push_back(d);
    }};
    Spy<&API::plix_canvas_draw_image_rect> fDrawImageRect{[this](plix_handle h, plix_handle image, const plix_rect* src,
                                                                 const plix_rect* dst, const plix_sampling_options* sampling,
                                                                 plix_handle paint, int32_t constraint) {
        Draw d = Record(C(h), "image", paint);
        d.image = As<Image>(image)->pixmap;
        if (src) d.src = FromNative(*src);
        d.rect = FromNative(*dst);
        if (sampling) d.sampling = *sampling;
        d.constraint = constraint;
        draws.push_back(d);
    }};
};

}  // namespace fake
