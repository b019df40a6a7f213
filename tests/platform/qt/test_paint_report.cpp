// The paint report a start-up measurement reads: the first painted window and the end of
// drawing, on the monotonic clock, and the parsing of its lines.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "platform/qt/PaintReport.h"

namespace kiv {
namespace {

struct Line {
    std::string word;
    int64_t ns;
};

std::vector<Line> ReadReport(const std::string& path) {
    std::ifstream in(path);
    std::vector<Line> lines;
    std::string s;
    while (std::getline(in, s)) {
        Line l;
        EXPECT_TRUE(ParsePaintReportLine(s, l.word, l.ns)) << s;
        lines.push_back(l);
    }
    return lines;
}

// Events processed until the report holds n lines or the time is up.
std::vector<Line> WaitForLines(const std::string& path, size_t n, int ms) {
    QElapsedTimer t;
    t.start();
    std::vector<Line> lines;
    while ((lines = ReadReport(path)).size() < n && t.elapsed() < ms) QTest::qWait(20);
    return lines;
}

TEST(PaintReport, TheFirstPaintedWindowAndTheEndOfDrawing) {
    const std::string path = TempDir() + "paint-report";
    StartPaintReport(path);
    const int64_t before = MonotonicNanoseconds();
    QLabel label(QStringLiteral("painted"));
    label.resize(200, 60);
    label.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&label));
    std::vector<Line> lines = WaitForLines(path, 1, 5000);
    ASSERT_EQ(lines.size(), 1u) << "first-paint comes before drawing settles";
    EXPECT_EQ(lines[0].word, "first-paint");
    EXPECT_GE(lines[0].ns, before);

    // A later paint moves the end of drawing; the report waits for quiet.
    QTest::qWait(100);
    label.setText(QStringLiteral("painted again"));
    label.repaint();
    const int64_t repainted = MonotonicNanoseconds();
    lines = WaitForLines(path, 2, 5000);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].word, "settled");
    EXPECT_LE(lines[1].ns, repainted);
    EXPECT_GT(lines[1].ns, lines[0].ns);

    // Reported once: more paints write nothing.
    label.repaint();
    QTest::qWait(400);
    EXPECT_EQ(ReadReport(path).size(), 2u);
    StopPaintReport();
}

TEST(PaintReport, ANowhereToWriteStopsTheWatchQuietly) {
    StartPaintReport(TempDir() + "no/such/folder/report");
    QLabel label(QStringLiteral("x"));
    label.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&label));
    QTest::qWait(50);
    label.repaint();
    StopPaintReport();
    EXPECT_FALSE(FileExists(TempDir() + "no/such/folder/report"));
}

TEST(PaintReport, ReportLines) {
    struct Case {
        const char* line;
        bool ok;
        const char* word;
        int64_t ns;
    } cases[] = {
        {"first-paint 123\n", true, "first-paint", 123},
        {"settled 9000000000", true, "settled", 9000000000},
        {"settled", false, "", 0},
        {"settled \n", false, "", 0},
        {" 12", false, "", 0},
        {"settled 12x", false, "", 0},
        {"settled -5", false, "", 0},
        {"settled 99999999999999999999", false, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        std::string word;
        int64_t ns = -1;
        EXPECT_EQ(ParsePaintReportLine(c.line, word, ns), c.ok);
        if (c.ok) {
            EXPECT_EQ(word, c.word);
            EXPECT_EQ(ns, c.ns);
        }
    }
}

}  // namespace
}  // namespace kiv
