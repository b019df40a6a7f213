// The bookmarked datastructures dialog: the list operations from the values users meet and
// the dialog driven as the user drives it.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <memory>

#include "dialogs/BookMarkedDatastructures.h"
#include "engine/core/Navigation.h"
#include "platform/qt/FakeDialogs.h"
#include "platform/qt/TestHarness.h"

namespace kiv {
namespace {

std::vector<std::string> Titles(const std::vector<TBookMarkRow>& rows) {
    std::vector<std::string> t;
    for (const TBookMarkRow& r : rows) t.push_back(r.Title);
    return t;
}

std::vector<std::string> Names(const TInterBase1& base) {
    std::vector<std::string> n;
    for (int i = 0; i < base.Count(); ++i) n.push_back(base.GetName(i));
    return n;
}

std::vector<TBookMarkRow> Abcd() {
    return {{"A", "/d/a.kiv"}, {"B", "/d/b.kiv"}, {"C", "/d/c.kiv"}, {"D", "/d/d.kiv"}};
}

TEST(BookMarkRows, AnAddedFileIsTitledByItsNameWithoutFolderAndExtension) {
    const struct {
        const char* path;
        const char* title;
    } cases[] = {{"/data/My Work.kiv", "My Work"},
                 {"/a/b.c/notes.v2.kiv", "notes.v2"},
                 {"x.kiv", "x"},
                 {".kiv", ""}};
    for (const auto& c : cases) EXPECT_EQ(BookMarkTitleOfFile(c.path), c.title) << c.path;
}

TEST(BookMarkRows, ADraggedRowLandsAfterALaterTargetAndBeforeAnEarlierOne) {
    const struct {
        int from, to;
        std::vector<std::string> order;
    } cases[] = {{0, 2, {"B", "C", "A", "D"}},
                 {3, 1, {"A", "D", "B", "C"}},
                 {1, 1, {"A", "B", "C", "D"}},
                 {0, 4, {"A", "B", "C", "D"}},
                 {-1, 0, {"A", "B", "C", "D"}}};
    for (const auto& c : cases) {
        std::vector<TBookMarkRow> rows = Abcd();
        MoveBookMarkRow(rows, c.from, c.to);
        EXPECT_EQ(Titles(rows), c.order) << c.from << " -> " << c.to;
    }
}

TEST(BookMarkRows, OkDropsLaterRowsOfOneFileTrimsTitlesAndKeepsTheEntriesThatStay) {
    TInterBase1 base;
    base.Add("/d/keep.kiv");
    base.Add("/d/gone.kiv");
    base.Add("/d/open.kiv");
    const TBookMarkPtr kept = base.BookMark(0);
    kept->Threads.AddNavigator();
    kept->Password = "pw";
    const TBookMarkPtr gone = base.BookMark(1);
    base.SetCurrentIndex(1);

    ReplaceBookMarks(base,
                     {{"A", "/d/Two.kiv"},
                      {"  Work  ", "/d/open.kiv"},
                      {"B", "/d/two.kiv"},
                      {"Kept", "/d/KEEP.kiv"}},
                     "/d/open.kiv");
    EXPECT_EQ(Names(base), (std::vector<std::string>{"A", "Work", "Kept"}));
    EXPECT_EQ(base.GetPath(0), "/d/Two.kiv");
    // The same object, with its trails and password, renamed.
    EXPECT_EQ(base.BookMark(2), kept);
    EXPECT_EQ(kept->Threads.Count(), 1);
    EXPECT_EQ(kept->Password, "pw");
    EXPECT_EQ(kept->Path, "/d/keep.kiv");
    for (int i = 0; i < base.Count(); ++i) EXPECT_NE(base.BookMark(i), gone);
    EXPECT_EQ(base.CurrentIndex(), 1) << "the open one, found again";

    bool fired = false;
    base.OnCurrentChanged = [&](TInterBase1*, const std::string&) { fired = true; };
    ReplaceBookMarks(base, {{"X", "/d/x.kiv"}, {"Y", "/d/y.kiv"}}, "/d/none.kiv");
    EXPECT_EQ(base.CurrentIndex(), 0) << "0 when the open one is not listed";
    ReplaceBookMarks(base, {{"X", "/d/x.kiv"}}, "");
    EXPECT_EQ(base.CurrentIndex(), -1) << "none with nothing open";
    EXPECT_FALSE(fired);
}

class AddDB : public ::testing::Test {
protected:
    TestEnvironment env;
    TInterBase1 base;
    std::unique_ptr<TfrmAddDB> frm;
    int applied = 0;

    void SetUp() override {
        for (const char* p : {"/d/a.kiv", "/d/b.kiv", "/d/c.kiv"}) base.Add(p);
        base.SetCurrentIndex(1);
        frm = std::make_unique<TfrmAddDB>(base);
        frm->OnApplied = [this] { ++applied; };
        frm->show();
    }
    FakeDialogs& Dialogs() { return env.Dialogs(); }
    std::string Status() const { return frm->StatusBar1->currentMessage().toStdString(); }
};

TEST_F(AddDB, ShowsTheListAndCountsItsRows) {
    EXPECT_EQ(frm->windowTitle(), QStringLiteral("Set Bookmarked Datastructures"));
    EXPECT_EQ(frm->minimumWidth(), 400);
    EXPECT_EQ(frm->lvAddDB->headerItem()->text(0), QStringLiteral("Datastructure Title"));
    EXPECT_EQ(frm->lvAddDB->headerItem()->text(1), QStringLiteral("Path To Datastructure"));
    EXPECT_EQ(frm->lvAddDB->columnWidth(0), 200);
    EXPECT_EQ(frm->lvAddDB->columnWidth(1), 350);
    EXPECT_EQ(frm->Rows(),
              (std::vector<TBookMarkRow>{{"a", "/d/a.kiv"}, {"b", "/d/b.kiv"}, {"c", "/d/c.kiv"}}));
    EXPECT_EQ(Status(), "3 items");

    Dialogs().AnswerOpen({QStringLiteral("/data/My Work.kiv")});
    frm->btnAdd->click();
    ASSERT_EQ(Dialogs().OpenRequests.size(), 1u);
    EXPECT_EQ(Dialogs().OpenRequests[0].Filter, QStringLiteral("KIV DataStructure (*.kiv)|*.kiv"));
    EXPECT_TRUE(Dialogs().OpenRequests[0].FileMustExist);
    EXPECT_EQ(frm->Rows().back(), (TBookMarkRow{"My Work", "/data/My Work.kiv"}));
    EXPECT_EQ(Status(), "4 items");
    Dialogs().CancelOpen();
    frm->btnAdd->click();
    EXPECT_EQ(Status(), "4 items");
}

TEST_F(AddDB, TheOpenRowIsRefusedAndADeletionSelectsTheRowThatFollowsOrTheOneBefore) {
    frm->SelectRow(1);
    frm->btnDelete->click();
    EXPECT_EQ(Dialogs().MessageTexts(),
              QStringList{QStringLiteral("It Is Not Possible To Delete Opened Datastructure")});
    EXPECT_EQ(frm->Rows().size(), 3u);

    frm->SelectRow(2);  // the last: the one before it is selected
    frm->Delete1->trigger();
    EXPECT_EQ(Titles(frm->Rows()), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(frm->SelectedRow(), 1);
    EXPECT_EQ(Status(), "2 items");
    frm->SelectRow(0);  // the one that moves up into its place
    QTest::keyClick(frm->lvAddDB, Qt::Key_Delete);
    EXPECT_EQ(Titles(frm->Rows()), (std::vector<std::string>{"b"}));
    EXPECT_EQ(frm->SelectedRow(), 0);
    // A middle row: the one that moves up into its place, not the one before.
    for (const char* p : {"/d/c.kiv", "/d/d.kiv"}) {
        Dialogs().AnswerOpen({QString::fromLatin1(p)});
        frm->btnAdd->click();
    }
    ASSERT_EQ(Titles(frm->Rows()), (std::vector<std::string>{"b", "c", "d"}));
    frm->SelectRow(1);
    frm->btnDelete->click();
    EXPECT_EQ(Titles(frm->Rows()), (std::vector<std::string>{"b", "d"}));
    EXPECT_EQ(frm->SelectedRow(), 1);
    EXPECT_EQ(applied, 0);
    EXPECT_EQ(base.Count(), 3) << "the list changes only on OK";
}

TEST_F(AddDB, OkTakesTheEditedTitlesAndTheDraggedOrder) {
    const TBookMarkPtr open = base.BookMark(1);
    frm->DragRow(0, 2);
    EXPECT_EQ(Titles(frm->Rows()), (std::vector<std::string>{"b", "c", "a"}));
    EXPECT_EQ(frm->SelectedRow(), 2);
    frm->SelectRow(0);
    frm->Edit1Click();
    ASSERT_TRUE(frm->lvAddDB->Editing());
    auto* editor = frm->lvAddDB->viewport()->findChild<QLineEdit*>();
    ASSERT_TRUE(editor);
    editor->setText(QStringLiteral("  Work  "));
    // While a title is edited, Del belongs to its editor.
    frm->btnDeleteClick();
    EXPECT_EQ(frm->Rows().size(), 3u);
    frm->btnOK->click();  // finishes the edit first
    EXPECT_EQ(Names(base), (std::vector<std::string>{"Work", "c", "a"}));
    EXPECT_EQ(base.BookMark(0), open);
    EXPECT_EQ(base.CurrentIndex(), 0);
    EXPECT_EQ(applied, 1);
    EXPECT_FALSE(frm->isVisible());
}

TEST_F(AddDB, CancelAndEscLeaveTheList) {
    for (const bool esc : {false, true}) {
        frm->show();
        frm->DragRow(2, 0);
        if (esc) QTest::keyClick(frm.get(), Qt::Key_Escape);
        else frm->btnCancel->click();
        EXPECT_FALSE(frm->isVisible());
        EXPECT_EQ(Names(base), (std::vector<std::string>{"a", "b", "c"}));
        EXPECT_EQ(applied, 0);
    }
}

}  // namespace
}  // namespace kiv
