// A change of the panel layout in the main window, from the command until the panels have
// painted: from the three-panel view into each other layout and back, on a tree of 10,000
// topics (100 top-level topics of 99 children each, the current topic among the children
// of the 50th) and on a level of 100,000 topics (the current topic in the middle of it), and
// into the Document View and back on a level of 1,000,000.
// Then, on that level, scrolling and moving far in the Document View, and the lines per
// row changed in the three panels.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QScrollBar>
#include <memory>
#include <string>

#include "bench/BenchHome.h"
#include "bench/BenchWindow.h"
#include "engine/core/Cards.h"
#include "engine/core/DatastructureFiles.h"
#include "engine/core/NestFunctions.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/MainWindow.h"
#include "platform/core/BlockFile.h"
#include "platform/qt/FakeDialogs.h"
#include "platform/qt/KivApplication.h"
#include "platform/qt/PaintReport.h"

namespace kiv {
namespace {

using bench::PaintCounter;
using bench::StartWindow;
using bench::StopWindow;

BenchHome* g_home = nullptr;

// "FirstKivDB.kiv": `tops` captioned top-level topics with `children` captioned children
// each; joined. Written straight through the storage routines.
void MakeTree(int tops, int children) {
    const std::string path = g_home->Home() + "FirstKivDB.kiv";
    if (FileExists(g_home->Home() + "kiv.ini")) RemoveFile(g_home->Home() + "kiv.ini");
    bench::WriteJoined(path, [&](BlockFile* kiv, const bench::TCaption& caption) {
        TItemArray top(static_cast<size_t>(tops));
        for (int t = 0; t < tops; ++t) {
            TItemArray kids(static_cast<size_t>(children));
            for (int c = 0; c < children; ++c)
                caption(kids[size_t(c)], "Topic " + std::to_string(t) + "." + std::to_string(c));
            top[size_t(t)].ChildNest = AppendNestBlock(kiv, kids);
            caption(top[size_t(t)], "Top " + std::to_string(t));
        }
        return top;
    });
}

// Runs the event loop until the panels have painted and nothing was painted for 30 ms;
// the seconds from start to the last paint.
double UntilPainted(PaintCounter& counter, int64_t start) {
    const int before = counter.paints;
    int seen = before;
    int64_t last = MonotonicNanoseconds();
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        const int64_t now = MonotonicNanoseconds();
        if (counter.paints != seen) {
            seen = counter.paints;
            last = now;
        }
        if (now - last > 30 * 1000000LL) break;
        if (now - start > int64_t(60) * 1000000000) break;
    }
    return double((seen > before ? last : MonotonicNanoseconds()) - start) / 1e9;
}

struct Window {
    std::unique_ptr<TForm1> form;
    PaintCounter counter;

    // Shows the window, makes the topic at (top row, child row) current.
    void Open(int topRow, int childRow) {
        form = StartWindow();
        form->resize(1000, 700);
        form->show();
        for (const char* name : {"sgdFirst", "sgdSecond", "sgdThird"})
            Grid(name)->viewport()->installEventFilter(&counter);
        UntilPainted(counter, MonotonicNanoseconds());
        Grid("sgdFirst")->SelectRow(topRow);
        PanelsManager().RefreshPanelsFrom(1);
        TKivStringGrid* second = Grid("sgdSecond");
        second->SelectRow(childRow);
        second->MakeActive();
        second->DoEnter();
        form->ReloadCurrentRow();
        UntilPainted(counter, MonotonicNanoseconds());
    }
    TKivStringGrid* Grid(const char* name) const {
        return form->findChild<TKivStringGrid*>(QString::fromLatin1(name));
    }
    double Apply(int layout) {
        static const char* const actions[] = {"ac3Panel",          "ac2Panel",
                                              "ac2PanelS_W",       "ac1Panel",
                                              "ac1PanelRightCard", "acPanelClassic",
                                              "acPanelClassicDoc", "acDocumentView"};
        return Timed([&] { form->Actions().Get(QString::fromLatin1(actions[layout])).Execute(); });
    }
    // Seconds from running `what` until the panels have painted.
    template <class F>
    double Timed(F what) {
        const int64_t start = MonotonicNanoseconds();
        what();
        return UntilPainted(counter, start);
    }
    std::string Current() const {
        TKivStringGrid* g = form->CurrentGrid();
        return g && g->IsRowValid(g->CurrentRow()) ? g->Nester->Caption(g->CurrentRow()) : "";
    }
    ~Window() {
        if (!form) return;
        for (const char* name : {"sgdFirst", "sgdSecond", "sgdThird"})
            Grid(name)->viewport()->removeEventFilter(&counter);
        StopWindow(form);
    }
};

// The window over the tree (data 0), the level of 100,000 (1) or of 1,000,000 (2), the
// current topic set.
void OpenData(Window& w, int data) {
    const int level = data == 2 ? 1000000 : 100000;
    if (data > 0) MakeTree(2, level);
    else MakeTree(100, 99);
    if (data > 0) w.Open(0, level / 2);
    else w.Open(50, 50);
}

// range(0): the layout changed into from the three panels (timed: into it, or with
// range(2) = 1 back to the three panels); range(1): 0 the tree of 10,000 topics, 1 the
// level of 100,000, 2 the level of 1,000,000 (the Document View only).
void BM_LayoutChange(benchmark::State& state) {
    const int layout = int(state.range(0));
    const bool back = state.range(2) == 1;
    Window w;
    OpenData(w, int(state.range(1)));
    const std::string topic = w.Current();
    for (auto _ : state) {
        if (back) {
            state.PauseTiming();
            w.Apply(layout);
            state.ResumeTiming();
            state.SetIterationTime(w.Apply(0));
        } else {
            state.SetIterationTime(w.Apply(layout));
            state.PauseTiming();
            const bool kept = w.Current() == topic;
            w.Apply(0);
            state.ResumeTiming();
            if (!kept) {
                state.SkipWithError("the layout change lost the current topic");
                break;
            }
        }
        if (w.Current() != topic) {
            state.SkipWithError("the layout change lost the current topic");
            break;
        }
    }
}

void Layouts(benchmark::internal::Benchmark* b) {
    for (int back : {0, 1})
        for (int data : {0, 1})
            for (int layout : {1, 2, 3, 4, 5, 6, 7}) b->Args({layout, data, back});
    for (int back : {0, 1}) b->Args({7, 2, back});
}
BENCHMARK(BM_LayoutChange)
    ->Apply(Layouts)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

// In the Document View on the level of 100,000 topics: range(0) 0 the scroll bar to its
// end and back to the top, 1 the current topic moved to the last row and back to the first.
void BM_DocumentViewFar(benchmark::State& state) {
    const bool select = state.range(0) == 1;
    Window w;
    OpenData(w, 1);
    w.Apply(7);
    TKivStringGrid* g = w.Grid("sgdFirst");
    bool there = false;
    for (auto _ : state) {
        there = !there;
        state.SetIterationTime(w.Timed([&] {
            if (select) g->SelectRow(there ? g->RowCount() - 1 : 0);
            else g->verticalScrollBar()->setValue(there ? g->verticalScrollBar()->maximum() : 0);
        }));
        if (select && g->CurrentRow() != (there ? g->RowCount() - 1 : 0)) {
            state.SkipWithError("the row was not selected");
            break;
        }
    }
}
BENCHMARK(BM_DocumentViewFar)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(6);

// The three panels over the level of 100,000 topics (panel 2 shows it): "Expand all
// topics" and back to "One Line", each timed.
void BM_LinesPerRow(benchmark::State& state) {
    Window w;
    OpenData(w, 1);
    bool whole = false;
    for (auto _ : state) {
        whole = !whole;
        const char* item = whole ? "Expanded1" : "N110";
        QAction* a = w.form->findChild<QAction*>(QString::fromLatin1(item));
        if (!a) {
            state.SkipWithError("no lines-per-row item");
            break;
        }
        state.SetIterationTime(w.Timed([&] { a->trigger(); }));
    }
}
BENCHMARK(BM_LinesPerRow)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(6);

}  // namespace
}  // namespace kiv

int main(int argc, char** argv) { return kiv::bench::RunWindowBenchmarks(argc, argv, kiv::g_home); }
