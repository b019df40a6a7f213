// The kivrtf tool as a person runs it.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QFile>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/qt/RtfDocument.h"
#include "platform/qt/RtfWriter.h"
#include "tests/ToolRun.h"

using namespace kiv;

namespace {

using test::ToolRun;

ToolRun Kivrtf(const QStringList& args) { return test::RunTool(QStringLiteral("kivrtf"), args); }

QString Fixture(const char* name) {
    const char* src = std::getenv("KIV_SOURCE_DIR");
    return QString::fromLocal8Bit(src ? src : ".") + "/tests/fixtures/rtf/" + name;
}

QByteArray Slurp(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

TEST(Kivrtf, PrintsThePlainTextWithLfLineEnds) {
    const ToolRun r = Kivrtf({"text", Fixture("re_codepages.rtf")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, Slurp(Fixture("re_codepages.txt")) + "\n");
    EXPECT_EQ(r.out.indexOf('\r'), -1);
}

TEST(Kivrtf, RoundTripPrintsWhatTheWriterWrites) {
    const ToolRun r = Kivrtf({"roundtrip", Fixture("re_bullets.rtf")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QTextDocument doc;
    LoadRichText(doc, Slurp(Fixture("re_bullets.rtf")).toStdString());
    EXPECT_EQ(r.out.toStdString(), WriteRtf(doc));
}

TEST(Kivrtf, OnlyAnUnreadableFileFails) {
    QTemporaryDir dir;
    const ToolRun missing = Kivrtf({"text", dir.path() + "/none.rtf"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err.count('\n'), 1) << missing.err.toStdString();
    EXPECT_TRUE(missing.out.isEmpty());

    // Damaged RTF gives what can be read.
    const QString damaged = dir.path() + "/damaged.rtf";
    QFile f(damaged);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0 kept {\\b text\\bin999999 lost");
    f.close();
    ToolRun r = Kivrtf({"text", damaged});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "kept text\n");
    r = Kivrtf({"roundtrip", damaged});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.indexOf("kept \\b text\\par"), -1) << r.out.toStdString();

    EXPECT_EQ(Kivrtf({"nonsense", damaged}).status, 2);
}
