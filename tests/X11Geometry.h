#pragma once
// Where a window under test is on a real X server, read from the window itself (xdotool
// asks the server), so a click or a drag lands on it wherever the program or the window
// manager put it, and a check waits for the state instead of a fixed pause.
#include <QElapsedTimer>
#include <QFile>
#include <QPoint>
#include <QRect>
#include <QRegularExpression>
#include <QString>
#include <QThread>

namespace kiv::test {

// The rectangle in the output of "xdotool getwindowgeometry"; empty when there is none.
inline QRect ParseXdoGeometry(const QString& out) {
    const QRegularExpressionMatch p = QRegularExpression("Position: (-?\\d+),(-?\\d+)").match(out);
    const QRegularExpressionMatch g = QRegularExpression("Geometry: (\\d+)x(\\d+)").match(out);
    if (!p.hasMatch() || !g.hasMatch()) return {};
    return {p.captured(1).toInt(), p.captured(2).toInt(), g.captured(1).toInt(),
            g.captured(2).toInt()};
}

// A widget's rectangle in the program's own geometry report (KIV_REPORT_GEOMETRY, see
// platform/qt/GeometryReport.h): the line that starts with its name; empty when none does.
inline QRect ReportedGeometry(const QString& reportPath, const QString& name) {
    QFile f(reportPath);
    if (!f.open(QIODevice::ReadOnly)) return {};
    for (const QByteArray& line : f.readAll().split('\n')) {
        const QList<QByteArray> w = line.split(' ');
        if (w.size() == 5 && QString::fromUtf8(w[0]) == name)
            return {w[1].toInt(), w[2].toInt(), w[3].toInt(), w[4].toInt()};
    }
    return {};
}

// Asks until done() holds or the deadline (a guard against a hang only) has passed.
template <class Done>
bool PollUntil(Done done, int ms = 15000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QThread::msleep(50);
    }
    return true;
}

}  // namespace kiv::test
