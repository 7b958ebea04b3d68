// A form whose window the window system hides (minimises, unmaps) and shows again, over the
// offscreen back end: no paints while it is away, one whole paint when it is back, and its
// controls told of both, as they are of the program's own Hide and Show.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/Forms.h"
#include "ui/Offscreen.h"
#include "ui/Window.h"

using namespace Ui;

namespace {

// Logs the visibility notifications it gets.
class TWatchingControl : public TControl {
public:
    using TControl::TControl;
    std::vector<bool> Told;
    void AncestorVisibleChanged(bool visible) override {
        Told.push_back(visible);
        TControl::AncestorVisibleChanged(visible);
    }
};

class TCountingForm : public TForm {
public:
    TWatchingControl* Box;
    int Paints = 0;

    explicit TCountingForm(TComponent* owner) : TForm(owner) {
        SetClientSize(64, 32);
        Box = new TWatchingControl(this);
        Box->SetParent(this);
        Box->SetAlign(TAlignLayout::Client);
        OnPaint = [this](TObject*, TCanvas&, const TRectF&) { ++Paints; };
    }
};

class FormVisibility : public ::testing::Test {
protected:
    TApplication App;
    TCountingForm* Form = nullptr;

    void SetUp() override {
        App.Initialize();
        App.OnException = [](TObject*, std::exception_ptr e) {
            try {
                std::rethrow_exception(e);
            } catch (const std::exception& x) {
                ADD_FAILURE() << x.what();
            }
        };
        Form = CreateForm<TCountingForm>(&App);
        Form->Show();
        App.ProcessMessages();
    }

    void Post(TPlatformEventKind kind) {
        TPlatformEvent e;
        e.Kind = kind;
        e.Window = Form->Handle()->PlatformWindow();
        Offscreen::PostEvent(e);
        App.ProcessMessages();
    }
    int Presented() { return Offscreen::Info(Form->Handle()->PlatformWindow()).PresentCount; }
};

TEST_F(FormVisibility, AHiddenWindowIsNotPaintedAndIsPaintedWholeWhenShownAgain) {
    ASSERT_EQ(Form->Paints, 1);
    EXPECT_EQ(Form->Box->Told, std::vector<bool>{true});

    Post(TPlatformEventKind::Hidden);
    EXPECT_TRUE(Form->Visible());
    EXPECT_FALSE(Form->Showing());
    EXPECT_EQ(Form->Box->Told, (std::vector<bool>{true, false}));
    const int presented = Presented();
    // Repaint requests while away, an expose, a resize: none paints.
    Form->Invalidate();
    App.ProcessMessages();
    Post(TPlatformEventKind::Exposed);
    Offscreen::ResizeByUser(Form->Handle()->PlatformWindow(), 80, 40);
    App.ProcessMessages();
    Post(TPlatformEventKind::Hidden);  // minimised and unmapped: told once
    EXPECT_EQ(Form->Paints, 1);
    EXPECT_EQ(Presented(), presented);
    EXPECT_EQ(Form->Box->Told, (std::vector<bool>{true, false}));

    Post(TPlatformEventKind::Shown);
    EXPECT_TRUE(Form->Showing());
    EXPECT_EQ(Form->Paints, 2);
    EXPECT_EQ(Presented(), presented + 1);
    EXPECT_EQ(Form->Box->Told, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(Form->Box->BoundsRect(), TRectF(0, 0, 80, 40));
    // Shown again while shown (a restored maximised window): painted, not told again.
    Post(TPlatformEventKind::Shown);
    EXPECT_EQ(Form->Paints, 3);
    EXPECT_EQ(Form->Box->Told, (std::vector<bool>{true, false, true}));
}

TEST_F(FormVisibility, ControlsFollowTheProgramsHideAndShowToo) {
    Form->Hide();
    Form->Invalidate();
    App.ProcessMessages();
    EXPECT_EQ(Form->Paints, 1);
    // A window the window system had hidden is shown by the program's Show.
    Post(TPlatformEventKind::Hidden);
    Form->Show();
    App.ProcessMessages();
    EXPECT_TRUE(Form->Showing());
    EXPECT_EQ(Form->Paints, 2);
    EXPECT_EQ(Form->Box->Told, (std::vector<bool>{true, false, true}));
    // Hidden by the program, then by the window system: the controls hear of it once.
    Form->Hide();
    Post(TPlatformEventKind::Hidden);
    Post(TPlatformEventKind::Shown);
    EXPECT_FALSE(Form->Showing());
    EXPECT_EQ(Form->Paints, 2);
    EXPECT_EQ(Form->Box->Told, (std::vector<bool>{true, false, true, false}));
}

}  // namespace
