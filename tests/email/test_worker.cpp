// The send worker against a real SMTP server on loopback.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QPointer>

#include "email/core/MailSettings.h"
#include "email/SendWorker.h"
#include "platform/qt/TestHarness.h"
#include "tests/email/SmtpServer.h"

using namespace kiv;
using kiv::test::SmtpServer;

namespace {

struct Report {
    TSendStatus status;
    QString detail;
};

class WorkerTest : public ::testing::Test {
protected:
    TestEnvironment env;
    QString Path(const char* name) const { return QString::fromStdString(env.Dir()) + name; }

    TMailSettings Settings(int port, const std::string& password = "") const {
        TMailSettings s;
        s.From = "me@x.org";
        s.Name = "Me";
        s.SMTP = "127.0.0.1";
        s.Port = std::to_string(port);
        s.UserID = "me";
        s.Password = password;
        return s;
    }

    // Runs one worker to its end (or until stop() says so) and returns its reports.
    std::vector<Report> Run(const TSendJob& job, int timeoutMs = 20000) {
        std::vector<Report> reports;
        auto* w = new TSMTPThreadSole(7, job);
        QObject::connect(
            w, &TSMTPThreadSole::Reported, qApp,
            [&](quint64 id, int status, const QString& detail) {
                EXPECT_EQ(id, 7u);
                reports.push_back({TSendStatus(status), detail});
            },
            Qt::QueuedConnection);
        w->start();
        QElapsedTimer t;
        t.start();
        while ((reports.empty() || reports.back().status != TSendStatus::Disconnection) &&
               t.elapsed() < timeoutMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        delete w;
        return reports;
    }

    static std::vector<TSendStatus> Statuses(const std::vector<Report>& r) {
        std::vector<TSendStatus> out;
        for (const Report& x : r) out.push_back(x.status);
        return out;
    }
};

TEST_F(WorkerTest, DeliversToEveryRecipientWithHeadersAndAttachments) {
    SmtpServer server(Path("smtp.log"));
    QFile a(Path("notes.txt")), b(Path("data.bin"));
    QByteArray bin;
    for (int i = 0; i < 5000; ++i) bin += char(i * 7);
    ASSERT_TRUE(a.open(QIODevice::WriteOnly) && a.write("first\r\n.second\n") > 0);
    ASSERT_TRUE(b.open(QIODevice::WriteOnly) && b.write(bin) == bin.size());
    a.close();
    b.close();
    const TSendJob job =
        MakeSendJob(Settings(server.Port()), "a@x.org, Bob <b@y.org>;", " c@z.org ",
                    QStringLiteral("Grüße aus Köln"), QStringLiteral("Hallo\n.\nzwei Zeilen"),
                    {Path("notes.txt"), Path("gone.txt"), Path("data.bin")});
    const auto reports = Run(job);
    EXPECT_EQ(Statuses(reports),
              (std::vector<TSendStatus>{TSendStatus::Connection, TSendStatus::Connected,
                                        TSendStatus::NotEncrypted, TSendStatus::Sent,
                                        TSendStatus::Disconnection}));
    const auto messages = server.Messages();
    ASSERT_EQ(messages.size(), 1u);
    const QJsonObject m = messages[0];
    EXPECT_EQ(kiv::test::Strings(m["rcpt_tos"]), (QStringList{"a@x.org", "b@y.org", "c@z.org"}));
    EXPECT_EQ(m["mail_from"].toString(), "me@x.org");
    EXPECT_TRUE(m["defects"].toArray().isEmpty());
    const QJsonObject h = m["headers"].toObject();
    EXPECT_EQ(h["From"].toString(), "Me <me@x.org>");
    EXPECT_EQ(h["To"].toString(), "a@x.org, Bob <b@y.org>");
    EXPECT_EQ(h["Cc"].toString(), "c@z.org");
    EXPECT_EQ(h["Subject"].toString(), QStringLiteral("Grüße aus Köln"));
    EXPECT_EQ(h["X-Mailer"].toString(), "KIV");
    const QByteArray raw = QByteArray::fromBase64(m["raw_b64"].toString().toLatin1());
    EXPECT_TRUE(raw.contains("\r\nSubject: =?UTF-8?B?")) << raw.left(600).toStdString();
    EXPECT_EQ(m["body"].toString().replace("\r\n", "\n"), QStringLiteral("Hallo\n.\nzwei Zeilen"));
    const QJsonArray att = m["attachments"].toArray();
    ASSERT_EQ(att.size(), 2);  // the file that is gone is left out
    EXPECT_EQ(att[0].toObject()["filename"].toString(), "notes.txt");
    EXPECT_EQ(QByteArray::fromBase64(att[0].toObject()["b64"].toString().toLatin1()),
              QByteArray("first\r\n.second\n"));
    EXPECT_EQ(att[1].toObject()["filename"].toString(), "data.bin");
    EXPECT_EQ(QByteArray::fromBase64(att[1].toObject()["b64"].toString().toLatin1()), bin);
}

TEST_F(WorkerTest, LogsInWithAPasswordAndNotWithout) {
    SmtpServer server(Path("smtp.log"));
    Run(MakeSendJob(Settings(server.Port(), " secret "), "a@x.org", "", "s", "b", {}));
    auto auth = server.Events("auth");
    ASSERT_EQ(auth.size(), 1u);
    EXPECT_EQ(auth[0]["mechanism"].toString(), "LOGIN");
    EXPECT_EQ(auth[0]["login"].toString(), "me");
    EXPECT_EQ(auth[0]["password"].toString(), "secret");
    ASSERT_EQ(server.Messages().size(), 1u);
    EXPECT_TRUE(server.Messages()[0]["authenticated"].toBool());

    Run(MakeSendJob(Settings(server.Port()), "a@x.org", "", "s", "b", {}));
    EXPECT_EQ(server.Events("auth").size(), 1u);
    ASSERT_EQ(server.Messages().size(), 2u);
    EXPECT_FALSE(server.Messages()[1]["authenticated"].toBool());
}

TEST_F(WorkerTest, EveryFailureIsReported) {
    // Nobody listens.
    auto reports = Run(MakeSendJob(Settings(kiv::test::ClosedPort()), "a@x.org", "", "s", "b", {}));
    EXPECT_EQ(Statuses(reports),
              (std::vector<TSendStatus>{TSendStatus::Connection, TSendStatus::NotConnected,
                                        TSendStatus::Disconnection}));
    EXPECT_EQ(SendStatusText(TSendStatus::NotConnected),
              "Error, can't connect to the email server");

    // A refused recipient: an error with the server's reply, nothing delivered.
    SmtpServer server(Path("smtp.log"), {"--reject", "b@y.org"});
    reports = Run(MakeSendJob(Settings(server.Port()), "a@x.org; b@y.org", "", "s", "b", {}));
    ASSERT_GE(reports.size(), 3u);
    EXPECT_EQ(reports[reports.size() - 2].status, TSendStatus::NotSent);
    EXPECT_EQ(SendStatusText(TSendStatus::NotSent, reports[reports.size() - 2].detail),
              "Error, email not sent: 550 5.1.1 <b@y.org>: Recipient address rejected");
    for (const Report& r : reports) EXPECT_NE(r.status, TSendStatus::Sent);
    EXPECT_TRUE(server.Messages().empty());
}

// The server holds its answer to DATA far longer than any run takes: the session ends
// while it still waits, so the abandon did not wait for the server.
TEST_F(WorkerTest, AbandonEndsTheSessionAtOnce) {
    SmtpServer server(Path("smtp.log"), {"--delay-data", "600"});
    std::vector<Report> reports;
    auto* w =
        new TSMTPThreadSole(3, MakeSendJob(Settings(server.Port()), "a@x.org", "", "s", "b", {}));
    QObject::connect(
        w, &TSMTPThreadSole::Reported, qApp,
        [&](quint64, int s, const QString& d) {
            reports.push_back({TSendStatus(s), d});
        },
        Qt::QueuedConnection);
    w->start();
    ASSERT_TRUE(server.WaitFor("data", 30000));
    w->Abandon();
    EXPECT_TRUE(w->wait(30000));
    EXPECT_TRUE(server.WaitFor("closed", 30000));
    EXPECT_TRUE(server.Events("data-answered").empty()) << "ended before the server answered";
    QCoreApplication::processEvents();
    for (const Report& r : reports)
        EXPECT_TRUE(r.status != TSendStatus::Sent && r.status != TSendStatus::NotSent);
    delete w;
    EXPECT_TRUE(server.Messages().empty());
}

TEST(SendJob, FieldsAreTrimmedAndThePortDefaults) {
    const std::pair<const char*, int> ports[] = {{"25", 25}, {" 2525 ", 2525}, {"abc", 25},
                                                 {"", 25},   {"0", 25},        {"70000", 25}};
    for (const auto& [text, port] : ports) EXPECT_EQ(PortOf(text), port) << text;
    TMailSettings s;
    s.From = " me@x.org ";
    s.Name = " Me ";
    s.SMTP = " host ";
    s.Port = "abc";
    s.Password = " pw ";
    const TSendJob j = MakeSendJob(s, " a@x.org ", " ", " subject ", "body", {});
    EXPECT_EQ(j.From, "me@x.org");
    EXPECT_EQ(j.Name, "Me");
    EXPECT_EQ(j.Host, "host");
    EXPECT_EQ(j.Port, 25);
    EXPECT_EQ(j.To, "a@x.org");
    EXPECT_EQ(j.Subject, " subject ");
    EXPECT_EQ(j.Password, "pw");
}

TEST(SendJob, ChecksComeInTheirOrder) {
    TMailSettings s;
    s.From = "me@x.org";
    s.Name = "Me";
    s.SMTP = "host";
    EXPECT_EQ(CheckSend(s, "a@x.org"), TSendCheck::Ready);
    EXPECT_EQ(CheckSend(s, " ; , "), TSendCheck::BlankTo);
    for (std::string TMailSettings::*field :
         {&TMailSettings::From, &TMailSettings::Name, &TMailSettings::SMTP, &TMailSettings::Port}) {
        TMailSettings b = s;
        b.*field = "  ";
        EXPECT_EQ(CheckSend(b, "a@x.org"), TSendCheck::BlankSettings);
        EXPECT_EQ(CheckSend(b, ""), TSendCheck::BlankTo);
    }
    EXPECT_EQ(SendCheckText(TSendCheck::BlankTo), "Can't send email! 'To' address is blank.");
    EXPECT_EQ(SendCheckText(TSendCheck::BlankSettings),
              "'From', 'Name', 'SMTP Server' or 'Port' setting is blank, please set.");
}

}  // namespace
