#include "platform/qt/GeometryReport.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <memory>

#include "platform/core/BlockFile.h"
#include "platform/qt/Grids.h"

namespace kiv {

namespace {

constexpr int kQuietMs = 300;

std::string Line(const QString& name, const QPoint& at, const QSize& size) {
    return name.toStdString() + " " + std::to_string(at.x()) + " " + std::to_string(at.y()) + " " +
           std::to_string(size.width()) + " " + std::to_string(size.height()) + "\n";
}

class GeometryReporter {
public:
    explicit GeometryReporter(std::string path) : path_(std::move(path)) {
        quiet_.setSingleShot(true);
        quiet_.setInterval(kQuietMs);
        QObject::connect(&quiet_, &QTimer::timeout, [this] { Write(); });
    }
    void Painted() { quiet_.start(); }

private:
    void Write() {
        std::string out;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (!top->isVisible()) continue;
            QList<QWidget*> widgets = top->findChildren<QWidget*>();
            widgets.prepend(top);
            for (QWidget* w : widgets) {
                if (w->objectName().isEmpty() || !w->isVisible()) continue;
                out += Line(w->objectName(), w->mapToGlobal(QPoint(0, 0)), w->size());
                if (auto* g = qobject_cast<TCustomGrid*>(w)) AddRows(*g, out);
            }
        }
        try {
            WriteFileAtomic(path_, out);
        } catch (const std::exception&) {
            // Nowhere to report: the watch goes on quietly, as the paint report's does.
        }
    }
    static void AddRows(const TCustomGrid& g, std::string& out) {
        for (int r = 0; r < g.RowCount(); ++r) {
            QRect row;
            for (int c = 0; c < g.ColCount(); ++c) row |= g.CellRect(c, r);
            if (row.isEmpty()) continue;
            out += Line(g.objectName() + "/row" + QString::number(r),
                        g.viewport()->mapToGlobal(row.topLeft()), row.size());
        }
    }

    std::string path_;
    QTimer quiet_;
};

std::unique_ptr<GeometryReporter> g_reporter;

}  // namespace

void StartGeometryReport() {
    const char* path = std::getenv("KIV_REPORT_GEOMETRY");
    if (path && *path && !g_reporter) StartGeometryReport(path);
}

void StartGeometryReport(const std::string& path) {
    g_reporter = std::make_unique<GeometryReporter>(path);
}

void StopGeometryReport() { g_reporter.reset(); }

void GeometryPaintHandled() {
    if (g_reporter) g_reporter->Painted();
}

}  // namespace kiv
