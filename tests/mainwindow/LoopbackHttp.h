#pragma once
// A small HTTP server of the test's own on loopback: Python's http.server on 127.0.0.1 and
// a port the system chooses, serving one folder.
#include <QProcess>
#include <QRegularExpression>
#include <QString>

namespace kiv::test {

class LoopbackHttp {
public:
    bool Start(const QString& folder) {
        server_.setProcessChannelMode(QProcess::MergedChannels);
        server_.start(QStringLiteral("/usr/bin/python3"), {"-u", "-m", "http.server", "0", "--bind",
                                                           "127.0.0.1", "--directory", folder});
        if (!server_.waitForStarted(5000)) return false;
        QByteArray out;
        const QRegularExpression port(QStringLiteral("port (\\d+)"));
        for (int i = 0; i < 100 && !port.match(QString::fromUtf8(out)).hasMatch(); ++i)
            if (server_.waitForReadyRead(100)) out += server_.readAll();
        const auto m = port.match(QString::fromUtf8(out));
        if (!m.hasMatch()) return false;
        port_ = m.captured(1).toInt();
        return true;
    }
    ~LoopbackHttp() {
        server_.kill();
        server_.waitForFinished(3000);
    }
    // The requests served so far, one line each as the server logs them ("GET /x ...").
    int Requests(const QString& method, const QString& path) {
        server_.waitForReadyRead(0);
        log_ += QString::fromUtf8(server_.readAll());
        return int(log_.count(QStringLiteral("\"%1 /%2 ").arg(method, path)));
    }
    QString Url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1/%2").arg(port_).arg(path);
    }

private:
    QProcess server_;
    QString log_;
    int port_ = 0;
};

}  // namespace kiv::test
