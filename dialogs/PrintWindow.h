#pragma once
// The print and export window ("Print & Export"): the user chooses the topics (the active
// panel, the current branch or the whole outline) and what each brings (numbers, text
// card, its formatting, links), generates one document into reForPrint, reads and edits
// it there, saves it as ".txt" or ".rtf" and prints it on the current printer.
//
// The window lives for the whole run and is shown without waiting for it, a window of its
// own over its parent (the main window). It sees the main window only through the hooks
// below, set by whoever makes it.
#include <QDialog>
#include <QPointer>
#include <functional>

#include "dialogs/OutlineText.h"
#include "platform/qt/Dialogs.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTextEdit;

namespace kiv {

class TKivStringGrid;

class TfrmPrint : public QDialog {
    Q_OBJECT
public:
    explicit TfrmPrint(QWidget* parent = nullptr);
    ~TfrmPrint() override;

    // ---- what the window needs from the main window ----
    std::function<TKivStringGrid*()> CurrentGrid;  // the active outline panel, or null
    QPointer<QWidget> MainForm;                    // disabled while a document is built
    std::function<void()> CloseFindDialog;         // closes the main window's find dialog
    // Runs work with the main window's busy gate held (its guard, so nested busy scopes
    // keep it); without it the gate is set for the work alone.
    std::function<void(const std::function<void()>& work)> RunBusy;

    // 1: the window was hidden together with the main window and keeps its document
    // when shown again.
    int Tag = 0;

    // ---- components ----
    QGroupBox* gbTopics = nullptr;
    QRadioButton* rbPanel = nullptr;
    QRadioButton* rbBranch = nullptr;
    QRadioButton* rbOutline = nullptr;
    QCheckBox* cbxTopicsNumbers = nullptr;
    QCheckBox* cbxWithTextCard = nullptr;
    QCheckBox* cbxFormatting = nullptr;
    QCheckBox* cbxWithLinks = nullptr;
    QPushButton* btnGenerate = nullptr;
    QPushButton* btnSaveAs = nullptr;
    QPushButton* btnPrint = nullptr;
    QPushButton* btnExit = nullptr;
    QLabel* lblProgress = nullptr;  // topics written so far while a document is built
    int ProgressMs = 100;           // how often it is shown and pending events run
    QTextEdit* reForPrint = nullptr;
    TSaveDialog sdSave;

    // The options as the controls hold them.
    TOutlineTextOptions Options() const;

    // ---- handlers ----
    void btnGenerateClick();
    void btnSaveAsClick();
    void btnPrintClick();
    void btnExitClick();
    void FormShow();
    void FormHide();

    // Esc and "- Close -" hide the window; not while a document is being built.
    void reject() override;

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void EnableButtons(bool on);
};

// True while a document is being built (program-wide: the e-mail window builds with the
// same options); a second generation meanwhile does nothing.
extern bool OutlineGenerating;

// Fills target with the topics that the print window's options choose, from its active
// panel: the hour-glass, the main window disabled and the busy gate held meanwhile, the
// progress shown in the window's lblProgress with pending events let through now and then.
// The document is built apart and put into the editor once, caret at its start.
void GenerateOutlineText(TfrmPrint& options, QTextEdit& target);

}  // namespace kiv
