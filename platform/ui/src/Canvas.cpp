#include "ui/Canvas.h"

#include <algorithm>
#include <cmath>

#include "ui/Window.h"

namespace Ui {

int TCanvasClass::GetAttribute(TCanvasAttribute attribute) const {
    switch (attribute) {
        case TCanvasAttribute::MaxBitmapSize: return 8192;
    }
    return 0;
}

void TCanvasSaveState::Assign(TPersistent* source) {
    if (auto* canvas = dynamic_cast<TCanvas*>(source)) {
        fFill = canvas->fFill;
        fStroke = canvas->fStroke;
        fFont = canvas->fFont;
        fMatrix = canvas->fMatrix;
        fClipBounds = canvas->fClipBounds;
        fExcludedRects = canvas->fExcludedRects;
        fAssigned = true;
        return;
    }
    TPersistent::Assign(source);
}

void TCanvasSaveState::AssignTo(TPersistent* dest) {
    if (auto* canvas = dynamic_cast<TCanvas*>(dest)) {
        canvas->RestoreFrom(*this);
        return;
    }
    TPersistent::AssignTo(dest);
}

TCanvas::TCanvas(TWindowHandle* parent, int width, int height, TCanvasQuality quality)
    : fParent(parent), fQuality(quality), fWidth(std::max(width, 0)), fHeight(std::max(height, 0)) {
    if (parent) fScale = parent->Scale();
}

TCanvas::TCanvas(TBitmap& bitmap, TCanvasQuality quality)
    : fBitmap(&bitmap), fQuality(quality), fWidth(bitmap.Width()), fHeight(bitmap.Height()),
      fScale(bitmap.BitmapScale()) {}

TCanvas::~TCanvas() = default;

bool TCanvas::BeginScene(const std::vector<TRectF>* clipRects, THandle contextHandle) {
    fLock.lock();
    if (fBeginSceneCount == 0) {
        // A bitmap's storage is made its own and pinned for the scene, so the scene writes
        // neither into bitmaps that shared it nor into storage that is replaced under it.
        bool pinned = false, started = false;
        try {
            if (fWidth > 0 && fHeight > 0 && (!fBitmap || (pinned = fBitmap->BeginWriting())))
                started = DoBeginScene(clipRects, contextHandle);
        } catch (...) {
            if (pinned) fBitmap->EndWriting();
            fLock.unlock();
            throw;
        }
        if (!started) {
            if (pinned) fBitmap->EndWriting();
            fLock.unlock();
            return false;
        }
    }
    ++fBeginSceneCount;
    return true;
}

void TCanvas::EndScene() {
    if (fBeginSceneCount == 0) return;
    if (fBeginSceneCount == 1) {
        try {
            DoEndScene();
        } catch (...) {
            fBeginSceneCount = 0;
            if (fBitmap) fBitmap->EndWriting();
            fLock.unlock();
            throw;
        }
        if (fBitmap) fBitmap->EndWriting();
    }
    --fBeginSceneCount;
    fLock.unlock();
}

bool TCanvas::DoBeginScene(const std::vector<TRectF>*, THandle) {
    fClippingChangeCount = 0;
    fSavedStates.clear();
    fClipBounds.reset();
    fExcludedRects.clear();
    fStroke.Thickness = 1;
    fStroke.Cap = TStrokeCap::Flat;
    fStroke.Join = TStrokeJoin::Miter;
    fStroke.SetDash(TStrokeDash::Solid);
    fStroke.Kind = TBrushKind::Solid;
    fFill.Kind = TBrushKind::Solid;
    SetMatrix(TMatrix::Identity());
    return true;
}

void TCanvas::DoEndScene() {
    if (fBitmap) fBitmap->BitmapChanged();
}

void TCanvas::SetSize(int width, int height) {
    fWidth = std::max(width, 0);
    fHeight = std::max(height, 0);
}

void TCanvas::SetMatrix(const TMatrix& m) {
    fMatrix = m;
    DoSetMatrix(m);
}

TCanvasSaveState* TCanvas::SaveState() {
    auto state = std::unique_ptr<TCanvasSaveState>(CreateSaveState());
    state->Assign(this);
    fSavedStates.push_back(std::move(state));
    return fSavedStates.back().get();
}

void TCanvas::RestoreState(TCanvasSaveState* state) {
    const auto it = std::find_if(fSavedStates.begin(), fSavedStates.end(),
                                 [state](const auto& s) { return s.get() == state; });
    if (!state || it == fSavedStates.end()) throw ECanvasException("The state was not saved on this canvas");
    // States saved after this one cannot be restored any more.
    auto owned = std::move(*it);
    fSavedStates.erase(it, fSavedStates.end());
    owned->AssignTo(this);
}

void TCanvas::RestoreFrom(const TCanvasSaveState& state) {
    fFill = state.fFill;
    fStroke = state.fStroke;
    fFont = state.fFont;
    fClipBounds = state.fClipBounds;
    fExcludedRects = state.fExcludedRects;
    SetMatrix(state.fMatrix);
}

void TCanvas::IntersectClipRect(const TRectF& r) {
    ++fClippingChangeCount;
    const TRectF device = (fMatrix * TMatrix::CreateScaling(fScale, fScale)).TransformRect(r);
    fClipBounds = fClipBounds ? TRectF::Intersect(*fClipBounds, device) : device;
}

void TCanvas::ExcludeClipRect(const TRectF& r) {
    ++fClippingChangeCount;
    fExcludedRects.push_back((fMatrix * TMatrix::CreateScaling(fScale, fScale)).TransformRect(r));
}

void TCanvas::CheckScene() const {
    if (fBeginSceneCount <= 0)
        throw ECanvasException("It is not possible to perform rendering. BeginScene was not invoked.");
}

void TCanvas::Clear(TAlphaColor) { CheckScene(); }
void TCanvas::ClearRect(const TRectF&, TAlphaColor) { CheckScene(); }

void TCanvas::FillRect(const TRectF& r, float opacity, const TBrush& brush) {
    CheckScene();
    DoFillRect(r, opacity, brush);
}

void TCanvas::FillRect(const TRectF& r, float xRadius, float yRadius, TCorners corners, float opacity,
                       const TBrush& brush, TCornerType cornerType) {
    CheckScene();
    if (xRadius > 0 && yRadius > 0 && !corners.Empty())
        DoFillRoundRect(r, xRadius, yRadius, corners, opacity, brush, cornerType);
    else
        DoFillRect(r, opacity, brush);
}

void TCanvas::DrawRect(const TRectF& r, float opacity, const TStrokeBrush& brush) {
    CheckScene();
    DoDrawRect(r, opacity, brush);
}

void TCanvas::DrawRect(const TRectF& r, float xRadius, float yRadius, TCorners corners, float opacity,
                       const TStrokeBrush& brush, TCornerType cornerType) {
    CheckScene();
    if (xRadius > 0 && yRadius > 0 && !corners.Empty())
        DoDrawRoundRect(r, xRadius, yRadius, corners, opacity, brush, cornerType);
    else
        DoDrawRect(r, opacity, brush);
}

void TCanvas::DoFillRoundRect(const TRectF& r, float xRadius, float yRadius, TCorners corners, float opacity,
                              const TBrush& brush, TCornerType) {
    TPathData path;
    path.AddRectangle(r, xRadius, yRadius, corners);
    DoFillPath(path, opacity, brush);
}

void TCanvas::DoDrawRoundRect(const TRectF& r, float xRadius, float yRadius, TCorners corners, float opacity,
                              const TStrokeBrush& brush, TCornerType) {
    TPathData path;
    path.AddRectangle(r, xRadius, yRadius, corners);
    DoDrawPath(path, opacity, brush);
}

void TCanvas::FillEllipse(const TRectF& r, float opacity, const TBrush& brush) {
    CheckScene();
    DoFillEllipse(r, opacity, brush);
}

void TCanvas::DrawEllipse(const TRectF& r, float opacity, const TStrokeBrush& brush) {
    CheckScene();
    DoDrawEllipse(r, opacity, brush);
}

void TCanvas::FillPath(const TPathData& path, float opacity, const TBrush& brush) {
    CheckScene();
    if (!path.IsEmpty()) DoFillPath(path, opacity, brush);
}

void TCanvas::DrawPath(const TPathData& path, float opacity, const TStrokeBrush& brush) {
    CheckScene();
    if (!path.IsEmpty()) DoDrawPath(path, opacity, brush);
}

void TCanvas::DrawLine(TPointF p1, TPointF p2, float opacity, const TStrokeBrush& brush) {
    CheckScene();
    DoDrawLine(p1, p2, opacity, brush);
}

namespace {

TPathData PolygonPath(const std::vector<TPointF>& points) {
    TPathData path;
    for (size_t i = 0; i < points.size(); ++i) {
        if (i == 0)
            path.MoveTo(points[i]);
        else
            path.LineTo(points[i]);
    }
    if (!points.empty()) path.ClosePath();
    return path;
}

}  // namespace

void TCanvas::FillPolygon(const std::vector<TPointF>& points, float opacity) { FillPath(PolygonPath(points), opacity); }
void TCanvas::DrawPolygon(const std::vector<TPointF>& points, float opacity) { DrawPath(PolygonPath(points), opacity); }

void TCanvas::FillArc(TPointF center, TPointF radius, float startAngle, float sweepAngle, float opacity) {
    TPathData path;
    path.MoveTo(center);
    path.AddArc(center, radius, startAngle, sweepAngle);
    path.ClosePath();
    FillPath(path, opacity);
}

void TCanvas::DrawArc(TPointF center, TPointF radius, float startAngle, float sweepAngle, float opacity) {
    TPathData path;
    path.AddArc(center, radius, startAngle, sweepAngle);
    DrawPath(path, opacity);
}

void TCanvas::DrawBitmap(TBitmap& bitmap, const TRectF& srcRect, const TRectF& dstRect, float opacity,
                         bool highSpeed) {
    CheckScene();
    if (bitmap.IsEmpty()) return;
    DoDrawBitmap(bitmap, srcRect, dstRect, opacity, highSpeed);
}

float TCanvas::AlignToPixelHorizontally(float value) const {
    // Only an unrotated matrix maps a coordinate to one device column.
    if (fMatrix.m12 != 0 || fMatrix.m21 != 0 || fMatrix.m11 == 0 || !(fScale > 0)) return value;
    const float device = std::nearbyint((value * fMatrix.m11 + fMatrix.m31) * fScale);
    return (device / fScale - fMatrix.m31) / fMatrix.m11;
}

float TCanvas::AlignToPixelVertically(float value) const {
    if (fMatrix.m12 != 0 || fMatrix.m21 != 0 || fMatrix.m22 == 0 || !(fScale > 0)) return value;
    const float device = std::nearbyint((value * fMatrix.m22 + fMatrix.m32) * fScale);
    return (device / fScale - fMatrix.m32) / fMatrix.m22;
}

bool TCanvas::PtInPath(TPointF point, const TPathData& path) {
    // Even-odd rule over the path flattened into polygons.
    bool inside = false;
    TPointF start, last;
    auto edge = [&](TPointF a, TPointF b) {
        if ((a.Y > point.Y) != (b.Y > point.Y)) {
            const float x = a.X + (point.Y - a.Y) / (b.Y - a.Y) * (b.X - a.X);
            if (point.X < x) inside = !inside;
        }
    };
    const auto& pts = path.Points();
    for (size_t i = 0; i < pts.size(); ++i) {
        const TPathPoint& p = pts[i];
        switch (p.Kind) {
            case TPathPointKind::MoveTo:
                edge(last, start);
                start = last = p.Point;
                break;
            case TPathPointKind::LineTo:
                edge(last, p.Point);
                last = p.Point;
                break;
            case TPathPointKind::CurveTo: {
                if (i + 2 >= pts.size()) return false;  // a curve without its end point
                const TPointF p0 = last, c1 = pts[i].Point, c2 = pts[i + 1].Point, end = pts[i + 2].Point;
                constexpr int kSteps = 16;
                for (int s = 1; s <= kSteps; ++s) {
                    const float t = static_cast<float>(s) / kSteps, u = 1 - t;
                    const TPointF q = p0 * (u * u * u) + c1 * (3 * u * u * t) + c2 * (3 * u * t * t) + end * (t * t * t);
                    edge(last, q);
                    last = q;
                }
                i += 2;
                break;
            }
            case TPathPointKind::Close:
                edge(last, start);
                last = start;
                break;
        }
    }
    edge(last, start);
    return inside;
}

bool TCanvas::LoadFontFromStream(TStream&) { return false; }

}  // namespace Ui
