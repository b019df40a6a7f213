// A change of the panel layout in the main window, from the command until the panels have
// painted: from the three-panel view into each other layout, on a tree of 10,000 topics
// (100 top-level topics of 99 children each, the current topic among the children of the
// 50th) and on a level of 100,000 topics (the current topic in the middle of it).
#include <benchmark/benchmark.h>

#include <QApplication>
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
    for (const std::string& p : {path, CardFileName(path), g_home->Home() + "kiv.ini"})
        if (FileExists(p)) RemoveFile(p);
    {
        auto kiv = PosixBlockFile::Open(path, OpenMode::Truncate);
        auto dsc = PosixBlockFile::Open(CardFileName(path), OpenMode::Truncate);
        InitOutlineFile(kiv.get());
        TCards cards;
        cards.SetCardFile(dsc.get());
        auto caption = [&](TNestItem& item, const std::string& text) {
            if (!cards.WriteCard(kCardCaption, item.CardDir, text))
                throw EKivError("bench: a caption was not stored");
        };
        TItemArray top(static_cast<size_t>(tops));
        for (int t = 0; t < tops; ++t) {
            TItemArray kids(static_cast<size_t>(children));
            for (int c = 0; c < children; ++c)
                caption(kids[size_t(c)], "Topic " + std::to_string(t) + "." + std::to_string(c));
            top[size_t(t)].ChildNest = AppendNestBlock(kiv.get(), kids);
            caption(top[size_t(t)], "Top " + std::to_string(t));
        }
        WriteRootNest(kiv.get(), AppendNestBlock(kiv.get(), top));
    }
    PackDatastructure(path);
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
        const int64_t start = MonotonicNanoseconds();
        form->Actions().Get(QString::fromLatin1(actions[layout])).Execute();
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

// range(0): the layout changed into from the three panels; range(1): 0 the tree of 10,000
// topics, 1 the level of 100,000.
void BM_LayoutChange(benchmark::State& state) {
    const int layout = int(state.range(0));
    const bool level = state.range(1) == 1;
    if (level) MakeTree(2, 100000);
    else MakeTree(100, 99);
    Window w;
    if (level) w.Open(0, 50000);
    else w.Open(50, 50);
    const std::string topic = w.Current();
    for (auto _ : state) {
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
}

void Layouts(benchmark::internal::Benchmark* b) {
    for (int data : {0, 1})
        for (int layout : {1, 2, 3, 4, 5, 6, 7}) b->Args({layout, data});
}
BENCHMARK(BM_LayoutChange)
    ->Apply(Layouts)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

}  // namespace
}  // namespace kiv

int main(int argc, char** argv) { return kiv::bench::RunWindowBenchmarks(argc, argv, kiv::g_home); }
