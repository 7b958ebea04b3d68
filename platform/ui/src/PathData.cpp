#include "ui/PathData.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Ui {

namespace {

// Control-point distance of a cubic quarter circle of radius 1.
constexpr float kKappa = 0.5522847498f;

}  // namespace

void TPathData::MoveTo(TPointF p) { fPoints.push_back({TPathPointKind::MoveTo, p}); }

void TPathData::LineTo(TPointF p) {
    if (fPoints.empty()) MoveTo({0, 0});
    fPoints.push_back({TPathPointKind::LineTo, p});
}

void TPathData::CurveTo(TPointF control1, TPointF control2, TPointF end) {
    if (fPoints.empty()) MoveTo({0, 0});
    fPoints.push_back({TPathPointKind::CurveTo, control1});
    fPoints.push_back({TPathPointKind::CurveTo, control2});
    fPoints.push_back({TPathPointKind::CurveTo, end});
}

void TPathData::ClosePath() {
    if (fPoints.empty() || fPoints.back().Kind == TPathPointKind::Close) return;
    fPoints.push_back({TPathPointKind::Close, LastPoint()});
}

TPointF TPathData::LastPoint() const {
    if (fPoints.empty()) return {0, 0};
    if (fPoints.back().Kind != TPathPointKind::Close) return fPoints.back().Point;
    for (auto it = fPoints.rbegin(); it != fPoints.rend(); ++it)
        if (it->Kind == TPathPointKind::MoveTo) return it->Point;
    return {0, 0};
}

void TPathData::AddEllipse(const TRectF& r) {
    const float cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
    const float kx = r.Width() / 2 * kKappa, ky = r.Height() / 2 * kKappa;
    MoveTo({r.Left, cy});
    CurveTo({r.Left, cy - ky}, {cx - kx, r.Top}, {cx, r.Top});
    CurveTo({cx + kx, r.Top}, {r.Right, cy - ky}, {r.Right, cy});
    CurveTo({r.Right, cy + ky}, {cx + kx, r.Bottom}, {cx, r.Bottom});
    CurveTo({cx - kx, r.Bottom}, {r.Left, cy + ky}, {r.Left, cy});
    ClosePath();
}

void TPathData::AddRectangle(const TRectF& r, float xRadius, float yRadius, TCorners corners) {
    const float rx = std::clamp(xRadius, 0.0f, std::abs(r.Width()) / 2);
    const float ry = std::clamp(yRadius, 0.0f, std::abs(r.Height()) / 2);
    if (!(rx > 0 && ry > 0) || corners.Empty()) {
        MoveTo({r.Left, r.Top});
        LineTo({r.Right, r.Top});
        LineTo({r.Right, r.Bottom});
        LineTo({r.Left, r.Bottom});
        ClosePath();
        return;
    }
    const float kx = rx * kKappa, ky = ry * kKappa;
    const bool tl = corners.Contains(TCorner::TopLeft), tr = corners.Contains(TCorner::TopRight);
    const bool br = corners.Contains(TCorner::BottomRight), bl = corners.Contains(TCorner::BottomLeft);
    MoveTo({r.Left + (tl ? rx : 0), r.Top});
    if (tr) {
        LineTo({r.Right - rx, r.Top});
        CurveTo({r.Right - rx + kx, r.Top}, {r.Right, r.Top + ry - ky}, {r.Right, r.Top + ry});
    } else {
        LineTo({r.Right, r.Top});
    }
    if (br) {
        LineTo({r.Right, r.Bottom - ry});
        CurveTo({r.Right, r.Bottom - ry + ky}, {r.Right - rx + kx, r.Bottom}, {r.Right - rx, r.Bottom});
    } else {
        LineTo({r.Right, r.Bottom});
    }
    if (bl) {
        LineTo({r.Left + rx, r.Bottom});
        CurveTo({r.Left + rx - kx, r.Bottom}, {r.Left, r.Bottom - ry + ky}, {r.Left, r.Bottom - ry});
    } else {
        LineTo({r.Left, r.Bottom});
    }
    if (tl) {
        LineTo({r.Left, r.Top + ry});
        CurveTo({r.Left, r.Top + ry - ky}, {r.Left + rx - kx, r.Top}, {r.Left + rx, r.Top});
    }
    ClosePath();
}

void TPathData::AddArc(TPointF center, TPointF radius, float startAngle, float sweepAngle) {
    if (!std::isfinite(startAngle) || !std::isfinite(sweepAngle)) return;
    constexpr float kDeg = std::numbers::pi_v<float> / 180;
    sweepAngle = std::clamp(sweepAngle, -360.0f, 360.0f);
    const int segments = std::max(1, static_cast<int>(std::ceil(std::abs(sweepAngle) / 90)));
    const float step = sweepAngle / static_cast<float>(segments) * kDeg;
    float a = startAngle * kDeg;
    auto at = [&](float angle) {
        return TPointF{center.X + radius.X * std::cos(angle), center.Y + radius.Y * std::sin(angle)};
    };
    if (fPoints.empty() || fPoints.back().Kind == TPathPointKind::Close)
        MoveTo(at(a));
    else
        LineTo(at(a));
    // Each piece of at most 90 degrees is one cubic.
    const float k = 4.0f / 3.0f * std::tan(step / 4);
    for (int i = 0; i < segments; ++i) {
        const float b = a + step;
        const TPointF p0 = at(a), p3 = at(b);
        const TPointF c1{p0.X - k * radius.X * std::sin(a), p0.Y + k * radius.Y * std::cos(a)};
        const TPointF c2{p3.X + k * radius.X * std::sin(b), p3.Y - k * radius.Y * std::cos(b)};
        CurveTo(c1, c2, p3);
        a = b;
    }
}

TRectF TPathData::GetBounds() const {
    if (fPoints.empty()) return {};
    TRectF r{fPoints[0].Point.X, fPoints[0].Point.Y, fPoints[0].Point.X, fPoints[0].Point.Y};
    for (const TPathPoint& p : fPoints) {
        r.Left = std::min(r.Left, p.Point.X);
        r.Top = std::min(r.Top, p.Point.Y);
        r.Right = std::max(r.Right, p.Point.X);
        r.Bottom = std::max(r.Bottom, p.Point.Y);
    }
    return r;
}

void TPathData::ApplyMatrix(const TMatrix& m) {
    for (TPathPoint& p : fPoints) p.Point = m.Transform(p.Point);
}

}  // namespace Ui
