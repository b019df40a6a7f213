#pragma once
// An X server of the test program's own: Xvfb chooses a free display and names it on its
// standard output (-displayfd 1), so test runs side by side never share or stop each
// other's server.
#include <QByteArray>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

namespace kiv::test {

class XvfbServer {
public:
    XvfbServer() = default;
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;
    ~XvfbServer() { Stop(); }

    // Starts Xvfb and waits until it names its display; false (Display() empty) when Xvfb
    // is not installed or did not come up within ten seconds.
    bool Start() {
        const QString xvfb = QStandardPaths::findExecutable("Xvfb");
        if (xvfb.isEmpty()) return false;
        server_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server_.start(xvfb, {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        if (!server_.waitForStarted(5000)) return false;
        QByteArray out;
        while (!out.contains('\n') && server_.waitForReadyRead(10000))
            out += server_.readAllStandardOutput();
        bool ok = false;
        const int number = out.trimmed().toInt(&ok);
        if (ok) display_ = ":" + QString::number(number);
        return ok;
    }
    void Stop() {
        if (server_.state() != QProcess::NotRunning) {
            server_.terminate();
            if (!server_.waitForFinished(5000)) server_.kill();
            server_.waitForFinished(1000);
        }
        display_.clear();
    }
    // ":<n>", or empty while no server runs.
    const QString& Display() const { return display_; }

private:
    QProcess server_;
    QString display_;
};

}  // namespace kiv::test
