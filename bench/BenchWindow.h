#pragma once
// What the main-window benchmarks share: a clean start of the window's globals, a counter
// of a widget's paints, and a left click as the mouse gives it.
#include <QApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QObject>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>
#include <string>

#include "bench/BenchHome.h"
#include "engine/core/Cards.h"
#include "engine/core/DatastructureFiles.h"
#include "engine/core/NestFunctions.h"
#include "engine/core/Navigation.h"
#include "engine/panels/KivPanelsManager.h"
#include "mainwindow/Globals.h"
#include "mainwindow/MainWindow.h"
#include "platform/qt/FakeDialogs.h"
#include "platform/qt/KivApplication.h"
#include "platform/core/BlockFile.h"

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

// A joined datastructure written straight through the storage routines (a tree text of
// a million topics would cost more than the benchmark): whatever stood at the path goes,
// topLevel gives the top-level items, captioning each with caption(item, text) and
// appending child nests to the outline file; the pair is then joined.
using TCaption = std::function<void(TNestItem& item, const std::string& text)>;
inline void WriteJoined(
    const std::string& path,
    const std::function<TItemArray(BlockFile* outline, const TCaption&)>& topLevel) {
    for (const std::string& p : {path, CardFileName(path)})
        if (FileExists(p)) RemoveFile(p);
    {
        auto kiv = PosixBlockFile::Open(path, OpenMode::Truncate);
        auto dsc = PosixBlockFile::Open(CardFileName(path), OpenMode::Truncate);
        InitOutlineFile(kiv.get());
        TCards cards;
        cards.SetCardFile(dsc.get());
        const TCaption caption = [&](TNestItem& item, const std::string& text) {
            if (!cards.WriteCard(kCardCaption, item.CardDir, text))
                throw EKivError("bench: a caption was not stored");
        };
        WriteRootNest(kiv.get(), AppendNestBlock(kiv.get(), topLevel(kiv.get(), caption)));
    }
    PackDatastructure(path);
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
