// The running program under a real X server with a window manager (Xvfb on a free display
// of its own, with openbox): another program drags files onto topic rows (of the first panel,
// of the second panel straight from a window lying over it, of a row whose caption is being
// edited), xdotool moving the pointer; after the program has ended the datastructure holds
// the links.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QDir>
#include <QFile>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <memory>

#include "engine/core/DatastructureFiles.h"
#include "engine/core/TreeText.h"
#include "platform/core/BlockFile.h"
#include "tests/ToolRun.h"
#include "tests/XvfbServer.h"

namespace {

class X11Drops : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (QStandardPaths::findExecutable("Xvfb").isEmpty()) return;
        server_ = std::make_unique<kiv::test::XvfbServer>();
        up_ = server_->Start();
        const QString openbox = QStandardPaths::findExecutable("openbox");
        if (up_ && !openbox.isEmpty()) {
            wm_ = Launch(openbox, {}, {});
            QThread::msleep(500);
        }
    }
    static void TearDownTestSuite() {
        if (wm_ && wm_->state() != QProcess::NotRunning) {
            wm_->terminate();
            if (!wm_->waitForFinished(5000)) wm_->kill();
        }
        wm_.reset();
        server_.reset();
    }
    void SetUp() override {
        for (const char* tool : {"Xvfb", "openbox", "xdotool"})
            if (QStandardPaths::findExecutable(tool).isEmpty())
                GTEST_SKIP() << tool << " is not installed (scripts/install-deps installs it)";
        ASSERT_TRUE(up_) << "Xvfb did not start";
        ASSERT_TRUE(wm_ && wm_->state() == QProcess::Running) << "openbox did not start";
        bin_ = qEnvironmentVariable("KIV_BIN_DIR", QCoreApplication::applicationDirPath());
        for (const char* program : {"kiv", "kivclip", "kivtree"})
            ASSERT_TRUE(QFileInfo::exists(bin_ + "/" + program)) << program;
        ASSERT_TRUE(dir_.isValid());
        for (const char* sub : {"home", "runtime", "data"})
            ASSERT_TRUE(QDir(dir_.path()).mkpath(sub));
        QFile::setPermissions(dir_.filePath("runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    void TearDown() override {
        for (auto& p : children_)
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(3000);
            }
    }

    static std::unique_ptr<QProcess> Launch(const QString& program, const QStringList& args,
                                            const QStringList& extraEnv) {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", server_->Display());
        env.insert("QT_QPA_PLATFORM", "xcb");
        for (const QString& kv : extraEnv) env.insert(kv.section('=', 0, 0), kv.section('=', 1));
        p->setProcessEnvironment(env);
        p->setProcessChannelMode(QProcess::SeparateChannels);
        p->start(program, args);
        p->waitForStarted(5000);
        return p;
    }
    QProcess& Start(const QString& program, const QStringList& args) {
        children_.push_back(Launch(program, args,
                                   {"KIV_HOME=" + dir_.filePath("home"),
                                    "XDG_RUNTIME_DIR=" + dir_.filePath("runtime"),
                                    "XDG_DATA_HOME=" + dir_.filePath("data")}));
        EXPECT_EQ(children_.back()->state(), QProcess::Running) << program.toStdString();
        return *children_.back();
    }
    QString Xdo(const QStringList& args) {
        QProcess& p = Start("xdotool", args);
        p.waitForFinished(10000);
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }
    // The rectangle of the first shown window whose name matches, waiting for it.
    QRect WindowNamed(const QString& pattern) {
        for (int i = 0; i < 100; ++i) {
            const QString id =
                Xdo({"search", "--onlyvisible", "--name", pattern}).section('\n', 0, 0);
            if (!id.isEmpty()) {
                const QString g = Xdo({"getwindowgeometry", "--shell", id});
                auto value = [&](const char* key) {
                    return QRegularExpression(QString("%1=(\\d+)").arg(key))
                        .match(g)
                        .captured(1)
                        .toInt();
                };
                return QRect(value("X"), value("Y"), value("WIDTH"), value("HEIGHT"));
            }
            QThread::msleep(100);
        }
        return {};
    }

    void DragFromTo(QPoint start, QPoint end, int steps = 12);
    // The datastructure written from the tree, and the program started on it: its window.
    QRect StartProgramOn(const std::string& tree) {
        kiv::MakeTreePair(Datastructure(), tree);
        kiv::PackDatastructure(Datastructure());
        program_ = &Start(bin_ + "/kiv", {});
        return WindowNamed("^KIV - FirstKivDB");
    }
    std::string Datastructure() const { return dir_.filePath("home/FirstKivDB.kiv").toStdString(); }
    // The program ended as the desktop ends it (the file is joined), and the topics with
    // their cards as kivtree lists them.
    QString DumpAfterClose() {
        program_->terminate();
        EXPECT_TRUE(program_->waitForFinished(15000));
        const kiv::test::ToolRun dump =
            kiv::test::RunTool("kivtree",
                               {"dump", "--cards", QString::fromStdString(Datastructure())});
        EXPECT_EQ(dump.status, 0) << dump.err.toStdString();
        return QString::fromUtf8(dump.out);
    }
    QProcess* program_ = nullptr;

    QString bin_;
    QTemporaryDir dir_;
    std::vector<std::unique_ptr<QProcess>> children_;
    static inline std::unique_ptr<kiv::test::XvfbServer> server_;
    static inline std::unique_ptr<QProcess> wm_;
    static inline bool up_ = false;
};

// Presses at start, moves in even steps to end and lets go there.
void X11Drops::DragFromTo(QPoint start, QPoint end, int steps) {
    Xdo({"mousemove", QString::number(start.x()), QString::number(start.y())});
    Xdo({"mousedown", "1"});
    QThread::msleep(200);
    for (int i = 1; i <= steps; ++i) {
        const QPoint p = start + (end - start) * i / steps;
        Xdo({"mousemove", QString::number(p.x()), QString::number(p.y())});
        QThread::msleep(50);
    }
    QThread::msleep(300);
    Xdo({"mouseup", "1"});
}

TEST_F(X11Drops, AFileDraggedStraightFromAWindowOverTheSecondPanelLandsThere) {
    // The first topic's twenty children fill the second panel.
    std::string tree = "t10 (";
    for (int i = 1; i <= 20; ++i) tree += " c" + std::to_string(i);
    tree += " )";
    for (int i = 11; i < 40; ++i) tree += " t" + std::to_string(i);
    const QString one = dir_.filePath("one.txt");
    QFile(one).open(QIODevice::WriteOnly);
    const QRect main = StartProgramOn(tree);
    ASSERT_FALSE(main.isEmpty()) << "the program's window did not come up";
    QProcess& offer = Start(bin_ + "/kivclip", {"offer", one, "some text"});
    ASSERT_FALSE(WindowNamed("^kivclip offer$").isEmpty());
    // The other program's window lies over the middle of the second panel (the middle
    // third of the outliner, in the lower part of the window).
    const QPoint middle(main.x() + main.width() / 2, main.y() + main.height() * 3 / 4);
    const QString id =
        Xdo({"search", "--onlyvisible", "--name", "^kivclip offer$"}).section('\n', 0, 0);
    Xdo({"windowmove", id, QString::number(middle.x() - 100), QString::number(middle.y() - 150)});
    QThread::msleep(300);
    const QRect from = WindowNamed("^kivclip offer$");
    ASSERT_LT(from.top() + 260, main.bottom()) << "room below the window";

    // Pressed in it and pulled straight down out of it into the panel, in steps of 20 pixels
    // (the first point Qt gives the program lies on the other window's edge).
    DragFromTo(QPoint(from.center().x(), from.top() + 80),
               QPoint(from.center().x(), from.top() + 240), 8);
    ASSERT_TRUE(offer.waitForFinished(10000)) << "the drag did not end";
    EXPECT_TRUE(QString::fromUtf8(offer.readAllStandardOutput()).contains("dropped 1"))
        << "the drop was taken, as a copy";

    const QString out = DumpAfterClose();
    EXPECT_TRUE(
        QRegularExpression("\n  c\\d+\n    @ " + QRegularExpression::escape(one) + " \\| one.txt\n")
            .match(out)
            .hasMatch())
        << "a child in the second panel got the link: " << out.toStdString();
}

TEST_F(X11Drops, ADropOnTheRowWhoseCaptionIsBeingEditedBecomesItsLink) {
    std::string tree;
    for (int i = 10; i < 40; ++i) tree += "t" + std::to_string(i) + " ";
    const QString one = dir_.filePath("one.txt");
    QFile(one).open(QIODevice::WriteOnly);
    const QRect main = StartProgramOn(tree);
    ASSERT_FALSE(main.isEmpty()) << "the program's window did not come up";
    QProcess& offer = Start(bin_ + "/kivclip", {"offer", one, "INSERTED"});
    const QRect from = WindowNamed("^kivclip offer$");
    ASSERT_FALSE(from.isEmpty());
    // A row of the first panel made current, its caption editor opened with F2.
    const QPoint row(main.x() + main.width() / 8, main.y() + main.height() * 7 / 10);
    Xdo({"mousemove", QString::number(row.x()), QString::number(row.y())});
    Xdo({"click", "1"});
    QThread::msleep(300);
    Xdo({"key", "F2"});
    QThread::msleep(300);
    // The other program's window back on top, where the click put the program's window.
    Xdo({"windowraise",
         Xdo({"search", "--onlyvisible", "--name", "^kivclip offer$"}).section('\n', 0, 0)});
    QThread::msleep(300);
    DragFromTo(from.center(), row);
    ASSERT_TRUE(offer.waitForFinished(10000)) << "the drag did not end";
    EXPECT_TRUE(QString::fromUtf8(offer.readAllStandardOutput()).contains("dropped 1"));
    Xdo({"key", "Return"});  // the edit ends, storing what the editor holds
    QThread::msleep(300);

    const QString out = DumpAfterClose();
    EXPECT_TRUE(QRegularExpression("(?:^|\n)t\\d\\d\n  @ " + QRegularExpression::escape(one) +
                                   " \\| one.txt\n")
                    .match(out)
                    .hasMatch())
        << out.toStdString();
    EXPECT_FALSE(out.contains("INSERTED")) << out.toStdString();
    EXPECT_FALSE(out.contains("file://")) << out.toStdString();
}

TEST_F(X11Drops, TwoFilesDraggedFromAnotherProgramBecomeLinksOfTheTopicUnderThePointer) {
    // Enough topics to fill the first panel, so the drop meets a row whatever the fonts.
    std::string tree;
    for (int i = 10; i < 40; ++i) tree += "t" + std::to_string(i) + " ";
    const std::string kiv = dir_.filePath("home/FirstKivDB.kiv").toStdString();
    kiv::MakeTreePair(kiv, tree);
    kiv::PackDatastructure(kiv);
    const QString one = dir_.filePath("one file.txt"), two = dir_.filePath("two.pdf");
    for (const QString& f : {one, two}) QFile(f).open(QIODevice::WriteOnly);

    QProcess& program = Start(bin_ + "/kiv", {});
    const QRect main = WindowNamed("^KIV - FirstKivDB");
    ASSERT_FALSE(main.isEmpty()) << "the program's window did not come up: "
                                 << program.readAllStandardError().toStdString();
    QProcess& offer = Start(bin_ + "/kivclip", {"offer", one, two, "some text"});
    const QRect from = WindowNamed("^kivclip offer$");
    ASSERT_FALSE(from.isEmpty());
    QThread::msleep(300);

    // Pressed in the other program's window, dragged down to the first panel (the left
    // third of the outliner, the lower part of the window) and let go there.
    DragFromTo(from.center(),
               QPoint(main.x() + main.width() / 6, main.y() + main.height() * 7 / 10));
    ASSERT_TRUE(offer.waitForFinished(10000)) << "the drag did not end";
    EXPECT_TRUE(QString::fromUtf8(offer.readAllStandardOutput()).contains("dropped 1"))
        << "the other program saw a copy";

    program.terminate();  // as the desktop ends it: the window closes and the file is joined
    ASSERT_TRUE(program.waitForFinished(15000));
    const kiv::test::ToolRun dump =
        kiv::test::RunTool("kivtree", {"dump", "--cards", QString::fromStdString(kiv)});
    ASSERT_EQ(dump.status, 0) << dump.err.toStdString();
    const QString out = QString::fromUtf8(dump.out);
    const QRegularExpression linked("(?:^|\n)(t\\d\\d)\n  @ " + QRegularExpression::escape(one) +
                                    " \\| one file.txt\n  @ " + QRegularExpression::escape(two) +
                                    " \\| two.pdf\n");
    const QRegularExpressionMatch m = linked.match(out);
    EXPECT_TRUE(m.hasMatch()) << out.toStdString();
    EXPECT_EQ(out.count("  @ "), 2)
        << "one topic got both links, no other any: " << out.toStdString();
}

}  // namespace
