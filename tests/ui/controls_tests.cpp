// The control tree: parents and owners, roots and scenes, geometry, alignment, hit testing,
// visibility and painting order.
#include <gtest/gtest.h>

#include "ui/Forms.h"

using namespace Ui;

namespace {

TEST(ControlTree, ParentAndOwnerMayDifferAndEitherDestroys) {
    TForm form(nullptr);
    auto* panel = new TControl(&form);
    panel->SetParent(&form);
    auto* child = new TControl(&form);  // owned by the form, parented to the panel
    child->SetParent(panel);
    EXPECT_EQ(panel->ChildrenCount(), 1);
    EXPECT_EQ(form.ComponentCount(), 2);
    EXPECT_THROW(panel->SetParent(child), EInvalidOperation);  // a cycle
    Free(panel);  // takes the child with it; the owner forgets both
    EXPECT_EQ(form.ComponentCount(), 0);
    EXPECT_EQ(form.ChildrenCount(), 0);
}

TEST(ControlTree, RootAndSceneFollowTheParent) {
    struct TWatcher : TControl {
        using TControl::TControl;
        int rootChanges = 0;
        std::vector<IScene*> scenes;
        void DoRootChanged() override { ++rootChanges; }
        void SetNewScene(IScene* s) override {
            scenes.push_back(s);
            TControl::SetNewScene(s);
        }
    };
    TForm form(nullptr);
    auto* panel = new TControl(nullptr);
    auto* watcher = new TWatcher(nullptr);
    watcher->SetParent(panel);
    EXPECT_EQ(watcher->Root(), nullptr);
    EXPECT_EQ(watcher->Scene(), nullptr);
    panel->SetParent(&form);  // the whole subtree joins the form
    EXPECT_EQ(watcher->Root(), static_cast<IRoot*>(&form));
    EXPECT_EQ(watcher->Scene(), static_cast<IScene*>(&form));
    EXPECT_EQ(watcher->rootChanges, 1);
    panel->SetParent(nullptr);
    EXPECT_EQ(watcher->Root(), nullptr);
    EXPECT_EQ(watcher->rootChanges, 2);
    EXPECT_EQ(watcher->scenes, (std::vector<IScene*>{&form, nullptr}));
    Free(panel);
}

TEST(Control, AbsoluteGeometryComposesScaleAndPosition) {
    TForm form(nullptr);
    auto* outer = new TControl(&form);
    outer->SetParent(&form);
    outer->SetBounds(10, 20, 200, 100);
    outer->SetScale({2, 2});
    outer->SetOpacity(0.5f);
    auto* inner = new TControl(&form);
    inner->SetParent(outer);
    inner->SetBounds(5, 5, 10, 10);
    inner->SetOpacity(0.5f);
    inner->SetScale({1, 3});

    EXPECT_EQ(inner->LocalRect(), TRectF(0, 0, 10, 10));
    // Local (1, 1): scaled (1, 3), moved to (6, 8), scaled by the outer (12, 16), moved (22, 36).
    EXPECT_EQ(inner->LocalToAbsolute({1, 1}), TPointF(22, 36));
    const TPointF back = inner->AbsoluteToLocal({22, 36});
    EXPECT_FLOAT_EQ(back.X, 1);
    EXPECT_FLOAT_EQ(back.Y, 1);
    EXPECT_EQ(inner->AbsoluteRect(), TRectF(20, 30, 40, 90));
    EXPECT_EQ(inner->AbsoluteScale(), TPointF(2, 6));
    EXPECT_FLOAT_EQ(inner->AbsoluteOpacity(), 0.25f);
    EXPECT_FLOAT_EQ(inner->AbsoluteWidth(), 20);
    EXPECT_FLOAT_EQ(inner->AbsoluteHeight(), 60);

    inner->SetOpacity(7);  // clamped
    EXPECT_EQ(inner->Opacity(), 1);
    inner->SetSize(-5, NAN);  // bad sizes count as 0
    EXPECT_EQ(inner->Width(), 0);
    EXPECT_EQ(inner->Height(), 0);
}

TEST(Control, RotationTurnsAboutTheCentre) {
    TControl c(nullptr);
    c.SetBounds(0, 0, 20, 10);
    c.SetRotationAngle(180);
    const TPointF p = c.LocalToAbsolute({0, 0});
    EXPECT_NEAR(p.X, 20, 1e-4);
    EXPECT_NEAR(p.Y, 10, 1e-4);
}

TEST(Control, HitTestingFindsTheTopmostControlThatTakesTheMouse) {
    TForm form(nullptr);
    auto* back = new TControl(&form);
    back->SetParent(&form);
    back->SetBounds(0, 0, 100, 100);
    auto* front = new TControl(&form);
    front->SetParent(&form);
    front->SetBounds(50, 50, 100, 100);
    auto* ghost = new TControl(&form);  // on top, but ignores the mouse
    ghost->SetParent(&form);
    ghost->SetBounds(0, 0, 200, 200);
    ghost->SetHitTest(false);
    auto* nested = new TControl(&form);
    nested->SetParent(front);
    nested->SetBounds(10, 10, 5, 5);

    EXPECT_EQ(form.ObjectAtPoint({10, 10}), back);
    EXPECT_EQ(form.ObjectAtPoint({55, 55}), front);
    EXPECT_EQ(form.ObjectAtPoint({62, 62}), nested);  // front's child at 60..65
    EXPECT_EQ(form.ObjectAtPoint({149, 149}), front);
    EXPECT_EQ(form.ObjectAtPoint({150, 150}), nullptr);  // right and bottom edges are outside
    EXPECT_EQ(form.ObjectAtPoint({150, 10}), nullptr);
    front->SetVisible(false);
    EXPECT_EQ(form.ObjectAtPoint({55, 55}), back);
    front->SetVisible(true);
    front->SetEnabled(false);
    EXPECT_EQ(form.ObjectAtPoint({62, 62}), back);
}

TEST(Align, DockingFillsTheContainerInOrder) {
    TControl box(nullptr);
    box.SetSize(100, 80);
    box.SetPadding({1, 2, 3, 4});
    auto make = [&](TAlignLayout a, float w, float h) {
        auto* c = new TControl(&box);
        c->SetSize(w, h);
        c->SetAlign(a);
        c->SetParent(&box);
        return c;
    };
    TControl* client = make(TAlignLayout::Client, 1, 1);
    TControl* top = make(TAlignLayout::Top, 1, 10);
    TControl* left = make(TAlignLayout::Left, 20, 1);
    TControl* bottom = make(TAlignLayout::Bottom, 1, 5);
    bottom->SetMargins({0, 1, 0, 1});
    TControl* contents = make(TAlignLayout::Contents, 1, 1);
    TControl* centred = make(TAlignLayout::Center, 10, 10);

    // Content area: x 1..97, y 2..76.
    EXPECT_EQ(top->BoundsRect(), TRectF(1, 2, 97, 12));
    EXPECT_EQ(bottom->BoundsRect(), TRectF(1, 70, 97, 75));  // 5 high plus margins 1 and 1
    EXPECT_EQ(left->BoundsRect(), TRectF(1, 12, 21, 69));
    EXPECT_EQ(client->BoundsRect(), TRectF(21, 12, 97, 69));
    EXPECT_EQ(contents->BoundsRect(), TRectF(1, 2, 97, 76));
    EXPECT_EQ(centred->BoundsRect(), TRectF(54, 35.5f, 64, 45.5f));

    box.SetSize(200, 80);  // a resize lays them out again
    EXPECT_EQ(client->BoundsRect(), TRectF(21, 12, 197, 69));
}

TEST(Align, ClientFollowsTheFormsClientArea) {
    TForm form(nullptr);
    form.SetClientSize(640, 347);
    auto* box = new TControl(&form);
    box->SetSize(10, 10);
    box->SetAlign(TAlignLayout::Client);
    box->SetParent(&form);
    EXPECT_EQ(box->BoundsRect(), TRectF(0, 0, 640, 347));
    int resized = 0;
    box->OnResized = [&](TObject*) { ++resized; };
    form.WindowResized(800, 600);
    EXPECT_EQ(box->BoundsRect(), TRectF(0, 0, 800, 600));
    EXPECT_EQ(resized, 1);
    form.SetClientSize(-3, 99999);  // clamped
    EXPECT_EQ(form.ClientWidth(), 0);
    EXPECT_EQ(form.ClientHeight(), 16384);
}

TEST(Control, VisibilityIsSentDownTheTree) {
    struct TWatcher : TControl {
        using TControl::TControl;
        std::vector<bool> seen;
        void AncestorVisibleChanged(bool v) override {
            seen.push_back(v);
            TControl::AncestorVisibleChanged(v);
        }
    };
    TControl parent(nullptr);
    auto* child = new TWatcher(&parent);
    child->SetParent(&parent);
    parent.SetVisible(false);
    EXPECT_FALSE(child->ParentedVisible());
    EXPECT_TRUE(child->Visible());
    parent.SetVisible(false);  // no change, no notice
    parent.SetVisible(true);
    EXPECT_TRUE(child->ParentedVisible());
    EXPECT_EQ(child->seen, (std::vector<bool>{false, true}));
}

TEST(Control, RepaintMarksTheAbsoluteRectOfTheScene) {
    TForm form(nullptr);
    form.SetClientSize(100, 100);
    auto* c = new TControl(&form);
    c->SetParent(&form);
    c->SetBounds(10, 10, 20, 20);
    form.PaintPending();  // nothing shown yet: drops what was marked
    EXPECT_FALSE(form.NeedsPaint());
    c->Repaint();
    EXPECT_TRUE(form.NeedsPaint());
    TControl orphan(nullptr);
    orphan.Repaint();  // no scene: nothing to do
}

}  // namespace
