#pragma once
// The main window as the program makes it, in a private program folder with the fake
// dialogs: Start() builds and shows it as the start-up does, Stop() closes it as the user
// does and runs the shut-down. The engine's globals start empty for every test, as they do
// for every run of the program. Joined datastructures are inspected through a split copy,
// so the file under test is never touched.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTextEdit>
#include <QtTest>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Cards.h"
#include "engine/core/DatastructureFiles.h"
#include "engine/core/Navigation.h"
#include "engine/core/NestFunctions.h"
#include "engine/core/RecycledBin.h"
#include "engine/core/TreeText.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/Globals.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/bins/Bins.h"
#include "mainwindow/datastructure/DatastructureLife.h"
#include "mainwindow/filecommands/FileCommands.h"
#include "mainwindow/panels/PanelHandlers.h"
#include "mainwindow/settings/WindowSettings.h"
#include "mainwindow/ProgramWindows.h"
#include "mainwindow/startup/Startup.h"
#include "mainwindow/textcard/TextCard.h"
#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "platform/core/KivStrings.h"
#include "platform/qt/TestHarness.h"
#include "tests/TimersDue.h"

namespace kiv::wintest {

// What a joined datastructure holds, read from a split copy.
struct TJoinedContent {
    std::string Tree;                    // DumpTree form
    std::vector<std::string> TextCards;  // card kind 2 of each top-level topic
    std::string TextBinCard;             // datastructure-level card 2
    std::string MarksCard;               // datastructure-level card 6
};

inline TJoinedContent ReadJoined(const std::string& path) {
    static int n = 0;
    const std::string dir = TempDir() + "inspect" + std::to_string(++n) + "/";
    MakeDirs(dir);
    const std::string copy = dir + "copy.kiv";
    WriteFileAtomic(copy, ReadWholeFile(path));
    UnpackDatastructure(copy);
    TJoinedContent c;
    {
        auto kiv = PosixBlockFile::Open(copy, OpenMode::ReadWrite);
        auto dsc = PosixBlockFile::Open(CardFileName(copy), OpenMode::ReadWrite);
        c.Tree = DumpTree(kiv.get(), dsc.get());
        TItemArray items;
        const uint32_t root = ReadRootNest(kiv.get());
        if (root) ReadNestItems(kiv.get(), root, items);
        TCards cards;
        cards.SetCardFile(dsc.get());
        for (const TNestItem& it : items) {
            std::string t;
            cards.ReadCard(kCardText, it.CardDir, t);
            c.TextCards.push_back(t);
        }
        TDBCards db;
        db.SetCardFile(dsc.get());
        db.LoadDirAddress();
        db.ReadCard(kDBCardTextBin, c.TextBinCard);
        db.ReadCard(kDBCardMarks, c.MarksCard);
    }
    RemoveTree(dir);
    return c;
}

// A closed datastructure made from a tree text.
inline void MakeJoined(const std::string& path, std::string_view tree) {
    MakeTreePair(path, tree);
    PackDatastructure(path);
}

// Events handled until every timer due within ms has fired (tests/TimersDue.h).
inline void ProcessEventsFor(int ms) { kiv::test::ServeUntilTimersDueWithin(ms); }

class WindowFixture : public ::testing::Test {
protected:
    TestEnvironment env{QSize(1024, 768)};
    // Made as the start-up makes them: the collector, the main window, the text bin window.
    TProgramWindows windows;
    std::unique_ptr<TForm1>& form = windows.Form;

    void SetUp() override { ResetGlobals(); }

    void TearDown() override {
        if (form) Stop();
        windows.Destroy();
        ResetGlobals();
    }

    static void ResetGlobals() {
        InterBase().Clear();
        InterBase().OnCurrentChanged = nullptr;
        Navigator()->Clear();
        RecycledBin().Clear();
        LostBin().Clear();
        DefaultFontName = QStringLiteral("Arial");
        DefaultFontSize = 12;
        DefaultFontColor = 0;
        DefaultFontStyle = 0;
        ColorScheme = TColorSchemeRec{};
    }

    TForm1* Start(const std::vector<std::string>& args = {}) {
        CreatePanelsManager();
        windows.Create(args);
        windows.Show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        QApplication::setActiveWindow(form.get());
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        QCoreApplication::processEvents();
        return form.get();
    }

    // Closing as the user does, then the shut-down of the program.
    void Stop() {
        form->close();
        windows.Destroy();
        QCoreApplication::processEvents();
    }

    std::string Home() const { return env.Dir(); }
    FakeDialogs& Dialogs() { return env.Dialogs(); }

    // A click on the caption of a row, as the user makes a topic current.
    void ClickRow(TKivStringGrid* g, int row) {
        const QRect r = g->CaptionRect(row);
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, r.center());
        QCoreApplication::processEvents();
    }

    void TypeCaption(TKivStringGrid* g, const QString& text) {
        ASSERT_TRUE(g->Editing());
        g->CaptionEditor->setFocus(Qt::OtherFocusReason);
        QTest::keyClicks(g->CaptionEditor, text);
    }

    // A new topic after the current one, selected, as the insert command will make it.
    void AddTopicAfter(TKivStringGrid* g) {
        const int row = g->CurrentRow();
        g->InsertTopics(TItemArray{TNestItem{}}, row + 1, true, true, 0);
        g->SelectRow(row + 1);
    }
};

// The window opened on a tree written as text, with its panels at hand.
class PanelsWindow : public WindowFixture {
protected:
    TForm1* f = nullptr;
    TKivStringGrid* p1 = nullptr;
    TKivStringGrid* p2 = nullptr;
    TKivStringGrid* p3 = nullptr;

    void Open(std::string_view tree) {
        MakeJoined(Home() + "FirstKivDB.kiv", tree);
        Restart();
    }
    // Starts the window again on what is on disk; a fixture adds its own features' handles.
    virtual void Restart() {
        f = Start();
        p1 = f->Panels().sgdFirst;
        p2 = f->Panels().sgdSecond;
        p3 = f->Panels().sgdThird;
    }
};

}  // namespace kiv::wintest
