#pragma once
// The e-mail windows in a test's own program folder, with the fake dialogs, a modal runner
// that records which window would have been shown modally (and runs no loop), and the
// send window's status-bar texts as they come.
#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>
#include <QStatusBar>
#include <QTextEdit>
#include <functional>
#include <memory>

#include "email/AddressBook.h"
#include "email/EmailModal.h"
#include "email/EmailSettings.h"
#include "email/EmailWindows.h"
#include "email/GenerateMessage.h"
#include "email/SendEmail.h"
#include "platform/core/BlockFile.h"
#include "platform/qt/TestHarness.h"

namespace kiv::test {

class EmailFixture : public ::testing::Test {
protected:
    TestEnvironment env;
    std::unique_ptr<TEmailWindows> w;
    TfrmSendEmail* send = nullptr;
    QStringList modal;     // objectName of each window shown modally
    QStringList statuses;  // the send window's status texts, each change once
    std::function<int(QDialog&)> onModal;
    TModalRunner previousRunner;

    void SetUp() override {
        previousRunner = SetModalRunner([this](QDialog& d) {
            modal << d.objectName();
            return onModal ? onModal(d) : int(QDialog::Rejected);
        });
        Make();
    }

    void TearDown() override {
        w.reset();
        SetModalRunner(std::move(previousRunner));
    }

    // The windows made again (the settings are read from the file when they are made).
    void Make(TfrmPrint* print = nullptr) {
        w.reset();
        w = std::make_unique<TEmailWindows>(env.Dir(), print);
        send = w->frmSendEmail.get();
        statuses.clear();
        QObject::connect(send->sbStatus, &QStatusBar::messageChanged, send,
                         [this](const QString& text) {
                             if ((statuses.isEmpty() && text.isEmpty()) ||
                                 (!statuses.isEmpty() && statuses.back() == text))
                                 return;
                             statuses << text;
                         });
    }

    void WriteSettings(int port, const std::string& more = "") {
        WriteFileAtomic(env.Dir() + "userset.ini",
                        "[MailSettings]\r\nFrom=me@x.org\r\nName=Me\r\nSMTP=127.0.0.1\r\nPort=" +
                            std::to_string(port) + "\r\n" + more);
        Make();
    }

    void Compose(const QString& to, const QString& cc = {},
                 const QString& subject = QStringLiteral("Subject")) {
        send->edtTo->setText(to);
        send->edtCc->setText(cc);
        send->edtSubject->setText(subject);
        send->reMessage->setPlainText(QStringLiteral("Body text"));
    }

    QString Path(const char* name) const { return QString::fromStdString(env.Dir()) + name; }
    FakeDialogs& Dialogs() { return env.Dialogs(); }
};

}  // namespace kiv::test
