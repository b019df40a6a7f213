#pragma once
// Runs one of our small programs (from KIV_BIN_DIR, else beside the test) as a person
// would, and hands back its exit status and what it wrote.
#include <QByteArray>
#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

namespace kiv::test {

struct ToolRun {
    int status = -1;  // -1: did not finish, or crashed
    QByteArray out, err;
};

inline QString ToolDir() {
    QString dir = qEnvironmentVariable("KIV_BIN_DIR");
    return dir.isEmpty() ? QCoreApplication::applicationDirPath() : dir;
}

// With env, these "NAME=value" settings are added to the tool's environment.
inline ToolRun RunTool(const QString& name, const QStringList& args, const QStringList& env = {}) {
    QProcess p;
    if (!env.isEmpty()) {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        for (const QString& kv : env) e.insert(kv.section('=', 0, 0), kv.section('=', 1));
        p.setProcessEnvironment(e);
    }
    p.start(ToolDir() + "/" + name, args);
    ToolRun r;
    if (!p.waitForFinished(60000)) return r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// The tool with the EIO shim preloaded (tests/tools/EioShim.cpp) and its settings, e.g.
// "KIV_EIO_KILL=3".
inline ToolRun RunUnderEioShim(const QString& name, const QStringList& args,
                               const QStringList& settings) {
    return RunTool(name, args,
                   QStringList{"LD_PRELOAD=" + ToolDir() + "/libkiveioshim.so",
                               "ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0"} +
                       settings);
}

}  // namespace kiv::test
