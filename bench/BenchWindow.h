#pragma once
// What the main-window benchmarks share: a clean start of the window's globals, a counter
// of a widget's paints, and a left click as the mouse gives it.
#include <QApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QObject>
#include <QWidget>

#include <memory>

#include "engine/core/Navigation.h"
#include "engine/panels/KivPanelsManager.h"
#include "mainwindow/Globals.h"
#include "mainwindow/MainWindow.h"

namespace kiv::bench {

inline void ResetGlobals() {
    InterBase().Clear();
    Navigator()->Clear();
}

// The window made and started as the program does, with a fresh panels manager.
inline std::unique_ptr<TForm1> StartWindow() {
    ResetGlobals();
    CreatePanelsManager();
    auto f = std::make_unique<TForm1>();
    f->FormCreate({});
    return f;
}

inline void StopWindow(std::unique_ptr<TForm1>& f) {
    f->close();
    f->FormDestroy();
    f.reset();
    QCoreApplication::processEvents();
}

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

inline void Click(QWidget* viewport, QPoint at) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), QPointF(viewport->mapToGlobal(at)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), QPointF(viewport->mapToGlobal(at)),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &release);
}

}  // namespace kiv::bench
