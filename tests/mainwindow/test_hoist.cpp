// Hoisting: marked rows and the current one become the top of panel 1; hoists nest, and
// de-hoisting comes back where the user stood; the hoist button follows the current row.
#include <QLabel>
#include <QToolButton>

#include "mainwindow/MainHelpers.h"
#include "mainwindow/settings/WindowSettings.h"
#include "tests/mainwindow/NavFixture.h"

namespace kiv::wintest {
namespace {

class Hoist : public NavFixture {
protected:
    void Open(std::string_view tree) {
        NavFixture::Open(tree);
        f->NavPath().acFullNavPath->SetChecked(true);
    }
    QString Mode() const { return f->NavPath().lblNavigateMode->text(); }
    int Stack() const { return Form1->Open().BookMark->HoistStack.Count(); }
    void CtrlClick(TKivStringGrid* g, int row) {
        QTest::mouseClick(g->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          g->CaptionRect(row).center());
        QCoreApplication::processEvents();
    }
    // P hoisted, then Q in panel 2 and R in panel 3 chosen, and R hoisted.
    void HoistTwice() {
        ClickRow(p1, 0);
        ASSERT_TRUE(h->acHoist->Execute());
        EXPECT_EQ(Rows(p1), (QStringList{"P", "Q", "Q2"}))
            << "a single hoisted topic shows unfolded";
        EXPECT_EQ(Rows(p2), (QStringList{"Q", "Q2"}));
        ClickRow(p2, 0);
        ClickRow(p3, 0);
        ASSERT_EQ(Current(), QStringLiteral("R"));
        EXPECT_EQ(Path(), (QStringList{"<Hoist>", "1. P\\", "2. Q\\"}));
        ASSERT_TRUE(h->acHoist->Execute());
        EXPECT_EQ(Stack(), 2);
        EXPECT_EQ(Rows(p1), (QStringList{"R", "S"}));
        EXPECT_EQ(CurrentPanel, 1);
    }
};

TEST_F(Hoist, MarkedRowsAndTheCurrentRowBecomeTheTopLevel) {
    Open("a b c d e f g");
    ClickRow(p1, 2);
    for (int r : {1, 3, 5}) CtrlClick(p1, r);
    ASSERT_EQ(p1->Nester->GetMarkedRows(false), (TIArray{1, 3, 5}));
    ASSERT_TRUE(h->acHoist->Execute());
    EXPECT_EQ(Rows(p1), (QStringList{"b", "c", "d", "f"}));
    for (int r = 0; r < 4; ++r) {
        EXPECT_EQ(p1->Nester->Level(r), 0);
        EXPECT_TRUE(p1->IsHoistedTopRow(r));
        EXPECT_FALSE(p1->Nester->IsMarked(r));
    }
    EXPECT_EQ(Current(), QStringLiteral("c")) << "the current topic stays current";
    EXPECT_EQ(Mode(), QStringLiteral("hoist"));
    EXPECT_TRUE(h->acDehoist->Enabled());
    EXPECT_TRUE(h->acDehoistAll->Enabled());
    EXPECT_FALSE(h->acHoist->Enabled()) << "a hoisted top row is not hoisted again";
    ASSERT_TRUE(h->acDehoistAll->Execute());
    EXPECT_EQ(Rows(p1), (QStringList{"a", "b", "c", "d", "e", "f", "g"}));
    EXPECT_EQ(Current(), QStringLiteral("c"));
    EXPECT_EQ(Mode(), QStringLiteral("whole"));
    EXPECT_FALSE(h->acDehoist->Enabled());
}

TEST_F(Hoist, DehoistReturnsToTheFirstHoistAndDehoistAllToTheWhole) {
    Open("P(Q(R(S(T))) Q2) Z");
    HoistTwice();
    ASSERT_TRUE(h->acDehoist->Execute());
    EXPECT_EQ(Stack(), 1);
    EXPECT_EQ(Mode(), QStringLiteral("hoist"));
    EXPECT_EQ(Rows(p1), QStringList{"R"});
    EXPECT_EQ(Current(), QStringLiteral("R"));
    EXPECT_EQ(Rows(p2), QStringList{"S"});
    EXPECT_EQ(Path(), (QStringList{"<Hoist>", "1. P\\", "2. Q\\"}));
    ASSERT_TRUE(h->acDehoistAll->Execute());
    EXPECT_EQ(Stack(), 0);
    EXPECT_EQ(Mode(), QStringLiteral("whole"));
    EXPECT_EQ(Rows(p1), QStringList{"R"});
    EXPECT_EQ(Current(), QStringLiteral("R"));
    EXPECT_EQ(Path(), (QStringList{"<..>", "1. P\\", "2. Q\\"}));
    EXPECT_FALSE(p1->IsHoistedRow(0));
}

TEST_F(Hoist, DehoistAllFromTwoLevelsGoesToTheDeepestTopicReached) {
    Open("P(Q(R(S(T))) Q2) Z");
    HoistTwice();
    ClickRow(p1, 1);  // S, shown below the hoisted R
    ASSERT_TRUE(h->acDehoistAll->Execute());
    EXPECT_EQ(Stack(), 0);
    EXPECT_EQ(Current(), QStringLiteral("S"));
    EXPECT_EQ(Rows(p1), QStringList{"S"});
    EXPECT_EQ(Rows(p2), QStringList{"T"});
    EXPECT_EQ(Path(), (QStringList{"<..>", "1. P\\", "2. Q\\", "3. R\\"}));
}

TEST_F(Hoist, TheButtonFollowsTheCurrentRow) {
    Open("P(Q) Z");
    struct Look {
        const char* caption;
        int image;
        const char* hint;
    };
    const Look hoist{"Hoist", 54, "Hoist branch (Ctrl+H)"},
        dehoist{"DeHoist", 55, "De-Hoist branch (Shift+Ctrl+H)"};
    auto expectLook = [&](const Look& l) {
        EXPECT_EQ(h->btnHoist->text(), QString::fromLatin1(l.caption));
        EXPECT_EQ(ImageIndex(h->btnHoist), l.image);
        EXPECT_EQ(h->btnHoist->toolTip(), QString::fromLatin1(l.hint));
        EXPECT_TRUE(h->btnHoist->isEnabled());
    };
    expectLook(hoist);
    EXPECT_EQ(ImageIndex(h->acHoist), 54);
    EXPECT_EQ(ImageIndex(h->acDehoist), 55);
    EXPECT_EQ(ImageIndex(h->acDehoistAll), 56);
    h->btnHoist->click();
    EXPECT_EQ(Stack(), 1);
    expectLook(dehoist);
    ClickRow(p2, 0);  // Q in panel 2 is not a hoisted row
    expectLook(hoist);
    EXPECT_TRUE(h->acHoist->Enabled());
    ClickRow(p1, 0);
    expectLook(dehoist);
    h->btnHoist->click();
    EXPECT_EQ(Stack(), 0);
    expectLook(hoist);
    EXPECT_EQ(Rows(p1), (QStringList{"P", "Z"}));
}

TEST_F(Hoist, APendingCaptionEditIsStoredFirst) {
    Open("P(Q) Z");
    ClickRow(p1, 1);
    PanelsManager().SetEditMode(true);
    p1->CaptionEditor->SetSelStart(10000);
    TypeCaption(p1, QStringLiteral("ed"));
    ASSERT_TRUE(p1->CaptionEditor->Modified());
    ASSERT_TRUE(h->acHoist->Execute());
    EXPECT_EQ(Rows(p1), QStringList{"Zed"});
    ASSERT_TRUE(h->acDehoistAll->Execute());
    EXPECT_EQ(Rows(p1), (QStringList{"P", "Zed"}));
    EXPECT_EQ(Current(), QStringLiteral("Zed"));
    EXPECT_EQ(DumpTree(PanelsManager().NestFile, PanelsManager().CardFile), "P\n  Q\nZed\n");
}

}  // namespace
}  // namespace kiv::wintest
