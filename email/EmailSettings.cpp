#include "email/EmailSettings.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

#include "email/EmailModal.h"
#include "platform/qt/Dialogs.h"

namespace kiv {

namespace {
QLineEdit* Field(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    return e;
}
}  // namespace

TfrmEmailSettings::TfrmEmailSettings(const std::string& iniPath, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), ini_(iniPath) {
    setObjectName(QStringLiteral("frmEmailSettings"));
    setWindowTitle(QStringLiteral("Email Settings:"));
    auto* form = new QFormLayout;
    edtFrom = Field(this, "edtFrom");
    edtName = Field(this, "edtName");
    edtSMTP = Field(this, "edtSMTP");
    edtPort = Field(this, "edtPort");
    edtUserID = Field(this, "edtUserID");
    edtPassword = Field(this, "edtPassword");
    edtPassword->setEchoMode(QLineEdit::Password);
    form->addRow(QStringLiteral("From (email):"), edtFrom);
    form->addRow(QStringLiteral("From (Name):"), edtName);
    form->addRow(QStringLiteral("SMTP Server:"), edtSMTP);
    form->addRow(QStringLiteral("Port:"), edtPort);
    form->addRow(QStringLiteral("User ID:"), edtUserID);
    form->addRow(QStringLiteral("Password:"), edtPassword);
    chbSendMe = new QCheckBox(QStringLiteral("Send all messages myself, for testing"), this);
    chbSendMe->setObjectName(QStringLiteral("chbSendMe"));
    chbSendMe->hide();
    btnSaveSMTP = DashButton(this, "btnSaveSMTP", QStringLiteral("- OK -"));
    btnCancelSMTP = DashButton(this, "btnCancelSMTP", QStringLiteral("- Cancel -"));
    connect(btnSaveSMTP, &QPushButton::clicked, this, [this] { SaveMailSettings(); });
    connect(btnCancelSMTP, &QPushButton::clicked, this, [this] { btnCancelSMTPClick(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnSaveSMTP);
    buttons->addWidget(btnCancelSMTP);
    auto* l = new QVBoxLayout(this);
    l->addLayout(form);
    l->addLayout(buttons);
    resize(360, sizeHint().height());
    LoadMailSettings();
}

TMailSettings TfrmEmailSettings::Fields() const {
    TMailSettings s;
    s.From = edtFrom->text().toStdString();
    s.Name = edtName->text().toStdString();
    s.SMTP = edtSMTP->text().toStdString();
    s.Port = edtPort->text().toStdString();
    s.UserID = edtUserID->text().toStdString();
    s.Password = edtPassword->text().toStdString();
    s.SendMe = chbSendMe->isChecked();
    return s;
}

void TfrmEmailSettings::LoadMailSettings() {
    const TMailSettings s = ReadMailSettings(ini_);
    edtFrom->setText(QString::fromStdString(s.From));
    edtName->setText(QString::fromStdString(s.Name));
    edtSMTP->setText(QString::fromStdString(s.SMTP));
    edtPort->setText(QString::fromStdString(s.Port));
    edtUserID->setText(QString::fromStdString(s.UserID));
    edtPassword->setText(QString::fromStdString(s.Password));
    chbSendMe->setChecked(s.SendMe);
}

void TfrmEmailSettings::SaveMailSettings() {
    try {
        WriteMailSettings(ini_, Fields());
    } catch (const std::exception& e) {
        MessageDlg(QString::fromStdString(e.what()), MsgType::Error, MsgButtons::OK);
        return;
    }
    accept();
}

void TfrmEmailSettings::btnCancelSMTPClick() {
    QDialog::reject();
    LoadMailSettings();
}

void TfrmEmailSettings::reject() { btnCancelSMTPClick(); }

}  // namespace kiv
