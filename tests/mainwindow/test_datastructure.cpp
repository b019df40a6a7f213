// Opening, refusing, creating and copying datastructures from the main window.
#include <unistd.h>
#include <functional>
#include <sys/stat.h>

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTextEdit>

#include "components/FourthTabSet.h"
#include "engine/core/Marks.h"
#include "mainwindow/navpath/NavigationPath.h"
#include "tests/mainwindow/WindowFixture.h"

namespace kiv::wintest {
namespace {

using Datastructure = WindowFixture;

ino_t Inode(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// What a refused open must leave: the window usable, nothing open, the file as it was.
void ExpectNothingOpen(TForm1* f) {
    EXPECT_FALSE(f->DatastructureOpen());
    EXPECT_FALSE(Form1->Open().Loading);
    EXPECT_EQ(Form1->Open().BookMark, nullptr);
    EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV"));
    for (TKivStringGrid* g : {f->Panels().sgdFirst, f->Panels().sgdSecond, f->Panels().sgdThird}) {
        EXPECT_EQ(g->Nester->RowCount(), 0) << g->Tag;
        EXPECT_EQ(g->Nester->NestFile(), nullptr) << g->Tag;
        EXPECT_EQ(g->Nester->CardFile(), nullptr) << g->Tag;
    }
    EXPECT_EQ(PanelsManager().NestFile, nullptr);
    EXPECT_FALSE(f->Skeleton().pnlKiv->isEnabled());
    EXPECT_FALSE(f->Datastructure().acSaveDatabaseAs->isEnabled());
    EXPECT_TRUE(f->isEnabled());
}

struct BadFile {
    const char* name;
    std::string bytes;
};

std::vector<BadFile> BadFiles() {
    // Sound trailer (K = 8, T = 20) but the root nest points far past the end.
    std::string damaged(4, '\0');
    damaged += std::string(4, '\0');
    AppendU32(damaged, 0x00100000);
    AppendU32(damaged, 8);
    AppendU32(damaged, 20);
    return {{"foreign.kiv", "Just some notes, not a datastructure at all.\r\n"},
            {"damaged.kiv", damaged},
            {"short.kiv", std::string("\x01\x02", 2)}};
}

TEST_F(Datastructure, ABadFileOnTheCommandLineIsRefusedAndLeftAsItWas) {
    for (const BadFile& b : BadFiles()) {
        ResetGlobals();
        Dialogs().Clear();
        const std::string path = Home() + b.name;
        WriteFileAtomic(path, b.bytes);
        TForm1* f = Start({" " + path});
        ExpectNothingOpen(f);
        ASSERT_EQ(Dialogs().Messages.size(), 1u) << b.name;
        EXPECT_TRUE(Dialogs().Messages[0].Text.contains(QString::fromStdString(path))) << b.name;
        EXPECT_EQ(Dialogs().Messages[0].Type, MsgType::Error);
        EXPECT_EQ(ReadWholeFile(path), b.bytes) << b.name;
        EXPECT_FALSE(FileExists(CardFileName(path))) << b.name;
        EXPECT_EQ(InterBase().IndexOfPath(path), -1) << "a refused file is not listed";

        // Still usable: the recent datastructure opens from the menu.
        f->Datastructure().OpenLastDatastructure(1);
        EXPECT_TRUE(f->DatastructureOpen()) << b.name;
        EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV - FirstKivDB.kiv"));
        EXPECT_EQ(f->Panels().sgdFirst->Nester->RowCount(), 1);
        Stop();
        EXPECT_EQ(ReadWholeFile(path), b.bytes) << b.name;
        IniFile ini(Home() + "kiv.ini");
        EXPECT_EQ(ini.ReadString("LastOpened", "1", ""), "||FirstKivDB.kiv")
            << "only opened files are recent";
    }
}

// Refused before anything is closed: the one open stays open, current and untouched.
TEST_F(Datastructure, ARefusedOpenKeepsTheOldOneOpen) {
    MakeJoined(Home() + "good.kiv", "one two");
    const std::string bad = Home() + "bad.kiv";
    WriteFileAtomic(bad, BadFiles()[1].bytes);
    TForm1* f = Start({Home() + "good.kiv"});
    ASSERT_TRUE(f->DatastructureOpen());
    Dialogs().Clear();
    f->Datastructure().OpenDatastructureFile(bad);
    EXPECT_EQ(Dialogs().Messages.size(), 1u);
    EXPECT_TRUE(f->DatastructureOpen());
    EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV - good.kiv"));
    EXPECT_TRUE(f->Skeleton().Cards1->isEnabled());
    EXPECT_EQ(InterBase().IndexOfPath(bad), -1);
    EXPECT_EQ(f->NavPath().tsInterBase->Tabs().Strings(), QStringList{QStringLiteral("good")})
        << "no tab for the refused file";
    EXPECT_EQ(ReadWholeFile(bad), BadFiles()[1].bytes);
    EXPECT_EQ(f->Panels().sgdFirst->Nester->RowCount(), 2);
    Stop();
    EXPECT_EQ(ReadJoined(Home() + "good.kiv").Tree, "one\ntwo\n");
}

TEST_F(Datastructure, ADamagedTextCardIsReportedAndTheOutlineStaysOpen) {
    const std::string path = Home() + "FirstKivDB.kiv";
    MakeTreePair(path, "a b");
    {
        auto kiv = PosixBlockFile::Open(path, OpenMode::ReadWrite);
        auto dsc = PosixBlockFile::Open(CardFileName(path), OpenMode::ReadWrite);
        TItemArray items;
        ReadNestItems(kiv.get(), ReadRootNest(kiv.get()), items);
        TCards cards;
        cards.SetCardFile(dsc.get());
        ASSERT_TRUE(cards.WriteCard(kCardText, items[0].CardDir, "text of a"));
        TCardArray entries;
        ReadCardDirectory(dsc.get(), items[0].CardDir, entries);
        // A chunk header that claims more bytes than it holds, as no store of ours writes one.
        char header[kChunkHeaderSize];
        PutU32(header, 10);
        PutU32(header + 4, 999);
        PutU32(header + 8, 0);
        for (const TCardEntry& e : entries)
            if (e.Kind == kCardText) dsc->WriteAt(e.FirstChunk, header, sizeof header);
    }
    PackDatastructure(path);
    TForm1* f = Start();
    EXPECT_TRUE(f->DatastructureOpen());
    EXPECT_FALSE(Form1->Open().Loading);
    EXPECT_EQ(f->Panels().sgdFirst->Nester->RowCount(), 2);
    EXPECT_EQ(Dialogs().Messages.size(), 1u) << "the damaged card is reported";
    EXPECT_TRUE(f->TextCard().txtSimpleText->isReadOnly()) << "nothing can be typed over it";
    ClickRow(f->Panels().sgdFirst, 1);
    EXPECT_FALSE(f->TextCard().txtSimpleText->isReadOnly());
    EXPECT_EQ(f->TextCard().lblCurDescr->text(), QStringLiteral("b"));
    EXPECT_TRUE(f->TextCard().txtSimpleText->isEnabled());
}

TEST_F(Datastructure, BinsWithoutRoomInTheCardDirectoryAreReportedAtClose) {
    // A damaged datastructure-level directory: all five entries hold kinds of no bin.
    const std::string path = Home() + "FirstKivDB.kiv";
    MakeTreePair(path, "a(b)");
    {
        auto dsc = PosixBlockFile::Open(CardFileName(path), OpenMode::ReadWrite);
        TDBCards db;
        db.SetCardFile(dsc.get());
        for (uint8_t kind = 7; kind < 12; ++kind) ASSERT_TRUE(db.WriteCard(kind, "x"));
    }
    PackDatastructure(path);
    TForm1* f = Start();
    ASSERT_TRUE(f->DatastructureOpen());
    try {
        f->Datastructure().CloseDatastructure();
        ADD_FAILURE() << "the bins were dropped without a word";
    } catch (const EKivError& e) {
        EXPECT_NE(std::string(e.what()).find("no room for the text bin, the launch bin"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_EQ(ReadJoined(path).Tree, "a\n  b\n");  // the topics are joined back all the same
}

TEST_F(Datastructure, AnInterruptedPairIsOpenedAsItStands) {
    MakeTreePair(Home() + "split.kiv", "left(over)");
    TForm1* f = Start({Home() + "split.kiv"});
    ASSERT_TRUE(f->DatastructureOpen());
    EXPECT_EQ(f->Panels().sgdFirst->Nester->Caption(0), "left");
    EXPECT_EQ(f->Panels().sgdSecond->Nester->Caption(0), "over");
    Stop();
    EXPECT_FALSE(FileExists(Home() + "split.dsc"));
    EXPECT_EQ(ReadJoined(Home() + "split.kiv").Tree, "left\n  over\n");
}

TEST_F(Datastructure, RecentFilesKeepTheFourMostRecentThatExist) {
    TForm1* f = Start();
    for (const char* n : {"d1", "d2", "d3", "d4", "d5"}) {
        MakeJoined(Home() + n + ".kiv", n);
        f->Datastructure().OpenDatastructureFile(Home() + n + ".kiv");
    }
    IniFile ini(Home() + "kiv.ini");
    EXPECT_EQ(ini.ReadSection("LastOpened"), (std::vector<std::string>{"1", "2", "3", "4"}));
    EXPECT_EQ(ini.ReadString("LastOpened", "1", ""), "||d5.kiv");
    EXPECT_EQ(ini.ReadString("LastOpened", "4", ""), "||d2.kiv");
    EXPECT_EQ(f->Datastructure().miLast1->text(),
              QStringLiteral("1 ") + QString::fromStdString(ShortenPath(Home() + "d5.kiv")));
    // A recent entry whose file is gone stays (its drive may come back); opening it says so.
    RemoveFile(Home() + "d4.kiv");
    f->Datastructure().miLast4Click(3);  // "3" is d3
    EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV - d3.kiv"));
    EXPECT_EQ(ini.ReadString("LastOpened", "1", ""), "||d3.kiv");
    EXPECT_EQ(ini.ReadString("LastOpened", "2", ""), "||d5.kiv");
    EXPECT_EQ(ini.ReadString("LastOpened", "3", ""), "||d4.kiv");
    EXPECT_EQ(ini.ReadString("LastOpened", "4", ""), "||d2.kiv");
    EXPECT_TRUE(f->Datastructure().miLast4->isVisible());
    Dialogs().Clear();
    f->Datastructure().miLast4Click(3);  // d4
    ASSERT_EQ(Dialogs().Messages.size(), 1u);
    EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV - d3.kiv"));
    EXPECT_FALSE(FileExists(Home() + "d4.kiv"));
    // The popup lists the open datastructures of this run.
    f->Datastructure().pmLastOpened->popup(QPoint(0, 0));
    f->Datastructure().pmLastOpened->hide();
    EXPECT_EQ(f->Datastructure().pmLastOpened->actions().size(), InterBase().Count());
    EXPECT_TRUE(f->Datastructure().pmLastOpened->actions().first()->text().startsWith(
        QStringLiteral("1: ")));
}

TEST_F(Datastructure, AutoBackupOncePerRunAndOnlyOfASoundFile) {
    MakeJoined(Home() + "a.kiv", "alpha");
    MakeJoined(Home() + "b.kiv", "beta");
    WriteFileAtomic(Home() + "bad.kiv", BadFiles()[0].bytes);
    const std::string joinedA = ReadWholeFile(Home() + "a.kiv");
    TForm1* f = Start();
    f->Datastructure().acAutoBackup->SetChecked(true);
    f->Datastructure().OpenDatastructureFile(Home() + "a.kiv");
    ASSERT_TRUE(FileExists(Home() + "a.bak"));
    EXPECT_EQ(ReadWholeFile(Home() + "a.bak"), joinedA);
    const ino_t first = Inode(Home() + "a.bak");
    EXPECT_TRUE(f->FileCommands().acReturnToBackup->isEnabled());
    f->Datastructure().OpenDatastructureFile(Home() + "b.kiv");
    f->Datastructure().OpenDatastructureFile(Home() + "a.kiv");
    EXPECT_EQ(Inode(Home() + "a.bak"), first) << "one backup per datastructure and run";
    Dialogs().Clear();
    f->Datastructure().OpenDatastructureFile(Home() + "bad.kiv");
    EXPECT_FALSE(FileExists(Home() + "bad.bak"));
    EXPECT_EQ(Dialogs().Messages.size(), 1u) << "only the refusal, no backup complaint";
}

// ---- New and Save As ----

class NewAndSaveAs : public WindowFixture {
protected:
    TForm1* f = nullptr;
    void SetUp() override {
        WindowFixture::SetUp();
        f = Start();
        TypeCaption(f->Panels().sgdFirst, QStringLiteral("Alpha"));
        f->Bins().txtTextBin->setPlainText(QStringLiteral("bin text"));
        f->FlushCurrentRow();
    }
    void Run(KivAction* a, const std::string& name) {
        Dialogs().AnswerSave(QString::fromStdString(name));
        a->Execute();
    }
};

TEST_F(NewAndSaveAs, RefuseTheOpenDatastructureAndTheTemplate) {
    const std::string open = Home() + "FirstKivDB.kiv";
    for (KivAction* a :
         {f->Datastructure().acSaveDatabaseAs, f->Datastructure().acCreateDatabase}) {
        for (const std::string& target : {open, Home() + "template.kiv", Home() + "TEMPLATE.KIV"}) {
            Dialogs().Clear();
            Run(a, target);
            ASSERT_EQ(Dialogs().Messages.size(), 1u) << target;
            EXPECT_EQ(Dialogs().Messages[0].Type, MsgType::Warning);
            EXPECT_TRUE(f->DatastructureOpen());
            EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV - FirstKivDB.kiv"));
            EXPECT_EQ(f->Panels().sgdFirst->Nester->Caption(0), "Alpha") << "nothing was emptied";
        }
    }
    EXPECT_FALSE(FileExists(Home() + "template.kiv"));
    EXPECT_FALSE(FileExists(Home() + "TEMPLATE.KIV"));
}

TEST_F(NewAndSaveAs, SaveAsCopiesTopicsBinsAndMarksAndKeepsTheOpenOne) {
    Run(f->Datastructure().acSaveDatabaseAs, Home() + "copy");  // the extension is added
    ASSERT_TRUE(FileExists(Home() + "copy.kiv"));
    EXPECT_FALSE(FileExists(Home() + "copy.dsc"));
    const TJoinedContent c = ReadJoined(Home() + "copy.kiv");
    EXPECT_EQ(c.Tree, "Alpha\n");
    EXPECT_EQ(c.TextBinCard,
              "\x01"
              "bin text");
    EXPECT_EQ(c.MarksCard,
              SerializeMarks(Form1->Open().BookMark->Threads, Form1->Open().BookMark->QuickJumps));
    EXPECT_TRUE(f->DatastructureOpen());
    EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV - FirstKivDB.kiv"));
    EXPECT_TRUE(FileExists(Home() + "FirstKivDB.dsc")) << "the open one stays open";
    EXPECT_TRUE(Dialogs().Messages.empty());

    // An existing target: the user is asked; No leaves it, Yes replaces it.
    TypeCaption(f->Panels().sgdFirst, QStringLiteral(" changed"));
    const ino_t before = Inode(Home() + "copy.kiv");
    Dialogs().AnswerMessage(IDNO);
    Run(f->Datastructure().acSaveDatabaseAs, Home() + "copy.kiv");
    ASSERT_EQ(Dialogs().Messages.size(), 1u);
    EXPECT_EQ(Dialogs().Messages[0].Buttons, MsgButtons::YesNo);
    EXPECT_EQ(Inode(Home() + "copy.kiv"), before);
    Dialogs().AnswerMessage(IDYES);
    Run(f->Datastructure().acSaveDatabaseAs, Home() + "copy.kiv");
    EXPECT_EQ(ReadJoined(Home() + "copy.kiv").Tree, "Alpha changed\n");
}

TEST_F(NewAndSaveAs, NewOpensAFreshDatastructureAndAsksBeforeReplacing) {
    Run(f->Datastructure().acCreateDatabase, Home() + "fresh.kiv");
    EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV - fresh.kiv"));
    EXPECT_EQ(f->Panels().sgdFirst->Nester->RowCount(), 1);
    EXPECT_TRUE(f->Panels().sgdFirst->Editing());
    EXPECT_EQ(ReadJoined(Home() + "FirstKivDB.kiv").Tree, "Alpha\n")
        << "the old one was closed and joined";

    MakeJoined(Home() + "kept.kiv", "precious");
    Dialogs().AnswerMessage(IDNO);
    Run(f->Datastructure().acCreateDatabase, Home() + "kept.kiv");
    EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV - fresh.kiv"));
    EXPECT_EQ(ReadJoined(Home() + "kept.kiv").Tree, "precious\n");
    Dialogs().AnswerMessage(IDYES);
    Run(f->Datastructure().acCreateDatabase, Home() + "kept.kiv");
    EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV - kept.kiv"));
    EXPECT_EQ(f->Panels().sgdFirst->Nester->RowCount(), 1);
    EXPECT_EQ(f->Panels().sgdFirst->Nester->Caption(0), "");

    // A target that is split (open elsewhere or interrupted) is not replaced.
    MakeTreePair(Home() + "busy.kiv", "busy");
    Dialogs().Clear();
    Run(f->Datastructure().acCreateDatabase, Home() + "busy.kiv");
    EXPECT_EQ(Dialogs().Messages.size(), 1u);
    EXPECT_EQ(DumpTreePair(Home() + "busy.kiv"), "busy\n");
}

TEST_F(NewAndSaveAs, CancelledDialogChangesNothing) {
    Dialogs().CancelSave();
    f->Datastructure().acSaveDatabaseAs->Execute();
    Dialogs().CancelSave();
    f->Datastructure().acCreateDatabase->Execute();
    EXPECT_TRUE(Dialogs().Messages.empty());
    EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV - FirstKivDB.kiv"));
}

// ---- the hand-over's receiving side ----

TEST_F(Datastructure, AHandedOverPathOpensKivFilesOnly) {
    MakeJoined(Home() + "Other.KIV", "other");
    WriteFileAtomic(Home() + "notes.txt", "text");
    TForm1* f = Start();
    f->Startup().WMCopyData(Home() + "missing.kiv");
    f->Startup().WMCopyData(Home() + "notes.txt");
    f->Startup().WMCopyData("");
    EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV - FirstKivDB.kiv"));
    // Only the missing one is told of.
    ASSERT_EQ(Dialogs().Messages.size(), 1u);
    EXPECT_EQ(Dialogs().Messages[0].Text, QStringLiteral("The datastructure \"%1\" does not exist.")
                                              .arg(QString::fromStdString(Home() + "missing.kiv")));
    Dialogs().Clear();
    f->hide();
    f->Startup().WMCopyData(Home() + "Other.KIV");
    EXPECT_EQ(f->windowTitle(), QStringLiteral("KIV - Other.KIV"));
    EXPECT_TRUE(f->isVisible()) << "a hidden window comes back";
    EXPECT_TRUE(Dialogs().Messages.empty());
}

// ---- the text bin card ----

TEST(TextBinCard, APasswordEndsOnlyWithinTheFirstSixteenCharacters) {
    struct Case {
        std::string card, password, textBin;
    };
    const std::string sixteen = "0123456789abcdef";
    const Case cases[] = {
        {"", "", ""},
        {"just text", "", "just text"},
        {"\x01"
         "bin",
         "", "bin"},
        {"secret\x01"
         "bin\x01"
         "more",
         "secret",
         "bin\x01"
         "more"},
        {"123456789012345\x01"
         "bin",
         "123456789012345", "bin"},
        // The 0x01 is the 17th character or later: no password, every character is the bin's.
        {sixteen + "\x01"
                   "bin",
         "",
         sixteen + "\x01"
                   "bin"},
        {sixteen + "XYZ\x01"
                   "rest",
         "",
         sixteen + "XYZ\x01"
                   "rest"},
        // An earlier build's UTF-8 password past 16 bytes, of at most 15 characters, stays one.
        {"\xd0\x9f\xd0\xb0\xd1\x80\xd0\xbe\xd0\xbb\xd1\x8c"
         "12345\x01"
         "bin",
         "\xd0\x9f\xd0\xb0\xd1\x80\xd0\xbe\xd0\xbb\xd1\x8c"
         "12345",
         "bin"},
        {"\xd0\x9f\xd0\xb0\xd1\x80\xd0\xbe\xd0\xbb\xd1\x8c"
         "1234567890\x01"
         "bin",
         "",
         "\xd0\x9f\xd0\xb0\xd1\x80\xd0\xbe\xd0\xbb\xd1\x8c"
         "1234567890\x01"
         "bin"},
        {"line one\r\nline two is longer\x01"
         "x",
         "",
         "line one\r\nline two is longer\x01"
         "x"},
    };
    for (const Case& c : cases) {
        const TTextBinCard t = SplitTextBinCard(c.card);
        EXPECT_EQ(t.Password, c.password) << c.card;
        EXPECT_EQ(t.TextBin, c.textBin) << c.card;
    }
}

TEST_F(Datastructure, ATextBinCardWithoutAPasswordKeepsAllItsText) {
    const std::string path = Home() + "FirstKivDB.kiv";
    MakeTreePair(path, "a");
    const std::string card = "notes of a long line\x01 and on";
    {
        auto kiv = PosixBlockFile::Open(path, OpenMode::ReadWrite);
        auto dsc = PosixBlockFile::Open(CardFileName(path), OpenMode::ReadWrite);
        TDBCards db;
        db.SetCardFile(dsc.get());
        db.LoadDirAddress();
        ASSERT_TRUE(db.WriteCard(kDBCardTextBin, card));
    }
    PackDatastructure(path);
    TForm1* f = Start();
    ASSERT_TRUE(f->DatastructureOpen());
    EXPECT_TRUE(Form1->Open().BookMark->Password.empty());
    EXPECT_EQ(f->Bins().txtTextBin->toPlainText(),
              QString::fromLatin1(card.data(), int(card.size())));
    Stop();
    EXPECT_EQ(ReadJoined(path).TextBinCard, "\x01" + card)
        << "written back whole, after an empty password";
}


// What cannot be read beside the outline (the settings file, the datastructure's own cards)
// is reported; the outline opens and the intact topics stay usable.
TEST_F(Datastructure, AnUnusableSettingsFileDoesNotKeepTheOutlineShut) {
    for (const char* how : {"a folder", "a link to itself"}) {
        SCOPED_TRACE(how);
        const std::string ini = Home() + "kiv.ini";
        RemoveTree(ini);
        if (std::string(how) == "a folder") MakeDirs(ini + "/");
        else ASSERT_EQ(::symlink("kiv.ini", ini.c_str()), 0);
        const std::string path = Home() + "notes.kiv";
        MakeJoined(path, "a(b) c");
        Dialogs().Clear();
        TForm1* f = Start({path});
        ASSERT_TRUE(f->DatastructureOpen());
        EXPECT_EQ(f->Panels().sgdFirst->Nester->RowCount(), 2);
        const QString told = Dialogs().MessageTexts().join("|");
        EXPECT_TRUE(told.contains(QStringLiteral("kiv.ini"))) << told.toStdString();
        EXPECT_FALSE(told.contains(QStringLiteral("was not opened"))) << told.toStdString();
        Stop();
        EXPECT_EQ(ReadJoined(path).Tree, "a\n  b\nc\n");
        RemoveTree(ini);
        ResetGlobals();
    }
}

TEST_F(Datastructure, ADamagedDatastructureCardDirectoryIsReportedAndTheOutlineOpens) {
    struct Case {
        const char* name;
        std::function<void(BlockFile* dsc)> damage;
        const char* named;  // what the message names
    };
    const Case cases[] = {
        {"the directory's address past the end",
         [](BlockFile* dsc) { dsc->WriteU32(0, 0x7FFFFF00u); }, "the Threads and QuickJumps"},
        {"the text bin's chunk claims more than it holds",
         [](BlockFile* dsc) {
             TDBCards db;
             db.SetCardFile(dsc);
             db.LoadDirAddress();
             TCardArray entries;
             ReadCardDirectory(dsc, db.DirAddress, entries);
             for (const TCardEntry& e : entries)
                 // Written as raw bytes: the storage routines refuse to write such a header.
                 if (e.Kind == kDBCardTextBin) dsc->WriteU32(e.FirstChunk + 4, 999);
         },
         "the text bin"},
        {"the Threads card's chunk claims more than it holds",
         [](BlockFile* dsc) {
             TDBCards db;
             db.SetCardFile(dsc);
             db.LoadDirAddress();
             ASSERT_TRUE(db.WriteCard(kDBCardMarks, "not a marks card"));
             TCardArray entries;
             ReadCardDirectory(dsc, db.DirAddress, entries);
             for (const TCardEntry& e : entries)
                 if (e.Kind == kDBCardMarks) dsc->WriteU32(e.FirstChunk + 4, 999);
         },
         "\", the Threads and QuickJumps: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Home() + "notes.kiv";
        MakeTreePair(path, "a(b) c");
        {
            auto dsc = PosixBlockFile::Open(CardFileName(path), OpenMode::ReadWrite);
            TDBCards db;
            db.SetCardFile(dsc.get());
            ASSERT_TRUE(db.WriteCard(kDBCardTextBin, std::string("\x01") + "old bin"));
            ASSERT_TRUE(db.WriteCard(kDBCardLaunchBin, "launch line\r\n"));
            c.damage(dsc.get());
        }
        PackDatastructure(path);
        Dialogs().Clear();
        TForm1* f = Start({path});
        ASSERT_TRUE(f->DatastructureOpen());
        EXPECT_EQ(f->Panels().sgdFirst->Nester->RowCount(), 2);
        const QString told = Dialogs().MessageTexts().join("|");
        ASSERT_EQ(Dialogs().Messages.size(), 1u) << told.toStdString();
        EXPECT_TRUE(told.contains(QStringLiteral("could not be read"))) << told.toStdString();
        EXPECT_TRUE(told.contains(QString::fromLatin1(c.named))) << told.toStdString();
        // What is written now is kept.
        f->Bins().txtTextBin->setPlainText(QStringLiteral("new bin"));
        Stop();
        const TJoinedContent joined = ReadJoined(path);
        EXPECT_EQ(joined.Tree, "a\n  b\nc\n");
        EXPECT_EQ(SplitTextBinCard(joined.TextBinCard).TextBin, "new bin");
        ResetGlobals();
    }
}


// kiv.ini keeps one value a line: a datastructure whose name holds a line break opens, but
// is not listed under a name that would open something else next time.
TEST_F(Datastructure, ANameWithALineBreakOpensAndIsNotListedUnderAnotherName) {
    const std::string path = Home() + "two\nlines.kiv";
    MakeJoined(path, "a b");
    TForm1* f = Start({path});
    ASSERT_TRUE(f->DatastructureOpen());
    EXPECT_TRUE(Dialogs().MessageTexts().join("|").contains(QStringLiteral("line break")))
        << Dialogs().MessageTexts().join("|").toStdString();
    Stop();
    const std::string ini = ReadWholeFile(Home() + "kiv.ini");
    EXPECT_EQ(ini.find("two lines"), std::string::npos) << ini;
    EXPECT_EQ(ini.find("two\nlines"), std::string::npos) << ini;
    EXPECT_EQ(ReadJoined(path).Tree, "a\nb\n");
}

}  // namespace
}  // namespace kiv::wintest
