#pragma once
// The generate window ("Generate Message"): the message body made from the outline by the
// print window's generator, with the options chosen here (copied onto the print window's
// controls of the same names before it runs).
#include <QDialog>
#include <QPointer>

class QCheckBox;
class QPushButton;
class QRadioButton;
class QTextEdit;

namespace kiv {

class TfrmPrint;

class TfrmGenerateMessage : public QDialog {
    Q_OBJECT
public:
    explicit TfrmGenerateMessage(QWidget* parent = nullptr);

    // The print window whose options and active panel the generator uses, and the editor
    // that gets the text (its text replaced by the generated text, as plain text).
    QPointer<TfrmPrint> PrintWindow;
    QPointer<QTextEdit> Target;

    QRadioButton* rbPanel = nullptr;
    QRadioButton* rbBranch = nullptr;
    QRadioButton* rbOutline = nullptr;
    QCheckBox* cbxWithTextCard = nullptr;
    QCheckBox* cbxFormatting = nullptr;
    QCheckBox* cbxWithLinks = nullptr;
    QCheckBox* cbxTopicsNumbers = nullptr;
    QPushButton* btnGenerate = nullptr;
    QPushButton* btnExit = nullptr;

    void btnGenerateClick();
    void btnExitClick() { close(); }
};

}  // namespace kiv
