// The text layout base: the relayout protocol, word rounding of hit tests, and text drawn and
// measured on a canvas through the layout registered for its class.
#include <gtest/gtest.h>

#include "ui/TextLayout.h"

using namespace Ui;

namespace {

// Monospace: every code unit is 10 wide and one line is as high as the font size.
class TFixedLayout : public TTextLayout {
public:
    using TTextLayout::TTextLayout;
    int Layouts = 0, Draws = 0, ColourChanges = 0;
    static inline std::vector<std::string> Drawn;

protected:
    void DoRenderLayout() override { ++Layouts; }
    void DoDrawLayout(TCanvas&) override {
        ++Draws;
        Drawn.push_back(Text());
    }
    float GetTextWidth() const override { return 10.0f * static_cast<float>(Text().size()); }
    float GetTextHeight() const override { return Text().empty() ? 0 : Font().Size; }
    TRectF GetTextRect() const override { return {0, 0, GetTextWidth(), GetTextHeight()}; }
    int DoPositionAtPoint(TPointF p) override {
        const int i = static_cast<int>((p.X - TopLeft().X) / 10);
        return i >= 0 && i <= static_cast<int>(Text().size()) ? i : -1;
    }
    std::vector<TRectF> DoRegionForRange(TTextRange r) override {
        return {{10.0f * static_cast<float>(r.Pos), 0, 10.0f * static_cast<float>(r.Pos + r.Length), Font().Size}};
    }
    void DoColorChanged() override { ++ColourChanges; }
};

TEST(TextLayout, SettersRelayoutAtOnceOrAtTheOutermostEndUpdate) {
    TFixedLayout layout;
    layout.SetText("hello");
    EXPECT_EQ(layout.Layouts, 1);
    layout.SetText("hello");  // unchanged: nothing
    EXPECT_EQ(layout.Layouts, 1);
    layout.BeginUpdate();
    layout.BeginUpdate();
    layout.SetText("hello world");
    layout.SetWordWrap(true);
    layout.SetMaxSize({100, 50});
    layout.EndUpdate();
    EXPECT_EQ(layout.Layouts, 1);
    EXPECT_TRUE(layout.NeedUpdate());
    layout.EndUpdate();
    EXPECT_EQ(layout.Layouts, 2);
    layout.EndUpdate();  // unmatched: ignored
    layout.SetColor(TAlphaColors::Red);
    layout.SetOpacity(0.5f);
    EXPECT_EQ(layout.Layouts, 2);  // colour needs no relayout
    EXPECT_EQ(layout.ColourChanges, 2);
    layout.SetMaxSize({NAN, 1});  // ignored
    EXPECT_EQ(layout.MaxSize(), TPointF(100, 50));
}

TEST(TextLayout, HitTestsRoundToWords) {
    TFixedLayout layout;
    layout.SetText("one two three");
    EXPECT_EQ(layout.PositionAtPoint({65, 5}), 6);        // the "o" of "two"
    EXPECT_EQ(layout.PositionAtPoint({65, 5}, true), 4);  // the start of "two"
    EXPECT_EQ(layout.PositionAtPoint({-50, 5}, true), -1);
    const auto region = layout.RegionForRange({5, 1}, true);  // inside "two": the whole word
    ASSERT_EQ(region.size(), 1u);
    EXPECT_EQ(region[0], TRectF(40, 0, 70, 12));
    const auto clamped = layout.RegionForRange({-5, 100}, true);
    EXPECT_EQ(clamped[0], TRectF(0, 0, 130, 12));
}

TEST(TextLayout, CanvasTextGoesThroughTheLayoutOfItsClass) {
    TBitmap bitmap(50, 20);
    TCanvas& canvas = bitmap.Canvas();
    TRectF r{5, 5, 100, 100};
    canvas.MeasureText(r, "abc", false);  // no layout for the class yet
    EXPECT_TRUE(r.IsEmpty());

    TTextLayoutManager::RegisterTextLayout([](TCanvas* c) { return new TFixedLayout(c); }, canvas.CanvasClass());
    r = {5, 5, 100, 100};
    canvas.Font().Size = 16;
    canvas.MeasureText(r, "abc", false);
    EXPECT_EQ(r, TRectF(5, 5, 35, 21));
    EXPECT_FLOAT_EQ(canvas.TextWidth("abcd"), 40);

    TFixedLayout::Drawn.clear();
    EXPECT_THROW(canvas.FillText({0, 0, 50, 20}, "x", false, 1), ECanvasException);  // no scene
    ASSERT_TRUE(canvas.BeginScene());
    canvas.FillText({0, 0, 50, 20}, "hi", false, 1);
    canvas.EndScene();
    EXPECT_EQ(TFixedLayout::Drawn, (std::vector<std::string>{"hi"}));
    TTextLayoutManager::UnregisterTextLayout(canvas.CanvasClass());
}

}  // namespace
