#include "email/EmailWindows.h"

#include <QLineEdit>
#include <QTextEdit>

#include "dialogs/PrintWindow.h"
#include "email/AddressBook.h"
#include "email/EmailSettings.h"
#include "email/GenerateMessage.h"
#include "email/SendEmail.h"

namespace kiv {

TEmailWindows::TEmailWindows(const std::string& appDir, TfrmPrint* print, QWidget* parent) {
    frmEmailSettings = std::make_unique<TfrmEmailSettings>(appDir + "userset.ini", parent);
    frmAddresses = std::make_unique<TfrmAddresses>(appDir + "address.lst", parent);
    frmGenerateMessage = std::make_unique<TfrmGenerateMessage>(parent);
    frmSendEmail = std::make_unique<TfrmSendEmail>(parent);
    frmSendEmail->Settings = frmEmailSettings.get();
    frmSendEmail->Addresses = frmAddresses.get();
    frmSendEmail->Generate = frmGenerateMessage.get();
    frmAddresses->TargetTo = frmSendEmail->edtTo;
    frmAddresses->TargetCc = frmSendEmail->edtCc;
    frmGenerateMessage->PrintWindow = print;
    frmGenerateMessage->Target = frmSendEmail->reMessage;
}

// The send window first: it stops its workers while the others still exist.
TEmailWindows::~TEmailWindows() { frmSendEmail.reset(); }

}  // namespace kiv
