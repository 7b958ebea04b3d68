#include "UI/Graphics/CanvasCustom.h"

#include <cmath>
#include <string>
#include <vector>

#include "Skia/API.h"
#include "Skia/PathBuilder.h"
#include "Skia/PathEffect.h"
#include "Skia/Shader.h"
#include "UI/Graphics/BitmapHandle.h"

namespace Skia::UI {

using Ui::TBrushKind;
using Ui::TMatrix;
using Ui::TPointF;
using Ui::TRectF;

namespace {

TSkStrokeCap ToSkCap(Ui::TStrokeCap cap) {
    // Flat ends extend by half the thickness: the built-in dash lengths count on it.
    return cap == Ui::TStrokeCap::Round ? TSkStrokeCap::Round : TSkStrokeCap::Square;
}

TSkStrokeJoin ToSkJoin(Ui::TStrokeJoin join) {
    switch (join) {
        case Ui::TStrokeJoin::Round: return TSkStrokeJoin::Round;
        case Ui::TStrokeJoin::Bevel: return TSkStrokeJoin::Bevel;
        case Ui::TStrokeJoin::Miter: break;
    }
    return TSkStrokeJoin::Miter;
}

// The closed oval inscribed in r, clockwise from its leftmost point.
Ref<ISkPath> OvalPath(const TRectF& r) {
    Ref<ISkPathBuilder> builder = TSkPathBuilder::Create();
    builder->AddOval(r, TSkPathDirection::CW, 3);
    return builder->Detach();
}

// The bounds of a framework path (all points, control points included).
TRectF Bounds(const Ui::TPathData& path) { return path.GetBounds(); }

}  // namespace

// ---- construction ----

TSkCanvasCustom::TLibraryHold::TLibraryHold() { API::AcquireNativeLibrary(); }
TSkCanvasCustom::TLibraryHold::~TLibraryHold() { API::ReleaseNativeLibrary(); }

TSkCanvasCustom::TSkCanvasCustom(Ui::TWindowHandle* parent, int width, int height, Ui::TCanvasQuality quality)
    : Ui::TCanvas(parent, width, height, quality), FPaint(TSkPaint::Create()) {}

TSkCanvasCustom::TSkCanvasCustom(Ui::TBitmap& bitmap, Ui::TCanvasQuality quality)
    : Ui::TCanvas(bitmap, quality), FPaint(TSkPaint::Create()) {}

TSkCanvasCustom::~TSkCanvasCustom() = default;

// ---- state kept in step with the framework ----

void TSkCanvasCustom::SetSize(int width, int height) {
    if (width == Width() && height == Height()) return;
    Ui::TCanvas::SetSize(width, height);
    Resized();
}

void TSkCanvasCustom::DoSetMatrix(const TMatrix& m) {
    // Outside a scene there is no Skia canvas; the scene starts from the device scale.
    if (BeginSceneCount() <= 0) return;
    if (Ref<ISkCanvas> canvas = GetCanvas()) canvas->SetMatrix(m * TMatrix::CreateScaling(Scale(), Scale()));
}

void TSkCanvasCustom::TSaveState::Assign(Ui::TPersistent* source) {
    Ui::TCanvasSaveState::Assign(source);
    FSaveCount = 0;
    if (auto* canvas = dynamic_cast<TSkCanvasCustom*>(source))
        if (Ref<ISkCanvas> skCanvas = canvas->GetCanvas()) FSaveCount = skCanvas->Save();
}

void TSkCanvasCustom::TSaveState::AssignTo(Ui::TPersistent* dest) {
    if (auto* canvas = dynamic_cast<TSkCanvasCustom*>(dest)) {
        canvas->BeforeRestore();
        if (FSaveCount > 0)
            if (Ref<ISkCanvas> skCanvas = canvas->GetCanvas()) skCanvas->RestoreToCount(FSaveCount);
    }
    // The framework's restore; its SetMatrix installs the Skia matrix again.
    Ui::TCanvasSaveState::AssignTo(dest);
}

void TSkCanvasCustom::Clear(Ui::TAlphaColor color) {
    CheckScene();
    GetCanvas()->Clear(color);
}

void TSkCanvasCustom::ClearRect(const TRectF& r, Ui::TAlphaColor color) {
    CheckScene();
    const Ref<ISkCanvas> canvas = GetCanvas();
    canvas->Save();
    try {
        canvas->ClipRect(r, TSkClipOp::Intersect, false);
        canvas->Clear(color);
    } catch (...) {
        canvas->Restore();
        throw;
    }
    canvas->Restore();
}

void TSkCanvasCustom::IntersectClipRect(const TRectF& r) {
    CheckScene();
    Ui::TCanvas::IntersectClipRect(r);  // the framework's counter and bookkeeping
    GetCanvas()->ClipRect(r, TSkClipOp::Intersect, false);
}

void TSkCanvasCustom::ExcludeClipRect(const TRectF& r) {
    CheckScene();
    Ui::TCanvas::ExcludeClipRect(r);
    GetCanvas()->ClipRect(r, TSkClipOp::Difference, false);
}

bool TSkCanvasCustom::LoadFontFromStream(Ui::TStream& stream) {
    // Typefaces from streams need the typeface wrappers and the shared font provider of the
    // controls; until those exist the canvas cannot load fonts.
    return Ui::TCanvas::LoadFontFromStream(stream);
}

// ---- paths ----

Ref<ISkPath> TSkCanvasCustom::PathDataToSkPath(const Ui::TPathData& path) {
    Ref<ISkPathBuilder> builder = TSkPathBuilder::Create(TSkPathFillType::EvenOdd);
    const auto& points = path.Points();
    for (size_t i = 0; i < points.size(); ++i) {
        const Ui::TPathPoint& p = points[i];
        switch (p.Kind) {
            case Ui::TPathPointKind::MoveTo: builder->MoveTo(p.Point); break;
            case Ui::TPathPointKind::LineTo: builder->LineTo(p.Point); break;
            case Ui::TPathPointKind::CurveTo:
                if (i + 2 >= points.size())
                    throw Ui::EArgumentOutOfRange("List index out of bounds (" + std::to_string(i + 2) + ")");
                builder->CubicTo(p.Point, points[i + 1].Point, points[i + 2].Point);
                i += 2;
                break;
            case Ui::TPathPointKind::Close: builder->Close(); break;
        }
    }
    return builder->Detach();
}

bool TSkCanvasCustom::PtInPath(TPointF point, const Ui::TPathData& path) {
    const Ref<ISkPath> skPath = PathDataToSkPath(path);
    const Ref<ISkPath> fill = TSkPaint::Create()->GetFillPath(skPath);
    return fill && fill->Contains(point.X, point.Y);
}

// ---- paint preparation ----

TSkSamplingOptions TSkCanvasCustom::GetSamplingOptions(bool highSpeed) const {
    if (highSpeed) return {TSkFilterMode::Nearest, TSkMipmapMode::None};
    if (Quality() == Ui::TCanvasQuality::HighPerformance) return {TSkFilterMode::Nearest, TSkMipmapMode::Nearest};
    return TSkSamplingOptions(TSkCubicResampler(1.0f / 3.0f, 1.0f / 3.0f));
}

namespace {

// Resource brushes stand for the brush they refer to; nil when the chain ends in none.
const Ui::TBrush* Resolve(const Ui::TBrush* brush) {
    // A resource may refer to itself through a chain; a bounded walk keeps that from hanging.
    for (int depth = 0; brush && brush->Kind == TBrushKind::Resource; ++depth) {
        if (depth > 64) return nullptr;
        brush = brush->Resource.Brush;
    }
    return brush;
}

}  // namespace

bool TSkCanvasCustom::BeginFill(const Ui::TBrush& brush, const TRectF& rect, float opacity) {
    FBrush = Resolve(&brush);
    if (!FBrush) return false;
    FPaint->SetStyle(TSkPaintStyle::Fill);
    ApplyBrush(rect, opacity);
    return true;
}

bool TSkCanvasCustom::BeginStroke(const Ui::TStrokeBrush& brush, const TRectF& rect, float opacity) {
    FBrush = Resolve(&brush);
    if (!FBrush) return false;
    const float thickness = brush.Thickness;
    if (std::fabs(thickness) <= 0.001f) return false;
    FPaint->SetStyle(TSkPaintStyle::Stroke);
    ApplyBrush(rect, opacity);
    FPaint->SetStrokeCap(ToSkCap(brush.Cap));
    FPaint->SetStrokeJoin(ToSkJoin(brush.Join));
    FPaint->SetStrokeWidth(thickness);

    std::vector<float> dashes = brush.DashArray();
    // An odd custom array names no pattern of on and off lengths: the stroke stays solid, as it
    // does for lengths the engine refuses (negative, all zero).
    if (dashes.empty() || dashes.size() % 2 != 0) return true;
    // Built-in dashes lose one thickness and gaps gain one, which the caps give back; a custom
    // array is simply scaled.
    const float e = brush.Dash() == Ui::TStrokeDash::Custom ? thickness : 0;
    for (size_t i = 0; i < dashes.size(); ++i)
        dashes[i] = i % 2 == 0 ? (dashes[i] - 1) * thickness + e : (dashes[i] + 1) * thickness - e;
    FPaint->SetPathEffect(TSkPathEffect::MakeDash(dashes, brush.DashOffset() * thickness));
    return true;
}

Ref<ISkImage> TSkCanvasCustom::GetCachedImage(Ui::TBitmap&) { return nullptr; }

// Wraps the mapped pixels of the brush's bitmap without copying; nil when they cannot be.
Ref<ISkImage> TSkCanvasCustom::WrapBrushBitmap(Ui::TBitmap& bitmap) {
    FBrushBitmap = &bitmap;
    FBrushBitmapMapped = bitmap.Map(Ui::TMapAccess::Read, FBrushBitmapData);
    if (!FBrushBitmapMapped) return nullptr;
    const TSkColorType colorType = PixelFormatToColorType(FBrushBitmapData.PixelFormat);
    if (colorType == TSkColorType::Unknown) return nullptr;
    const TSkImageInfo info(FBrushBitmapData.Width, FBrushBitmapData.Height, colorType, TSkAlphaType::Premul);
    return TSkImage::MakeFromRaster(info, FBrushBitmapData.Data, static_cast<size_t>(FBrushBitmapData.Pitch));
}

void TSkCanvasCustom::ApplyBrush(const TRectF& rect, float opacity) {
    // Invisible unless a case below succeeds.
    FPaint->SetAlpha(0);
    FPaint->SetAntiAlias(Quality() != Ui::TCanvasQuality::HighPerformance);
    const Ui::TBrush& brush = *FBrush;
    switch (brush.Kind) {
        case TBrushKind::None:
        case TBrushKind::Resource:
            return;
        case TBrushKind::Solid:
            FPaint->SetColor(Ui::MakeColor(brush.Color, opacity));
            return;
        case TBrushKind::Gradient: {
            const auto& points = brush.Gradient.Points;
            const size_t n = points.size();
            if (n == 0) return;
            std::vector<Ui::TAlphaColor> colors(n);
            std::vector<float> positions(n);
            Ref<ISkShader> shader;
            if (brush.Gradient.Style == Ui::TGradientStyle::Linear) {
                for (size_t i = 0; i < n; ++i) {
                    colors[i] = Ui::MakeColor(points[i].Color, opacity);
                    positions[i] = points[i].Offset;
                }
                const TPointF start(rect.Left + rect.Width() * brush.Gradient.StartPosition.X,
                                    rect.Top + rect.Height() * brush.Gradient.StartPosition.Y);
                const TPointF stop(rect.Left + rect.Width() * brush.Gradient.StopPosition.X,
                                   rect.Top + rect.Height() * brush.Gradient.StopPosition.Y);
                shader = TSkShader::MakeGradientLinear(start, stop, colors, positions, TSkTileMode::Clamp);
            } else {
                // The framework's offsets run from the rim inwards.
                for (size_t i = 0; i < n; ++i) {
                    colors[n - 1 - i] = Ui::MakeColor(points[i].Color, opacity);
                    positions[n - 1 - i] = 1 - points[i].Offset;
                }
                const Ui::TRadialTransform& t = brush.Gradient.RadialTransform;
                const TPointF c(rect.Left + rect.Width() * t.RotationCenter.X,
                                rect.Top + rect.Height() * t.RotationCenter.Y);
                const float rx = rect.Width() / 2 * t.Scale.X;
                const float ry = rect.Height() / 2 * t.Scale.Y;
                if (std::fabs(rx - ry) <= 1E-40f) {
                    shader = TSkShader::MakeGradientRadial(c, rx, colors, positions, TSkTileMode::Clamp);
                } else if (!(rx >= ry)) {
                    // The circle of the larger radius squeezed about the centre into an ellipse.
                    const float k = rx / ry;
                    const TMatrix m = TMatrix::CreateScaling(k, 1) * TMatrix::CreateTranslation(c.X - c.X * k, 0);
                    shader = TSkShader::MakeGradientRadial(c, ry, colors, m, positions, TSkTileMode::Clamp);
                } else {
                    const float k = ry / rx;
                    const TMatrix m = TMatrix::CreateScaling(1, k) * TMatrix::CreateTranslation(0, c.Y - c.Y * k);
                    shader = TSkShader::MakeGradientRadial(c, rx, colors, m, positions, TSkTileMode::Clamp);
                }
            }
            // A gradient the engine refuses (a zero radius, say) stays invisible rather than
            // drawing in the paint's plain colour.
            if (!shader) return;
            FPaint->SetShader(shader);
            FPaint->SetAlpha(255);  // the stop colours carry the opacity
            return;
        }
        case TBrushKind::Bitmap: {
            auto* bitmap = const_cast<Ui::TBitmap*>(brush.Bitmap.BitmapOrNull());
            if (!bitmap || !bitmap->HandleAllocated()) return;
            Ref<ISkImage> image = GetCachedImage(*bitmap);
            if (!image) image = WrapBrushBitmap(*bitmap);
            if (!image) return;
            const TSkSamplingOptions sampling = GetSamplingOptions(false);
            Ref<ISkShader> shader;
            switch (brush.Bitmap.WrapMode) {
                case Ui::TWrapMode::TileStretch: {
                    const TMatrix m =
                        TMatrix::CreateScaling(rect.Width() / static_cast<float>(image->GetWidth()),
                                               rect.Height() / static_cast<float>(image->GetHeight())) *
                        TMatrix::CreateTranslation(rect.Left, rect.Top);
                    shader = image->MakeShader(m, sampling, TSkTileMode::Clamp, TSkTileMode::Clamp);
                    break;
                }
                case Ui::TWrapMode::Tile:
                    shader = image->MakeShader(sampling, TSkTileMode::Repeat, TSkTileMode::Repeat);
                    break;
                case Ui::TWrapMode::TileOriginal:
                    shader = image->MakeShader(sampling, TSkTileMode::Clamp, TSkTileMode::Clamp);
                    break;
            }
            if (!shader) return;
            FPaint->SetShader(shader);
            FPaint->SetAlphaF(opacity);
            return;
        }
    }
}

void TSkCanvasCustom::EndDraw() {
    // The shader may refer to the mapped pixels: it goes before they are unmapped.
    FPaint->Reset();
    if (FBrushBitmapMapped) {
        FBrushBitmapMapped = false;
        FBrushBitmap->Unmap(FBrushBitmapData);
    }
    FBrushBitmap = nullptr;
    FBrush = nullptr;
}

template <class Draw>
void TSkCanvasCustom::DrawPrepared(Draw&& draw) {
    try {
        draw(*GetCanvas());
    } catch (...) {
        EndDraw();
        throw;
    }
    EndDraw();
}

// ---- primitives ----

void TSkCanvasCustom::DoFillRect(const TRectF& r, float opacity, const Ui::TBrush& brush) {
    if (!BeginFill(brush, r, opacity)) return;
    DrawPrepared([&](ISkCanvas& canvas) { canvas.DrawRect(r, FPaint); });
}

void TSkCanvasCustom::DoFillPath(const Ui::TPathData& path, float opacity, const Ui::TBrush& brush) {
    if (!BeginFill(brush, Bounds(path), opacity)) return;
    DrawPrepared([&](ISkCanvas& canvas) { canvas.DrawPath(PathDataToSkPath(path), FPaint); });
}

void TSkCanvasCustom::DoFillEllipse(const TRectF& r, float opacity, const Ui::TBrush& brush) {
    if (!BeginFill(brush, r, opacity)) return;
    DrawPrepared([&](ISkCanvas& canvas) { canvas.DrawPath(OvalPath(r), FPaint); });
}

void TSkCanvasCustom::DoDrawLine(TPointF p1, TPointF p2, float opacity, const Ui::TStrokeBrush& brush) {
    const TRectF bounds(std::fmin(p1.X, p2.X), std::fmin(p1.Y, p2.Y), std::fmax(p1.X, p2.X), std::fmax(p1.Y, p2.Y));
    if (!BeginStroke(brush, bounds, opacity)) return;
    DrawPrepared([&](ISkCanvas& canvas) { canvas.DrawLine(p1, p2, FPaint); });
}

void TSkCanvasCustom::DoDrawRect(const TRectF& r, float opacity, const Ui::TStrokeBrush& brush) {
    if (!BeginStroke(brush, r, opacity)) return;
    DrawPrepared([&](ISkCanvas& canvas) { canvas.DrawRect(r, FPaint); });
}

void TSkCanvasCustom::DoDrawPath(const Ui::TPathData& path, float opacity, const Ui::TStrokeBrush& brush) {
    if (!BeginStroke(brush, Bounds(path), opacity)) return;
    DrawPrepared([&](ISkCanvas& canvas) { canvas.DrawPath(PathDataToSkPath(path), FPaint); });
}

void TSkCanvasCustom::DoDrawEllipse(const TRectF& r, float opacity, const Ui::TStrokeBrush& brush) {
    if (!BeginStroke(brush, r, opacity)) return;
    DrawPrepared([&](ISkCanvas& canvas) { canvas.DrawPath(OvalPath(r), FPaint); });
}

void TSkCanvasCustom::DoDrawBitmap(Ui::TBitmap& bitmap, const TRectF& srcRect, const TRectF& dstRect, float opacity,
                                   bool highSpeed) {
    const TRectF src = TRectF::Intersect(
        srcRect, {0, 0, static_cast<float>(bitmap.Width()), static_cast<float>(bitmap.Height())});
    if (!bitmap.HandleAllocated() || src.IsEmpty() || dstRect.IsEmpty()) return;
    const TSkSamplingOptions sampling = GetSamplingOptions(highSpeed);
    Ui::TBitmapData data;
    bool mapped = false;
    try {
        FPaint->SetAlphaF(opacity);
        Ref<ISkImage> image = GetCachedImage(bitmap);
        if (!image) {
            mapped = bitmap.Map(Ui::TMapAccess::Read, data);
            const TSkColorType colorType = PixelFormatToColorType(data.PixelFormat);
            if (mapped && colorType != TSkColorType::Unknown)
                image = TSkImage::MakeFromRaster(TSkImageInfo(data.Width, data.Height, colorType, TSkAlphaType::Premul),
                                                 data.Data, static_cast<size_t>(data.Pitch));
        }
        if (image) GetCanvas()->DrawImageRect(image, src, dstRect, sampling, FPaint, TSkSrcRectConstraint::Fast);
    } catch (...) {
        FPaint->Reset();
        if (mapped) bitmap.Unmap(data);
        throw;
    }
    // The image shares the mapped pixels; the engine drew from them already.
    FPaint->Reset();
    if (mapped) bitmap.Unmap(data);
}

}  // namespace Skia::UI
