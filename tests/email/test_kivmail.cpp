// kivmail: the command-line sender, through the window's builder and worker.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>

#include "engine/core/DatastructureFiles.h"
#include "engine/core/TreeText.h"
#include "platform/core/BlockFile.h"
#include "platform/qt/TestHarness.h"
#include "tests/ToolRun.h"
#include "tests/email/SmtpServer.h"

using namespace kiv;
using kiv::test::RunTool;
using kiv::test::SmtpServer;

namespace {

class KivmailTest : public ::testing::Test {
protected:
    TestEnvironment env;
    QString Path(const char* name) const { return QString::fromStdString(env.Dir()) + name; }

    QString Settings(int port) const {
        const std::string ini =
            "[MailSettings]\r\nFrom=me@x.org\r\nName=Me\r\nSMTP=127.0.0.1\r\nPort=" +
            std::to_string(port) + "\r\n";
        WriteFileAtomic(env.Dir() + "userset.ini", ini);
        return Path("userset.ini");
    }
};

TEST_F(KivmailTest, SendsACardWithAttachmentsAndPrintsTheStatuses) {
    SmtpServer server(Path("smtp.log"));
    const std::string kiv = env.Dir() + "notes.kiv";
    MakeTreePair(kiv, "alpha(beta gamma) delta");
    StoreTrailCardPair(kiv, "0/1", 2, "{\\rtf1\\ansi Card \\b text\\b0\\par second}");
    PackDatastructure(kiv);  // a closed datastructure is read from a copy, left as it was
    const std::string before = ReadWholeFile(kiv);
    WriteFileAtomic(env.Dir() + "a.txt", "attached");
    const auto r =
        RunTool("kivmail", {"--settings", Settings(server.Port()), "--to", "a@x.org, b@y.org",
                            "--cc", "c@z.org", "--subject", "Card", "--body-card",
                            QString::fromStdString(kiv), "0/1", "--attach", Path("a.txt")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(
        r.out,
        "Connection to the email server...\nConnected, start sending email...\nNot encrypted\nemail sent!\n");
    EXPECT_EQ(ReadWholeFile(kiv), before);
    const auto m = server.Messages();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(kiv::test::Strings(m[0]["rcpt_tos"]), (QStringList{"a@x.org", "b@y.org", "c@z.org"}));
    EXPECT_EQ(m[0]["body"].toString(), "Card text\r\nsecond");
    const QJsonArray att = m[0]["attachments"].toArray();
    ASSERT_EQ(att.size(), 1);
    EXPECT_EQ(QByteArray::fromBase64(att[0].toObject()["b64"].toString().toLatin1()), "attached");
}

TEST_F(KivmailTest, SeveralToAndCcOptionsAddUp) {
    SmtpServer server(Path("smtp.log"));
    const auto r = RunTool("kivmail", {"--settings", Settings(server.Port()), "--to", "a@x.org",
                                       "--to", "b@y.org", "--cc", "c@z.org", "--cc", "d@w.org",
                                       "--subject", "Several"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    const auto m = server.Messages();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(kiv::test::Strings(m[0]["rcpt_tos"]),
              (QStringList{"a@x.org", "b@y.org", "c@z.org", "d@w.org"}));
    const QJsonObject headers = m[0]["headers"].toObject();
    EXPECT_EQ(headers["To"].toString(), "a@x.org, b@y.org");
    EXPECT_EQ(headers["Cc"].toString(), "c@z.org, d@w.org");
}

TEST_F(KivmailTest, HelpSaysHowTheToolIsUsedAndSendsNothing) {
    const auto r = RunTool("kivmail", {"--help"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("usage: kivmail --settings")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("--to ADDR [--to ADDR]...")) << r.out.toStdString();
    EXPECT_TRUE(r.err.isEmpty());
}

TEST_F(KivmailTest, SendsTheOutline) {
    SmtpServer server(Path("smtp.log"));
    const std::string kiv = env.Dir() + "notes.kiv";
    MakeTreePair(kiv, "alpha(beta) delta");
    const auto r =
        RunTool("kivmail", {"--settings", Settings(server.Port()), "--to", "a@x.org", "--subject",
                            "O", "--body-outline", QString::fromStdString(kiv)});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    const auto m = server.Messages();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0]["body"].toString().replace("\r\n", "\n"), "alpha\n\nbeta\n\ndelta\n\n");
}

TEST_F(KivmailTest, EveryFailureExitsNonZero) {
    const QString closed = Settings(kiv::test::ClosedPort());
    auto r = RunTool("kivmail", {"--settings", closed, "--to", "a@x.org", "--subject", "s"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out,
              "Connection to the email server...\nError, can't connect to the email server\n");

    SmtpServer server(Path("smtp.log"), {"--reject", "a@x.org"});
    r = RunTool("kivmail",
                {"--settings", Settings(server.Port()), "--to", "a@x.org", "--subject", "s"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.contains("Error, email not sent: 550")) << r.out.toStdString();
    EXPECT_FALSE(r.out.contains("email sent!"));

    r = RunTool("kivmail",
                {"--settings", Settings(server.Port()), "--to", " ; ", "--subject", "s"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kivmail: Can't send email! 'To' address is blank.\n");
    r = RunTool("kivmail", {"--settings", Settings(server.Port()), "--to", "b@y.org", "--subject",
                            "s", "--attach", Path("missing.txt")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(server.Messages().empty());
}

}  // namespace
