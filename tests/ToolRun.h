#pragma once
// Runs one of our small programs (from KIV_BIN_DIR, else beside the test) as a person
// would, and hands back its exit status and what it wrote.
#include <QByteArray>
#include <QCoreApplication>
#include <QProcess>
#include <QStringList>

namespace kiv::test {

struct ToolRun {
    int status = -1;  // -1: did not finish, or crashed
    QByteArray out, err;
};

inline ToolRun RunTool(const QString& name, const QStringList& args) {
    QString dir = qEnvironmentVariable("KIV_BIN_DIR");
    if (dir.isEmpty()) dir = QCoreApplication::applicationDirPath();
    QProcess p;
    p.start(dir + "/" + name, args);
    ToolRun r;
    if (!p.waitForFinished(60000)) return r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

}  // namespace kiv::test
