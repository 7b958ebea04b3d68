#include "ui/Brush.h"

#include "ui/Bitmap.h"

namespace Ui {

TBrushBitmap::TBrushBitmap() = default;
TBrushBitmap::~TBrushBitmap() = default;

TBrushBitmap::TBrushBitmap(const TBrushBitmap& other) : WrapMode(other.WrapMode) {
    if (other.fBitmap) Bitmap().Assign(other.fBitmap.get());
}

TBrushBitmap& TBrushBitmap::operator=(const TBrushBitmap& other) {
    if (this == &other) return *this;
    WrapMode = other.WrapMode;
    if (other.fBitmap)
        Bitmap().Assign(other.fBitmap.get());
    else
        fBitmap.reset();
    return *this;
}

TBitmap& TBrushBitmap::Bitmap() {
    if (!fBitmap) fBitmap = std::make_unique<TBitmap>();
    return *fBitmap;
}

void TStrokeBrush::SetDash(TStrokeDash dash) {
    fDash = dash;
    switch (dash) {
        case TStrokeDash::Solid: fDashArray.clear(); break;
        case TStrokeDash::Dash: fDashArray = {3, 1}; break;
        case TStrokeDash::Dot: fDashArray = {1, 1}; break;
        case TStrokeDash::DashDot: fDashArray = {3, 1, 1, 1}; break;
        case TStrokeDash::DashDotDot: fDashArray = {3, 1, 1, 1, 1, 1}; break;
        case TStrokeDash::Custom: break;
    }
    if (dash != TStrokeDash::Custom) fDashOffset = 0;
}

void TStrokeBrush::SetCustomDash(std::vector<float> dashArray, float offset) {
    fDash = TStrokeDash::Custom;
    fDashArray = std::move(dashArray);
    fDashOffset = offset;
}

}  // namespace Ui
