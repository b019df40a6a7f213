// The send window against a real SMTP server on loopback: the status texts, the checks,
// every failure told, Stop, and the sends kept apart by their ids.
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include "tests/email/EmailFixture.h"
#include "tests/email/SmtpServer.h"

namespace kiv::test {
namespace {

using SendWindow = EmailFixture;

TEST_F(SendWindow, SendsAndShowsEachStatus) {
    SmtpServer server(Path("smtp.log"));
    WriteSettings(server.Port());
    Compose("a@x.org, Bob <b@y.org>", "c@z.org");
    send->btnRestoreClick();
    EXPECT_EQ(statuses, (QStringList{"Connection to the email server...",
                                     "Connected, start sending email...", "email sent!", ""}));
    EXPECT_EQ(Dialogs().MessageTexts(), QStringList{"email sent!"});
    EXPECT_EQ(send->lblSecurity->text(), "Not encrypted");
    EXPECT_FALSE(send->Sending);
    EXPECT_FALSE(send->btnStop->isEnabled());
    EXPECT_EQ(send->CurrentSend(), 0u);
    const auto m = server.Messages();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(Strings(m[0]["rcpt_tos"]), (QStringList{"a@x.org", "b@y.org", "c@z.org"}));
    EXPECT_EQ(m[0]["body"].toString().replace("\r\n", "\n"), "Body text\n");
}

TEST_F(SendWindow, TellsAClosedPortAndARefusedRecipient) {
    WriteSettings(ClosedPort());
    Compose("a@x.org");
    send->btnRestoreClick();
    EXPECT_EQ(statuses, (QStringList{"Connection to the email server...",
                                     "Error, can't connect to the email server", ""}));
    EXPECT_EQ(Dialogs().MessageTexts(), QStringList{"Error, can't connect to the email server"});
    EXPECT_EQ(Dialogs().Messages.back().Type, MsgType::Error);
    EXPECT_FALSE(send->Sending);

    SmtpServer server(Path("smtp.log"), {"--reject", "b@y.org"});
    WriteSettings(server.Port());
    Dialogs().Clear();
    Compose("a@x.org; b@y.org");
    send->btnRestoreClick();
    const QString refused =
        "Error, email not sent: 550 5.1.1 <b@y.org>: Recipient address rejected";
    EXPECT_EQ(Dialogs().MessageTexts(), QStringList{refused});
    EXPECT_TRUE(statuses.contains(refused));
    EXPECT_FALSE(statuses.contains("email sent!"));
    EXPECT_TRUE(server.Messages().empty());
}

TEST_F(SendWindow, ChecksBeforeSending) {
    SmtpServer server(Path("smtp.log"));
    WriteSettings(server.Port());
    Compose(" ;, ");
    send->btnRestoreClick();
    EXPECT_EQ(Dialogs().MessageTexts(), QStringList{"Can't send email! 'To' address is blank."});
    EXPECT_TRUE(modal.isEmpty());

    Dialogs().Clear();
    Compose("a@x.org");
    w->frmEmailSettings->edtSMTP->setText("  ");
    send->btnRestoreClick();
    EXPECT_EQ(Dialogs().MessageTexts(),
              QStringList{"'From', 'Name', 'SMTP Server' or 'Port' setting is blank, please set."});
    EXPECT_EQ(modal, QStringList{"frmEmailSettings"});
    w->frmEmailSettings->LoadMailSettings();

    Dialogs().Clear();
    Compose("a@x.org", {}, {});
    Dialogs().AnswerMessage(IDNO);
    send->btnRestoreClick();
    EXPECT_EQ(Dialogs().MessageTexts(),
              QStringList{"Subject is blank. Do you want to send email without subject?"});
    EXPECT_EQ(Dialogs().Messages[0].Buttons, MsgButtons::YesNo);
    EXPECT_TRUE(server.Messages().empty());

    Dialogs().Clear();
    Dialogs().AnswerMessage(IDYES);
    send->btnRestoreClick();
    EXPECT_EQ(Dialogs().MessageTexts(),
              (QStringList{"Subject is blank. Do you want to send email without subject?",
                           "email sent!"}));
    EXPECT_EQ(server.Messages().size(), 1u);
}

// The server holds its answer to DATA far longer than any run takes: the window is idle
// again, and the session gone, while the server still waits.
TEST_F(SendWindow, StopLeavesTheWindowIdleAtOnceAndNothingDelivered) {
    SmtpServer server(Path("smtp.log"), {"--delay-data", "600"});
    WriteSettings(server.Port());
    Compose("a@x.org");
    bool stopped = false, secondSend = false, closed = true;
    QPointer<TSMTPThreadSole> worker;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (server.Events("data").empty() || stopped) return;
        // While the send runs: Send does nothing, closing is refused.
        send->show();
        send->btnRestoreClick();
        secondSend = true;
        send->close();
        closed = send->isHidden();
        stopped = true;
        worker = send->Worker;
        QTest::mouseClick(send->btnStop, Qt::LeftButton);
    });
    poll.start(20);
    send->btnRestoreClick();
    ASSERT_TRUE(stopped);
    EXPECT_TRUE(server.Events("data-answered").empty()) << "idle before the server answered";
    EXPECT_TRUE(secondSend);
    EXPECT_FALSE(closed);
    EXPECT_FALSE(send->Sending);
    EXPECT_FALSE(send->btnStop->isEnabled());
    // The stopped send is not heard again, and the server gets nothing: its session ends,
    // and its worker is gone after its last report was handled.
    EXPECT_TRUE(server.WaitFor("closed", 30000));
    QElapsedTimer t;
    t.start();
    while (worker && t.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_TRUE(worker.isNull());
    EXPECT_TRUE(Dialogs().MessageTexts().isEmpty())
        << Dialogs().MessageTexts().join("|").toStdString();
    EXPECT_TRUE(server.Messages().empty());
    EXPECT_EQ(server.Events("data").size(), 1u);
    send->close();
    EXPECT_TRUE(send->isHidden());
}

TEST_F(SendWindow, AStaleSendNeverTouchesANewerOne) {
    SmtpServer slow(Path("slow.log"), {"--delay-data", "1.5"});
    SmtpServer slower(Path("slower.log"), {"--delay-data", "3"});
    WriteSettings(slow.Port());
    Compose("a@x.org");
    // The wait gives up on the first send, which goes on by itself.
    send->WaitRounds = 4;
    send->btnRestoreClick();
    EXPECT_FALSE(send->Sending);
    const quint64 first = send->CurrentSend();
    EXPECT_NE(first, 0u);

    w->frmEmailSettings->edtPort->setText(QString::number(slower.Port()));
    send->WaitRounds = 1801;
    statuses.clear();
    bool sendingWhenStaleEnded = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!slow.Messages().empty() && Dialogs().MessageTexts().size() == 1)
            sendingWhenStaleEnded = send->Sending;
    });
    poll.start(20);
    send->btnRestoreClick();
    EXPECT_TRUE(sendingWhenStaleEnded);
    EXPECT_EQ(Dialogs().MessageTexts(), (QStringList{"email sent!", "email sent!"}));
    EXPECT_EQ(statuses, (QStringList{"Connection to the email server...",
                                     "Connected, start sending email...", "email sent!", ""}));
    EXPECT_EQ(slow.Messages().size(), 1u);
    EXPECT_EQ(slower.Messages().size(), 1u);
}

TEST(Attachments, SizeSuffixes) {
    const std::pair<qint64, const char*> cases[] = {{0, " (0 b)"},     {999, " (999 b)"},
                                                    {1000, " (1 kb)"}, {1500, " (2 kb)"},
                                                    {2500, " (2 kb)"}, {3500, " (4 kb)"},
                                                    {1499, " (1 kb)"}, {10240, " (10 kb)"}};
    for (const auto& [size, suffix] : cases) EXPECT_EQ(AttachmentSuffix(size), suffix) << size;
}

TEST_F(SendWindow, AttachmentsAreListedOnceAndDeleted) {
    WriteFileAtomic(env.Dir() + "one.bin", std::string(1500, 'x'));
    WriteFileAtomic(env.Dir() + "two.txt", std::string(999, 'y'));
    Dialogs().AnswerOpen({Path("one.bin")});
    Dialogs().AnswerOpen({Path("one.bin")});
    Dialogs().AnswerOpen({Path("two.txt")});
    QTest::mouseClick(send->btnAttach, Qt::LeftButton);
    send->AddAttachment();
    send->AddAttachment();
    ASSERT_EQ(send->lbxAttach->count(), 2);
    EXPECT_EQ(send->lbxAttach->item(0)->text(), "one.bin (2 kb)");
    EXPECT_EQ(send->lbxAttach->item(1)->text(), "two.txt (999 b)");
    EXPECT_EQ(send->AttachPaths, (QStringList{Path("one.bin"), Path("two.txt")}));
    EXPECT_EQ(Dialogs().OpenRequests[0].Filter, "All files (*.*)|*.*");
    EXPECT_TRUE(Dialogs().OpenRequests[0].FileMustExist);

    send->lbxAttach->setCurrentRow(0);
    QTest::keyClick(send->lbxAttach, Qt::Key_Delete);
    EXPECT_EQ(send->lbxAttach->count(), 1);
    EXPECT_EQ(send->AttachPaths, QStringList{Path("two.txt")});
    EXPECT_TRUE(send->lbxAttach->item(0)->isSelected());

    send->btnNewClick();
    EXPECT_EQ(send->lbxAttach->count(), 0);
    EXPECT_TRUE(send->AttachPaths.isEmpty());
    Dialogs().AnswerOpen({Path("two.txt")});
    send->AddAttachment();
    EXPECT_EQ(send->AttachPaths, QStringList{Path("two.txt")});
}

TEST_F(SendWindow, AddressBookAndSettingsOpenModally) {
    Compose("a@x.org, \"Doe, Jane\" <j@y.org>", "c@z.org");
    send->btnAddressesClick();
    EXPECT_EQ(modal, QStringList{"frmAddresses"});
    ASSERT_EQ(w->frmAddresses->lbxTo->count(), 2);
    EXPECT_EQ(w->frmAddresses->lbxTo->item(1)->text(), "\"Doe, Jane\" <j@y.org>");
    EXPECT_EQ(w->frmAddresses->lbxCc->item(0)->text(), "c@z.org");
    send->btnMoveToSelPanelClick();
    send->btnGenerateClick();
    EXPECT_EQ(modal, (QStringList{"frmAddresses", "frmEmailSettings", "frmGenerateMessage"}));
    EXPECT_EQ(send->windowTitle(), "Send email");
    EXPECT_EQ(send->btnRestore->text(), "  Send  ");
    EXPECT_EQ(send->btnStop->toolTip(), "Stop sending");
}

}  // namespace
}  // namespace kiv::test
