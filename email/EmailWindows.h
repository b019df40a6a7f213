#pragma once
// The four e-mail windows, made together and wired to each other: the send window opens
// the settings, the address book and the generate window; the address book writes the
// chosen recipients into the send window. They live as long as this object.
#include <QWidget>
#include <memory>
#include <string>

namespace kiv {

class TfrmAddresses;
class TfrmEmailSettings;
class TfrmGenerateMessage;
class TfrmPrint;
class TfrmSendEmail;

struct TEmailWindows {
    // appDir: the program folder ("userset.ini" and "address.lst" live there); print: the
    // window whose generator and options make generated messages (may be null).
    TEmailWindows(const std::string& appDir, TfrmPrint* print, QWidget* parent = nullptr);
    ~TEmailWindows();

    std::unique_ptr<TfrmEmailSettings> frmEmailSettings;
    std::unique_ptr<TfrmAddresses> frmAddresses;
    std::unique_ptr<TfrmGenerateMessage> frmGenerateMessage;
    std::unique_ptr<TfrmSendEmail> frmSendEmail;
};

}  // namespace kiv
