// The edit commands as they act on edit controls and combo boxes (the topic branch is
// handed on), one-level undo, the date and time menu, Insert Symbol and Save As.
#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>

#include "components/FontCombos.h"
#include "dialogs/DefaultDateTimeWindow.h"
#include "dialogs/PrintWindow.h"
#include "dialogs/SymbolWindow.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/Globals.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "mainwindow/textcard/TextCard.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/EditorFile.h"

namespace kiv {

namespace {

QString TwoDigits(int n) { return QString::number(n).rightJustified(2, QLatin1Char('0')); }

// "h:nn" and "h:nn AM/PM": the hour without a leading zero, AM and PM whatever the language.
QString Time24(const QTime& t) {
    return QString::number(t.hour()) + QLatin1Char(':') + TwoDigits(t.minute());
}
QString Time12(const QTime& t) {
    const int h = t.hour() % 12 == 0 ? 12 : t.hour() % 12;
    return QString::number(h) + QLatin1Char(':') + TwoDigits(t.minute()) +
           (t.hour() < 12 ? QStringLiteral(" AM") : QStringLiteral(" PM"));
}

}  // namespace

QString FormatDateTimeChoice(int n, const QDateTime& now, const QLocale& locale) {
    const QDate d = now.date();
    const QTime t = now.time();
    // "dddd mmmm d, yyyy"
    const QString longDate = locale.dayName(d.dayOfWeek(), QLocale::LongFormat) + QLatin1Char(' ') +
                             locale.monthName(d.month(), QLocale::LongFormat) + QLatin1Char(' ') +
                             QString::number(d.day()) + QStringLiteral(", ") +
                             QString::number(d.year());
    switch (n) {
    case 2: return Time24(t);
    case 3: return Time12(t);
    case 4:
    case 8: return QStringLiteral("-");
    case 5:
        return QString::number(d.day()) + QLatin1Char(' ') +
               locale.monthName(d.month(), QLocale::ShortFormat) + QLatin1Char(' ') +
               TwoDigits(d.year() % 100);
    case 6: return locale.toString(d, QLocale::ShortFormat);
    case 7: return locale.toString(d, QLocale::ShortFormat) + QLatin1Char(' ') + Time12(t);
    case 9:
        return locale.dayName(d.dayOfWeek(), QLocale::LongFormat) + QStringLiteral(", ") +
               locale.monthName(d.month(), QLocale::LongFormat) + QLatin1Char(' ') +
               QString::number(d.day());
    case 10: return longDate;
    case 11: return longDate + QLatin1Char(' ') + Time12(t);
    case 12: return longDate + QLatin1Char(' ') + Time24(t);
    default: return QString();
    }
}

QString TTextCard::FormatDateTimeChoice(int n) const {
    return kiv::FormatDateTimeChoice(n, Clock(), Locale);
}

void TTextCard::BuildEditCommands() {
    QMainWindow* w = &ctx_.Window();
    QMenu* edit = ctx_.Skeleton().Edit1;
    acUndo = Action(w, "acUndo", QStringLiteral("Undo"));
    acUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    acCut = Action(w, "acCut", QStringLiteral("Cut"));
    acCut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    acCut->setToolTip(QStringLiteral("Cut Text Or Topic"));
    acCopy = Action(w, "acCopy", QStringLiteral("Copy"));
    acCopy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    acCopy->setToolTip(QStringLiteral("Copy Text Or Topic"));
    acPaste = Action(w, "acPaste", QStringLiteral("Paste"));
    acPaste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    acPaste->setToolTip(QStringLiteral("Paste Text Or Topic"));
    acDelete = Action(w, "acDelete", QStringLiteral("Delete"));
    acSelectAll = Action(w, "acSelectAll", QStringLiteral("Select All"));
    acSelectAll->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    for (KivAction* a : {acUndo, acCut, acCopy, acPaste, acDelete, acSelectAll}) {
        w->addAction(a);
        edit->addAction(a);
        a->OnExecute = [this](KivAction* s) { RunEditCommand(s); };
        a->OnUpdate = [this](KivAction* s) { UpdateEditCommand(s); };
        if (a == acUndo || a == acDelete) edit->addSeparator();
    }
    edit->addSeparator();

    acInsertTime = Action(w, "acInsertTime", QStringLiteral("Insert Time"));
    acInsertTime->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D));
    acInsertTime->OnExecute = [this](KivAction*) {
        InsertIntoFocused(FormatDateTimeChoice(currentDateTime_()));
    };
    acInsertTime->OnUpdate = [this](KivAction* s) {
        QWidget* f = nullptr;
        const TFocusKind kind = FocusKind(&f);
        s->SetEnabled(!CurrentTopicLocked() &&
                      (kind == TFocusKind::RichEditor || kind == TFocusKind::CaptionEditor));
    };
    acInsertSymbol = Action(w, "acInsertSymbol", QStringLiteral("Insert Symbol..."));
    acInsertSymbol->OnExecute = [this](KivAction*) {
        QWidget* f = nullptr;
        const TFocusKind kind = FocusKind(&f);
        if (ShowSymbolWindow && (kind == TFocusKind::Edit || kind == TFocusKind::RichEditor ||
                                 kind == TFocusKind::CaptionEditor))
            ShowSymbolWindow(f);
    };
    frmSymbol = new TfrmSymbol(w);
    // The window stays open while the user moves on: a topic locked meanwhile takes nothing.
    frmSymbol->CanInsert = [this](QWidget* target) {
        if (auto* memo = qobject_cast<TKivMemo*>(target))
            return !CurrentTopicLocked() && !memo->isReadOnly();
        auto* editor = qobject_cast<QTextEdit*>(target);
        return !(editor && EditorLocked(editor));
    };
    ShowSymbolWindow = [this](QWidget* target) {
        if (frmSymbol->cbxFonts->count() == 0) {
            QStringList names;
            for (int i = 0; i < cbFontName->count(); ++i) names << cbFontName->itemText(i);
            frmSymbol->SetFontNames(names);
        }
        frmSymbol->ShowFor(target, cbFontName->currentText());
        frmSymbol->show();
        frmSymbol->raise();
    };
    acInsertSymbol->OnUpdate = [this](KivAction* s) {
        const TFocusKind kind = FocusKind();
        const bool edit = kind == TFocusKind::Edit || kind == TFocusKind::RichEditor ||
                          kind == TFocusKind::CaptionEditor;
        s->SetEnabled(edit && ShowSymbolWindow && !CurrentTopicLocked());
    };
    acSaveAsEdit = Action(w, "acSaveAsEdit", QStringLiteral("Save As..."));
    acSaveAsEdit->OnExecute = [this](KivAction*) {
        if (QTextEdit* e = ActiveTextEditor()) SaveEditorAs(e);
    };
    acSaveAsEdit->OnUpdate = [this](KivAction* s) { s->SetEnabled(ActiveTextEditor() != nullptr); };
    sdSaveEdit.DefaultExt = QStringLiteral("txt");
    sdSaveEdit.Filter = QStringLiteral("Rich Text File(*.rtf)|*.rtf|Text File(*.txt)|*.txt");
    sdSaveEdit.OverwritePrompt = true;
}

void TTextCard::BuildDateTimeMenu() {
    QMenu* edit = ctx_.Skeleton().Edit1;
    InsertDateTime1 = Named(edit->addMenu(QStringLiteral("Insert Date-Time")), "InsertDateTime1");
    InsertDateTime1->menuAction()->setToolTip(QStringLiteral("Insert Date/Time"));
    SetDefault1 = Action(&ctx_.Window(), "SetDefault1", QStringLiteral("Set Default..."));
    KivAction* setDefault = SetDefault1;
    InsertDateTime1->addAction(setDefault);
    frmDefaultDateTime = new TfrmDefaultDateTime(&ctx_.Window());
    frmDefaultDateTime->Format = [this](int code) { return FormatDateTimeChoice(code); };
    frmDefaultDateTime->CurrentCode = [this] { return currentDateTime_(); };
    frmDefaultDateTime->OnChosen = [this](int code) { chooseDateTime_(code); };
    setDefault->OnExecute = [this](KivAction*) { frmDefaultDateTime->exec(); };
    InsertDateTime1->addSeparator();
    connect(InsertDateTime1, &QMenu::aboutToShow, this,
            [this] { GuardCall([this] { FillDateTimeMenu(); }); });
    edit->addAction(acInsertTime);
    edit->addAction(acInsertSymbol);
    edit->addSeparator();
    edit->addAction(acSaveAsEdit);

    btnDateTime = Named(new QToolButton(tbFormat), "btnDateTime");
    btnDateTime->setText(QStringLiteral("Date"));
    btnDateTime->setToolTip(QStringLiteral("Insert Date/Time"));
    btnDateTime->setToolButtonStyle(Qt::ToolButtonTextOnly);
    btnDateTime->setMenu(InsertDateTime1);
    btnDateTime->setPopupMode(QToolButton::InstantPopup);
    tbFormat->addWidget(btnDateTime);
}

void TTextCard::FillDateTimeMenu() {
    const int chosen = currentDateTime_();
    for (int i = 2; i <= 12; ++i) {
        if (InsertDateTime1->actions().size() == i) {
            QAction* item = InsertDateTime1->addAction(QString());
            item->setData(i);
            connect(item, &QAction::triggered, this, [this, item] {
                GuardCall([&] { InsertIntoFocused(FormatDateTimeChoice(item->data().toInt())); });
            });
        }
        QAction* item = InsertDateTime1->actions().at(i);
        const QString caption = FormatDateTimeChoice(i);
        const bool separator = caption == QLatin1String("-");
        item->setSeparator(separator);
        // A separator with a text is drawn as that text (a section title): it gets none.
        // The default's key is shown, not bound: acInsertTime owns Ctrl+Shift+D.
        item->setText(separator     ? QString()
                      : i == chosen ? caption + QStringLiteral("\tCtrl+Shift+D")
                                    : caption);
    }
}

void TTextCard::InsertIntoFocused(const QString& text) {
    QWidget* w = nullptr;
    if (FocusKind(&w) == TFocusKind::Combo) w = static_cast<QComboBox*>(w)->lineEdit();
    if (auto* le = qobject_cast<QLineEdit*>(w)) {
        if (!le->isReadOnly()) le->insert(text);
    } else if (auto* te = qobject_cast<QTextEdit*>(w)) {
        if (!te->isReadOnly()) te->insertPlainText(text);
    } else if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) {
        if (!pe->isReadOnly()) pe->insertPlainText(text);
    }
}

namespace {

// Selection length, read-only state, undo and the commands of one edit control.
struct EditControl {
    QLineEdit* Line = nullptr;
    QTextEdit* Rich = nullptr;
    QPlainTextEdit* Plain = nullptr;

    explicit EditControl(QWidget* w)
        : Line(qobject_cast<QLineEdit*>(w)),
          Rich(qobject_cast<QTextEdit*>(w)),
          Plain(qobject_cast<QPlainTextEdit*>(w)) {}
    bool Valid() const { return Line || Rich || Plain; }
    int SelLength() const {
        if (Line) return int(Line->selectedText().size());
        const QTextCursor c = Rich ? Rich->textCursor() : Plain->textCursor();
        return c.selectionEnd() - c.selectionStart();
    }
    bool ReadOnly() const {
        return Line ? Line->isReadOnly() : Rich ? Rich->isReadOnly() : Plain->isReadOnly();
    }
    bool CanUndo() const {
        if (Line) return Line->isUndoAvailable();
        return (Rich ? Rich->document() : Plain->document())->isUndoAvailable();
    }
    QString Text() const {
        return Line ? Line->text() : Rich ? Rich->toPlainText() : Plain->toPlainText();
    }
    void Copy() { Line ? Line->copy() : Rich ? Rich->copy() : Plain->copy(); }
    void Cut() { Line ? Line->cut() : Rich ? Rich->cut() : Plain->cut(); }
    void Paste() { Line ? Line->paste() : Rich ? Rich->paste() : Plain->paste(); }
    void SelectAll() { Line ? Line->selectAll() : Rich ? Rich->selectAll() : Plain->selectAll(); }
    void Delete() {
        if (Line) Line->del();
        else (Rich ? Rich->textCursor() : Plain->textCursor()).removeSelectedText();
    }
    // One level: what the undo took back cannot be taken back again.
    void Undo() {
        if (Line) {
            Line->undo();
            const bool modified = Line->isModified();
            const int caret = Line->cursorPosition();
            Line->setText(Line->text());  // clears the line's undo history
            Line->setModified(modified);
            Line->setCursorPosition(caret);
            return;
        }
        QTextDocument* doc = Rich ? Rich->document() : Plain->document();
        doc->undo();
        doc->clearUndoRedoStacks();
    }
};

}  // namespace

void TTextCard::UpdateEditCommand(KivAction* a) {
    QWidget* w = nullptr;
    const TFocusKind kind = FocusKind(&w);
    const bool clipboard = a == acCopy || a == acCut || a == acPaste || a == acDelete;
    bool on = false;
    if (clipboard && ctx_.Open().Loading) {
        on = false;
    } else if (kind == TFocusKind::Edit || kind == TFocusKind::RichEditor ||
               kind == TFocusKind::CaptionEditor) {
        const EditControl c(w);
        const bool writable = !c.ReadOnly();
        if (a == acCopy) on = c.SelLength() >= 1;
        else if (a == acCut) on = writable && c.SelLength() >= 1;
        else if (a == acDelete)
            on = (writable && c.SelLength() >= 1) ||
                 (kind == TFocusKind::CaptionEditor && c.Text().isEmpty() && TopicEditCommand);
        else if (a == acPaste) on = writable;
        else if (a == acUndo) on = writable && c.CanUndo();
        else if (a == acSelectAll) on = true;
    } else if (kind == TFocusKind::Panel) {
        on = (clipboard || a == acSelectAll) && TopicEditCommand &&
             !ctx_.Actions().Get(QStringLiteral("EditMode")).Checked();
    } else if (kind == TFocusKind::Combo) {
        on = a != acUndo && static_cast<QComboBox*>(w)->isEditable();
    }
    a->SetEnabled(on);
    if (a == acDelete) a->setShortcut(on ? QKeySequence(Qt::Key_Delete) : QKeySequence());
}

void TTextCard::RunEditCommand(KivAction* a) {
    QWidget* w = nullptr;
    const TFocusKind kind = FocusKind(&w);
    if (kind == TFocusKind::Panel) {
        if (TopicEditCommand) TopicEditCommand(a);
        return;
    }
    if (kind == TFocusKind::Combo) w = static_cast<QComboBox*>(w)->lineEdit();
    EditControl c(w);
    if (!c.Valid()) return;
    if (kind == TFocusKind::CaptionEditor && a == acDelete && c.Text().isEmpty()) {
        if (TopicEditCommand) TopicEditCommand(a);
        return;
    }
    if (a == acCopy) c.Copy();
    else if (a == acCut) c.Cut();
    else if (a == acPaste) c.Paste();
    else if (a == acDelete) c.Delete();
    else if (a == acUndo) c.Undo();
    else if (a == acSelectAll) c.SelectAll();
}

void TTextCard::SaveEditorAs(QTextEdit* editor) {
    // The print window's dialog when it is there, so both start where the last save went.
    TfrmPrint* print = print_->PrintWindow();
    kiv::SaveEditorAs(*editor->document(), print ? print->sdSave : sdSaveEdit);
}

}  // namespace kiv
