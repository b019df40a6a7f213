// The text card in its editor: loaded from card kind 2 of the current topic, stored back
// when it was modified. Commands: acBold, acItalic, acUnderline, btnStrike.
#include "mainwindow/textcard/TextCard.h"

#include <exception>

#include <QBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QTextEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolBar>
#include <QToolButton>

#include "engine/core/Navigation.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/Globals.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "platform/core/KivStrings.h"
#include "platform/qt/Colors.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/Fonts.h"
#include "platform/qt/RtfDocument.h"
#include "platform/qt/RtfWriter.h"

namespace kiv {

namespace {

// The default text-card font, for cards that were never formatted and for new text.
QTextCharFormat DefaultCardFormat() {
    QTextCharFormat f;
    f.setFont(FontFromStored(DefaultFontName, DefaultFontSize, DefaultFontStyle));
    SetStoredFontName(f, DefaultFontName);
    f.setFontPointSize(DefaultFontSize);
    f.setFontWeight(DefaultFontStyle & fsBold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(DefaultFontStyle & fsItalic);
    f.setFontUnderline(DefaultFontStyle & fsUnderline);
    f.setFontStrikeOut(DefaultFontStyle & fsStrikeOut);
    f.setForeground(toQColor(DefaultFontColor));
    return f;
}

}  // namespace

TTextCard::TTextCard(IWindowContext& ctx) : ctx_(ctx) {}

void TTextCard::BuildComponents() {
    QMainWindow* w = &ctx_.Window();
    TWindowSkeleton& k = ctx_.Skeleton();
    acBold = Action(w, "acBold", QStringLiteral("Bold"), true);
    acItalic = Action(w, "acItalic", QStringLiteral("Italic"), true);
    acUnderline = Action(w, "acUnderline", QStringLiteral("Uderline"), true);
    btnStrike = Named(new QToolButton(k.tbModes), "btnStrike");
    btnStrike->setCheckable(true);
    btnStrike->setText(QStringLiteral("S"));
    btnStrike->hide();

    // The caption line over the text row: pin card, text card, graphic card.
    QWidget* pane = k.pnlSimpleText;
    auto* simple = static_cast<QBoxLayout*>(pane->layout());
    pnlCurDescr = Panel(pane, "pnlCurDescr");
    auto* descr = HBox(pnlCurDescr);
    descr->setContentsMargins(4, 2, 4, 2);
    lblCurDescr = Named(new QLabel(QStringLiteral("[untitled]"), pnlCurDescr), "lblCurDescr");
    lblCurDescr->setTextFormat(Qt::PlainText);
    QFont bold = lblCurDescr->font();
    bold.setBold(true);
    lblCurDescr->setFont(bold);
    descr->addWidget(lblCurDescr, 1);
    simple->addWidget(pnlCurDescr);
    auto* textRow = Panel(pane, "pnlTextRow");
    auto* row = HBox(textRow);
    pnlTextLeft = Panel(textRow, "pnlTextLeft");
    pnlPinCard = Panel(pnlTextLeft, "pnlPinCard");
    txtPinText = Named(new QTextEdit(pnlPinCard), "txtPinText");
    VBox(pnlTextLeft)->addWidget(pnlPinCard);
    VBox(pnlPinCard)->addWidget(txtPinText);
    pnlTextLeft->hide();
    txtSimpleText = Named(new QTextEdit(textRow), "txtSimpleText");
    txtSimpleText->setFrameShape(QFrame::NoFrame);
    txtSimpleText->setAcceptRichText(true);
    pnlTextRight = Panel(textRow, "pnlTextRight");
    pnlTextRight->hide();
    row->addWidget(pnlTextLeft);
    row->addWidget(txtSimpleText, 1);
    row->addWidget(pnlTextRight);
    simple->addWidget(textRow, 1);
}

void TTextCard::ShowTopic(TKivStringGrid* grid, int row) {
    // Text that could not be stored is not replaced: it stays with its own topic.
    if (HoldsUnsavedText()) return;
    const bool valid = grid && grid->IsRowValid(row);
    const std::string caption = valid ? Trim(LineBreaksToBlanks(grid->Nester->Caption(row))) : std::string();
    lblCurDescr->setText(caption.empty() ? QString::fromLatin1(kUntitled) : StoredToText(caption));
    LoadTextCardIntoEditor(grid, row);
    if (valid) UpdateEditorReadOnly(grid->Nester->IsLocked(row));
}

void TTextCard::UpdateEditorReadOnly(bool locked) {
    if (TKivStringGrid* g = ctx_.CurrentGrid()) g->CaptionEditor->setReadOnly(locked);
    txtSimpleText->setReadOnly(locked);
    txtPinText->setReadOnly(locked);
    for (KivAction* a : {acBold, acItalic, acUnderline}) a->SetEnabled(!locked);
    btnStrike->setEnabled(!locked);
}

void TTextCard::ShowTopicStyle(uint8_t style) {
    acBold->SetChecked(style & kFlagBold);
    acItalic->SetChecked(style & kFlagItalic);
    acUnderline->SetChecked(style & kFlagUnderline);
    btnStrike->setChecked(style & kFlagStrikeOut);
}

bool TTextCard::StoreToOwner() {
    if (!textOwner_.Grid) return true;
    const int owner = TextOwnerRow();
    return owner < 0 || StoreTextCard(textOwner_.Grid, owner);
}

void TTextCard::LoadTextCardIntoEditor(TKivStringGrid* grid, int row) {
    QTextEdit* e = txtSimpleText;
    storeFailureShown_ = false;
    const QTextCharFormat plain = DefaultCardFormat();
    std::string card;
    textOwner_ = {};
    if (grid && grid->IsRowValid(row)) {
        try {
            grid->Nester->Cards().ReadRowCard(kCardText, row, card);
        } catch (...) {
            // What is typed over a card that could not be read would have nowhere to go.
            ShowNoTopic();
            e->setReadOnly(true);
            throw;
        }
        textOwner_ = {grid, row, grid->Nester->ParentNest(row), grid->Nester->CardDir(row)};
    }
    // Built apart from the editor and laid out once when it is put in: a long card would
    // otherwise be laid out again at every insertion.
    auto* doc = new QTextDocument(e);
    doc->setDefaultFont(plain.font());
    LoadRichText(*doc, card, plain);
    if (!doc->isEmpty() && doc->characterAt(0) == QChar(1)) {
        QTextCursor c(doc);
        c.deleteChar();
    }
    doc->setModified(false);
    doc->clearUndoRedoStacks();
    connect(doc, &QTextDocument::modificationChanged, this, [this](bool modified) {
        if (modified) GuardCall([this] { AnchorTextOwner(); });
    });
    const QPointer<QTextDocument> old = e->document();
    const bool blocked = e->blockSignals(true);
    e->setDocument(doc);
    e->moveCursor(QTextCursor::Start);
    if (doc->isEmpty()) e->setCurrentCharFormat(plain);
    e->blockSignals(blocked);
    if (old && old != doc) delete old.data();
}

bool TTextCard::ShowsTextCardOf(TKivStringGrid* grid, int row) const {
    const TextCardOwner& o = textOwner_;
    if (!grid || o.Grid != grid || !grid->IsRowValid(row) || grid->Nester->ParentNest(row) != o.ParentNest) return false;
    // A topic with a card directory is known by it wherever its row moved; one without
    // (new, nothing stored yet) only by its row.
    return o.CardDir != 0 ? grid->Nester->CardDir(row) == o.CardDir : row == o.Row;
}

int TTextCard::TextOwnerRow() const {
    TKivStringGrid* g = textOwner_.Grid;
    if (!g) return -1;
    if (ShowsTextCardOf(g, textOwner_.Row)) return textOwner_.Row;
    if (textOwner_.CardDir == 0) return -1;
    for (int r = 0; r < g->Nester->RowCount(); ++r)
        if (ShowsTextCardOf(g, r)) return r;
    return -1;
}

void TTextCard::AnchorTextOwner() {
    TextCardOwner& o = textOwner_;
    if (o.CardDir != 0 || !ShowsTextCardOf(o.Grid, o.Row) || o.Grid->Nester->IsLocked(o.Row)) return;
    // A topic that had nothing stored is known only by its row, and rows can move before
    // the text goes back. Its card directory, made now, names it wherever it goes.
    // Not stored (its slot no longer holds it): it stays known by its row.
    if (!o.Grid->Nester->Cards().WriteRowCard(kCardText, o.Row, std::string())) return;
    o.CardDir = o.Grid->Nester->CardDir(o.Row);
}

bool TTextCard::StoreTextCard(TKivStringGrid* grid, int row) {
    QTextEdit* e = txtSimpleText;
    if (!e->document()->isModified()) return true;
    // The editor holds the text of one topic; it goes back to that topic only.
    if (!ShowsTextCardOf(grid, row) || grid->Nester->IsLocked(row)) return true;
    const bool hasText = !Trim(e->toPlainText().toStdString()).empty();
    const std::string card = hasText ? WriteRtf(*e->document()) : std::string();
    QString failure;
    bool stored = false;
    try {
        stored = grid->Nester->Cards().WriteRowCard(kCardText, row, card);
    } catch (const std::exception& ex) {
        failure = QString::fromUtf8(ex.what());
    }
    if (!stored) {
        // The text stays in the editor, modified and with its own topic, for the next try.
        if (!storeFailureShown_) {
            storeFailureShown_ = true;
            const std::string caption = Trim(LineBreaksToBlanks(grid->Nester->Caption(row)));
            MessageDlg(QStringLiteral("The text card of \"%1\" could not be stored%2\n\nIts text stays in the editor and is "
                                      "stored when you go to another topic.")
                           .arg(caption.empty() ? QString::fromLatin1(kUntitled) : StoredToText(caption),
                                failure.isEmpty() ? QString() : QStringLiteral(": ") + failure),
                       MsgType::Error, MsgButtons::OK);
        }
        return false;
    }
    storeFailureShown_ = false;
    grid->Nester->SetHasText(row, hasText);
    textOwner_.Row = row;
    textOwner_.CardDir = grid->Nester->CardDir(row);
    e->document()->setModified(false);
    grid->DrawRow(row);
    return true;
}

bool TTextCard::HoldsUnsavedText() const {
    return txtSimpleText->document()->isModified() && textOwner_.Grid && TextOwnerRow() >= 0;
}

void TTextCard::ShowNoTopic() {
    const bool blocked = txtSimpleText->blockSignals(true);
    txtSimpleText->clear();
    txtSimpleText->document()->setModified(false);
    txtSimpleText->blockSignals(blocked);
    textOwner_ = {};
    lblCurDescr->setText(QString::fromLatin1(kUntitled));
}

}  // namespace kiv
