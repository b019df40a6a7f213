// Drops on the main window: what other programs' files, web addresses and text become on
// the outline panels, the launch card, the bins, the collector and the graphic card; the
// drop box that moves dragged topics into the branch under it; the clip card.
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QStatusBar>
#include <QTreeWidget>
#include <QUrl>

#include "mainwindow/MainHelpers.h"
#include "mainwindow/WindowSkeleton.h"
#include "mainwindow/drops/Drops.h"
#include "mainwindow/filecommands/FileCommands.h"
#include "mainwindow/graphiccard/GrManager.h"
#include "mainwindow/graphiccard/GraphicCard.h"
#include "mainwindow/hoist/Hoisting.h"
#include "mainwindow/launch/LaunchCard.h"
#include "tests/mainwindow/WindowFixture.h"

namespace kiv::wintest {
namespace {

// ---- link lines ----

struct LineCase {
    const char* name;
    TDropContent drop;
    const char* onRow;   // with the title fall-back of a topic row
    const char* onCard;  // without it, as the launch card list takes them
};

class LinkLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(LinkLines, AsARowAndTheLaunchCardTakeThem) {
    const LineCase& c = GetParam();
    EXPECT_EQ(BuildLinkLines(c.drop, true), c.onRow);
    EXPECT_EQ(BuildLinkLines(c.drop, false), c.onCard);
}

INSTANTIATE_TEST_SUITE_P(
    Drops, LinkLines,
    ::testing::Values(
        LineCase{"TwoFiles",
                 {{"/d/a.txt", "/d/b c.txt"}, "", "", ""},
                 "/d/a.txt\x01"
                 "a.txt\r\n/d/b c.txt\x01"
                 "b c.txt\r\n",
                 "/d/a.txt\x01"
                 "a.txt\r\n/d/b c.txt\x01"
                 "b c.txt\r\n"},
        LineCase{"FolderWithoutName", {{"/d/"}, "", "", ""}, "/d/\x01/d/\r\n", "/d/\x01\r\n"},
        LineCase{"FilesBeforeTheAddress",
                 {{"/a"}, "t", "http://x/", "X"},
                 "/a\x01"
                 "a\r\n",
                 "/a\x01"
                 "a\r\n"},
        LineCase{"UrlWithoutTitle", {{}, "", "u", ""}, "u\x01u\r\n", "u\x01\r\n"},
        LineCase{
            "UrlWithTitle", {{}, "", "http://k/", "K"}, "http://k/\x01K\r\n", "http://k/\x01K\r\n"},
        LineCase{"OnlyText", {{}, "hello", "", ""}, "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DropLines, TheLaunchBinTitlesEveryEntry) {
    EXPECT_EQ(LaunchBinLines({{}, "hello", "http://a/", ""}),
              std::vector<std::string>{"http://a/\x01http://a/"});
    EXPECT_EQ(LaunchBinLines({{}, "", "http://a/", "A"}), std::vector<std::string>{"http://a/\x01"
                                                                                   "A"});
    EXPECT_EQ(LaunchBinLines({{"/d/x.txt", "/d/"}, "", "http://a/", "A"}),
              (std::vector<std::string>{"/d/x.txt\x01x.txt", "/d/\x01/d/"}));
    EXPECT_TRUE(LaunchBinLines({{}, "text only", "", ""}).empty());
}

TEST(DropLines, PicturesByExtensionInAnyCase) {
    for (const char* yes : {"b.JPG", "/p/c.jpeg", "d.gif", "e.Bmp", "f.ico", "g.wmf", "h.emf"})
        EXPECT_TRUE(IsGraphicFile(yes)) << yes;
    for (const char* no : {"a.txt", "jpg", "/p.jpg/readme", "x.png", ""})
        EXPECT_FALSE(IsGraphicFile(no)) << no;
    EXPECT_FALSE(HasGraphicFile({"a.txt"}));
    EXPECT_TRUE(HasGraphicFile({"a.txt", "b.JPG"}));
    EXPECT_FALSE(HasGraphicFile({}));
}

// ---- the window ----

// The drop effect copy, as the drop target names it.
constexpr uint32_t kCopy = 1;

class Drops : public PanelsWindow {
protected:
    TDrops& D() { return f->Drops(); }
    TWindowSkeleton& K() { return f->Skeleton(); }
    QPoint OnRow(TKivStringGrid* g, int row) {
        return g->viewport()->mapTo(g, g->CaptionRect(row).center());
    }
    std::string Tree() {
        f->FlushCurrentRow();
        return DumpTree(PanelsManager().NestFile, PanelsManager().CardFile);
    }
    std::string OutlineBytes() {
        return ReadWholeFile(Home() + "FirstKivDB.kiv") + "|" +
               ReadWholeFile(Home() + "FirstKivDB.dsc");
    }
    QStringList Messages() { return Dialogs().MessageTexts(); }

    // The program's own topic drag from a panel over a row of a panel (which lays the drop
    // box on it), then over the drop box.
    bool OverPanel(TKivStringGrid* from, TKivStringGrid* onto, int row) {
        mime_.setData(QString::fromLatin1(TKivStringGrid::InternalDragFormat), QByteArray());
        TKivStringGrid::SetInternalDragSource(from);
        const QPoint at = onto->CaptionRect(row).center();
        QDragEnterEvent enter(at, Qt::MoveAction, &mime_, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(onto->viewport(), &enter);
        QDragMoveEvent move(at, Qt::MoveAction, &mime_, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(onto->viewport(), &move);
        return move.isAccepted();
    }
    bool OverDropBox() {
        QDragEnterEvent enter(QPoint(3, 3), Qt::MoveAction, &mime_, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(f->Drops().imDropBox, &enter);
        QDragMoveEvent move(QPoint(4, 4), Qt::MoveAction, &mime_, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(f->Drops().imDropBox, &move);
        return move.isAccepted();
    }
    void DropOnDropBox() {
        QDropEvent drop(QPoint(4, 4), Qt::MoveAction, &mime_, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(f->Drops().imDropBox, &drop);
        TKivStringGrid::SetInternalDragSource(nullptr);
        QCoreApplication::processEvents();
    }
    void UseTreeMode() {
        PanelsManager().SetTreeMode(true);
        p1->Nester->Clear();
        p1->Nester->LoadBranch(-1, false);
        p1->RowsChanged(0);
    }

private:
    QMimeData mime_;
};

TEST_F(Drops, TheCollectorTakesTheAddressIntoTheLaunchBinAndTheTextIntoTheTextBin) {
    Open("a");
    QWidget collector;
    QStringList pictures;
    D().RegisterCollector(&collector, [&](const QString& p) { pictures << p; });
    f->Bins().txtTextBin->setPlainText(QStringLiteral("before"));
    const TDropContent drop{{}, "hello", "http://a/", ""};
    EXPECT_NE(D().EnterOn(&collector, drop, kCopy), TDrops::kNoDropEffect);
    EXPECT_FALSE(D().DragImageShown()) << "no drag image over the collector";
    D().DropOn(&collector, drop, QPoint(1, 1));
    EXPECT_EQ(pictures, QStringList({"openswallow", "swallow"}));
    ASSERT_EQ(f->Bins().lbxLaunchBin->count(), 1);
    EXPECT_EQ(TextToStored(f->Bins().lbxLaunchBin->item(0)->text()), "http://a/\x01http://a/");
    EXPECT_EQ(ImageIndex(f->Bins().acShowLaunchBin), 19);
    EXPECT_EQ(f->Bins().txtTextBin->toPlainText(), QStringLiteral("before"))
        << "a drop is one thing: the address, not its text too";
    // Files with the plain-text copy of their addresses that Qt programs send beside them.
    D().DropOn(&collector, {{"/d/x.txt"}, "file:///d/x.txt", "", ""}, QPoint(1, 1));
    ASSERT_EQ(f->Bins().lbxLaunchBin->count(), 2);
    EXPECT_EQ(TextToStored(f->Bins().lbxLaunchBin->item(1)->text()), "/d/x.txt\x01x.txt");
    EXPECT_EQ(f->Bins().txtTextBin->toPlainText(), QStringLiteral("before"));
    // Text alone goes to the text bin.
    D().DropOn(&collector, {{}, "hello", "", ""}, QPoint(1, 1));
    EXPECT_EQ(f->Bins().lbxLaunchBin->count(), 2);
    EXPECT_EQ(TextToStored(f->Bins().txtTextBin->toPlainText()),
              "before\r\n\r\n" + std::string(28, '=') + "\r\nhello");
    // Dragged away again: the plain picture, the drag image back.
    D().EnterOn(&collector, drop, kCopy);
    D().DropComTagLeave(&collector);
    EXPECT_EQ(pictures.last(), QStringLiteral("swallow"));
    EXPECT_TRUE(D().DragImageShown());
}

TEST_F(Drops, TheLaunchBinPanelTakesFilesOrTheAddress) {
    Open("a");
    D().DropOn(f->Bins().pnlLaunchBin, {{"/d/a.txt", "/d/b.txt"}, "", "http://x/", ""},
               QPoint(1, 1));
    ASSERT_EQ(f->Bins().lbxLaunchBin->count(), 2);
    EXPECT_EQ(TextToStored(f->Bins().lbxLaunchBin->item(1)->text()),
              "/d/b.txt\x01"
              "b.txt");
    D().DropOn(f->Bins().pnlLaunchBin, {{}, "only text", "", ""}, QPoint(1, 1));
    EXPECT_EQ(f->Bins().lbxLaunchBin->count(), 2) << "text alone is no entry";
}

TEST_F(Drops, TheGraphicCardTakesOnlyDropsWithPictures) {
    Open("a b");
    TGraphicCard& card = f->GraphicCard();
    card.acShowGraphicCard->Execute();
    ASSERT_FALSE(card.pnlGraphicCard->isHidden());
    for (QWidget* on : {card.pnlGraphicCard, static_cast<QWidget*>(card.sgdGraphicCard)}) {
        EXPECT_EQ(D().EnterOn(on, {{"a.txt"}, "", "", ""}, kCopy), TDrops::kNoDropEffect);
        EXPECT_EQ(D().EnterOn(on, {{}, "text", "http://x/", ""}, kCopy), TDrops::kNoDropEffect);
        EXPECT_EQ(D().EnterOn(on, {{"a.txt", "b.JPG"}, "", "", ""}, kCopy), kCopy);
    }
    const std::string picture = Home() + "b.JPG";
    EXPECT_TRUE(
        D().DropOn(card.pnlGraphicCard, {{Home() + "a.txt", picture}, "", "", ""}, QPoint(1, 1)));
    ASSERT_EQ(card.Manager().ImageCount(), 1) << "only the picture";
    EXPECT_TRUE(card.Manager().GetImageFileName(0).endsWith(QStringLiteral("/b.JPG")))
        << card.Manager().GetImageFileName(0).toStdString();
    EXPECT_TRUE(Messages().isEmpty());
    // A locked topic takes none, and says so.
    card.btnCloseGraphicCardClick();
    p1->Nester->SetLocked(0, true);
    f->ReloadCurrentRow();
    card.acShowGraphicCard->Execute();
    const int before = card.Manager().ImageCount();
    EXPECT_FALSE(D().DropOn(card.sgdGraphicCard, {{Home() + "c.gif"}, "", "", ""}, QPoint(1, 1)))
        << "refused";
    EXPECT_EQ(card.Manager().ImageCount(), before);
    EXPECT_EQ(Messages(), QStringList{"Can't add file or url, topic is locked."});
}

TEST_F(Drops, FilesOnARowBecomeItsLinksOnce) {
    Open("a b");
    D().DropOn(p1, {{"/d/one.txt", "/d/two.pdf"}, "", "", ""}, OnRow(p1, 1));
    EXPECT_EQ(p1->Nester->LaunchList().GetLinks(1),
              "/d/one.txt\x01one.txt\r\n/d/two.pdf\x01two.pdf\r\n");
    EXPECT_TRUE(p1->Nester->LaunchList().GetLinks(0).empty());
    EXPECT_TRUE(Messages().isEmpty());
    D().DropOn(p1, {{"/d/one.txt"}, "", "", ""}, OnRow(p1, 1));
    EXPECT_EQ(p1->Nester->LaunchList().Count(1), 2);
    EXPECT_EQ(Messages(),
              QStringList{"/D/ONE.TXT\r\n\r\nfile/link(s) has already been added to this topic."});
    EXPECT_EQ(Tree(), "a\nb\n");
    // On a locked topic: the links' warning, nothing added.
    p1->Nester->SetLocked(0, true);
    D().DropOn(p1, {{"/d/three.txt"}, "", "", ""}, OnRow(p1, 0));
    EXPECT_TRUE(p1->Nester->LaunchList().GetLinks(0).empty());
    EXPECT_EQ(Messages().last(), QStringLiteral("Can't add file or url, topic is locked."));
}

TEST_F(Drops, AnAddressWithoutTitleIsTitledByItselfOnARow) {
    Open("a b");
    AddTopicAfter(p1);  // row 1, untitled and current
    D().DropOn(p1, {{}, "u", "u", ""}, OnRow(p1, 1));
    EXPECT_EQ(p1->Nester->LaunchList().GetLinks(1), "u\x01u\r\n");
    EXPECT_EQ(p1->Nester->Caption(1), "u")
        << "the first link titles an untitled topic; the text is no caption then";
    // The launch card list takes it for the current topic.
    ClickRow(p1, 0);
    D().DropOn(f->LaunchCard().lvLaunchCard, {{}, "", "http://w/", ""}, QPoint(1, 1));
    EXPECT_EQ(TextToStored(StoredToText(p1->Nester->LaunchList().GetPath(0, 0))), "http://w/");
    EXPECT_EQ(p1->Nester->LaunchList().Count(2), 0);
}

TEST_F(Drops, FilesDraggedFromAnotherProgramOntoARow) {
    Open("a b");
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QStringLiteral("/d/x y.txt")),
                  QUrl::fromLocalFile(QString::fromUtf8("/d/\xC3\xA9t\xC3\xA9.odt"))});
    const QPoint at = p1->CaptionRect(1).center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::LinkAction, &mime, Qt::LeftButton,
                          Qt::NoModifier);
    QCoreApplication::sendEvent(p1->viewport(), &enter);
    QDragMoveEvent move(at, Qt::CopyAction | Qt::LinkAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(p1->viewport(), &move);
    ASSERT_TRUE(move.isAccepted());
    QDropEvent drop(at, Qt::CopyAction | Qt::LinkAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(p1->viewport(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
    EXPECT_EQ(StoredToText(p1->Nester->LaunchList().GetLinks(1)),
              QString::fromUtf8(
                  "/d/x y.txt\x01x y.txt\n/d/\xC3\xA9t\xC3\xA9.odt\x01\xC3\xA9t\xC3\xA9.odt\n"));
}

// Another program's drag onto a panel as Qt hands it to the widget under the pointer: the
// deepest widget there that accepts drops, or its nearest ancestor that does.
class QtDrops : public Drops {
protected:
    QWidget* DropReceiver(TKivStringGrid* g, QPoint viewportPoint) {
        QWidget* w = g->viewport()->childAt(viewportPoint);
        if (!w) w = g->viewport();
        while (w && !w->acceptDrops()) w = w->parentWidget();
        return w;
    }
    // Enter, move and drop at a point of the panel's viewport; the drop's answer.
    QDropEvent* DragOnto(TKivStringGrid* g, QPoint at, QMimeData& mime,
                         Qt::DropActions actions = Qt::CopyAction | Qt::LinkAction) {
        QWidget* w = DropReceiver(g, at);
        const QPoint p = w->mapFrom(g->viewport(), at);
        QDragEnterEvent enter(p, actions, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &enter);
        QDragMoveEvent move(p, actions, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &move);
        drop_ = std::make_unique<QDropEvent>(p, actions, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w, drop_.get());
        return drop_.get();
    }
    std::unique_ptr<QDropEvent> drop_;
};

TEST_F(QtDrops, ADropOnTheRowBeingEditedIsALinkNotCaptionText) {
    Open("Target b");
    ClickRow(p1, 0);
    p1->SetEditing(true);
    ASSERT_TRUE(p1->Editing());
    p1->CaptionEditor->setFocus(Qt::OtherFocusReason);
    const QPoint at = p1->CaptionRect(0).center();
    EXPECT_EQ(DropReceiver(p1, at), p1->viewport()) << "the caption editor takes no drops";
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QStringLiteral("/d/file.txt"))});
    mime.setText(QStringLiteral("INSERTED"));
    EXPECT_TRUE(DragOnto(p1, at, mime)->isAccepted());
    EXPECT_EQ(p1->Nester->LaunchList().GetLinks(0),
              "/d/file.txt\x01"
              "file.txt\r\n");
    EXPECT_EQ(p1->CaptionEditor->Text(), QStringLiteral("Target"));
    EXPECT_EQ(Tree(), "Target\nb\n");
}

TEST_F(QtDrops, ANoteMentioningAnAddressIsNoLink) {
    Open("a b");
    AddTopicAfter(p1);  // row 1, untitled
    QMimeData mime;
    const QString note =
        QStringLiteral("Notes from the meeting\nsee https://kiv.example/minutes\nsecond point");
    mime.setText(note);
    DragOnto(p1, p1->CaptionRect(0).center(), mime);
    EXPECT_TRUE(p1->Nester->LaunchList().GetLinks(0).empty())
        << p1->Nester->LaunchList().GetLinks(0);
    EXPECT_EQ(p1->Nester->Caption(0), "a");
    DragOnto(p1, p1->CaptionRect(1).center(), mime);
    EXPECT_TRUE(p1->Nester->LaunchList().GetLinks(1).empty());
    EXPECT_EQ(p1->Nester->Caption(1), TextToStored(note)) << "the note titles an untitled topic";
    EXPECT_NE(p1->Nester->Caption(1).find("\r\n"), std::string::npos);
    // One address alone, with the line break some programs add, is a link.
    mime.setText(QStringLiteral("https://kiv.example/one\n"));
    DragOnto(p1, p1->CaptionRect(0).center(), mime);
    EXPECT_EQ(p1->Nester->LaunchList().GetLinks(0),
              "https://kiv.example/one\x01https://kiv.example/one\r\n");
}

TEST_F(QtDrops, AFileNameThatIsNoUtf8IsStoredWithItsOwnBytes) {
    Open("a b");
    QMimeData mime;
    mime.setData(QStringLiteral("text/uri-list"), QByteArray("file:///d/caf%E9.txt\r\n"));
    DragOnto(p1, p1->CaptionRect(1).center(), mime);
    EXPECT_EQ(p1->Nester->LaunchList().GetLinks(1),
              "/d/caf\xE9.txt\x01"
              "caf\xE9.txt\r\n");
}

TEST_F(Drops, FiveHundredFilesMakeFiveHundredLinksInOneStep) {
    Open("a");
    TDropContent drop;
    for (int i = 0; i < 500; ++i) drop.Files.push_back("/many/file" + std::to_string(i) + ".txt");
    D().DropOn(p1, drop, OnRow(p1, 0));
    EXPECT_EQ(p1->Nester->LaunchList().Count(0), 500);
    EXPECT_EQ(p1->Nester->LaunchList().GetPath(0, 499), "/many/file499.txt");
    EXPECT_TRUE(Messages().isEmpty());
    f->FlushCurrentRow();
    EXPECT_NE(DumpTree(PanelsManager().NestFile, PanelsManager().CardFile, true)
                  .find("@ /many/file499.txt"),
              std::string::npos);
}

TEST_F(Drops, TextBecomesTheCaptionOfAnUntitledTopicOnly) {
    Open("a b");
    AddTopicAfter(p1);  // row 1, untitled
    ASSERT_EQ(p1->Nester->Caption(1), "");
    D().DropOn(p1, {{}, "dropped\nline", "", ""}, OnRow(p1, 1));
    EXPECT_EQ(p1->Nester->Caption(1), "dropped\r\nline");
    D().DropOn(p1, {{}, "other", "", ""}, OnRow(p1, 0));
    EXPECT_EQ(p1->Nester->Caption(0), "a") << "a captioned topic keeps its caption";
    EXPECT_EQ(Tree(), "a\ndropped\r\nline\nb\n");
    EXPECT_TRUE(p1->Nester->LaunchList().GetLinks(0).empty()) << "text adds no link";
    EXPECT_TRUE(Messages().isEmpty());
    // A locked untitled topic says why it takes nothing.
    AddTopicAfter(p1);
    p1->Nester->SetLocked(2, true);
    D().DropOn(p1, {{}, "x", "", ""}, OnRow(p1, 2));
    EXPECT_EQ(p1->Nester->Caption(2), "");
    EXPECT_EQ(Messages(), QStringList{"Can't add file or url, topic is locked."});
}

TEST_F(Drops, TheTextBinCommandShowsAndHidesItsPanel) {
    Open("a");
    ASSERT_TRUE(f->Bins().pnlTextBin->isHidden());
    EXPECT_TRUE(f->Bins().acShowTextBin->shortcut().isEmpty())
        << "Ctrl+Shift+T is Make New Template's";
    EXPECT_TRUE(K().View1->actions().contains(f->Bins().acShowTextBin))
        << "shown in the View menu, without a key";
    f->Bins().acShowTextBin->Execute();
    EXPECT_FALSE(f->Bins().pnlTextBin->isHidden());
    EXPECT_TRUE(f->Bins().acShowTextBin->Checked());
    f->Bins().acShowTextBin->Execute();
    EXPECT_TRUE(f->Bins().pnlTextBin->isHidden());
    EXPECT_FALSE(f->Bins().acShowTextBin->Checked());
}

TEST_F(Drops, CtrlShiftTRunsMakeNewTemplateOnly) {
    Open("a b");
    QStringList holders;
    for (QAction* a : f->findChildren<QAction*>())
        if (a->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T)))
            holders << a->objectName();
    EXPECT_EQ(holders, QStringList{"acDoAsTemplate"});
    const int templates = f->Bins().lbxTemplate->count();
    f->activateWindow();
    p1->setFocus();
    QTest::keyClick(p1, Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(f->Bins().lbxTemplate->count(), templates + 1)
        << "the current topic became a template";
    EXPECT_TRUE(f->Bins().pnlTextBin->isHidden()) << "the Text Bin stayed shut";
}

TEST_F(Drops, ALockedDatastructureTakesNothingIntoItsBins) {
    Open("a b");
    QWidget collector;
    D().RegisterCollector(&collector, [](const QString&) {});
    f->Bins().txtTextBin->setPlainText(QStringLiteral("kept"));
    f->Bins().AddToClipCard(p1);
    const int clips = f->Bins().lbxClipCard->count();
    f->FileCommands().SetPasswordLock(true);
    const TDropContent link{{}, "", "http://a/", "A"}, text{{}, "words", "", ""};
    EXPECT_EQ(D().EnterOn(&collector, link, kCopy), TDrops::kNoDropEffect);
    EXPECT_FALSE(D().DropOn(&collector, link, QPoint(1, 1)));
    EXPECT_FALSE(D().DropOn(&collector, text, QPoint(1, 1)));
    EXPECT_FALSE(D().DropOn(f->Bins().pnlLaunchBin, {{"/d/x.txt"}, "", "", ""}, QPoint(1, 1)));
    EXPECT_FALSE(D().DropOn(p1, {{"/d/x.txt"}, "", "", ""}, OnRow(p1, 1)));
    AddTopicAfter(p1);
    f->Bins().AddToClipCard(p1);
    EXPECT_EQ(f->Bins().lbxLaunchBin->count(), 0);
    EXPECT_EQ(f->Bins().txtTextBin->toPlainText(), QStringLiteral("kept"));
    EXPECT_EQ(f->Bins().lbxClipCard->count(), clips);
    EXPECT_TRUE(p1->Nester->LaunchList().GetLinks(1).empty());
    // The password given, drops come in again.
    f->FileCommands().SetPasswordLock(false);
    EXPECT_TRUE(D().DropOn(&collector, link, QPoint(1, 1)));
    EXPECT_EQ(f->Bins().lbxLaunchBin->count(), 1);
}

TEST_F(Drops, TheClipCardListsEachTopicOnce) {
    const std::string forty(40, 'x');
    Open("a " + forty + " c");
    ClickRow(p1, 0);
    QTest::mouseClick(p1->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      p1->CaptionRect(1).center());
    f->Bins().AddToClipCard(p1);
    f->Bins().AddToClipCard(p1);
    ASSERT_EQ(f->Bins().ClipCardBin.Count(), 2);
    ASSERT_EQ(f->Bins().lbxClipCard->count(), 2);
    EXPECT_EQ(f->Bins().lbxClipCard->item(0)->text(), QStringLiteral("a"));
    EXPECT_EQ(f->Bins().lbxClipCard->item(1)->text(),
              QString::fromStdString(std::string(35, 'x') + "..."));
    const TRecycledRecord first = f->Bins().ClipCardBin.GetItem(0);
    EXPECT_EQ(first, (TRecycledRecord{p1->Nester->ParentNest(0), p1->Nester->CardDir(0),
                                      uint32_t(p1->Nester->ChildNest(0))}));
    // A topic with neither cards nor children yet is nothing to collect; one with children
    // and no cards is.
    ClickRow(p1, 2);
    AddTopicAfter(p1);  // row 3
    ASSERT_EQ(p1->Nester->CardDir(3), 0u);
    f->Bins().AddToClipCard(p1);
    EXPECT_EQ(f->Bins().ClipCardBin.Count(), 2);
    p2->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(p2, Qt::Key_Right);  // its first child
    ASSERT_GT(p1->Nester->ChildNest(3), 0);
    ASSERT_EQ(p1->Nester->CardDir(3), 0u);
    p1->SelectRow(3);
    f->Bins().AddToClipCard(p1);
    ASSERT_EQ(f->Bins().ClipCardBin.Count(), 3);
    EXPECT_EQ(f->Bins().ClipCardBin.GetItem(2).CardDir, 0u);
    EXPECT_EQ(f->Bins().lbxClipCard->item(2)->text(), QStringLiteral("[untitled]"));
}

// ---- the drop box ----

TEST_F(Drops, TheDropBoxPutsTheTopicUnderTheRow) {
    Open("a b c(c1)");
    ClickRow(p1, 1);
    ASSERT_TRUE(OverPanel(p1, p1, 0));
    ASSERT_EQ(f->Drops().imDropBoxTag, 1);
    ASSERT_TRUE(OverDropBox());
    EXPECT_EQ(f->Drops().imDropBoxTag, 0);
    EXPECT_EQ(f->Drops().imDropBox->pixmap().toImage(), f->Drops().imlAppend[0].toImage());
    EXPECT_EQ(K().StatusBar->currentMessage(),
              QStringLiteral("Transfer items(s) to underlying branch"));
    DropOnDropBox();
    EXPECT_EQ(Tree(), "a\n  b\nc\n  c1\n") << "a topic without children gets a new branch";
    EXPECT_TRUE(Messages().isEmpty()) << Messages().join("|").toStdString();
    // Onto a topic with children: after them.
    ClickRow(p1, 0);
    ASSERT_TRUE(OverPanel(p1, p1, 1));
    ASSERT_TRUE(OverDropBox());
    DropOnDropBox();
    EXPECT_EQ(Tree(), "c\n  c1\n  a\n    b\n");
    EXPECT_EQ(p1->Nester->RowCount(), 1);
    EXPECT_TRUE(f->Drops().pnlDropBox->isHidden());
}

TEST_F(Drops, FromAPanelBeforeTheTargetOnlyTheMarkedTopicsGo) {
    Open("a(a1 a2) b c");
    ClickRow(p1, 0);  // panel 2 shows a1 a2
    QTest::mouseClick(p1->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      p1->CaptionRect(2).center());  // mark c
    ASSERT_TRUE(OverPanel(p1, p2, 1));
    ASSERT_TRUE(OverDropBox());
    DropOnDropBox();
    EXPECT_TRUE(Messages().isEmpty()) << "the current topic a, the ancestor of a2, stays out: "
                                      << Messages().join("|").toStdString();
    EXPECT_EQ(Tree(), "a\n  a1\n  a2\n    c\nb\n");
}

TEST_F(Drops, InTreeModeAnExpandedRowShowsTheNewChildrenAfterItsOwn) {
    Open("a(a1(a11)) b");
    UseTreeMode();
    p1->ExpandRow(0);
    p1->ExpandRow(1);
    ASSERT_EQ(p1->Nester->RowCount(), 4);  // a a1 a11 b
    p1->SelectRow(3);
    ASSERT_TRUE(OverPanel(p1, p1, 0));
    ASSERT_TRUE(OverDropBox());
    DropOnDropBox();
    EXPECT_EQ(Tree(), "a\n  a1\n    a11\n  b\n");
    ASSERT_EQ(p1->Nester->RowCount(), 4);
    EXPECT_EQ(p1->Nester->Caption(3), "b");
    EXPECT_EQ(p1->Nester->Level(3), 1) << "shown inline under a, after a1's sub-tree";
}

TEST_F(Drops, AHoistedTopicThatGetsItsFirstChildrenStaysHoistedWithThem) {
    Open("a c(c1)");
    ClickRow(p1, 1);
    QTest::mouseClick(p1->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      p1->CaptionRect(0).center());  // mark a
    f->Hoist().acHoistExecute();
    ASSERT_TRUE(p1->IsHoistedTopRow(0));
    ASSERT_EQ(p1->Nester->Caption(0), "a");
    // c current: panel 2 shows c1; from there (after the target) the current topic goes.
    ClickRow(p1, 1);
    ASSERT_EQ(p2->Nester->RowCount(), 1);
    ClickRow(p2, 0);
    ASSERT_TRUE(OverPanel(p2, p1, 0));
    ASSERT_TRUE(OverDropBox());
    DropOnDropBox();
    EXPECT_TRUE(Messages().isEmpty()) << Messages().join("|").toStdString();
    ASSERT_GT(p1->Nester->ChildNest(0), 0);
    const TNodeArray hoisted = Form1->Open().Navigator->GetHoistedNodes();
    ASSERT_FALSE(hoisted.empty());
    EXPECT_EQ(hoisted[0].ChildNest, uint32_t(p1->Nester->ChildNest(0)))
        << "the hoisted node follows its topic";
    EXPECT_EQ(Tree(), "a\n  c1\nc\n");
}

TEST_F(Drops, NoTopicGoesIntoItsOwnBranchAndTheFileStaysAsItWas) {
    Open("a(a1(a2)) b");
    UseTreeMode();
    p1->ExpandRow(0);
    p1->ExpandRow(1);
    p1->SelectRow(0);
    const std::string before = OutlineBytes();
    ASSERT_TRUE(OverPanel(p1, p1, 2));  // a2, inside a
    ASSERT_TRUE(OverDropBox());
    DropOnDropBox();
    EXPECT_EQ(Messages(),
              QStringList{"It is not possible to move a topic or clone to its own branch."});
    EXPECT_EQ(OutlineBytes(), before);
    EXPECT_EQ(Tree(), "a\n  a1\n    a2\nb\n");
}

TEST_F(Drops, ATopicStandingForAnotherDatastructureTakesNoTopics) {
    Open("a b");
    ClickRow(p1, 1);
    ASSERT_TRUE(OverPanel(p1, p1, 0));
    p1->Nester->SetChildNest(0, -1);  // a stands for an external datastructure
    const std::string before = OutlineBytes();
    EXPECT_FALSE(OverDropBox()) << "refused while dragging";
    EXPECT_TRUE(K().StatusBar->currentMessage().isEmpty());
    DropOnDropBox();
    EXPECT_EQ(OutlineBytes(), before);
    EXPECT_EQ(p1->Nester->RowCount(), 2);
    EXPECT_TRUE(Messages().isEmpty());
}

}  // namespace
}  // namespace kiv::wintest
