// The geometry report an outside test reads to find the program's widgets: each shown
// named widget and each row of a grid in view, in screen pixels, rewritten once drawing
// has been quiet.
#include <gtest/gtest.h>

#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "platform/qt/GeometryReport.h"
#include "platform/qt/Grids.h"

namespace kiv {
namespace {

// The report's lines that start with the name (and a blank), without the name.
std::vector<std::string> Lines(const std::string& report, const std::string& name) {
    std::vector<std::string> out;
    size_t at = 0;
    while (at < report.size()) {
        size_t end = report.find('\n', at);
        if (end == std::string::npos) end = report.size();
        const std::string line = report.substr(at, end - at);
        if (line.rfind(name + " ", 0) == 0) out.push_back(line.substr(name.size() + 1));
        at = end + 1;
    }
    return out;
}

// The report as it stands; empty before the first one.
std::string Report(const std::string& path) { return FileExists(path) ? ReadWholeFile(path) : ""; }

std::string Rect(const QPoint& at, const QSize& s) {
    return std::to_string(at.x()) + " " + std::to_string(at.y()) + " " + std::to_string(s.width()) +
           " " + std::to_string(s.height());
}

TEST(GeometryReport, NamedWidgetsAndTheRowsOfAGridInScreenPixels) {
    const std::string path = TempDir() + "geometry-report";
    StartGeometryReport(path);
    QWidget window;
    window.setObjectName("frmTest");
    auto* layout = new QVBoxLayout(&window);
    auto* grid = new TStringGrid(&window);
    grid->setObjectName("sgdTest");
    grid->SetFixedRows(0);
    grid->SetFixedCols(0);
    grid->SetRowCount(3);
    grid->SetColCount(2);
    layout->addWidget(grid);
    window.move(40, 30);
    window.resize(300, 200);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    std::string report;
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !Lines(report = Report(path), "sgdTest/row2").empty(); },
                        30000));
    EXPECT_EQ(Lines(report, "frmTest"),
              std::vector<std::string>{Rect(window.mapToGlobal(QPoint(0, 0)), window.size())});
    EXPECT_EQ(Lines(report, "sgdTest"),
              std::vector<std::string>{Rect(grid->mapToGlobal(QPoint(0, 0)), grid->size())});
    for (int r = 0; r < 3; ++r) {
        const QRect row = grid->CellRect(0, r) | grid->CellRect(1, r);
        EXPECT_EQ(Lines(report, "sgdTest/row" + std::to_string(r)),
                  std::vector<std::string>{
                      Rect(grid->viewport()->mapToGlobal(row.topLeft()), row.size())})
            << r;
    }

    // A later change of layout is reported once drawing is quiet again.
    grid->SetRowCount(1);
    grid->repaint();
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return Lines(report = Report(path), "sgdTest/row1").empty(); },
                        30000));
    EXPECT_EQ(Lines(report, "sgdTest/row0").size(), 1u);
    StopGeometryReport();
}

}  // namespace
}  // namespace kiv
