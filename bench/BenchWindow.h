#pragma once
// What the main-window benchmarks share: a clean start of the window's globals, a counter
// of a widget's paints, and a left click as the mouse gives it.
#include <QApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QObject>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <memory>

#include "bench/BenchHome.h"
#include "engine/core/Navigation.h"
#include "engine/panels/KivPanelsManager.h"
#include "mainwindow/Globals.h"
#include "mainwindow/MainWindow.h"
#include "platform/qt/FakeDialogs.h"
#include "platform/qt/KivApplication.h"

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

// The main of a main-window benchmark: a private program folder (home points at it while
// the benchmarks run), the application, the fake dialogs, then the benchmarks.
inline int RunWindowBenchmarks(int argc, char** argv, BenchHome*& home) {
    BenchHome made;
    if (!made.Made()) return 2;
    home = &made;
    KivApplication app(argc, argv);
    InstallDialogs(std::make_unique<FakeDialogs>());
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    home = nullptr;
    return 0;
}

}  // namespace kiv::bench
