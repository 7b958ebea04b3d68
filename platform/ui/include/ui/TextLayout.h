// The text layout base class: text with font, colour, alignment, wrapping, trimming, padding
// and a maximum size, laid out by a concrete layout (registered per canvas class with the text
// layout manager) and drawn on a canvas. Setters that change the layout relayout at once,
// unless inside BeginUpdate/EndUpdate, where the outermost EndUpdate relayouts.
//
// Positions and ranges count code units of Text.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/Brush.h"
#include "ui/Canvas.h"

namespace Ui {

enum class TTextTrimming { None, Character, Word };

struct TTextRange {
    int Pos = 0;
    int Length = 0;
};

struct TTextAttribute {
    TFont Font;
    TAlphaColor Color = TAlphaColors::Black;
};

struct TTextAttributedRange {
    TTextRange Range;
    TTextAttribute Attribute;
};

// What the layout may occupy when nothing limits it.
inline constexpr float MaxLayoutSize = 65535;

class TTextLayout : public TObject {
public:
    explicit TTextLayout(TCanvas* canvas = nullptr);
    ~TTextLayout() override = default;

    void BeginUpdate() { ++fUpdating; }
    // The outermost EndUpdate relayouts when something changed; unmatched calls are ignored.
    void EndUpdate();
    bool Updating() const { return fUpdating > 0; }
    bool NeedUpdate() const { return fNeedUpdate; }

    TCanvas* LayoutCanvas() const { return fCanvas; }
    const std::string& Text() const { return fText; }
    void SetText(const std::string& text);
    const TFont& Font() const { return fFont; }
    void SetFont(const TFont& font);
    TAlphaColor Color() const { return fColor; }
    void SetColor(TAlphaColor color);
    float Opacity() const { return fOpacity; }
    void SetOpacity(float opacity);
    bool WordWrap() const { return fWordWrap; }
    void SetWordWrap(bool wrap);
    TTextTrimming Trimming() const { return fTrimming; }
    void SetTrimming(TTextTrimming trimming);
    TTextAlign HorizontalAlign() const { return fHorizontalAlign; }
    void SetHorizontalAlign(TTextAlign align);
    TTextAlign VerticalAlign() const { return fVerticalAlign; }
    void SetVerticalAlign(TTextAlign align);
    bool RightToLeft() const { return fRightToLeft; }
    void SetRightToLeft(bool rtl);
    const TBounds& Padding() const { return fPadding; }
    void SetPadding(const TBounds& padding);
    TPointF MaxSize() const { return fMaxSize; }
    void SetMaxSize(TPointF size);
    TPointF TopLeft() const { return fTopLeft; }
    void SetTopLeft(TPointF topLeft);
    const std::vector<TTextAttributedRange>& Attributes() const { return fAttributes; }
    void AddAttribute(const TTextAttributedRange& attribute);
    void ClearAttributes();

    // Relayouts if needed, then draws on canvas (nullptr: only the relayout).
    void RenderLayout(TCanvas* canvas);
    float TextWidth();
    float TextHeight();
    // The text's rectangle relative to TopLeft.
    TRectF TextRect();
    // The position of the character at a point, or -1; roundToWord moves it to the start of
    // its word.
    int PositionAtPoint(TPointF point, bool roundToWord = false);
    // Rectangles covering a range; roundToWord widens the range to whole words.
    std::vector<TRectF> RegionForRange(TTextRange range, bool roundToWord = false);
    // The outlines of the text; False when the layout cannot make them.
    bool ConvertToPath(TPathData& path);

protected:
    // Lays the text out again.
    virtual void DoRenderLayout() = 0;
    virtual void DoDrawLayout(TCanvas& canvas) = 0;
    virtual float GetTextHeight() const = 0;
    virtual float GetTextWidth() const = 0;
    virtual TRectF GetTextRect() const = 0;
    virtual int DoPositionAtPoint(TPointF point) = 0;
    virtual std::vector<TRectF> DoRegionForRange(TTextRange range) = 0;
    virtual bool DoConvertToPath(TPathData&) { return false; }
    // Colour or opacity changed (no relayout needed).
    virtual void DoColorChanged() {}
    // Marks the layout as changed and relayouts unless inside an update.
    void Changed();

private:
    void UpdateIfNeeded();

    TCanvas* fCanvas;
    int fUpdating = 0;
    bool fNeedUpdate = false;
    std::string fText;
    TFont fFont;
    TAlphaColor fColor = TAlphaColors::Black;
    float fOpacity = 1;
    bool fWordWrap = false;
    TTextTrimming fTrimming = TTextTrimming::None;
    TTextAlign fHorizontalAlign = TTextAlign::Leading;
    TTextAlign fVerticalAlign = TTextAlign::Leading;
    bool fRightToLeft = false;
    TBounds fPadding;
    TPointF fMaxSize{MaxLayoutSize, MaxLayoutSize};
    TPointF fTopLeft;
    std::vector<TTextAttributedRange> fAttributes;
};

using TTextLayoutFactory = std::function<TTextLayout*(TCanvas* canvas)>;

class TTextLayoutManager {
public:
    // The layout class that serves canvases of canvasClass; a later registration replaces it.
    static void RegisterTextLayout(TTextLayoutFactory factory, const TCanvasClass& canvasClass);
    static void UnregisterTextLayout(const TCanvasClass& canvasClass);
    // The layout for a canvas class, else the one of the default canvas class; an empty
    // factory when neither has one.
    static TTextLayoutFactory TextLayoutByCanvas(const TCanvasClass* canvasClass);
    static TTextLayoutFactory DefaultTextLayout();
};

}  // namespace Ui
