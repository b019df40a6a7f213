// The text card's format bar and commands: swatches, topic styles and colours from a panel,
// loading plain and rich cards, the size box, date and time, indents, the locked warning,
// Save As, the edit commands and their keys, and formatting that survives a restart.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QLineEdit>
#include <QMenu>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolButton>

#include "components/FontCombos.h"
#include "components/SortGrid.h"
#include "dialogs/DefaultDateTimeWindow.h"
#include "dialogs/SymbolWindow.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/textcard/TextCard.h"
#include "platform/qt/RtfDocument.h"
#include "tests/mainwindow/WindowFixture.h"

namespace kiv::wintest {
namespace {

std::string Bytes(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes) s += char(b);
    return s;
}

class TextFormat : public PanelsWindow {
protected:
    TKivStringGrid* g = nullptr;
    TTextCard* t = nullptr;
    QTextEdit* e = nullptr;

    void Restart() override {
        PanelsWindow::Restart();
        g = p1;
        t = &f->TextCard();
        e = t->txtSimpleText;
    }
    void Focus(QWidget* w) {
        w->setFocus(Qt::OtherFocusReason);
        QCoreApplication::processEvents();
        ASSERT_TRUE(w->hasFocus()) << w->objectName().toStdString();
    }
    std::string CaptionCard(int row) {
        std::string card;
        g->Nester->Cards().ReadRowCard(kCardCaption, row, card);
        return card;
    }
    std::string TextCardOf(int row) {
        std::string card;
        g->Nester->Cards().ReadRowCard(kCardText, row, card);
        return card;
    }
    QTextCharFormat FormatAt(int pos) {
        QTextCursor c(e->document());
        c.setPosition(pos);
        return c.charFormat();  // the format of the character before pos
    }
    void Select(int from, int to) {
        QTextCursor c = e->textCursor();
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
        e->setTextCursor(c);
    }
    QAction* Swatch(const char* name) {
        for (QAction* a : t->pmColor->actions())
            if (a->text() == QLatin1String(name)) return a;
        ADD_FAILURE() << name;
        return nullptr;
    }
    void Lock(int row) {
        g->Nester->SetLocked(row, true);
        EXPECT_TRUE(g->Nester->SetCaption(row, g->Nester->Caption(row)));
    }
};

TEST_F(TextFormat, TheColourMenuHasTheSixteenSwatchesInOrder) {
    Open("a");
    const std::pair<const char*, TColor> expected[16] = {
        {"Black", 0x000000},  {"Maroon", 0x000080},  {"Green", 0x008000}, {"Olive", 0x008080},
        {"Navy", 0x800000},   {"Purple", 0x800080},  {"Teal", 0x808000},  {"Gray", 0x808080},
        {"Silver", 0xC0C0C0}, {"Red", 0x0000FF},     {"Lime", 0x00FF00},  {"Yellow", 0x00FFFF},
        {"Blue", 0xFF0000},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0xFFFF00},  {"White", 0xFFFFFF},
    };
    const QList<QAction*> items = t->pmColor->actions();
    ASSERT_EQ(items.size(), 16);
    ASSERT_EQ(t->imlColor.size(), 16);
    const QRgb face = toQColor(clBtnFace).rgb(), black = qRgb(0, 0, 0);
    for (int i = 0; i < 16; ++i) {
        SCOPED_TRACE(expected[i].first);
        EXPECT_EQ(items[i]->text(), QString::fromLatin1(expected[i].first));
        EXPECT_EQ(items[i]->data().toInt(), i);
        EXPECT_EQ(kColorTable[i].Color, expected[i].second);
        const QImage img = t->imlColor[i].toImage();
        ASSERT_EQ(img.size(), QSize(50, 16));
        EXPECT_EQ(img.pixel(0, 0), face);
        EXPECT_EQ(img.pixel(12, 8), face);
        EXPECT_EQ(img.pixel(13, 2), black);
        EXPECT_EQ(img.pixel(45, 13), black);
        EXPECT_EQ(img.pixel(46, 14), face);
        EXPECT_EQ(img.pixel(29, 8), toQColor(expected[i].second).rgb());
    }
}

TEST_F(TextFormat, ColoursFromAPanelAreStoredInTheCaptionCard) {
    Open("abc def ghi");
    g->Nester->SetMarked(2, true);
    Focus(g);
    Swatch("Red")->trigger();
    EXPECT_EQ(CaptionCard(0), Bytes({0xFF, 0, 0, 0, 0, 1, 'a', 'b', 'c'}));
    EXPECT_EQ(CaptionCard(1), "def") << "neither current nor marked";
    EXPECT_EQ(CaptionCard(2), Bytes({0xFF, 0, 0, 0, 0, 1, 'g', 'h', 'i'}));
    EXPECT_EQ(g->CaptionEditor->FontColor(), clRed);
    // The scheme's font colour is stored as no colour of the topic's own.
    Swatch("Black")->trigger();
    EXPECT_EQ(CaptionCard(0), "abc");
    EXPECT_EQ(g->Nester->FontColor(0), kDefaultFontColor);
    ColorScheme.FontColor = clNavy;
    Swatch("Navy")->trigger();
    EXPECT_EQ(CaptionCard(0), "abc");
    Swatch("Black")->trigger();
    EXPECT_EQ(CaptionCard(0), Bytes({0, 0, 0, 0, 0, 1, 'a', 'b', 'c'}));
    // The menu checks the current topic's colour.
    emit t->pmColor->aboutToShow();
    EXPECT_TRUE(Swatch("Black")->isChecked());
    EXPECT_FALSE(Swatch("Navy")->isChecked());
}

TEST_F(TextFormat, BoldFromAPanelStylesTheMarkedAndCurrentTopicsButNotLockedOnes) {
    Open("a b c d e f");
    TNester& m = *g->Nester;
    for (int r : {1, 2, 3, 4}) m.SetMarked(r, true);
    Lock(4);
    Focus(g);
    t->acBold->Execute();
    EXPECT_TRUE(t->acBold->Checked());
    for (int r : {0, 1, 2, 3}) {
        EXPECT_EQ(m.GetFontStyle(r), kFlagBold) << r;
        EXPECT_EQ(CaptionCard(r), Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x01}) + m.Caption(r)) << r;
    }
    EXPECT_EQ(m.GetFontStyle(4), 0) << "locked";
    EXPECT_EQ(CaptionCard(4), Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x40, 0x01, 'e'}));
    EXPECT_EQ(CaptionCard(5), "f");
    EXPECT_TRUE(g->CaptionEditor->font().bold());
    // Italic adds its bit; bold again takes its own away and leaves italic.
    t->acItalic->Execute();
    t->acBold->Execute();
    EXPECT_EQ(CaptionCard(1), Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x01, 'b'}));
    // Strike-out through its button.
    t->btnStrike->click();
    EXPECT_EQ(m.GetFontStyle(0), kFlagItalic | kFlagStrikeOut);
}

TEST_F(TextFormat, BoldInTheTextCardChangesOnlyTheSelectedText) {
    Open("a b");
    Focus(e);
    e->setPlainText(QStringLiteral("one two"));
    Select(4, 7);
    t->acBold->Execute();
    EXPECT_EQ(FormatAt(6).fontWeight(), QFont::Bold);
    EXPECT_NE(FormatAt(2).fontWeight(), QFont::Bold);
    EXPECT_EQ(g->Nester->GetFontStyle(0), 0);
    EXPECT_EQ(CaptionCard(0), "a");
    // The controls follow the selection.
    Select(0, 1);
    EXPECT_FALSE(t->acBold->Checked());
    Select(5, 6);
    EXPECT_TRUE(t->acBold->Checked());
}

TEST_F(TextFormat, APlainCardLoadsInTheDefaultFontUnmodified) {
    Open("a b");
    ASSERT_TRUE(g->Nester->Cards().WriteRowCard(kCardText, 1, Bytes({0x01, 'H', 'i'})));
    ClickRow(g, 1);
    EXPECT_EQ(e->toPlainText(), QStringLiteral("Hi"));
    EXPECT_FALSE(e->document()->isModified());
    EXPECT_EQ(StoredFontName(FormatAt(1)), QStringLiteral("Arial"));
    EXPECT_EQ(FormatAt(1).fontPointSize(), 12);
    ClickRow(g, 0);
    EXPECT_EQ(TextCardOf(1), Bytes({0x01, 'H', 'i'})) << "an unmodified card is not written";
}

TEST_F(TextFormat, TheSizeBoxShowsTheNearestSizeAndTheTextKeepsItsOwn) {
    ASSERT_TRUE(IsScalableFont(QStringLiteral("Arial")));
    Open("a b");
    ASSERT_TRUE(g->Nester->Cards().WriteRowCard(
        kCardText, 0,
        "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs26 thirteen \\fs200 huge\\par}"));
    f->ReloadCurrentRow();
    Focus(e);
    Select(2, 2);
    QStringList sizes;
    for (int i = 0; i < t->cbFontSize->count(); ++i) sizes << t->cbFontSize->itemText(i);
    EXPECT_EQ(sizes.join(QLatin1Char(' ')),
              QStringLiteral("8 9 10 11 12 14 16 18 20 22 24 26 28 36 48 72"));
    EXPECT_EQ(t->cbFontSize->currentText(), QStringLiteral("14"));
    EXPECT_EQ(FormatAt(2).fontPointSize(), 13);
    Select(12, 12);
    EXPECT_EQ(t->cbFontSize->currentText(), QStringLiteral("72"));
    EXPECT_EQ(FormatAt(12).fontPointSize(), 100);
    EXPECT_FALSE(e->document()->isModified());
}

TEST_F(TextFormat, TheSizeAndNameBoxesSetTheTargetsSelection) {
    Open("a");
    Focus(e);
    e->setPlainText(QStringLiteral("word"));
    Select(0, 4);
    Focus(t->cbFontSize);
    EXPECT_EQ(t->FontComboTarget, e) << "the editor left last";
    t->cbFontSize->setCurrentIndex(t->cbFontSize->findText(QStringLiteral("20")));
    emit t->cbFontSize->activated(t->cbFontSize->currentIndex());
    EXPECT_EQ(FormatAt(2).fontPointSize(), 20);
    EXPECT_TRUE(e->hasFocus()) << "the focus goes back to the editor";
    Focus(t->cbFontName);
    t->cbFontName->SetFontName(QStringLiteral("DejaVu Sans"));
    t->cbFontName->OnChange(t->cbFontName);
    EXPECT_EQ(StoredFontName(FormatAt(2)), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(FormatAt(2).fontPointSize(), 20) << "the size stays";
    EXPECT_TRUE(e->hasFocus());
    // Without an editor left last the boxes act on nothing.
    t->FontComboTarget = nullptr;
    t->cbFontName->SetFontName(QStringLiteral("Arial"));
    t->cbFontName->OnChange(t->cbFontName);
    EXPECT_EQ(StoredFontName(FormatAt(2)), QStringLiteral("DejaVu Sans"));
}

TEST_F(TextFormat, EveryDateTimeChoice) {
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QDateTime morning(QDate(2026, 3, 7), QTime(9, 5));
    const std::pair<int, const char*> cases[] = {
        {2, "9:05"},
        {3, "9:05 AM"},
        {4, "-"},
        {5, "7 Mar 26"},
        {6, "3/7/26"},
        {7, "3/7/26 9:05 AM"},
        {8, "-"},
        {9, "Saturday, March 7"},
        {10, "Saturday March 7, 2026"},
        {11, "Saturday March 7, 2026 9:05 AM"},
        {12, "Saturday March 7, 2026 9:05"},
        {0, ""},
        {1, ""},
        {13, ""},
    };
    for (const auto& [n, text] : cases)
        EXPECT_EQ(FormatDateTimeChoice(n, morning, english), QString::fromLatin1(text)) << n;
    const std::tuple<QTime, const char*, const char*> clock[] = {
        {QTime(21, 5), "21:05", "9:05 PM"},
        {QTime(0, 30), "0:30", "12:30 AM"},
        {QTime(12, 0), "12:00", "12:00 PM"},
    };
    for (const auto& [time, h24, h12] : clock) {
        const QDateTime at(QDate(2026, 12, 25), time);
        EXPECT_EQ(FormatDateTimeChoice(2, at, english), QString::fromLatin1(h24));
        EXPECT_EQ(FormatDateTimeChoice(3, at, english), QString::fromLatin1(h12));
    }
    EXPECT_EQ(FormatDateTimeChoice(5, QDateTime(QDate(2009, 1, 31), QTime(8, 0)), english),
              QStringLiteral("31 Jan 09"));
}

TEST_F(TextFormat, TheDateTimeMenuInsertsIntoTheFocusedEditor) {
    Open("a b");
    t->Clock = [] { return QDateTime(QDate(2026, 3, 7), QTime(9, 5)); };
    t->Locale = QLocale(QLocale::English, QLocale::UnitedStates);
    f->WindowSettings().SetDefaultDateTimeCode(5);
    Focus(e);
    for (int open = 0; open < 2; ++open) {
        emit t->InsertDateTime1->aboutToShow();
        const QList<QAction*> items = t->InsertDateTime1->actions();
        ASSERT_EQ(items.size(), 13);
        EXPECT_EQ(items[0], t->SetDefault1);
        EXPECT_TRUE(items[1]->isSeparator());
        for (int i : {4, 8}) {
            EXPECT_TRUE(items[i]->isSeparator()) << i;
            EXPECT_EQ(items[i]->text(), QString())
                << "a separator's text would be drawn as an item";
        }
        for (QAction* a : items) EXPECT_NE(a->text(), QStringLiteral("-"));
        EXPECT_EQ(items[5]->text(), QStringLiteral("7 Mar 26\tCtrl+Shift+D"));
        EXPECT_EQ(items[6]->text(), QStringLiteral("3/7/26"));
        EXPECT_EQ(items[12]->text(), QStringLiteral("Saturday March 7, 2026 9:05"));
    }
    t->InsertDateTime1->actions()[9]->trigger();
    EXPECT_EQ(e->toPlainText(), QStringLiteral("Saturday, March 7"));
    e->moveCursor(QTextCursor::End);
    QTest::keyClick(e, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(e->toPlainText(), QStringLiteral("Saturday, March 77 Mar 26"))
        << "once per key press";
    // Into a caption editor as well.
    g->SetEditing(true);
    Focus(g->CaptionEditor);
    g->CaptionEditor->SetSelStart(10000);
    t->acInsertTime->Execute();
    EXPECT_EQ(g->CaptionEditor->Text(), QStringLiteral("a7 Mar 26"));
}

TEST_F(TextFormat, FirstLineIndentStepsByTwentyAndNotBelowZero) {
    Open("a");
    Focus(e);
    e->setPlainText(QStringLiteral("para"));
    auto indent = [&] { return e->textCursor().blockFormat().textIndent(); };
    ASSERT_TRUE(t->btnIndentIn->isEnabled());
    const std::pair<QToolButton*, qreal> steps[] = {{t->btnIndentIn, 20},
                                                    {t->btnIndentIn, 40},
                                                    {t->btnIndentDe, 20},
                                                    {t->btnIndentDe, 0},
                                                    {t->btnIndentDe, 0}};
    for (const auto& [button, after] : steps) {
        button->click();
        EXPECT_EQ(indent(), after);
    }
    QTextBlockFormat ten;
    ten.setTextIndent(10);
    e->textCursor().mergeBlockFormat(ten);
    t->btnIndentDe->click();
    EXPECT_EQ(indent(), 10) << "less than 20 is kept";
    t->btnIndentIn->click();
    EXPECT_EQ(indent(), 30);
}

TEST_F(TextFormat, TypingIntoALockedTopicWarnsAndChangesNothing) {
    Open("a b");
    ASSERT_TRUE(g->Nester->Cards().WriteRowCard(kCardText, 1, "Hi"));
    Lock(1);
    ClickRow(g, 1);
    Focus(e);
    EXPECT_TRUE(e->isReadOnly());
    QTest::keyClicks(e, QStringLiteral("x"));
    ASSERT_EQ(Dialogs().MessageTexts(),
              QStringList{QStringLiteral("Can't edit text card, topic is locked.")});
    EXPECT_EQ(Dialogs().Messages[0].Type, MsgType::Warning);
    // A held key warns once; command keys do not warn.
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Y, Qt::NoModifier, QStringLiteral("y"), true);
    QApplication::sendEvent(e, &repeat);
    QTest::keyClick(e, Qt::Key_Right);
    EXPECT_EQ(Dialogs().Messages.size(), 1u);
    EXPECT_FALSE(t->acBold->isEnabled());
    EXPECT_FALSE(t->btnCenterAlign->isEnabled());
    EXPECT_EQ(e->toPlainText(), QStringLiteral("Hi"));
    EXPECT_FALSE(e->document()->isModified());
    // A free topic's card is writable again.
    ClickRow(g, 0);
    Focus(e);
    EXPECT_FALSE(e->isReadOnly());
    EXPECT_TRUE(t->btnCenterAlign->isEnabled());
}

TEST_F(TextFormat, EachEditorKeepsItsOwnTopicsLock) {
    Open("a b");
    Lock(0);
    f->ReloadCurrentRow();
    QTextEdit* pin = t->txtPinText;
    t->pnlTextLeft->show();
    // The pinned topic is free: its card opens, the locked current topic's do not.
    Focus(pin);
    EXPECT_FALSE(pin->isReadOnly());
    EXPECT_TRUE(e->isReadOnly());
    EXPECT_TRUE(g->CaptionEditor->isReadOnly());
    QTest::keyClicks(pin, QStringLiteral("ok"));
    EXPECT_EQ(pin->toPlainText(), QStringLiteral("ok"));
    EXPECT_TRUE(Dialogs().Messages.empty());
    // A locked pinned topic warns as the text card does.
    t->PinnedTopicLocked = true;
    Focus(g);
    Focus(pin);
    EXPECT_TRUE(pin->isReadOnly());
    QTest::keyClicks(pin, QStringLiteral("x"));
    EXPECT_EQ(Dialogs().MessageTexts(),
              QStringList{QStringLiteral("Can't edit text card, topic is locked.")});
    EXPECT_EQ(pin->toPlainText(), QStringLiteral("ok"));
}

TEST_F(TextFormat, SaveAsWritesTxtOrRtfAndRefusesOtherNames) {
    Open("a");
    Focus(e);
    QTest::keyClicks(e, QStringLiteral("saved text"));
    const QString doc = QString::fromStdString(Home()) + QStringLiteral("x.doc");
    WriteFileAtomic(doc.toStdString(), "keep");
    Dialogs().AnswerSave(doc);
    t->acSaveAsEdit->Execute();
    EXPECT_EQ(ReadWholeFile(doc.toStdString()), "keep");
    EXPECT_FALSE(QFile::exists(doc + QStringLiteral(".txt")));
    ASSERT_EQ(Dialogs().Messages.size(), 1u);
    EXPECT_TRUE(Dialogs().Messages[0].Text.startsWith(QStringLiteral("Can't save ") + doc))
        << Dialogs().Messages[0].Text.toStdString();
    EXPECT_TRUE(Dialogs().SaveRequests[0].FileName.isEmpty());

    Dialogs().AnswerSave(QString::fromStdString(Home()) + QStringLiteral("notes"));
    t->acSaveAsEdit->Execute();
    EXPECT_EQ(ReadWholeFile(Home() + "notes.txt"), "saved text\n");
    Dialogs().AnswerSave(QString::fromStdString(Home()) + QStringLiteral("notes.rtf"));
    t->acSaveAsEdit->Execute();
    EXPECT_NE(ReadWholeFile(Home() + "notes.rtf").find("saved text"), std::string::npos);
    Dialogs().CancelSave();
    t->acSaveAsEdit->Execute();
    EXPECT_EQ(Dialogs().Messages.size(), 1u);
    // Only a rich-text editor saves.
    Focus(g);
    t->acSaveAsEdit->Update();
    EXPECT_FALSE(t->acSaveAsEdit->isEnabled());
}

TEST_F(TextFormat, EditKeysRunOncePerKeyPressWithOneLevelOfUndo) {
    Open("a");
    Focus(e);
    QTest::keyClicks(e, QStringLiteral("abc"));
    QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(e->textCursor().selectedText(), QStringLiteral("abc"));
    QTest::keyClick(e, Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(FormatAt(2).fontWeight(), QFont::Bold) << "bold toggled once";
    QTest::keyClick(e, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("abc"));
    e->moveCursor(QTextCursor::End);
    QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(e->toPlainText(), QStringLiteral("abcabc"));
    QTest::keyClick(e, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(e->toPlainText(), QStringLiteral("abc"));
    t->acUndo->Update();
    EXPECT_FALSE(t->acUndo->isEnabled()) << "one level";
    QTest::keyClick(e, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(e->toPlainText(), QStringLiteral("abc"));
    // Ctrl+B from the panel styles the topic, once.
    Focus(g);
    QTest::keyClick(g, Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(g->Nester->GetFontStyle(0), kFlagBold);
}

TEST_F(TextFormat, EditCommandsAreEnabledByWhatHasTheFocus) {
    Open("a");
    Focus(e);
    e->setPlainText(QStringLiteral("text"));
    auto enabled = [](KivAction* a) {
        a->Update();
        return a->isEnabled();
    };
    EXPECT_FALSE(enabled(t->acCopy));
    EXPECT_FALSE(enabled(t->acDelete));
    EXPECT_TRUE(t->acDelete->shortcut().isEmpty()) << "Del stays the editor's own";
    EXPECT_TRUE(enabled(t->acPaste));
    EXPECT_TRUE(enabled(t->acSelectAll));
    Select(0, 2);
    EXPECT_TRUE(enabled(t->acCopy));
    EXPECT_TRUE(enabled(t->acCut));
    EXPECT_TRUE(enabled(t->acDelete));
    EXPECT_EQ(t->acDelete->shortcut(), QKeySequence(Qt::Key_Delete));
    QTest::keyClick(e, Qt::Key_Delete);
    EXPECT_EQ(e->toPlainText(), QStringLiteral("xt"));

    // A panel: the topic commands, when there are any, and not while a caption is edited.
    Focus(g);
    const auto topicCommands = t->TopicEditCommand;
    t->TopicEditCommand = nullptr;  // as a window without the topic commands
    EXPECT_FALSE(enabled(t->acCopy));
    std::vector<KivAction*> handed;
    t->TopicEditCommand = [&](KivAction* a) { handed.push_back(a); };
    EXPECT_TRUE(enabled(t->acCopy));
    EXPECT_FALSE(enabled(t->acUndo));
    t->acCopy->Execute();
    EXPECT_EQ(handed, std::vector<KivAction*>{t->acCopy});
    f->Panels().EditMode->SetChecked(true);
    EXPECT_FALSE(enabled(t->acPaste));
    f->Panels().EditMode->SetChecked(false);
    t->TopicEditCommand = topicCommands;

    // A combo box: Delete without a selection takes the character after the caret.
    auto* combo = t->cbFontSize;
    Focus(e);  // the format controls are on while an editor of a free topic was entered last
    Focus(combo);
    combo->lineEdit()->setText(QStringLiteral("123"));
    combo->lineEdit()->setCursorPosition(1);
    EXPECT_TRUE(enabled(t->acDelete));
    t->acDelete->Execute();
    EXPECT_EQ(combo->lineEdit()->text(), QStringLiteral("13"));
}

TEST_F(TextFormat, TheDefaultDateTimeWindowListsEveryStyleAndSetsTheDefault) {
    Open("a b");
    t->Clock = [] { return QDateTime(QDate(2026, 3, 7), QTime(14, 5)); };
    t->Locale = QLocale::c();
    TfrmDefaultDateTime* w = t->frmDefaultDateTime;
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Set Default Date-Time"));
    f->WindowSettings().SetDefaultDateTimeCode(4);
    w->FillList();
    QStringList texts;
    for (int i = 0; i < w->lbxDateTime->count(); ++i) texts << w->lbxDateTime->item(i)->text();
    EXPECT_EQ(texts,
              (QStringList{"14:05", "2:05 PM", "7 Mar 26", "7 Mar 2026", "7 Mar 2026 2:05 PM",
                           "Saturday, March 7", "Saturday March 7, 2026",
                           "Saturday March 7, 2026 2:05 PM", "Saturday March 7, 2026 14:05"}));
    EXPECT_EQ(w->lbxDateTime->currentRow(), 0) << "4 is no style of the list";

    f->WindowSettings().SetDefaultDateTimeCode(10);
    QTimer::singleShot(0, w, [&] {
        EXPECT_EQ(w->lbxDateTime->currentRow(), 6);
        w->lbxDateTime->setCurrentRow(8);
        w->btnOK->click();
    });
    t->SetDefault1->Execute();
    EXPECT_EQ(f->WindowSettings().DefaultDateTimeCode(), 12);
    QTimer::singleShot(0, w, [&] {
        w->lbxDateTime->setCurrentRow(1);
        w->btnCancel->click();
    });
    t->SetDefault1->Execute();
    EXPECT_EQ(f->WindowSettings().DefaultDateTimeCode(), 12) << "Cancel keeps the default";
}

TEST_F(TextFormat, TheSymbolWindowInsertsIntoItsTargetInThePreviewFont) {
    Open("a b");
    Focus(e);
    e->setPlainText(QStringLiteral("ab"));
    Select(1, 2);
    KivAction::UpdateAll();
    t->acInsertSymbol->Execute();
    TfrmSymbol* w = t->frmSymbol;
    ASSERT_TRUE(w->isVisible());
    EXPECT_EQ(w->Target, e);
    EXPECT_TRUE(w->cbxFonts->isVisibleTo(w));
    EXPECT_FALSE(w->lblFont->isVisibleTo(w));
    EXPECT_EQ(w->cbxFonts->count(), t->cbFontName->count());
    w->SelectSymbol(3, 4);  // code 31 + 4 * 25 + 3 = 134
    EXPECT_EQ(w->pnlPreview->text(), QString(QChar(0x2020)));
    w->btnInsert->click();
    EXPECT_EQ(e->toPlainText(), QStringLiteral("a\u2020"));
    QTextCursor c = e->textCursor();
    c.setPosition(1);
    c.setPosition(2, QTextCursor::KeepAnchor);
    EXPECT_EQ(c.charFormat().fontFamilies().toStringList().value(0),
              w->pnlPreview->font().family());
    EXPECT_TRUE(w->isVisible()) << "Insert keeps the window open";
    Lock(g->CurrentRow());
    w->btnInsert->click();
    EXPECT_EQ(e->toPlainText(), QStringLiteral("a\u2020"))
        << "a topic locked meanwhile takes nothing";
    w->btnClose->click();
    EXPECT_FALSE(w->isVisible());

    t->ShowSymbolWindow(g->CaptionEditor);
    EXPECT_FALSE(w->cbxFonts->isVisibleTo(w)) << "a caption editor writes in the scheme's font";
    EXPECT_EQ(w->lblFont->text(), QString::fromStdString(ColorScheme.FontName));
    EXPECT_EQ(w->sgdSymbol->font().family(), w->lblFont->text());
    w->hide();
}

TEST_F(TextFormat, ColourDateAndSymbolFollowTheFocusAndTheLock) {
    Open("a b");
    auto update = [] { KivAction::UpdateAll(); };
    Focus(e);
    e->setPlainText(QStringLiteral("plain red"));
    Select(6, 9);
    Swatch("Red")->trigger();
    Select(7, 7);
    emit t->pmColor->aboutToShow();
    EXPECT_TRUE(Swatch("Red")->isChecked()) << "the selection's colour";
    EXPECT_FALSE(Swatch("Black")->isChecked());
    update();
    EXPECT_TRUE(t->btnColor->isEnabled());
    EXPECT_TRUE(t->btnDateTime->isEnabled());
    EXPECT_TRUE(t->acInsertSymbol->isEnabled()) << "the window's own symbol window";
    t->ShowSymbolWindow = nullptr;
    update();
    EXPECT_FALSE(t->acInsertSymbol->isEnabled()) << "no symbol window";
    QWidget* target = nullptr;
    t->ShowSymbolWindow = [&](QWidget* w) { target = w; };
    update();
    EXPECT_TRUE(t->acInsertSymbol->isEnabled());
    t->acInsertSymbol->Execute();
    EXPECT_EQ(target, e);

    Focus(g);
    update();
    EXPECT_TRUE(t->btnColor->isEnabled()) << "topics take colours";
    EXPECT_FALSE(t->btnDateTime->isEnabled());
    EXPECT_FALSE(t->acInsertSymbol->isEnabled());
    Lock(1);
    ClickRow(g, 1);
    update();
    EXPECT_FALSE(t->btnColor->isEnabled());
    EXPECT_FALSE(t->acBold->isEnabled());
    Focus(e);
    update();
    EXPECT_FALSE(t->btnColor->isEnabled());
    EXPECT_FALSE(t->btnDateTime->isEnabled());
    EXPECT_FALSE(t->InsertDateTime1->menuAction()->isEnabled());
}

TEST_F(TextFormat, CtrlTabGoesFromTheTextCardToThePanel) {
    Open("a");
    Focus(e);
    QTest::keyClick(e, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_TRUE(g->hasFocus());
    EXPECT_EQ(e->toPlainText(), QString());
}

TEST_F(TextFormat, TheDefaultFontComesFromTheFontDialog) {
    Open("a");
    Dialogs().AnswerFont(FontChoice{QStringLiteral("Times New Roman"), 14, clRed, fsItalic});
    t->DefaultTextCardFont1->trigger();
    ASSERT_EQ(Dialogs().FontRequests.size(), 1u);
    EXPECT_EQ(Dialogs().FontRequests[0].Font, (FontChoice{QStringLiteral("Arial"), 12, 0, 0}));
    EXPECT_EQ(DefaultFontName, QStringLiteral("Times New Roman"));
    EXPECT_EQ(DefaultFontSize, 14);
    EXPECT_EQ(DefaultFontColor, clRed);
    EXPECT_EQ(DefaultFontStyle, fsItalic);
    EXPECT_EQ(StoredFontName(e->currentCharFormat()), QStringLiteral("Times New Roman"));
    EXPECT_EQ(e->currentCharFormat().fontPointSize(), 14);
    EXPECT_TRUE(e->currentCharFormat().fontItalic());
    EXPECT_EQ(t->cbFontName->FontName(), QStringLiteral("Times New Roman"));
    Stop();
    // Kept in the settings.
    const std::string ini = ReadWholeFile(Home() + "kiv.ini");
    EXPECT_NE(ini.find("dfName=Times New Roman"), std::string::npos);
}

// Typed, formatted, stored with the topic and back after a restart.
TEST_F(TextFormat, FormattingSurvivesTopicChangesAndARestart) {
    Open("a b");
    Focus(e);
    QTest::keyClicks(e, QStringLiteral("Hello bold red"));
    QTest::keyClick(e, Qt::Key_Return);
    QTest::keyClicks(e, QStringLiteral("centred line"));
    Select(6, 10);
    QTest::keyClick(e, Qt::Key_B, Qt::ControlModifier);
    Select(11, 14);
    Swatch("Red")->trigger();
    Select(17, 17);
    t->btnCenterAlign->click();
    t->btnIndentIn->click();
    Select(2, 2);
    t->btnBullet->click();
    Select(0, 5);
    Focus(t->cbFontSize);
    t->cbFontSize->setCurrentIndex(t->cbFontSize->findText(QStringLiteral("20")));
    emit t->cbFontSize->activated(t->cbFontSize->currentIndex());
    auto check = [&](const char* when) {
        SCOPED_TRACE(when);
        ASSERT_EQ(e->toPlainText(), QStringLiteral("Hello bold red\ncentred line"));
        EXPECT_EQ(FormatAt(8).fontWeight(), QFont::Bold);
        EXPECT_NE(FormatAt(3).fontWeight(), QFont::Bold);
        EXPECT_NE(FormatAt(13).fontWeight(), QFont::Bold);
        EXPECT_EQ(fromQColor(FormatAt(13).foreground().color()), clRed);
        EXPECT_NE(fromQColor(FormatAt(8).foreground().color()), clRed);
        EXPECT_EQ(e->document()->findBlockByNumber(1).blockFormat().alignment() &
                      Qt::AlignHorizontal_Mask,
                  Qt::AlignHCenter);
        EXPECT_EQ(e->document()->findBlockByNumber(0).blockFormat().alignment() & Qt::AlignHCenter,
                  0);
        EXPECT_EQ(e->document()->findBlockByNumber(1).blockFormat().textIndent(), 20);
        EXPECT_EQ(StoredFontName(FormatAt(3)), QStringLiteral("Arial"));
        EXPECT_EQ(FormatAt(3).fontPointSize(), 20);
        EXPECT_EQ(FormatAt(8).fontPointSize(), 12);
        EXPECT_NE(e->document()->findBlockByNumber(0).textList(), nullptr) << "bulleted";
        EXPECT_EQ(e->document()->findBlockByNumber(1).textList(), nullptr);
    };
    ClickRow(g, 1);
    EXPECT_EQ(e->toPlainText(), QString());
    const std::string card = TextCardOf(0);
    EXPECT_NE(card.find("\\qc"), std::string::npos) << card;
    EXPECT_NE(card.find("\\red255\\green0\\blue0"), std::string::npos) << card;
    EXPECT_NE(card.find("\\pntext"), std::string::npos) << card;
    ClickRow(g, 0);
    check("after a topic change");
    EXPECT_FALSE(e->document()->isModified());
    Stop();
    Restart();
    ClickRow(g, 1);
    ClickRow(g, 0);
    check("after a restart");
}

}  // namespace
}  // namespace kiv::wintest
