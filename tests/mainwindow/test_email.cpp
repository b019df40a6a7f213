// The main window's e-mail command: hidden and disabled as built, and when run it opens
// the send window for a new message with the active text editor's text.
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QTextEdit>

#include "dialogs/PrintWindow.h"
#include "email/EmailWindows.h"
#include "email/GenerateMessage.h"
#include "email/SendEmail.h"
#include "mainwindow/collector/Collector.h"
#include "mainwindow/email/EmailCommands.h"
#include "mainwindow/print/PrintCommands.h"
#include "tests/mainwindow/WindowFixture.h"

namespace kiv::wintest {
namespace {

using EmailCommand = PanelsWindow;

TEST_F(EmailCommand, IsHiddenAndDisabledAsBuilt) {
    Open("a b");
    auto* email = f->findChild<TEmailCommands*>(QStringLiteral("EmailCommands"));
    ASSERT_NE(email, nullptr);
    KivAction* a = email->acSendEmail;
    EXPECT_EQ(a->objectName(), "acSendEmail");
    EXPECT_EQ(a->text(), "Send Email...");
    EXPECT_EQ(a->toolTip(), "Send Email");
    EXPECT_EQ(a->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    EXPECT_FALSE(a->isVisible());
    EXPECT_FALSE(a->isEnabled());
    EXPECT_TRUE(f->Skeleton().File1->actions().contains(a));
    EXPECT_FALSE(f->Collector().SendEmail1->isVisible());
    // The disabled command does nothing from the collector's item either.
    f->Collector().SendEmail1->trigger();
    QCoreApplication::processEvents();
    EXPECT_TRUE(email->Windows().frmSendEmail->isHidden());
}

TEST_F(EmailCommand, OpensANewMessageWithTheTextCardsText) {
    Open("a b");
    auto* email = f->findChild<TEmailCommands*>(QStringLiteral("EmailCommands"));
    ASSERT_NE(email, nullptr);
    TfrmSendEmail& send = *email->Windows().frmSendEmail;
    EXPECT_EQ(email->Windows().frmGenerateMessage->PrintWindow, f->Print().frmPrint.get());
    send.edtTo->setText("old@x.org");
    send.edtSubject->setText("old");
    QTextEdit* card = f->TextCard().txtSimpleText;
    card->setPlainText(QStringLiteral("Card line one\nline two"));
    card->setFocus(Qt::OtherFocusReason);
    QCoreApplication::processEvents();
    ASSERT_EQ(f->TextCard().ActiveTextEditor(), card);
    email->acSendEmailExecute();
    EXPECT_FALSE(send.isHidden());
    EXPECT_EQ(send.reMessage->toPlainText(), "Card line one\nline two");
    EXPECT_EQ(send.reMessage->font().pointSize(), 11);
    EXPECT_FALSE(send.reMessage->font().bold());
    EXPECT_EQ(send.edtTo->text(), "");
    EXPECT_EQ(send.edtSubject->text(), "");

    // Without a text editor in focus the body starts empty.
    send.hide();
    f->Panels().sgdFirst->setFocus(Qt::OtherFocusReason);
    QCoreApplication::processEvents();
    email->acSendEmailExecute();
    EXPECT_EQ(send.reMessage->toPlainText(), "");
}

}  // namespace
}  // namespace kiv::wintest
