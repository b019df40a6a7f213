// The text card in its editor: loaded from card kind 2 of the current topic, stored back
// when it was modified; the editors' keys, focus and lock state.
#include "mainwindow/textcard/TextCard.h"

#include <exception>

#include <QApplication>
#include <QBoxLayout>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QMainWindow>
#include <QPointer>
#include <QTextEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolBar>
#include <QToolButton>

#include "engine/core/Navigation.h"
#include "engine/panels/KivStringGrid.h"
#include "components/FontCombos.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/Globals.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "platform/core/KivStrings.h"
#include "platform/core/Rounding.h"
#include "platform/qt/Colors.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/Fonts.h"
#include "platform/qt/RtfDocument.h"
#include "platform/qt/RtfWriter.h"

namespace kiv {

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

TTextCard::TTextCard(IWindowContext& ctx)
    : Clock([] { return QDateTime::currentDateTime(); }),
      Locale(QLocale::system()),
      ctx_(ctx),
      print_(ctx.Published()),
      textBin_(ctx.Published()) {
    ctx.Published().Publish<ITextCard>(*this);
}

void TTextCard::BuildComponents() {
    BuildEditors();
    BuildFormatBar();
    BuildColorMenu();
    BuildEditCommands();
    BuildDateTimeMenu();
    EnableFormatControls(false);
}

void TTextCard::BuildEditors() {
    TWindowSkeleton& k = ctx_.Skeleton();
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
    auto* pinHead = HBox(Panel(pnlPinCard, "pnlPinHead"));
    lblPinCard = Named(new QLabel(QStringLiteral("Pin Card"), pnlPinCard), "lblPinCard");
    lblPinCard->setTextFormat(Qt::PlainText);
    btnClosePinCard = Named(new QToolButton(pnlPinCard), "btnClosePinCard");
    btnClosePinCard->setText(QStringLiteral("x"));
    btnClosePinCard->setToolTip(QStringLiteral("Close"));
    btnClosePinCard->setAutoRaise(true);
    connect(btnClosePinCard, &QToolButton::clicked, this, [this] {
        GuardCall([this] {
            if (pinClose_) pinClose_();
        });
    });
    pinHead->addWidget(lblPinCard, 1);
    pinHead->addWidget(btnClosePinCard);
    VBox(pnlPinCard)->addWidget(pinHead->parentWidget());
    static_cast<QBoxLayout*>(pnlPinCard->layout())->addWidget(txtPinText, 1);
    pnlTextLeft->hide();
    txtSimpleText = Named(new QTextEdit(textRow), "txtSimpleText");
    txtSimpleText->setFrameShape(QFrame::NoFrame);
    pnlTextRight = Panel(textRow, "pnlTextRight");
    pnlTextRight->hide();
    row->addWidget(pnlTextLeft);
    row->addWidget(txtSimpleText, 1);
    row->addWidget(pnlTextRight);
    simple->addWidget(textRow, 1);

    for (QTextEdit* e : {txtSimpleText, txtPinText}) {
        e->setAcceptRichText(true);
        e->installEventFilter(this);
        connect(e, &QTextEdit::cursorPositionChanged, this,
                [this, e] { GuardCall([&] { SelectionChanged(e); }); });
        connect(e, &QTextEdit::currentCharFormatChanged, this,
                [this, e] { GuardCall([&] { SelectionChanged(e); }); });
    }
    textBin_->WatchTextBinEditor(this);
    txtSimpleText->viewport()->setMouseTracking(true);
    txtSimpleText->viewport()->installEventFilter(this);
}

bool TTextCard::eventFilter(QObject* watched, QEvent* e) {
    if (watched == txtSimpleText->viewport()) {
        if (e->type() == QEvent::MouseMove) GuardCall([this] { ctx_.ShowStatusHint(QString()); });
        return false;
    }
    auto* editor = qobject_cast<QTextEdit*>(watched);
    if (!editor) return false;
    bool eaten = false;
    GuardCall([&] {
        switch (e->type()) {
        case QEvent::ShortcutOverride: {
            // The editor would take the standard keys (Copy, Undo, Select All...) itself;
            // they run as the window's commands, once per key press.
            auto* key = static_cast<QKeyEvent*>(e);
            const QKeySequence seq(key->keyCombination());
            for (KivAction* a : {acBold, acItalic, acUnderline, acCopy, acCut, acPaste, acDelete,
                                 acUndo, acSelectAll, acInsertTime}) {
                if (!a) continue;
                a->Update();
                if (!a->shortcut().isEmpty() && a->shortcut() == seq) eaten = true;
            }
            break;
        }
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(e);
            if (editor == txtSimpleText && key->key() == Qt::Key_Tab &&
                (key->modifiers() & Qt::ControlModifier)) {
                if (TKivStringGrid* g = ctx_.CurrentGrid()) g->setFocus(Qt::TabFocusReason);
                eaten = true;
            } else {
                eaten = RefusedLockedKey(editor, key);
            }
            break;
        }
        case QEvent::FocusIn:
        case QEvent::FocusOut: {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(e)->reason();
            if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason) break;
            if (editor != txtSimpleText && editor != txtPinText) break;
            if (e->type() == QEvent::FocusIn) EditorEntered(editor);
            else EditorLeft(editor);
            break;
        }
        default: break;
        }
    });
    return eaten;
}

bool TTextCard::EditorLocked(QTextEdit* editor) const {
    if (editor == txtPinText) return PinnedTopicLocked;
    if (editor != txtSimpleText) return false;
    const int owner = textOwner_.FindRow();
    return owner >= 0 && textOwner_.Grid->Nester->IsLocked(owner);
}

bool TTextCard::CurrentTopicLocked() const {
    TKivStringGrid* g = ctx_.CurrentGrid();
    return g && g->IsRowValid(g->CurrentRow()) && g->Nester->IsLocked(g->CurrentRow());
}

bool TTextCard::RefusedLockedKey(QTextEdit* editor, QKeyEvent* key) {
    if (!EditorLocked(editor)) return false;
    const Qt::KeyboardModifiers commandKeys =
        Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    const int k = key->key();
    const bool types = (!key->text().isEmpty() && key->text().at(0).isPrint() &&
                        !(key->modifiers() & commandKeys)) ||
                       k == Qt::Key_Backspace || k == Qt::Key_Delete || k == Qt::Key_Return ||
                       k == Qt::Key_Enter;
    if (!types) return false;
    // A held key warns once.
    if (!key->isAutoRepeat())
        MessageDlg(QStringLiteral("Can't edit text card, topic is locked."), MsgType::Warning,
                   MsgButtons::OK);
    return true;
}

void TTextCard::EditorEntered(QTextEdit* editor) {
    if (EditorLocked(editor) || (editor == txtPinText && PinCardReadOnly)) {
        UpdateEditorReadOnly(true);
        return;
    }
    UpdateEditorReadOnly(false);
    EnableFormatControls(true);
    SelectionChanged(editor);
}

void TTextCard::EditorLeft(QTextEdit* editor) { FontComboTarget = editor; }

TTextCard::TFocusKind TTextCard::FocusKind(QWidget** control) const {
    QWidget* w = QApplication::focusWidget();
    if (control) *control = w;
    if (!w) return TFocusKind::None;
    if (qobject_cast<TKivMemo*>(w)) return TFocusKind::CaptionEditor;
    if (w == txtSimpleText || w == txtPinText || (TextBinEditor && w == TextBinEditor))
        return TFocusKind::RichEditor;
    for (QWidget* p = w; p; p = p->parentWidget())
        if (qobject_cast<TKivStringGrid*>(p)) return TFocusKind::Panel;
    if (auto* combo = qobject_cast<QComboBox*>(w->parentWidget());
        combo && qobject_cast<QLineEdit*>(w)) {
        if (control) *control = combo;
        return TFocusKind::Combo;
    }
    if (qobject_cast<QComboBox*>(w)) return TFocusKind::Combo;
    if (qobject_cast<QLineEdit*>(w) || qobject_cast<QTextEdit*>(w) ||
        qobject_cast<QPlainTextEdit*>(w))
        return TFocusKind::Edit;
    return TFocusKind::None;
}

QTextEdit* TTextCard::ActiveTextEditor() const {
    QWidget* w = nullptr;
    return FocusKind(&w) == TFocusKind::RichEditor ? static_cast<QTextEdit*>(w) : nullptr;
}

void TTextCard::Subscribe(TWindowEvents& events) {
    events.TopicLeaving.Subscribe([this](TKivStringGrid* grid, int, bool&) {
        // The editor's text of a topic of this panel goes to that topic, wherever it stands
        // now (after a store that failed it is not the row that was left).
        if (OwnerGrid() == grid) StoreToOwner();
    });
    events.TopicShown.Subscribe([this](TKivStringGrid* grid, int row) {
        if (ctx_.Open().Navigator && grid->IsRowValid(row) && row == grid->CurrentRow())
            ShowTopicStyle(grid->Nester->GetFontStyle(row));
        ShowTopic(grid, row);
    });
    events.DatastructureClosed.Subscribe([this] { ShowNoTopic(); });
    events.TopicsChanged.Subscribe([this](uint32_t) { GuardCall([this] { ShowCaptionLine(); }); });
}

void TTextCard::FollowReloadedRows(TKivStringGrid* grid) {
    const int row = grid->CurrentRow();
    if (grid->IsRowValid(row) ? ShowsTextCardOf(grid, row) : OwnerGrid() != grid) return;
    // A topic became current without a topic change (the first one of an empty panel, rows
    // moved under the editor): what the editor holds goes to its own topic, then the panes
    // show the current one.
    StoreToOwner();
    if (grid->IsRowValid(row)) ctx_.ReloadCurrentRow();
    else ShowNoTopic();
}

void TTextCard::AddToCaptionLine(QWidget* widget) {
    widget->setParent(pnlCurDescr);
    if (pnlCurDescr->layout()) pnlCurDescr->layout()->addWidget(widget);
}

void TTextCard::ShowTopic(TKivStringGrid* grid, int row) {
    // Text that could not be stored is not replaced: it stays with its own topic.
    if (HoldsUnsavedText()) return;
    const bool valid = grid && grid->IsRowValid(row);
    lblCurDescr->setText(valid ? TopicCaptionForMessage(grid, row)
                               : QString::fromLatin1(kUntitled));
    LoadTextCardIntoEditor(grid, row);
    // The font boxes show the default font until the editor is entered.
    cbFontName->SetFontName(DefaultFontName);
    UpdateFontSizeList(nullptr, QString::number(DefaultFontSize));
    if (valid) UpdateEditorReadOnly(grid->Nester->IsLocked(row));
}

void TTextCard::ShowCaptionLine() {
    // The topic whose text the editor holds, wherever its row stands now; none shown: none.
    const int row = textOwner_.Grid ? textOwner_.FindRow() : -1;
    if (row < 0 || !textOwner_.Grid->IsRowValid(row)) return;
    lblCurDescr->setText(TopicCaptionForMessage(textOwner_.Grid, row));
}

void TTextCard::UpdateEditorReadOnly(bool locked) {
    // Each editor also keeps its own topic's lock: entering the pin card of a free topic
    // opens neither the caption nor the text card of a locked current topic.
    if (TKivStringGrid* g = ctx_.CurrentGrid())
        g->CaptionEditor->setReadOnly(locked || CurrentTopicLocked());
    txtSimpleText->setReadOnly(locked || EditorLocked(txtSimpleText));
    txtPinText->setReadOnly(locked || PinnedTopicLocked || PinCardReadOnly);
    for (KivAction* a : {acBold, acItalic, acUnderline, acInsertSymbol}) a->SetEnabled(!locked);
    btnStrike->setEnabled(!locked);
    InsertDateTime1->menuAction()->setEnabled(!locked);
    EnableFormatControls(false);
}

void TTextCard::EnableFormatControls(bool on) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{cbFontName, cbFontSize, btnLeftAlign, btnCenterAlign,
                                         btnRightAlign, btnBullet, btnIndentIn, btnIndentDe})
        w->setEnabled(on);
}

bool TTextCard::StoreToOwner() {
    if (!textOwner_.Grid) return true;
    const int owner = textOwner_.FindRow();
    return owner < 0 || StoreTextCard(textOwner_.Grid, owner);
}

namespace {

// A stored text card into a document: rich text or plain, a leading character 1 dropped,
// unmodified and without undo steps.
void LoadCardDocument(QTextDocument& doc, const std::string& card, const QTextCharFormat& plain) {
    doc.setDefaultFont(plain.font());
    LoadRichText(doc, card, plain);
    if (!doc.isEmpty() && doc.characterAt(0) == QChar(1)) {
        QTextCursor c(&doc);
        c.deleteChar();
    }
    doc.setModified(false);
    doc.clearUndoRedoStacks();
}

}  // namespace

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
        textOwner_ = TTopicRef::Of(grid, row);
    }
    // Built apart from the editor and laid out once when it is put in: a long card would
    // otherwise be laid out again at every insertion.
    auto* doc = new QTextDocument(e);
    LoadCardDocument(*doc, card, plain);
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
    return textOwner_.Is(grid, row);
}

void TTextCard::AnchorTextOwner() {
    TTopicRef& o = textOwner_;
    if (o.CardDir != 0 || !ShowsTextCardOf(o.Grid, o.Row) || o.Grid->Nester->IsLocked(o.Row))
        return;
    // A topic that had nothing stored is known only by its row, and rows can move before
    // the text goes back. Its card directory, made now, names it wherever it goes.
    // Not stored (its slot no longer holds it): it stays known by its row.
    if (!o.Grid->Nester->Cards().WriteRowCard(kCardText, o.Row, std::string())) return;
    o.StoredAt(o.Row);
}

bool TTextCard::StoreTextCard(TKivStringGrid* grid, int row) {
    QTextEdit* e = txtSimpleText;
    if (!e->document()->isModified()) return true;
    // The editor holds the text of one topic; it goes back to that topic only.
    if (!ShowsTextCardOf(grid, row) || grid->Nester->IsLocked(row)) return true;
    const bool hasText = !Trim(e->toPlainText().toStdString()).empty();
    const std::string card = hasText ? WriteRtf(*e->document()) : std::string();
    if (!WriteTopicCard(grid, row, kCardText, card, storeFailure_)) {
        // The text stays in the editor, modified and with its own topic, for the next try.
        if (!storeFailureShown_) {
            storeFailureShown_ = true;
            if (!QuietStoreFailures)
                MessageDlg(
                    UnstoredCardForMessage(QStringLiteral("The text card"), grid, row,
                                           storeFailure_) +
                        QStringLiteral(
                            "\n\nIts text stays in the editor and is stored when you go to another topic."),
                    MsgType::Error, MsgButtons::OK);
        }
        return false;
    }
    storeFailureShown_ = false;
    const bool hadText = grid->Nester->HasText(row);
    grid->Nester->SetHasText(row, hasText);
    textOwner_.StoredAt(row);
    e->document()->setModified(false);
    grid->DrawRow(row);
    // The topic's other rows (a clone) show it too.
    if (hadText != hasText) ctx_.Events().TopicsChanged.Fire(grid->Nester->CardDir(row));
    return true;
}

bool TTextCard::HoldsUnsavedText() const {
    return txtSimpleText->document()->isModified() && textOwner_.Grid && textOwner_.FindRow() >= 0;
}

QString TTextCard::UnstoredCard() const {
    if (!HoldsUnsavedText()) return QString();
    return UnstoredCardForMessage(QStringLiteral("The text card"), textOwner_.Grid,
                                  textOwner_.FindRow(), storeFailure_);
}

std::string TTextCard::UnstoredRtf() const {
    return HoldsUnsavedText() ? WriteRtf(*txtSimpleText->document()) : std::string();
}

void TTextCard::ShowNoTopic() {
    const bool blocked = txtSimpleText->blockSignals(true);
    txtSimpleText->clear();
    txtSimpleText->document()->setModified(false);
    txtSimpleText->blockSignals(blocked);
    textOwner_ = {};
    lblCurDescr->setText(QString::fromLatin1(kUntitled));
}

// ---- the pin card ----

void TTextCard::ShowPinCard(bool shown) {
    if (!shown) {
        pnlTextLeft->hide();
        return;
    }
    pnlTextLeft->setFixedWidth(
        std::max(120, int(RoundHalfEven(ctx_.Skeleton().pnlSimpleText->width() / 2.0))));
    pnlTextLeft->show();
    pnlPinCard->show();
    pnlTextLeft->raise();
}

void TTextCard::LoadPinCard(const std::string& card, const QString& label, bool locked,
                            bool readOnly) {
    const QTextCharFormat plain = DefaultCardFormat();
    txtPinText->document()->clear();
    LoadCardDocument(*txtPinText->document(), card, plain);
    PinnedTopicLocked = locked;
    PinCardReadOnly = readOnly;
    txtPinText->setReadOnly(locked || readOnly);
    lblPinCard->setText(label);
}

bool TTextCard::TakePinCardEdit(std::string& card) {
    if (!txtPinText->document()->isModified()) return false;
    const bool hasText = !Trim(txtPinText->toPlainText().toStdString()).empty();
    card = hasText ? WriteRtf(*txtPinText->document()) : std::string();
    txtPinText->document()->setModified(false);
    return true;
}

}  // namespace kiv
