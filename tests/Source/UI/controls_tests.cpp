#include <gtest/gtest.h>

#include "UI/AnimatedControl.h"
#include "ui/Forms.h"

using namespace Skia::UI;

namespace {

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = new Ui::TForm(nullptr);
        form->AfterConstruction();
        form->SetClientSize(200, 100);
        box = new TSkAnimatedPaintBox(form);
        box->SetParent(form);
        box->SetSize(50, 40);
    }
    void TearDown() override { delete form; }

    Ui::TForm* form = nullptr;
    TSkAnimatedPaintBox* box = nullptr;
};

TEST_F(ControlsTest, SkiaControlsIgnoreTheMouseUntilAskedAndCacheRasterByDefault) {
    TSkPaintBox plain(nullptr);
    EXPECT_FALSE(plain.HitTest());
    EXPECT_EQ(plain.DrawCacheKind(), TSkDrawCacheKind::Raster);
}

TEST_F(ControlsTest, ThePaintBoxAnimationDefaultsToOneSecondLoopingAndPending) {
    auto* a = box->Animation();
    EXPECT_DOUBLE_EQ(a->Duration(), 1);
    EXPECT_TRUE(a->Loop());
    EXPECT_TRUE(a->Enabled());
    EXPECT_FALSE(a->Running());
    EXPECT_EQ(box->DrawCacheKind(), TSkDrawCacheKind::Never);  // a timed animation draws directly
}

TEST_F(ControlsTest, ADurationOfZeroSwitchesTheCacheKindToRasterAndBack) {
    box->Animation()->SetDuration(0);
    EXPECT_EQ(box->DrawCacheKind(), TSkDrawCacheKind::Raster);
    box->Animation()->SetDuration(10000);
    EXPECT_EQ(box->DrawCacheKind(), TSkDrawCacheKind::Never);
    EXPECT_DOUBLE_EQ(box->Animation()->Duration(), 10000);
}

TEST_F(ControlsTest, AnimatingIsAllowedOnlyOnAVisibleFormWithSizeAndVisibility) {
    EXPECT_FALSE(box->AnimationAllowed());  // the form is not shown
    form->Show();
    EXPECT_TRUE(box->AnimationAllowed());
    box->SetVisible(false);
    EXPECT_FALSE(box->AnimationAllowed());
    box->SetVisible(true);
    box->SetSize(0, 40);
    EXPECT_FALSE(box->AnimationAllowed());
    box->SetSize(50, 40);
    TSkAnimatedPaintBox orphan(nullptr);  // no scene
    orphan.SetSize(10, 10);
    EXPECT_FALSE(orphan.AnimationAllowed());
}

TEST_F(ControlsTest, AssigningTheSameDrawHandlerAgainDoesNotRepaint) {
    struct THost {
        void Draw(Ui::TObject*, const Skia::Ref<Skia::ISkCanvas>&, const Ui::TRectF&, double, float) {}
        void Other(Ui::TObject*, const Skia::Ref<Skia::ISkCanvas>&, const Ui::TRectF&, double, float) {}
    } host;
    form->Show();
    box->SetOnAnimationDraw(TSkAnimationDrawEvent::Method(&host, &THost::Draw));
    try {
        form->PaintPending();  // clears the pending mark, however far the paint gets
    } catch (const std::exception&) {
    }
    EXPECT_FALSE(form->NeedsPaint());
    box->SetOnAnimationDraw(TSkAnimationDrawEvent::Method(&host, &THost::Draw));
    EXPECT_FALSE(form->NeedsPaint());
    box->SetOnAnimationDraw(TSkAnimationDrawEvent::Method(&host, &THost::Other));
    EXPECT_TRUE(form->NeedsPaint());
}

TEST_F(ControlsTest, TheClassesCanBeFoundByName) {
    for (const char* name : {"TSkAnimatedPaintBox", "TSkPaintBox", "TSkCustomControl", "TSkStyledControl"})
        EXPECT_NE(Ui::TClassRegistry::Get(name), nullptr) << name;
    std::unique_ptr<Ui::TPersistent> made(Ui::TClassRegistry::Create("TSkAnimatedPaintBox", nullptr));
    EXPECT_NE(dynamic_cast<TSkAnimatedPaintBox*>(made.get()), nullptr);
}

}  // namespace
