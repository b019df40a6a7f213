// The clipboard against a real X server: text our source offers is read by xclip, and text
// xclip offers is read by our clipboard port, both with letters beyond ASCII. The programs
// on the X side are the kivclip tool (our source and port under xcb) and xclip.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <memory>

namespace {

const char* const kDisplay = ":93";
const QString kOurs = QString::fromUtf8("Gr\xC3\xBC\xC3\x9F" "e aus K\xC3\xB6ln \xE2\x80\x93 caf\xC3\xA9, \xCE\xBD\xCE\xB1\xCE\xAF");
const QString kTheirs = QString::fromUtf8("\xC3\x84rger \xC3\xBC" "ber \xC3\x9F \xE2\x82\xAC \xCF\x88");

class X11Clipboard : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const QString xvfb = QStandardPaths::findExecutable("Xvfb");
        if (xvfb.isEmpty()) return;
        runtime_ = std::make_unique<QTemporaryDir>();
        server_ = std::make_unique<QProcess>();
        server_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server_->start(xvfb, {kDisplay, "-screen", "0", "640x480x24", "-nolisten", "tcp"});
        server_->waitForStarted(5000);
        // Up when its socket is there (a server left on this display by an earlier run
        // serves as well).
        const QString socket = QString("/tmp/.X11-unix/X") + (kDisplay + 1);
        for (int i = 0; i < 100 && !QFileInfo::exists(socket); ++i) QThread::msleep(50);
        up_ = QFileInfo::exists(socket);
    }
    static void TearDownTestSuite() {
        if (server_ && server_->state() != QProcess::NotRunning) {
            server_->terminate();
            if (!server_->waitForFinished(5000)) server_->kill();
        }
        server_.reset();
        runtime_.reset();
    }
    void SetUp() override {
        if (QStandardPaths::findExecutable("Xvfb").isEmpty()) GTEST_SKIP() << "Xvfb is not installed (scripts/install-deps installs it)";
        ASSERT_TRUE(up_) << "Xvfb did not start on display " << kDisplay;
        ASSERT_FALSE(QStandardPaths::findExecutable("xclip").isEmpty()) << "xclip is missing; run scripts/install-deps";
        kivclip_ = qEnvironmentVariable("KIV_BIN_DIR", QCoreApplication::applicationDirPath()) + "/kivclip";
        ASSERT_TRUE(QFileInfo::exists(kivclip_)) << kivclip_.toStdString();
    }
    void TearDown() override {
        for (auto& p : children_)
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(3000);
            }
    }

    QProcess& Start(const QString& program, const QStringList& args) {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", kDisplay);
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("XDG_RUNTIME_DIR", runtime_->path());
        p->setProcessEnvironment(env);
        p->start(program, args);
        EXPECT_TRUE(p->waitForStarted(5000)) << program.toStdString();
        children_.push_back(std::move(p));
        return *children_.back();
    }
    // Runs a program to its end and gives its output as UTF-8.
    QString Run(const QString& program, const QStringList& args) {
        QProcess& p = Start(program, args);
        EXPECT_TRUE(p.waitForFinished(10000)) << program.toStdString();
        return QString::fromUtf8(p.readAllStandardOutput());
    }
    void WaitForReady(QProcess& p) {
        QByteArray out;
        while (!out.contains("ready\n") && p.waitForReadyRead(10000)) out += p.readAllStandardOutput();
        ASSERT_TRUE(out.contains("ready\n")) << p.readAllStandardError().toStdString();
    }

    QString kivclip_;
    std::vector<std::unique_ptr<QProcess>> children_;
    static inline std::unique_ptr<QProcess> server_;
    static inline std::unique_ptr<QTemporaryDir> runtime_;
    static inline bool up_ = false;
};

}  // namespace

TEST_F(X11Clipboard, OurTextIsReadByXclip) {
    QProcess& put = Start(kivclip_, {"put", kOurs});
    WaitForReady(put);
    EXPECT_EQ(Run("xclip", {"-o", "-selection", "clipboard"}), kOurs);
    EXPECT_EQ(Run("xclip", {"-o", "-selection", "clipboard", "-t", "text/plain;charset=utf-8"}), kOurs);
    const QString targets = Run("xclip", {"-o", "-selection", "clipboard", "-t", "TARGETS"});
    EXPECT_TRUE(targets.contains("UTF8_STRING")) << targets.toStdString();
    EXPECT_TRUE(targets.contains("application/x-kiv-cf;name=\"CF_TEXT\"")) << targets.toStdString();
}

TEST_F(X11Clipboard, XclipTextIsReadByOurPortAndTakesTheClipboardFromUs) {
    QProcess& put = Start(kivclip_, {"put", "ours before"});
    WaitForReady(put);
    const QString file = runtime_->filePath("theirs.txt");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(kTheirs.toUtf8());
    }
    Start("xclip", {"-quiet", "-selection", "clipboard", "-i", file});
    // Our source learns that the clipboard went to another program and lets go.
    EXPECT_TRUE(put.waitForFinished(10000));
    QString got;
    for (int i = 0; i < 50 && got != kTheirs; ++i) {
        got = Run(kivclip_, {"get"});
        if (got != kTheirs) QThread::msleep(100);
    }
    EXPECT_EQ(got, kTheirs);
}
