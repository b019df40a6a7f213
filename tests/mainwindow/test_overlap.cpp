// Long commands that work on the open pair (pack, Make New Template, Save Selected Branch(s)
// As) are never cut short: a hand-over or a close of the window that arrives meanwhile waits
// until the command is done, then happens.
#include <QListWidget>
#include <QTimer>
#include <functional>

#include "engine/core/BranchCopy.h"
#include "mainwindow/filecommands/FileCommands.h"
#include "mainwindow/print/WaitPanel.h"
#include "platform/core/SamePath.h"
#include "tests/mainwindow/WindowFixture.h"

namespace kiv::wintest {
namespace {

constexpr std::string_view kTree = "a(b c d) e(f g(h i)) j k l m";

class Overlap : public WindowFixture {
protected:
    std::string path, other;
    bool arrived = false;
    bool openedDuring = true;
    QTimer probe;

    TForm1* Open() {
        path = Home() + "notes.kiv";
        other = Home() + "other.kiv";
        MakeJoined(path, kTree);
        MakeJoined(other, "x y");
        TForm1* f = Start({path});
        EXPECT_TRUE(f->DatastructureOpen());
        // Pending events run at every topic copied, so what arrives lands inside the copy.
        f->FileCommands().ProgressEveryMs = 0;
        return f;
    }
    // Runs what once the command copies from the open pair.
    void WhileCopying(TForm1* f, std::function<void()> what) {
        probe.setInterval(0);
        QObject::connect(&probe, &QTimer::timeout, [this, f, what] {
            if (arrived || !f->FileCommands().Copying()) return;
            arrived = true;
            what();
            openedDuring =
                !SamePath(Form1->Open().BookMark ? Form1->Open().BookMark->Path : std::string(),
                          path);
        });
        probe.start();
    }
    bool Leftovers() {
        for (const std::string& n : FolderEntries(Home()))
            if (n.find("_!#_$$") != std::string::npos) return true;
        return false;
    }
};

struct LongCommand {
    const char* name;
    std::function<void(TForm1*, FakeDialogs&, const std::string& home)> run;
};

const LongCommand kLongCommands[] = {
    {"Pack", [](TForm1* f, FakeDialogs&,
                const std::string&) { f->FileCommands().acCompactDatabase->Execute(); }},
    {"Make New Template",
     [](TForm1* f, FakeDialogs&, const std::string&) {
         f->Panels().sgdFirst->Nester->SetMarked(1, true);
         f->FileCommands().acDoAsTemplate->Execute();
     }},
    {"Save Selected Branch(s) As",
     [](TForm1* f, FakeDialogs& d, const std::string& home) {
         f->Panels().sgdFirst->Nester->SetMarked(1, true);
         d.AnswerSave(QString::fromStdString(home + "picked.kiv"));
         f->FileCommands().acSaveInNewDatabase->Execute();
     }},
};

TEST_F(Overlap, AHandOverDuringALongCommandOpensTheFileWhenItIsDone) {
    for (const LongCommand& command : kLongCommands) {
        SCOPED_TRACE(command.name);
        TForm1* f = Open();
        arrived = false;
        WhileCopying(f, [&] { f->Startup().WMCopyData(other); });
        command.run(f, Dialogs(), Home());
        probe.stop();
        probe.disconnect();
        EXPECT_TRUE(arrived) << "the hand-over came during the copy";
        EXPECT_FALSE(openedDuring) << "the pair did not close under the command";
        ASSERT_TRUE(f->DatastructureOpen());
        EXPECT_TRUE(SamePath(Form1->Open().BookMark->Path, path));
        EXPECT_FALSE(f->WaitPanel().Shown());
        ProcessEventsFor(300);
        ASSERT_TRUE(f->DatastructureOpen());
        EXPECT_TRUE(SamePath(Form1->Open().BookMark->Path, other)) << "then the handed file opens";
        EXPECT_TRUE(Dialogs().MessageTexts().isEmpty())
            << Dialogs().MessageTexts().join("|").toStdString();
        Stop();
        EXPECT_FALSE(Leftovers());
        EXPECT_EQ(ReadJoined(path).Tree,
                  "a\n  b\n  c\n  d\ne\n  f\n  g\n    h\n    i\nj\nk\nl\nm\n");
        for (const char* copy : {"picked.kiv", "template.kiv"}) {
            if (FileExists(Home() + copy)) {
                EXPECT_EQ(ReadJoined(Home() + copy).Tree,
                          "a\n  b\n  c\n  d\ne\n  f\n  g\n    h\n    i\n")
                    << copy;
            }
        }
        RemoveTree(Home() + "picked.kiv");
        RemoveTree(Home() + "template.kiv");
        ResetGlobals();
    }
}

TEST_F(Overlap, ClosingTheWindowDuringAPackWaitsForItThenCloses) {
    TForm1* f = Open();
    bool visibleAfterClose = false;
    WhileCopying(f, [&] {
        f->close();
        visibleAfterClose = f->isVisible();
    });
    f->FileCommands().acCompactDatabase->Execute();
    EXPECT_TRUE(arrived);
    EXPECT_TRUE(visibleAfterClose) << "the window stays while the pair is split";
    EXPECT_FALSE(openedDuring);
    ProcessEventsFor(300);
    EXPECT_FALSE(f->isVisible()) << "then it closes";
    windows.Destroy();
    EXPECT_FALSE(FileExists(CardFileName(path))) << "joined again";
    EXPECT_FALSE(Leftovers());
    EXPECT_EQ(ReadJoined(path).Tree, "a\n  b\n  c\n  d\ne\n  f\n  g\n    h\n    i\nj\nk\nl\nm\n");
}

}  // namespace
}  // namespace kiv::wintest
