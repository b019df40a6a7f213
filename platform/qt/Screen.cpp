#include "platform/qt/Screen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace kiv {

namespace {
TCursor g_cursor = crDefault;
std::optional<QSize> g_sizeOverride;
}  // namespace

QCursor ToQCursor(TCursor c) {
    switch (c) {
    case crIBeam: return QCursor(Qt::IBeamCursor);
    case crHourGlass: return QCursor(Qt::WaitCursor);
    case crHandPoint: return QCursor(Qt::PointingHandCursor);
    case crArrow:
    case crDefault: break;
    }
    return QCursor(Qt::ArrowCursor);
}

void SetControlCursor(QWidget* w, TCursor c) {
    if (!w) return;
    if (c == crDefault) w->unsetCursor();
    else w->setCursor(ToQCursor(c));
}

TCursor Screen::Cursor() { return g_cursor; }

void Screen::SetCursor(TCursor c) {
    if (c == g_cursor) return;
    const bool had = g_cursor != crDefault;
    g_cursor = c;
    if (!qGuiApp) return;
    if (c == crDefault) {
        if (had) QGuiApplication::restoreOverrideCursor();
    } else if (had) {
        QGuiApplication::changeOverrideCursor(ToQCursor(c));
    } else {
        QGuiApplication::setOverrideCursor(ToQCursor(c));
    }
}

QSize Screen::Size() {
    if (g_sizeOverride) return *g_sizeOverride;
    if (QScreen* s = qGuiApp ? QGuiApplication::primaryScreen() : nullptr)
        return s->geometry().size();
    return {};
}

int Screen::Width() { return Size().width(); }
int Screen::Height() { return Size().height(); }

void Screen::SetSizeForTests(std::optional<QSize> size) { g_sizeOverride = size; }

}  // namespace kiv
