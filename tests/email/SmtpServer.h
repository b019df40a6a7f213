#pragma once
// A real SMTP server on loopback for one test: smtpserver.py under Debian's interpreter
// (which has python3-aiosmtpd), on a port of its own, with its events read from its log.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QTcpServer>
#include <QThread>
#include <cstdlib>
#include <string>
#include <vector>

namespace kiv::test {

// The checkout, as ctest tells every test.
inline QString SourceDir() {
    const char* s = std::getenv("KIV_SOURCE_DIR");
    return QString::fromLocal8Bit(s ? s : "");
}

// A port nobody listens on: one the system just gave and took back.
inline int ClosedPort() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0)) return 9;
    const int port = probe.serverPort();
    probe.close();
    return port;
}

class SmtpServer {
public:
    // args: --reject ADDR, --delay-data SECONDS (see smtpserver.py).
    SmtpServer(const QString& logPath, const QStringList& args = {}) : log_(logPath) {
        QFile::remove(log_);
        process_.setProgram(QStringLiteral("/usr/bin/python3"));
        process_.setArguments(
            QStringList{SourceDir() + "/tests/email/smtpserver.py", "--log", log_} + args);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start();
        QByteArray out;
        QElapsedTimer t;
        t.start();
        while (!out.contains('\n') && t.elapsed() < 15000 &&
               process_.state() != QProcess::NotRunning) {
            process_.waitForReadyRead(100);
            out += process_.readAllStandardOutput();
        }
        if (out.startsWith("PORT ")) port_ = out.mid(5).trimmed().toInt();
        if (port_ <= 0)
            ADD_FAILURE() << "the test SMTP server did not start: " << out.toStdString();
    }

    ~SmtpServer() {
        process_.terminate();
        if (!process_.waitForFinished(3000)) {
            process_.kill();
            process_.waitForFinished(3000);
        }
    }

    int Port() const { return port_; }

    // The log's events of that kind ("auth", "data", "message"), in order.
    std::vector<QJsonObject> Events(const QString& kind) const {
        std::vector<QJsonObject> out;
        QFile f(log_);
        if (!f.open(QIODevice::ReadOnly)) return out;
        for (const QByteArray& line : f.readAll().split('\n')) {
            const QJsonObject o = QJsonDocument::fromJson(line).object();
            if (o.value("event").toString() == kind) out.push_back(o);
        }
        return out;
    }
    std::vector<QJsonObject> Messages() const { return Events(QStringLiteral("message")); }

    // Waits, letting events run, until the log holds an event of that kind.
    bool WaitFor(const QString& kind, int ms) const {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            if (!Events(kind).empty()) return true;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(10);
        }
        return false;
    }

private:
    QString log_;
    QProcess process_;
    int port_ = 0;
};

inline QStringList Strings(const QJsonValue& v) {
    QStringList out;
    for (const QJsonValue& x : v.toArray()) out << x.toString();
    return out;
}

}  // namespace kiv::test
