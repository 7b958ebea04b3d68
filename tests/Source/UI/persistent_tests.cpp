#include <gtest/gtest.h>

#include "UI/Persistent.h"

using namespace Skia::UI;

namespace {

struct TCounted : TSkPersistent {
    TCounted() {
        OnChange = [this](Ui::TObject*) { ++notifications; };
    }
    int notifications = 0;
    using TSkPersistent::ReplaceValue;
};

TCounted* Made() {
    auto* p = new TCounted;
    p->AfterConstruction();
    return p;
}

TEST(Persistent, NestedBracketsNotifyOnceWhenTheOutermostCloses) {
    std::unique_ptr<TCounted> p(Made());
    p->BeginUpdate();
    p->Change();
    p->BeginUpdate();
    p->Change();
    p->Change();
    p->EndUpdate();
    EXPECT_EQ(p->notifications, 0);
    p->EndUpdate();
    EXPECT_EQ(p->notifications, 1);
    p->Change();  // outside any bracket: at once
    EXPECT_EQ(p->notifications, 2);
}

TEST(Persistent, AnIgnoringBracketDropsEveryChangeOfTheNest) {
    std::unique_ptr<TCounted> p(Made());
    p->BeginUpdate();
    p->Change();
    p->BeginUpdate(true);
    p->EndUpdate();
    p->Change();  // made after the ignoring bracket closed: dropped too
    p->EndUpdate();
    EXPECT_EQ(p->notifications, 0);
    p->BeginUpdate();
    p->Change();
    p->EndUpdate();
    EXPECT_EQ(p->notifications, 1);  // the next nest notifies again
}

TEST(Persistent, NothingIsNotifiedBeforeConstructionEnds) {
    TCounted p;
    p.Change();
    EXPECT_EQ(p.notifications, 0);
    p.AfterConstruction();
    p.Change();
    EXPECT_EQ(p.notifications, 1);
}

TEST(Persistent, AnUnmatchedEndUpdateRaises) {
    std::unique_ptr<TCounted> p(Made());
    try {
        p->EndUpdate();
        FAIL();
    } catch (const ESkPersistentData& e) {
        EXPECT_STREQ(e.what(), "The object is not in update state");
    }
    EXPECT_FALSE(p->Updating());
}

TEST(Persistent, AssigningToItselfDoesNothing) {
    std::unique_ptr<TCounted> p(Made());
    p->Assign(p.get());
    EXPECT_EQ(p->notifications, 0);
}

TEST(Persistent, ReplaceValueReportsOnlyRealChanges) {
    std::unique_ptr<TCounted> p(Made());
    double d = 1.0;
    EXPECT_FALSE(p->ReplaceValue(d, 1.0 + 1e-13));  // within the relative tolerance
    EXPECT_TRUE(p->ReplaceValue(d, 1.001));
    EXPECT_FALSE(p->ReplaceValue(d, 1.0015, 0.001));
    std::string s = "a";
    EXPECT_FALSE(p->ReplaceValue(s, std::string("a")));
    EXPECT_TRUE(p->ReplaceValue(s, std::string("A")));
    EXPECT_EQ(p->notifications, 2);
}

TEST(Persistent, RoundingToThreeDecimalsTiesToEven) {
    EXPECT_DOUBLE_EQ(RoundTo3(0.0004), 0.0);
    EXPECT_DOUBLE_EQ(RoundTo3(1.2346), 1.235);
    EXPECT_DOUBLE_EQ(RoundTo3(0.0025), 0.002);  // 2.5 thousandths: to even
    EXPECT_DOUBLE_EQ(RoundTo3(0.0035), 0.004);
}

}  // namespace
