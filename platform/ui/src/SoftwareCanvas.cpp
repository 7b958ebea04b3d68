// The framework's own canvas: plain CPU drawing into BGRA or RGBA premultiplied pixels,
// without anti-aliasing. It fills (solid brushes), clears and draws bitmaps; strokes are left
// to the canvases that graphics back ends register. It keeps windows and bitmaps usable when
// no other canvas is installed, and gives tests pixels to look at.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "Internal.h"
#include "ui/Canvas.h"
#include "ui/InterfacedObject.h"
#include "ui/Window.h"

namespace Ui {

namespace Internal {

TAlphaColor Premultiply(TAlphaColor c) {
    const uint32_t a = c >> 24;
    auto mul = [a](uint32_t v) { return (v * a + 127) / 255; };
    return (a << 24) | (mul((c >> 16) & 0xFF) << 16) | (mul((c >> 8) & 0xFF) << 8) | mul(c & 0xFF);
}

}  // namespace Internal

namespace {

struct TSoftwareBitmap {
    int Width, Height;
    TPixelFormat PixelFormat;
    std::vector<uint8_t> Pixels;
};

// Source-over of a premultiplied colour onto a premultiplied pixel.
uint32_t Blend(uint32_t dst, uint32_t src) {
    const uint32_t inv = 255 - (src >> 24);
    if (inv == 0) return src;
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
        out |= std::min<uint32_t>(255, s + (d * inv + 127) / 255) << shift;
    }
    return out;
}

uint32_t WithOpacity(uint32_t premultiplied, float opacity) {
    if (!(opacity < 1)) return premultiplied;
    const float k = std::max(opacity, 0.0f);
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
        out |= static_cast<uint32_t>(std::lround(static_cast<float>((premultiplied >> shift) & 0xFF) * k)) << shift;
    return out;
}

uint32_t SwapRB(uint32_t c) { return (c & 0xFF00FF00u) | ((c >> 16) & 0xFFu) | ((c & 0xFFu) << 16); }

class TSoftwareCanvas final : public TCanvas {
public:
    TSoftwareCanvas(TWindowHandle* parent, int width, int height, TCanvasQuality quality)
        : TCanvas(parent, width, height, quality) {}
    TSoftwareCanvas(TBitmap& bitmap, TCanvasQuality quality) : TCanvas(bitmap, quality) {}

    const TCanvasClass& CanvasClass() const override { return Internal::SoftwareCanvasClass(); }

    void Clear(TAlphaColor color) override {
        CheckScene();
        FillDevice({0, 0, static_cast<float>(fTarget.Width), static_cast<float>(fTarget.Height)},
                   Internal::Premultiply(color), false);
    }

    void ClearRect(const TRectF& r, TAlphaColor color) override {
        CheckScene();
        FillDevice(DeviceMatrix().TransformRect(r), Internal::Premultiply(color), false);
    }

protected:
    bool DoBeginScene(const std::vector<TRectF>* clipRects, THandle contextHandle) override {
        if (!TCanvas::DoBeginScene(clipRects, contextHandle)) return false;
        fTarget = {};
        if (Parent()) {
            TWindowSurface surface;
            if (!Parent()->LockSurface(surface) || !surface.Pixels) return false;
            fTarget = {static_cast<uint8_t*>(surface.Pixels), surface.Pitch, surface.Width, surface.Height, false};
            return true;
        }
        TBitmap* bitmap = Bitmap();
        if (!bitmap) return false;
        const TPixelFormat f = bitmap->PixelFormat();
        if (f != TPixelFormat::BGRA && f != TPixelFormat::RGBA) return false;
        if (!bitmap->Map(TMapAccess::ReadWrite, fData)) return false;
        fTarget = {static_cast<uint8_t*>(fData.Data), fData.Pitch, fData.Width, fData.Height, f == TPixelFormat::RGBA};
        return true;
    }

    void DoEndScene() override {
        if (Parent())
            Parent()->Present();
        else if (Bitmap())
            Bitmap()->Unmap(fData);
        fTarget = {};
        TCanvas::DoEndScene();
    }

    void DoFillRect(const TRectF& r, float opacity, const TBrush& brush) override {
        uint32_t color;
        if (!SolidColor(brush, opacity, color)) return;
        const TMatrix m = DeviceMatrix();
        if (m.m12 == 0 && m.m21 == 0) {
            FillDevice(m.TransformRect(r), color, true);
            return;
        }
        TPathData path;
        path.AddRectangle(r);
        FillPolygons(path, m, color);
    }

    void DoFillPath(const TPathData& path, float opacity, const TBrush& brush) override {
        uint32_t color;
        if (SolidColor(brush, opacity, color)) FillPolygons(path, DeviceMatrix(), color);
    }

    void DoFillEllipse(const TRectF& r, float opacity, const TBrush& brush) override {
        TPathData path;
        path.AddEllipse(r);
        DoFillPath(path, opacity, brush);
    }

    void DoDrawBitmap(TBitmap& bitmap, const TRectF& srcRect, const TRectF& dstRect, float opacity, bool) override {
        const TRectF src = TRectF::Intersect(srcRect, {0, 0, static_cast<float>(bitmap.Width()),
                                                       static_cast<float>(bitmap.Height())});
        if (src.IsEmpty() || dstRect.IsEmpty() || (Bitmap() == &bitmap)) return;
        const TPixelFormat f = bitmap.PixelFormat();
        if (f != TPixelFormat::BGRA && f != TPixelFormat::RGBA) return;
        TBitmapData data;
        if (!bitmap.Map(TMapAccess::Read, data)) return;
        const TMatrix m = DeviceMatrix();
        const TMatrix inverse = m.Inverse();
        const TRectF area = m.TransformRect(dstRect);
        Rows(area, [&](int y, int x0, int x1) {
            for (int x = x0; x < x1; ++x) {
                const TPointF local = inverse.Transform({static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f});
                if (!dstRect.Contains(local)) continue;
                const auto sx = static_cast<int>(std::floor(src.Left + (local.X - dstRect.Left) / dstRect.Width() * src.Width()));
                const auto sy = static_cast<int>(std::floor(src.Top + (local.Y - dstRect.Top) / dstRect.Height() * src.Height()));
                uint32_t c = data.GetPixel(sx, sy);  // 0xAARRGGBB
                Put(x, y, WithOpacity(c, opacity), true);
            }
        });
        bitmap.Unmap(data);
    }

private:
    struct TTarget {
        uint8_t* Pixels = nullptr;
        int Pitch = 0, Width = 0, Height = 0;
        bool Rgba = false;
    };

    TMatrix DeviceMatrix() const { return Matrix() * TMatrix::CreateScaling(Scale(), Scale()); }

    bool SolidColor(const TBrush& brush, float opacity, uint32_t& color) const {
        const TBrush* b = &brush;
        for (int depth = 0; b && b->Kind == TBrushKind::Resource && depth < 16; ++depth) b = b->Resource.Brush;
        if (!b || b->Kind != TBrushKind::Solid) return false;
        color = Internal::Premultiply(MakeColor(b->Color, opacity));
        return true;
    }

    bool Visible(int x, int y) const {
        const TPointF p{static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f};
        if (ClipBounds() && !ClipBounds()->Contains(p)) return false;
        for (const TRectF& r : ExcludedRects())
            if (r.Contains(p)) return false;
        return true;
    }

    void Put(int x, int y, uint32_t color, bool blend) {
        if (!Visible(x, y)) return;
        uint8_t* p = fTarget.Pixels + static_cast<ptrdiff_t>(y) * fTarget.Pitch + static_cast<ptrdiff_t>(x) * 4;
        uint32_t dst;
        std::memcpy(&dst, p, 4);
        if (fTarget.Rgba) dst = SwapRB(dst);
        uint32_t out = blend ? Blend(dst, color) : color;
        if (fTarget.Rgba) out = SwapRB(out);
        std::memcpy(p, &out, 4);
    }

    // Calls row(y, x0, x1) for the pixel rows whose centres lie in the device area.
    template <class F>
    void Rows(const TRectF& area, F row) {
        if (!fTarget.Pixels || !std::isfinite(area.Left) || !std::isfinite(area.Right) ||
            !std::isfinite(area.Top) || !std::isfinite(area.Bottom))
            return;
        const int y0 = std::max(0, static_cast<int>(std::ceil(area.Top - 0.5f)));
        const int y1 = std::min(fTarget.Height, static_cast<int>(std::ceil(area.Bottom - 0.5f)));
        const int x0 = std::max(0, static_cast<int>(std::ceil(area.Left - 0.5f)));
        const int x1 = std::min(fTarget.Width, static_cast<int>(std::ceil(area.Right - 0.5f)));
        for (int y = y0; y < y1; ++y)
            if (x0 < x1) row(y, x0, x1);
    }

    void FillDevice(const TRectF& area, uint32_t color, bool blend) {
        Rows(area, [&](int y, int x0, int x1) {
            for (int x = x0; x < x1; ++x) Put(x, y, color, blend);
        });
    }

    // Even-odd scan conversion of the flattened path, sampled at pixel centres.
    void FillPolygons(const TPathData& path, const TMatrix& m, uint32_t color) {
        std::vector<std::pair<TPointF, TPointF>> edges;
        TPointF start, last;
        const auto& pts = path.Points();
        for (size_t i = 0; i < pts.size(); ++i) {
            const TPathPoint& p = pts[i];
            const TPointF q = m.Transform(p.Point);
            switch (p.Kind) {
                case TPathPointKind::MoveTo:
                    edges.emplace_back(last, start);
                    start = last = q;
                    break;
                case TPathPointKind::LineTo:
                    edges.emplace_back(last, q);
                    last = q;
                    break;
                case TPathPointKind::CurveTo: {
                    if (i + 2 >= pts.size()) return;
                    const TPointF p0 = last, c1 = q, c2 = m.Transform(pts[i + 1].Point), end = m.Transform(pts[i + 2].Point);
                    constexpr int kSteps = 16;
                    for (int s = 1; s <= kSteps; ++s) {
                        const float t = static_cast<float>(s) / kSteps, u = 1 - t;
                        const TPointF b = p0 * (u * u * u) + c1 * (3 * u * u * t) + c2 * (3 * u * t * t) + end * (t * t * t);
                        edges.emplace_back(last, b);
                        last = b;
                    }
                    i += 2;
                    break;
                }
                case TPathPointKind::Close:
                    edges.emplace_back(last, start);
                    last = start;
                    break;
            }
        }
        edges.emplace_back(last, start);
        TRectF area;
        bool first = true;
        for (const auto& [a, b] : edges) {
            const TRectF e{std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y)};
            area = first ? e : TRectF{std::min(area.Left, e.Left), std::min(area.Top, e.Top),
                                      std::max(area.Right, e.Right), std::max(area.Bottom, e.Bottom)};
            first = false;
        }
        std::vector<float> xs;
        Rows(area, [&](int y, int x0, int x1) {
            const float cy = static_cast<float>(y) + 0.5f;
            xs.clear();
            for (const auto& [a, b] : edges)
                if ((a.Y > cy) != (b.Y > cy)) xs.push_back(a.X + (cy - a.Y) / (b.Y - a.Y) * (b.X - a.X));
            std::sort(xs.begin(), xs.end());
            for (size_t k = 0; k + 1 < xs.size(); k += 2) {
                const int from = std::max(x0, static_cast<int>(std::ceil(xs[k] - 0.5f)));
                const int to = std::min(x1, static_cast<int>(std::ceil(xs[k + 1] - 0.5f)));
                for (int x = from; x < to; ++x) Put(x, y, color, true);
            }
        });
    }

    TTarget fTarget;
    TBitmapData fData;
};

class TSoftwareCanvasClass final : public TCanvasClassFor<TSoftwareCanvas> {
public:
    std::string Name() const override { return "TSoftwareCanvas"; }

    THandle DoInitializeBitmap(int width, int height, float, TPixelFormat& pixelFormat) const override {
        if (pixelFormat == TPixelFormat::None) pixelFormat = TPixelFormat::BGRA;
        auto* b = new TSoftwareBitmap{width, height, pixelFormat, {}};
        return reinterpret_cast<THandle>(b);
    }

    void DoFinalizeBitmap(THandle& bitmap) const override {
        delete reinterpret_cast<TSoftwareBitmap*>(bitmap);
        bitmap = 0;
    }

    bool DoMapBitmap(THandle bitmap, TMapAccess, TBitmapData& data) const override {
        auto* b = reinterpret_cast<TSoftwareBitmap*>(bitmap);
        if (!b) return false;
        const int pitch = b->Width * PixelFormatBytes(b->PixelFormat);
        // Pixels are made on first use, zeroed.
        if (b->Pixels.empty()) b->Pixels.assign(static_cast<size_t>(pitch) * static_cast<size_t>(b->Height), 0);
        data.Data = b->Pixels.data();
        data.Pitch = pitch;
        return true;
    }

    void DoUnmapBitmap(THandle, TBitmapData&) const override {}
};

class TDefaultCanvasService final : public TInterfacedObject, public IUICanvasService {
public:
    void RegisterCanvasClasses() override {
        TCanvasManager::RegisterCanvas(Internal::SoftwareCanvasClass(), true, false);
    }
    void UnregisterCanvasClasses() override {}
};

class TDefaultTimerService final : public TInterfacedObject, public IUITimerService {
public:
    TFmxHandle CreateTimer(int intervalMs, TTimerProc proc) override {
        return Internal::Timers().Create(intervalMs, std::move(proc));
    }
    bool DestroyTimer(TFmxHandle timer) override { return Internal::Timers().Destroy(timer); }
    double GetTick() override { return Internal::Tick(); }
};

}  // namespace

namespace Internal {

const TCanvasClass& SoftwareCanvasClass() {
    static const TSoftwareCanvasClass instance;
    return instance;
}

void InstallDefaultServices(TPlatformServices& services) {
    services.AddPlatformService<IUICanvasService>(Ref<IUICanvasService>(new TDefaultCanvasService()));
    services.AddPlatformService<IUITimerService>(Ref<IUITimerService>(new TDefaultTimerService()));
}

}  // namespace Internal

}  // namespace Ui
