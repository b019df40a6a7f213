#pragma once
// The mail settings window ("Email Settings:"): the sender and the SMTP server, kept in
// "userset.ini". The send window reads the fields as they stand; they are read from the
// file when the window is made and again by Cancel.
#include <QDialog>
#include <string>

#include "email/core/MailSettings.h"
#include "platform/core/IniFile.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace kiv {

class TfrmEmailSettings : public QDialog {
    Q_OBJECT
public:
    // iniPath: "userset.ini" in the program folder.
    explicit TfrmEmailSettings(const std::string& iniPath, QWidget* parent = nullptr);

    QLineEdit* edtFrom = nullptr;
    QLineEdit* edtName = nullptr;
    QLineEdit* edtSMTP = nullptr;
    QLineEdit* edtPort = nullptr;
    QLineEdit* edtUserID = nullptr;
    QLineEdit* edtPassword = nullptr;
    QCheckBox* chbSendMe = nullptr;
    QPushButton* btnSaveSMTP = nullptr;
    QPushButton* btnCancelSMTP = nullptr;

    // The fields as they stand.
    TMailSettings Fields() const;

    void LoadMailSettings();
    // Writes the fields and closes; a write that fails is told and the window stays open
    // with what was typed.
    void SaveMailSettings();
    void btnSaveSMTPClick() { SaveMailSettings(); }
    void btnCancelSMTPClick();

    // Esc is Cancel.
    void reject() override;

private:
    IniFile ini_;
};

}  // namespace kiv
