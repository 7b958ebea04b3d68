#include "ui/TextLayout.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>

namespace Ui {

TTextLayout::TTextLayout(TCanvas* canvas) : fCanvas(canvas) {}

void TTextLayout::EndUpdate() {
    if (fUpdating <= 0) return;
    if (--fUpdating == 0 && fNeedUpdate) {
        DoRenderLayout();
        fNeedUpdate = false;
    }
}

void TTextLayout::Changed() {
    fNeedUpdate = true;
    if (fUpdating == 0) {
        DoRenderLayout();
        fNeedUpdate = false;
    }
}

void TTextLayout::UpdateIfNeeded() {
    if (fNeedUpdate && fUpdating == 0) {
        DoRenderLayout();
        fNeedUpdate = false;
    }
}

void TTextLayout::SetText(const std::string& text) {
    if (text == fText) return;
    fText = text;
    Changed();
}

void TTextLayout::SetFont(const TFont& font) {
    if (font.Family == fFont.Family && font.Size == fFont.Size && font.Style == fFont.Style) return;
    fFont = font;
    Changed();
}

void TTextLayout::SetColor(TAlphaColor color) {
    if (color == fColor) return;
    fColor = color;
    DoColorChanged();
}

void TTextLayout::SetOpacity(float opacity) {
    if (!std::isfinite(opacity)) return;
    opacity = std::clamp(opacity, 0.0f, 1.0f);
    if (opacity == fOpacity) return;
    fOpacity = opacity;
    DoColorChanged();
}

void TTextLayout::SetWordWrap(bool wrap) {
    if (wrap == fWordWrap) return;
    fWordWrap = wrap;
    Changed();
}

void TTextLayout::SetTrimming(TTextTrimming trimming) {
    if (trimming == fTrimming) return;
    fTrimming = trimming;
    Changed();
}

void TTextLayout::SetHorizontalAlign(TTextAlign align) {
    if (align == fHorizontalAlign) return;
    fHorizontalAlign = align;
    Changed();
}

void TTextLayout::SetVerticalAlign(TTextAlign align) {
    if (align == fVerticalAlign) return;
    fVerticalAlign = align;
    Changed();
}

void TTextLayout::SetRightToLeft(bool rtl) {
    if (rtl == fRightToLeft) return;
    fRightToLeft = rtl;
    Changed();
}

void TTextLayout::SetPadding(const TBounds& p) {
    if (p.Left == fPadding.Left && p.Top == fPadding.Top && p.Right == fPadding.Right && p.Bottom == fPadding.Bottom)
        return;
    fPadding = p;
    Changed();
}

void TTextLayout::SetMaxSize(TPointF size) {
    if (!std::isfinite(size.X) || !std::isfinite(size.Y)) return;
    size = {std::clamp(size.X, 0.0f, MaxLayoutSize), std::clamp(size.Y, 0.0f, MaxLayoutSize)};
    if (size == fMaxSize) return;
    fMaxSize = size;
    Changed();
}

void TTextLayout::SetTopLeft(TPointF topLeft) {
    if (!std::isfinite(topLeft.X) || !std::isfinite(topLeft.Y) || topLeft == fTopLeft) return;
    fTopLeft = topLeft;
    Changed();
}

void TTextLayout::AddAttribute(const TTextAttributedRange& attribute) {
    fAttributes.push_back(attribute);
    Changed();
}

void TTextLayout::ClearAttributes() {
    if (fAttributes.empty()) return;
    fAttributes.clear();
    Changed();
}

void TTextLayout::RenderLayout(TCanvas* canvas) {
    UpdateIfNeeded();
    if (canvas) DoDrawLayout(*canvas);
}

float TTextLayout::TextWidth() {
    UpdateIfNeeded();
    return GetTextWidth();
}

float TTextLayout::TextHeight() {
    UpdateIfNeeded();
    return GetTextHeight();
}

TRectF TTextLayout::TextRect() {
    UpdateIfNeeded();
    return GetTextRect();
}

namespace {

bool IsWordChar(char c) { return !std::isspace(static_cast<unsigned char>(c)); }

}  // namespace

int TTextLayout::PositionAtPoint(TPointF point, bool roundToWord) {
    UpdateIfNeeded();
    int pos = DoPositionAtPoint(point);
    if (roundToWord && pos >= 0) {
        pos = std::min(pos, static_cast<int>(fText.size()));
        while (pos > 0 && IsWordChar(fText[static_cast<size_t>(pos - 1)])) --pos;
    }
    return pos;
}

std::vector<TRectF> TTextLayout::RegionForRange(TTextRange range, bool roundToWord) {
    UpdateIfNeeded();
    if (roundToWord) {
        const int size = static_cast<int>(fText.size());
        int start = std::clamp(range.Pos, 0, size);
        int end = std::clamp(range.Pos + std::max(range.Length, 0), start, size);
        while (start > 0 && IsWordChar(fText[static_cast<size_t>(start - 1)])) --start;
        while (end < size && IsWordChar(fText[static_cast<size_t>(end)])) ++end;
        range = {start, end - start};
    }
    return DoRegionForRange(range);
}

bool TTextLayout::ConvertToPath(TPathData& path) {
    UpdateIfNeeded();
    return DoConvertToPath(path);
}

namespace {

struct TLayouts {
    std::mutex lock;
    std::map<const TCanvasClass*, TTextLayoutFactory> factories;
};

TLayouts& Layouts() {
    static TLayouts* layouts = new TLayouts();
    return *layouts;
}

}  // namespace

void TTextLayoutManager::RegisterTextLayout(TTextLayoutFactory factory, const TCanvasClass& canvasClass) {
    TLayouts& l = Layouts();
    std::lock_guard guard(l.lock);
    l.factories[&canvasClass] = std::move(factory);
}

void TTextLayoutManager::UnregisterTextLayout(const TCanvasClass& canvasClass) {
    TLayouts& l = Layouts();
    std::lock_guard guard(l.lock);
    l.factories.erase(&canvasClass);
}

TTextLayoutFactory TTextLayoutManager::TextLayoutByCanvas(const TCanvasClass* canvasClass) {
    {
        TLayouts& l = Layouts();
        std::lock_guard guard(l.lock);
        if (const auto it = l.factories.find(canvasClass); it != l.factories.end() && it->second) return it->second;
    }
    return DefaultTextLayout();
}

TTextLayoutFactory TTextLayoutManager::DefaultTextLayout() {
    const TCanvasClass* canvasClass = &TCanvasManager::DefaultCanvas();
    TLayouts& l = Layouts();
    std::lock_guard guard(l.lock);
    const auto it = l.factories.find(canvasClass);
    return it == l.factories.end() ? TTextLayoutFactory() : it->second;
}

// ---- Text on the canvas, through the layout of the canvas's class.

namespace {

std::unique_ptr<TTextLayout> MakeLayout(TCanvas& canvas, const TRectF& r, const std::string& text, bool wordWrap,
                                        float opacity, TFillTextFlags flags, TTextAlign hAlign, TTextAlign vAlign) {
    TTextLayoutFactory factory = TTextLayoutManager::TextLayoutByCanvas(&canvas.CanvasClass());
    if (!factory) return nullptr;
    std::unique_ptr<TTextLayout> layout(factory(&canvas));
    if (!layout) return nullptr;
    layout->BeginUpdate();
    layout->SetTopLeft(r.TopLeft());
    layout->SetMaxSize({r.Width(), r.Height()});
    layout->SetText(text);
    layout->SetWordWrap(wordWrap);
    layout->SetOpacity(opacity);
    layout->SetHorizontalAlign(hAlign);
    layout->SetVerticalAlign(vAlign);
    layout->SetFont(canvas.Font());
    layout->SetColor(canvas.Fill().Color);
    layout->SetRightToLeft(flags.Contains(TFillTextFlag::RightToLeft));
    layout->EndUpdate();
    return layout;
}

}  // namespace

void TCanvas::FillText(const TRectF& r, const std::string& text, bool wordWrap, float opacity, TFillTextFlags flags,
                       TTextAlign hAlign, TTextAlign vAlign) {
    CheckScene();
    if (text.empty()) return;
    if (auto layout = MakeLayout(*this, r, text, wordWrap, opacity, flags, hAlign, vAlign)) layout->RenderLayout(this);
}

void TCanvas::MeasureText(TRectF& r, const std::string& text, bool wordWrap, TFillTextFlags flags, TTextAlign hAlign,
                          TTextAlign vAlign) {
    if (text.empty()) {
        r = {r.Left, r.Top, r.Left, r.Top};
        return;
    }
    auto layout = MakeLayout(*this, r, text, wordWrap, 1, flags, hAlign, vAlign);
    r = layout ? layout->TextRect().Offset(r.Left, r.Top) : TRectF(r.Left, r.Top, r.Left, r.Top);
}

float TCanvas::TextWidth(const std::string& text) {
    TRectF r{0, 0, MaxLayoutSize, MaxLayoutSize};
    MeasureText(r, text, false, {}, TTextAlign::Leading, TTextAlign::Leading);
    return r.Width();
}

float TCanvas::TextHeight(const std::string& text) {
    TRectF r{0, 0, MaxLayoutSize, MaxLayoutSize};
    MeasureText(r, text, false, {}, TTextAlign::Leading, TTextAlign::Leading);
    return r.Height();
}

}  // namespace Ui
