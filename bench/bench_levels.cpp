// Large levels in the main window, each from the user's action until the window has settled:
// opening a datastructure whose first topic has N children (the second panel shows them)
// and one whose top level has N topics (panel 1 and the outline tabs show them), each the
// whole open of the program (the windows made and shown as at a start, every subscriber of
// the window's events run) until no widget of the window paints any more; then a click back
// onto the first topic from its sibling, a scroll of the second panel to its end, End
// pressed in it, and Down held in it, each until that panel has painted. N is 1,000,
// 10,000, 100,000 and 1,000,000.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <memory>
#include <string>

#include "bench/BenchHome.h"
#include "engine/core/Cards.h"
#include "engine/core/DatastructureFiles.h"
#include "engine/core/Navigation.h"
#include "engine/core/NestFunctions.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/Globals.h"
#include "bench/BenchWindow.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/ProgramWindows.h"
#include "platform/core/BlockFile.h"
#include "platform/qt/FakeDialogs.h"
#include "platform/qt/KivApplication.h"
#include "platform/qt/PaintReport.h"

namespace kiv {
namespace {

using bench::Click;
using bench::PaintCounter;

BenchHome* g_home = nullptr;

// "FirstKivDB.kiv": top-level "parent" with n captioned children, and "sibling"; joined.
// Written straight through the storage routines: a tree text of a million topics would
// cost more than the benchmark.
void MakeLevel(int n) {
    bench::WriteJoined(g_home->Home() + "FirstKivDB.kiv",
                       [&](BlockFile* kiv, const bench::TCaption& caption) {
                           TItemArray children(static_cast<size_t>(n));
                           for (int i = 0; i < n; ++i)
                               caption(children[size_t(i)], "Topic number " + std::to_string(i));
                           TItemArray top(2);
                           top[0].ChildNest = AppendNestBlock(kiv, children);
                           caption(top[0], "parent");
                           caption(top[1], "sibling");
                           return top;
                       });
}

// "FirstKivDB.kiv": n captioned top-level topics; joined.
void MakeTopLevel(int n) {
    bench::WriteJoined(g_home->Home() + "FirstKivDB.kiv",
                       [&](BlockFile*, const bench::TCaption& caption) {
                           TItemArray top(static_cast<size_t>(n));
                           for (int i = 0; i < n; ++i)
                               caption(top[size_t(i)], "Topic number " + std::to_string(i));
                           return top;
                       });
}

// Counts the paints of every widget of one window.
class WindowPaints : public QObject {
public:
    PaintCounter* counter = nullptr;
    QWidget* window = nullptr;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint && o->isWidgetType() &&
            static_cast<QWidget*>(o)->window() == window)
            ++counter->paints;
        return false;
    }
};

// Runs the event loop until the widget has painted and nothing was painted for 50 ms;
// the seconds from start to its last paint.
double UntilPainted(PaintCounter& counter, int64_t start) {
    const int before = counter.paints;
    int seen = before;
    int64_t last = start;
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        const int64_t now = MonotonicNanoseconds();
        if (counter.paints != seen) {
            seen = counter.paints;
            last = now;
        }
        if (seen > before && now - last > 50 * 1000000LL) break;
        if (now - start > int64_t(60) * 1000000000) break;
    }
    return double(last - start) / 1e9;
}

struct Window {
    TProgramWindows windows;
    TForm1* form = nullptr;
    TKivStringGrid* first = nullptr;
    TKivStringGrid* second = nullptr;
    PaintCounter counter;

    // The program's open: its windows made (the start datastructure opened) and shown;
    // the seconds until no widget of the main window has painted for 50 ms.
    double Open() {
        PaintCounter all;
        WindowPaints watch;
        watch.counter = &all;
        const int64_t start = MonotonicNanoseconds();
        bench::ResetGlobals();
        CreatePanelsManager();
        windows.Create({});
        form = windows.Form.get();
        watch.window = form;
        QCoreApplication::instance()->installEventFilter(&watch);
        second = form->findChild<TKivStringGrid*>(QStringLiteral("sgdSecond"));
        first = form->findChild<TKivStringGrid*>(QStringLiteral("sgdFirst"));
        if (second) second->viewport()->installEventFilter(&counter);
        form->resize(1000, 700);
        windows.Show();
        if (!form->isVisible()) form->show();
        const double took = UntilPainted(all, start);
        QCoreApplication::instance()->removeEventFilter(&watch);
        return took;
    }
    ~Window() {
        if (!form) return;
        if (second) second->viewport()->removeEventFilter(&counter);
        form->close();
        windows.Destroy();
        QCoreApplication::processEvents();
    }
};

// Opens the window again and again; panel `shows` of it must show the level.
void TimeOpens(benchmark::State& state, TKivStringGrid* Window::*shows, const char* missing) {
    for (auto _ : state) {
        Window w;
        state.SetIterationTime(w.Open());
        if (!(w.*shows) || (w.*shows)->Nester->RowCount() != state.range(0)) {
            state.SkipWithError(missing);
            break;
        }
    }
}

void BM_OpenWithLevel(benchmark::State& state) {
    MakeLevel(int(state.range(0)));
    TimeOpens(state, &Window::second, "the second panel does not show the level");
}

void BM_OpenWithTopLevel(benchmark::State& state) {
    MakeTopLevel(int(state.range(0)));
    TimeOpens(state, &Window::first, "panel 1 does not show the top level");
}

void BM_ClickTopicWithLevel(benchmark::State& state) {
    MakeLevel(int(state.range(0)));
    Window w;
    w.Open();
    for (auto _ : state) {
        state.PauseTiming();
        const QRect away = w.first->RowContentRect(1);
        Click(w.first->viewport(), QPoint(away.right() - 10, away.center().y()));
        UntilPainted(w.counter, MonotonicNanoseconds());
        const QRect back = w.first->RowContentRect(0);
        state.ResumeTiming();
        const int64_t start = MonotonicNanoseconds();
        Click(w.first->viewport(), QPoint(back.right() - 10, back.center().y()));
        state.SetIterationTime(UntilPainted(w.counter, start));
        if (w.second->Nester->RowCount() != state.range(0)) {
            state.SkipWithError("the click did not show the level");
            break;
        }
    }
}

void BM_ScrollLevelToEnd(benchmark::State& state) {
    MakeLevel(int(state.range(0)));
    Window w;
    w.Open();
    QScrollBar* bar = w.second->verticalScrollBar();
    for (auto _ : state) {
        state.PauseTiming();
        bar->setValue(bar->minimum());
        UntilPainted(w.counter, MonotonicNanoseconds());
        state.ResumeTiming();
        const int64_t start = MonotonicNanoseconds();
        bar->setValue(bar->maximum());
        state.SetIterationTime(UntilPainted(w.counter, start));
    }
    if (w.second->TopRow() + w.second->VisibleRowCount() < w.second->RowCount() - 1)
        state.SkipWithError("the scroll did not reach the end");
}

void BM_EndKeyInLevel(benchmark::State& state) {
    MakeLevel(int(state.range(0)));
    Window w;
    w.Open();
    for (auto _ : state) {
        state.PauseTiming();
        w.second->SelectRow(0);
        w.second->setFocus();
        UntilPainted(w.counter, MonotonicNanoseconds());
        state.ResumeTiming();
        const int64_t start = MonotonicNanoseconds();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_End, Qt::NoModifier);
        QApplication::sendEvent(w.second, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_End, Qt::NoModifier);
        QApplication::sendEvent(w.second, &release);
        state.SetIterationTime(UntilPainted(w.counter, start));
    }
    state.counters["rows_read"] = double(w.second->Nester->RowsRead());
}

// Down held in the panel showing the level: 200 presses as a held key repeats them (one
// press, then repeats with their auto-repeat releases), each given its turn of the event
// loop, from the first row on; the later panels follow at the release, outside the time.
// key_events_per_s: how many repeats the window keeps up with.
void BM_HeldDownInLevel(benchmark::State& state) {
    MakeLevel(int(state.range(0)));
    Window w;
    w.Open();
    constexpr int kPresses = 200;
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        w.second->SelectRow(0);
        w.second->MakeActive();
        w.second->DoEnter();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        const int64_t start = MonotonicNanoseconds();
        for (int i = 0; i < kPresses; ++i) {
            if (i > 0) {
                QKeyEvent up(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier, QString(), true);
                QApplication::sendEvent(w.second, &up);
            }
            QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier, QString(), i > 0);
            QApplication::sendEvent(w.second, &down);
            QCoreApplication::processEvents();
        }
        const double took = double(MonotonicNanoseconds() - start) / 1e9;
        state.SetIterationTime(took);
        seconds += took;
        state.PauseTiming();
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(w.second, &release);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        if (w.second->CurrentRow() != kPresses) {
            state.SkipWithError("the held key did not move one row a press");
            break;
        }
    }
    state.counters["key_events_per_s"] = double(kPresses) * double(state.iterations()) / seconds;
}

#define LEVELS                          \
    ->Arg(1000)                         \
        ->Arg(10000)                    \
        ->Arg(100000)                   \
        ->Arg(1000000)                  \
        ->Unit(benchmark::kMillisecond) \
        ->UseManualTime()
BENCHMARK(BM_OpenWithLevel) LEVELS->Iterations(3);
BENCHMARK(BM_OpenWithTopLevel) LEVELS->Iterations(3);
BENCHMARK(BM_ClickTopicWithLevel) LEVELS->Iterations(5);
BENCHMARK(BM_ScrollLevelToEnd) LEVELS->Iterations(5);
BENCHMARK(BM_EndKeyInLevel) LEVELS->Iterations(5);
BENCHMARK(BM_HeldDownInLevel) LEVELS->Iterations(5);

}  // namespace
}  // namespace kiv

int main(int argc, char** argv) { return kiv::bench::RunWindowBenchmarks(argc, argv, kiv::g_home); }
