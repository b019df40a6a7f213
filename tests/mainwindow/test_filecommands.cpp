// The file commands of the main window: pack, save selected branches, the template, links
// to external datastructures, the return to the backup, the password lock and the size warning.

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>

#include "platform/core/AppPaths.h"
#include "engine/core/BranchCopy.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/filecommands/FileCommands.h"
#include "mainwindow/print/PrintCommands.h"
#include "mainwindow/print/WaitPanel.h"
#include "platform/core/SamePath.h"
#include "tests/mainwindow/WindowFixture.h"

namespace kiv::wintest {
namespace {

// A closed datastructure whose level card 2 (password, 0x01, text bin) is the card given.
void MakeWithTextBinCard(const std::string& p, std::string_view tree, const std::string& card) {
    MakeTreePair(p, tree);
    {
        auto dsc = PosixBlockFile::Open(CardFileName(p), OpenMode::ReadWrite);
        TDBCards db;
        db.SetCardFile(dsc.get());
        ASSERT_TRUE(db.WriteCard(kDBCardTextBin, card));
    }
    PackDatastructure(p);
}

class FileCommands : public WindowFixture {
protected:
    std::string path;

    TForm1* Open(std::string_view tree, const std::string& name = "notes.kiv") {
        path = Home() + name;
        MakeJoined(path, tree);
        TForm1* f = Start({path});
        EXPECT_TRUE(f->DatastructureOpen());
        return f;
    }
    TKivStringGrid* First() { return form->Panels().sgdFirst; }
    std::vector<std::string> Files() {
        std::vector<std::string> names;
        for (const std::string& n : FolderEntries(Home())) {
            if (n.size() > 4 && n.substr(n.size() - 4) == ".kiv") names.push_back(n);
            if (n.find("_!#_$$") != std::string::npos && n.substr(n.size() - 4) != ".kiv")
                names.push_back(n);
        }
        return names;
    }
    // The top-level items of the open outline.
    TItemArray Tops() {
        TItemArray items;
        ReadNestItems(form->Pair().Outline.get(), ReadRootNest(form->Pair().Outline.get()), items);
        return items;
    }
};

// Captions rewritten 50 times, an edit not yet stored, a topic in the Recycled Bin.
TEST_F(FileCommands, PackRebuildsASmallerFileWithTheSameTreeAndTheLastEdit) {
    const std::string p = Home() + "notes.kiv";
    MakeTreePair(p, "alpha(beta gamma) delta(epsilon) zeta");
    {
        auto kiv = PosixBlockFile::Open(p, OpenMode::ReadWrite);
        auto dsc = PosixBlockFile::Open(CardFileName(p), OpenMode::ReadWrite);
        TNester m;
        m.SetNestFile(kiv.get());
        m.SetCardFile(dsc.get());
        m.RootNest = ReadRootNest(kiv.get());
        m.LoadBranch(-1, false);
        const std::vector<std::string> names{"alpha", "delta", "zeta"};
        for (int round = 1; round <= 50; ++round)
            for (int r = 0; r < m.RowCount(); ++r)
                ASSERT_TRUE(
                    m.SetCaption(r, names[size_t(r)] + std::string(size_t(round * 20), '.')));
        for (int r = 0; r < m.RowCount(); ++r) ASSERT_TRUE(m.SetCaption(r, names[size_t(r)]));
    }
    PackDatastructure(p);
    const uint64_t before = ReadWholeFile(p).size();
    TForm1* f = Start({p});
    ASSERT_TRUE(f->DatastructureOpen());
    f->Bins().txtTextBin->setPlainText(QStringLiteral("kept text"));
    // One topic into the Recycled Bin, then an edit of the last caption left in the editor.
    ClickRow(First(), 2);
    First()->DeleteMarkedTopics(true, true, true);
    ASSERT_EQ(RecycledBin().Count(), 1);
    PanelsManager().SetEditMode(true);
    ClickRow(First(), 0);
    First()->SetEditing(true);
    First()->CaptionEditor->SetSelStart(10000);
    TypeCaption(First(), QStringLiteral(" edited"));

    f->FileCommands().acCompactDatabase->Execute();
    EXPECT_TRUE(f->DatastructureOpen());
    EXPECT_EQ(RecycledBin().Count(), 0);
    EXPECT_EQ(Files(), (std::vector<std::string>{"notes.kiv"}));
    EXPECT_FALSE(f->WaitPanel().Shown());
    Stop();
    const uint64_t after = ReadWholeFile(p).size();
    EXPECT_LT(after, before / 2) << before;
    const TJoinedContent c = ReadJoined(p);
    EXPECT_EQ(c.Tree, "alpha edited\n  beta\n  gamma\ndelta\n  epsilon\n");
    EXPECT_EQ(SplitTextBinCard(c.TextBinCard).TextBin, "kept text");
}

// The template bin's addresses follow a pack and a return to the backup of the template.
TEST_F(FileCommands, TheTemplateBinIsListedAgainAfterAPackOfTheTemplate) {
    TForm1* f = Open("letter(head) memo note", "template.kiv");
    QListWidget* bin = f->Bins().lbxTemplate;
    ASSERT_EQ(bin->count(), 3);
    ClickRow(First(), 0);
    First()->DeleteMarkedTopics(true, true, true);
    f->FileCommands().acCompactDatabase->Execute();
    ASSERT_EQ(bin->count(), 2);
    EXPECT_EQ(bin->item(0)->text(), QStringLiteral("memo"));
    TSourceDatastructure t(path);
    const std::vector<TTopTopic> top = ReadTopTopics(t.Files());
    ASSERT_EQ(top.size(), 2u);
    EXPECT_EQ(f->Bins().TemplateBin.GetItem(1).Item(), top[1].Item);
}

TEST_F(FileCommands, SaveSelectedBranchesWritesTheMarkedTopicsInRowOrder) {
    TForm1* f = Open("one(a b) two three(c) four five");
    ClickRow(First(), 3);
    First()->Nester->SetMarked(4, true);
    First()->Nester->SetMarked(0, true);
    const std::string target = Home() + "picked.kiv";
    Dialogs().AnswerSave(QString::fromStdString(target));
    f->FileCommands().acSaveInNewDatabase->Execute();
    EXPECT_EQ(ReadJoined(target).Tree, "one\n  a\n  b\nfour\nfive\n");
    EXPECT_TRUE(Dialogs().MessageTexts().isEmpty())
        << Dialogs().MessageTexts().join("|").toStdString();

    // Neither the open datastructure nor the template is a target.
    const std::string open = ReadWholeFile(path);
    for (const std::string& t : {path, Home() + "template.kiv"}) {
        Dialogs().Clear();
        Dialogs().AnswerSave(QString::fromStdString(t));
        f->FileCommands().acSaveInNewDatabase->Execute();
        ASSERT_EQ(Dialogs().Messages.size(), 1u) << t;
        EXPECT_EQ(Dialogs().Messages[0].Type, MsgType::Warning);
    }
    EXPECT_FALSE(FileExists(Home() + "template.kiv"));
    EXPECT_EQ(ReadWholeFile(path), open);
}

TEST_F(FileCommands, MakeNewTemplateAppendsToTheTemplateAndItsBin) {
    const std::string tmpl = Home() + "template.kiv";
    MakeJoined(tmpl, "letter(head)");
    TForm1* f = Open("memo(to from) call idea");
    QListWidget* bin = f->Bins().lbxTemplate;
    ASSERT_EQ(bin->count(), 1);
    ClickRow(First(), 2);
    First()->Nester->SetMarked(0, true);
    f->FileCommands().acDoAsTemplate->Execute();
    ASSERT_EQ(bin->count(), 3);
    EXPECT_EQ(bin->item(1)->text(), QStringLiteral("memo"));
    EXPECT_EQ(bin->item(2)->text(), QStringLiteral("idea"));
    EXPECT_EQ(f->Bins().TemplateBin.Count(), 3);
    EXPECT_FALSE(FileExists(CardFileName(tmpl))) << "the template is joined again";
    EXPECT_EQ(ReadJoined(tmpl).Tree, "letter\n  head\nmemo\n  to\n  from\nidea\n");

    // With the template open as the datastructure the command does nothing.
    const std::string t0 = ReadJoined(tmpl).Tree;
    f->Datastructure().OpenDatastructureFile(tmpl);
    ASSERT_TRUE(SamePath(Form1->Open().BookMark->Path, tmpl));
    First()->Nester->SetMarked(1, true);
    f->FileCommands().acDoAsTemplate->Execute();
    f->Datastructure().OpenDatastructureFile(path);
    EXPECT_EQ(ReadJoined(tmpl).Tree, t0);
    EXPECT_EQ(bin->count(), 3) << "listed again after the template was closed";
}

// Topics pasted from another datastructure: read in place, never split, copied with their
// cards and sub-trees; a clone pair stays one, a source that is missing copies nothing.
TEST_F(FileCommands, TopicsFromAnotherDatastructureAreCopiedIntoTheOutline) {
    const std::string src = Home() + "source.kiv";
    MakeTreePair(src, "x(y z) w");
    StoreTrailCardPair(src, "0/1", kCardText, "zed text");
    {
        auto kiv = PosixBlockFile::Open(src, OpenMode::ReadWrite);
        auto dsc = PosixBlockFile::Open(CardFileName(src), OpenMode::ReadWrite);
        TItemArray tops;
        ReadNestItems(kiv.get(), ReadRootNest(kiv.get()), tops);
        TCards c;
        c.SetCardFile(dsc.get());
        ASSERT_TRUE(
            c.StoreCard(tops[0].CardDir, kCardCaption, MakeCaptionPrefix(-1, kFlagClone) + "x"));
        WriteNestItems(kiv.get(), ReadRootNest(kiv.get()), {tops[0], tops[1], tops[0]});
    }
    PackDatastructure(src);
    const std::string joined = ReadWholeFile(src);
    TItemArray srcTops;
    {
        TSourceDatastructure s(src);
        ReadNestItems(s.Files().Outline, ReadRootNest(s.Files().Outline), srcTops);
    }
    TForm1* f = Open("one two");
    ClickRow(First(), 0);
    EXPECT_EQ(f->FileCommands().CopyBranchesIntoOutline(First(), 1, src, srcTops), 3);
    EXPECT_EQ(ReadWholeFile(src), joined);
    EXPECT_FALSE(FileExists(CardFileName(src)));
    TItemArray tops = Tops();
    ASSERT_EQ(tops.size(), 5u);
    EXPECT_EQ(tops[1], tops[3]) << "the clones share one copy";
    EXPECT_EQ(First()->Nester->Caption(1), "x");
    EXPECT_TRUE(First()->Nester->IsClone(1));
    EXPECT_EQ(f->FileCommands().CopyBranchesIntoOutline(First(), 0, Home() + "missing.kiv",
                                                        srcTops),
              0);
    Stop();
    EXPECT_EQ(ReadJoined(path).Tree, "one\nx\n  y\n  z\nw\nx\ntwo\n");
}

TEST_F(FileCommands, LinkAndUnlinkAnExternalDatastructure) {
    TForm1* f = Open("parent(child) leaf");
    const std::string other = Home() + "sub/other.kiv";
    MakeDirs(Home() + "sub/");
    MakeJoined(other, "x");

    // A topic with children is refused with the warning as the program words it.
    ClickRow(First(), 0);
    f->FileCommands().acLinkToExt->Execute();
    ASSERT_EQ(Dialogs().Messages.size(), 1u);
    EXPECT_EQ(
        Dialogs().Messages[0].Text,
        QStringLiteral(
            "Desrciptor must not to have a branch in order to link to external KIV datastructure."));
    EXPECT_EQ(Dialogs().Messages[0].Type, MsgType::Warning);
    EXPECT_TRUE(Dialogs().OpenRequests.empty());

    ClickRow(First(), 1);
    Dialogs().AnswerOpen({QString::fromStdString(other)});
    f->FileCommands().acLinkToExt->Execute();
    TItemArray tops = Tops();
    ASSERT_EQ(tops.size(), 2u);
    EXPECT_EQ(tops[1].ChildNest, 0xFFFFFFFFu);
    {
        // The bytes of the slot: card directory, then FF FF FF FF.
        std::string slot(8, '\0');
        const uint32_t root = ReadRootNest(f->Pair().Outline.get());
        ASSERT_TRUE(f->Pair().Outline->ReadExact(root + 8 + 8, slot.data(), 8));
        EXPECT_EQ(slot.substr(4), std::string(4, '\xFF'));
    }
    TCardArray entries;
    ReadCardDirectory(f->Pair().Cards.get(), tops[1].CardDir, entries);
    std::string stored;
    ReadCardOfKind(f->Pair().Cards.get(), entries, kCardExternal, stored);
    EXPECT_EQ(stored, "||sub/other.kiv");
    EXPECT_EQ(f->Panels().sgdSecond->Nester->RootNest, 0xFFFFFFFFu);

    f->FileCommands().acUnlinkFromExt->Execute();
    tops = Tops();
    EXPECT_EQ(tops[1].ChildNest, 0u);
    stored = "x";
    ReadCardOfKind(f->Pair().Cards.get(), entries, kCardExternal, stored);
    EXPECT_EQ(stored, "");
    // Unlinking what is not linked changes nothing.
    const std::string bytes = f->Pair().Outline->ReadAll();
    f->FileCommands().acUnlinkFromExt->Execute();
    EXPECT_EQ(f->Pair().Outline->ReadAll(), bytes);
}

TEST_F(FileCommands, ReturnToBackupPutsTheBackupInPlace) {
    path = Home() + "notes.kiv";
    MakeJoined(path, "old");
    {
        IniFile ini(Home() + "kiv.ini");
        ini.WriteBool("Settings", "AutoBackup", true);
    }
    TForm1* f = Start({path});
    f->Datastructure().acAutoBackup->SetChecked(true);
    f->Datastructure().CreateDatastructureFile(Home() + "other.kiv");
    f->Datastructure().OpenDatastructureFile(path);
    ASSERT_TRUE(FileExists(BackupFileName(path)));
    AddTopicAfter(First());
    ASSERT_TRUE(First()->Nester->SetCaption(1, "new"));
    f->FileCommands().acReturnToBackup->Update();
    // Asked first; No changes nothing.
    Dialogs().AnswerMessage(IDNO);
    f->FileCommands().acReturnToBackup->Execute();
    ASSERT_EQ(Dialogs().Messages.size(), 1u);
    EXPECT_EQ(
        Dialogs().Messages[0].Text,
        QStringLiteral(
            "Replace \"notes.kiv\" with its backup? Every change made since the backup was taken is lost."));
    EXPECT_EQ(Dialogs().Messages[0].Buttons, MsgButtons::YesNo);
    EXPECT_EQ(First()->Nester->RowCount(), 2);
    EXPECT_EQ(First()->Nester->Caption(1), "new");
    Dialogs().AnswerMessage(IDYES);
    f->FileCommands().acReturnToBackup->Execute();
    EXPECT_TRUE(f->DatastructureOpen());
    EXPECT_EQ(First()->Nester->RowCount(), 1);
    Stop();
    EXPECT_EQ(ReadJoined(path).Tree, "old\n");
}

// The password lock: the cover, the named menus, the panes; a key into the caption editor
// changes the file only without the lock.
TEST_F(FileCommands, ALockedDatastructureTakesNoInput) {
    for (const bool withPassword : {false, true}) {
        SCOPED_TRACE(withPassword);
        const std::string p = Home() + (withPassword ? "locked.kiv" : "open.kiv");
        MakeWithTextBinCard(p, "secret", withPassword ? "pw\x01" : "\x01");
        TForm1* f = Start({p});
        ASSERT_TRUE(f->DatastructureOpen());
        TWindowSkeleton& k = f->Skeleton();
        EXPECT_EQ(f->FileCommands().PasswordLocked(), withPassword);
        EXPECT_EQ(!f->FileCommands().pnlHider->isHidden(), withPassword);
        EXPECT_EQ(f->FileCommands().EnterPassword1->isEnabled(), withPassword);
        for (QAction* a : {k.View1->menuAction(), k.Cards1->menuAction(), k.Settings1->menuAction(),
                           static_cast<QAction*>(f->Datastructure().acSaveDatabaseAs),
                           static_cast<QAction*>(f->FileCommands().acSaveInNewDatabase),
                           f->FileCommands().SetPassword1, f->Datastructure().Template1,
                           static_cast<QAction*>(f->Print().acPrint)})
            EXPECT_EQ(a->isEnabled(), !withPassword) << a->objectName().toStdString();
        KivAction::UpdateAll();
        EXPECT_EQ(f->Print().acPrint->isEnabled(), !withPassword) << "its update keeps the lock";
        EXPECT_FALSE(f->FileCommands().acReturnToBackup->isEnabled());
        for (QWidget* w : {k.pnlKiv, k.pnlCards, k.pnlBins, f->Bins().pnlTemplateBin})
            EXPECT_EQ(w->isEnabled(), !withPassword);
        for (KivAction* a : {f->FileCommands().acLinkToExt, f->FileCommands().acDoAsTemplate})
            EXPECT_EQ(a->isEnabled(), !withPassword);
        // Every menu but File, with its commands (the search among them), also after an update pass.
        for (QAction* top : k.MainMenu1->actions()) {
            if (top->menu() && top->menu() != k.File1) {
                EXPECT_EQ(top->isEnabled(), !withPassword) << top->text().toStdString();
            }
        }
        auto* find = f->findChild<KivAction*>(QStringLiteral("acSearch"));
        ASSERT_NE(find, nullptr);
        EXPECT_EQ(find->isEnabled(), !withPassword);
        // The menu bar stays out from under the cover.
        const QRect cover(f->FileCommands().pnlHider->mapTo(f, QPoint(0, 0)),
                          f->FileCommands().pnlHider->size());
        EXPECT_FALSE(cover.intersects(k.MainMenu1->geometry()));

        PanelsManager().SetEditMode(true);
        First()->SetEditing(true);
        First()->CaptionEditor->SetSelStart(0);
        f->FlushCurrentRow();
        const std::string bytes = f->Pair().Outline->ReadAll() + f->Pair().Cards->ReadAll();
        QTest::keyClick(First()->CaptionEditor, Qt::Key_Delete);
        QCoreApplication::processEvents();
        f->FlushCurrentRow();
        EXPECT_EQ(f->Pair().Outline->ReadAll() + f->Pair().Cards->ReadAll() == bytes, withPassword);
        Stop();
        EXPECT_EQ(ReadJoined(p).Tree, withPassword ? "secret\n" : "ecret\n");
        ResetGlobals();
    }
}

TEST_F(FileCommands, APasswordAcceptedInThisRunDoesNotLockAgain) {
    const std::string p = Home() + "locked.kiv";
    MakeWithTextBinCard(p, "a", "pw\x01");
    TForm1* f = Start({p});
    ASSERT_TRUE(f->FileCommands().PasswordLocked());
    Form1->Open().BookMark->PasswordAccepted = true;
    f->Datastructure().CreateDatastructureFile(Home() + "other.kiv");
    EXPECT_FALSE(f->FileCommands().PasswordLocked());
    f->Datastructure().OpenDatastructureFile(p);
    EXPECT_FALSE(f->FileCommands().PasswordLocked());
    EXPECT_TRUE(f->FileCommands().pnlHider->isHidden());
}

// The enter window shows over a locked datastructure; only the exact password opens it.
TEST_F(FileCommands, TheEnterWindowUnlocksOnlyWithThePassword) {
    const std::string p = Home() + "locked.kiv";
    MakeWithTextBinCard(p, "a",
                        "Key1\x01"
                        "bin");
    TForm1* f = Start({p});
    ProcessEventsFor(50);
    TFileCommands& fc = f->FileCommands();
    ASSERT_TRUE(fc.frmEnterPassword);
    TfrmEnterPassword& w = *fc.frmEnterPassword;
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.isModal());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Enter Password"));
    EXPECT_EQ(w.lblPrompt->text(),
              QStringLiteral(
                  "This datastructure is password protected, please enter password for access: "));
    EXPECT_EQ(w.edtPassword->echoMode(), QLineEdit::Password);
    // Esc and Cancel leave the lock; no message is shown for a wrong password.
    for (const bool esc : {true, false}) {
        SCOPED_TRACE(esc);
        fc.EnterPassword1->trigger();
        ASSERT_TRUE(w.isVisible());
        QTest::keyClicks(w.edtPassword, QStringLiteral("key1"));
        EXPECT_FALSE(w.btnOK->isEnabled());
        QTest::keyClick(w.edtPassword, Qt::Key_Return);
        EXPECT_TRUE(w.isVisible()) << "Enter does nothing while OK is disabled";
        if (esc) QTest::keyClick(&w, Qt::Key_Escape);
        else w.btnCancel->click();
        EXPECT_FALSE(w.isVisible());
        EXPECT_TRUE(fc.PasswordLocked());
        EXPECT_FALSE(Form1->Open().BookMark->PasswordAccepted);
    }
    EXPECT_TRUE(Dialogs().Messages.empty());

    fc.EnterPassword1->trigger();
    EXPECT_TRUE(w.edtPassword->text().isEmpty()) << "emptied on show";
    QTest::keyClicks(w.edtPassword, QStringLiteral("Key1"));
    EXPECT_TRUE(w.btnOK->isEnabled());
    QTest::keyClick(w.edtPassword, Qt::Key_Return);
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(fc.PasswordLocked());
    EXPECT_TRUE(f->FileCommands().pnlHider->isHidden());
    EXPECT_TRUE(f->Skeleton().pnlKiv->isEnabled());
    EXPECT_FALSE(fc.EnterPassword1->isEnabled());
    EXPECT_TRUE(Form1->Open().BookMark->PasswordAccepted);
    EXPECT_TRUE(f->FileCommands().acDoAsTemplate->isEnabled());
}

// The set window changes, refuses and removes the password; what it sets is stored.
TEST_F(FileCommands, TheSetWindowSetsChangesAndRemovesThePassword) {
    TForm1* f = Open("a");
    TFileCommands& fc = f->FileCommands();
    fc.SetPassword1->trigger();
    ASSERT_TRUE(fc.frmSetPassword);
    TfrmSetPassword& w = *fc.frmSetPassword;
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Set Password For Current Datastructure"));
    QTest::keyClicks(w.edtNew, QStringLiteral("new"));
    QTest::keyClicks(w.edtRepeat, QStringLiteral("new"));
    w.btnOK->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(Form1->Open().BookMark->Password, "new");
    EXPECT_TRUE(Form1->Open().BookMark->PasswordAccepted);

    // Outside Windows-1252: said so once, the window stays and the password is kept.
    fc.SetPassword1->trigger();
    QTest::keyClicks(w.edtOld, QStringLiteral("new"));
    const QString cyrillic = QString::fromUtf8("\xD0\xBF\xD0\xB0\xD1\x80\xD0\xBE\xD0\xBB\xD1\x8C");
    w.edtNew->insert(cyrillic);
    w.edtRepeat->insert(cyrillic);
    ASSERT_TRUE(w.btnOK->isEnabled());
    w.btnOK->click();
    ASSERT_EQ(Dialogs().Messages.size(), 1u);
    EXPECT_EQ(Dialogs().Messages[0].Text,
              QStringLiteral("The password can hold only Western European (Windows-1252) "
                             "letters, digits and signs, at most 15 of them. The password "
                             "stays as it was."));
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(Form1->Open().BookMark->Password, "new");
    w.btnCancel->click();

    // Removed: the old password, then "Without Password".
    fc.SetPassword1->trigger();
    QTest::keyClicks(w.edtOld, QStringLiteral("new"));
    w.cbxWithoutPassword->click();
    QTest::keyClick(&w, Qt::Key_Return);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(Form1->Open().BookMark->Password, "");
    Stop();
    EXPECT_EQ(SplitTextBinCard(ReadJoined(path).TextBinCard).Password, "");
}

// Fifteen Windows-1252 characters are stored as fifteen bytes and open the datastructure
// again after a close; the field takes no sixteenth.
TEST_F(FileCommands, AFifteenCharacterPasswordRoundTrips) {
    TForm1* f = Open("a");
    const QString password = QString::fromUtf8(
        "\xC3\x9C"
        "ber-Pa\xC3\x9F"
        "w\xC3\xB6rt\xE2\x82\xAC"
        "12");
    ASSERT_EQ(password.size(), 15);
    f->FileCommands().SetPassword1->trigger();
    TfrmSetPassword& w = *f->FileCommands().frmSetPassword;
    // Typed as one insertion: the test keyboard has only ASCII keys.
    w.edtNew->insert(password + QStringLiteral("X"));
    EXPECT_EQ(w.edtNew->text(), password);
    w.edtRepeat->insert(password);
    w.btnOK->click();
    EXPECT_EQ(Form1->Open().BookMark->Password.size(), 15u);
    Stop();
    EXPECT_EQ(SplitTextBinCard(ReadJoined(path).TextBinCard).Password.size(), 15u);

    // A new run: nothing remembers that the password was accepted.
    InterBase().Clear();
    f = Start({path});
    ProcessEventsFor(50);
    ASSERT_TRUE(f->FileCommands().PasswordLocked());
    TfrmEnterPassword& e = *f->FileCommands().frmEnterPassword;
    ASSERT_TRUE(e.isVisible());
    e.edtPassword->insert(password);
    e.btnOK->click();
    EXPECT_FALSE(f->FileCommands().PasswordLocked());
}

TEST_F(FileCommands, ALargeCardFileIsWarnedOfNowAndThen) {
    struct Case {
        uint64_t cardBytes;
        int draw;
        bool warned;
    } cases[] = {{15000001, 1, true}, {15000001, 0, false}, {15000000, 1, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cardBytes);
        SCOPED_TRACE(c.draw);
        const std::string p = Home() + "big.kiv";
        MakeTreePair(p, "a");
        {
            auto dsc = PosixBlockFile::Open(CardFileName(p), OpenMode::ReadWrite);
            dsc->Truncate(c.cardBytes);  // bytes no directory names
        }
        PackDatastructure(p);
        TForm1* f = Start();
        f->FileCommands().RandomDraw = [&](int n) {
            EXPECT_EQ(n, 10);
            return c.draw;
        };
        Dialogs().Clear();
        f->Datastructure().OpenDatastructureFile(p);
        ASSERT_TRUE(f->DatastructureOpen());
        if (c.warned) {
            ASSERT_EQ(Dialogs().Messages.size(), 1u);
            const MessageBoxRequest& m = Dialogs().Messages[0];
            EXPECT_EQ(m.Text, QStringLiteral(
                                  "This file is now quite large; it may require packing (File/Pack "
                                  "Datastrucuture) to work more efficiently."));
            EXPECT_EQ(m.Type, MsgType::Information);
            EXPECT_EQ(m.Buttons, MsgButtons::OK);
            EXPECT_TRUE(m.HelpButton);
            EXPECT_EQ(m.HelpContext, 112);
            // Opened again in this run: no warning.
            Dialogs().Clear();
            f->Datastructure().CreateDatastructureFile(Home() + "other.kiv");
            f->Datastructure().OpenDatastructureFile(p);
            EXPECT_TRUE(Dialogs().Messages.empty());
        } else {
            EXPECT_TRUE(Dialogs().Messages.empty());
        }
        Stop();
        ResetGlobals();
        RemoveFile(p);
    }
}

TEST_F(FileCommands, TopicActionsAreAskedWhenEditModeEndsAndTheTrailsEventsRefreshThePath) {
    TForm1* f = Open("a b");
    int updates = 0;
    KivAction* pin = &f->Actions().Get(QStringLiteral("acToPin"));
    pin->OnUpdate = [&](KivAction*) { ++updates; };
    PanelsManager().SetEditMode(true);
    updates = 0;
    PanelsManager().SetEditMode(false);
    EXPECT_GE(updates, 1);

    int refreshed = 0;
    f->FileCommands().OnRefreshNavigationPath = [&] { ++refreshed; };
    TNavigator other;
    f->FileCommands().NavigatorNodeAdded(&other);
    EXPECT_EQ(refreshed, 0);
    Form1->Open().Navigator->OnNodeAdded = [f](TNavigator* s) {
        f->FileCommands().NavigatorNodeAdded(s);
    };
    Form1->Open().Navigator->OnNodesDeleted = [f](TNavigator* s) {
        f->FileCommands().NavigatorNodesDeleted(s);
    };
    Form1->Open().Navigator->Add(0, 0, true, "a", Tops()[0]);
    Form1->Open().Navigator->DeleteFrom(0);
    EXPECT_EQ(refreshed, 2);
    Form1->Open().Navigator->OnNodeAdded = nullptr;
    Form1->Open().Navigator->OnNodesDeleted = nullptr;
}

TEST_F(FileCommands, TheCommandsStandInTheFileMenuBeforeTheRecentFiles) {
    TForm1* f = Open("a");
    QStringList texts;
    for (QAction* a : f->Skeleton().File1->actions())
        if (!a->isSeparator()) texts << a->text();
    const int pack = int(texts.indexOf(QStringLiteral("Pack Datastructure")));
    EXPECT_GE(pack, 0);
    EXPECT_GE(texts.indexOf(QStringLiteral("Save Selected Branch(s) As...")), 0);
    EXPECT_GE(texts.indexOf(QStringLiteral("Make New Template")), 0);
    EXPECT_GE(texts.indexOf(QStringLiteral("Return To Backup")), 0);
    EXPECT_LT(pack, texts.indexOf(f->Datastructure().miLast1->text()));
    EXPECT_EQ(f->FileCommands().acDoAsTemplate->shortcut(),
              QKeySequence(QStringLiteral("Ctrl+Shift+T")));
}

}  // namespace
}  // namespace kiv::wintest
