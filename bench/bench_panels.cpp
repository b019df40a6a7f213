// Outline panels: the cascade after a topic change with 1,000 children in the next panel,
// and painting a full panel of 50 visible rows.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <memory>
#include <string>

#include "engine/core/Cards.h"
#include "engine/core/NestFunctions.h"
#include "engine/core/TreeText.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"

using namespace kiv;

namespace {

std::string Children(int n, const char* word) {
    std::string s;
    for (int i = 0; i < n; ++i) s += std::string(i ? " " : "") + word + std::to_string(i);
    return s;
}

// Three panels in a shown window over a pair made from the tree.
struct Panels {
    explicit Panels(const std::string& tree, int rowsHigh = 0) {
        path = TempDir() + "bench_panels.kiv";
        MakeTreePair(path, tree);
        kiv = PosixBlockFile::Open(path, OpenMode::ReadWrite, true);
        dsc = PosixBlockFile::Open(CardFilePathOf(path), OpenMode::ReadWrite, true);
        CreatePanelsManager();
        TKivPanelsManager& m = PanelsManager();
        window = std::make_unique<QWidget>();
        for (int i = 0; i < 3; ++i) {
            p[i] = new TKivStringGrid(window.get());
            p[i]->Tag = i + 1;
            p[i]->SetBorderStyle(TCustomGrid::bsNone);
            p[i]->SetScrollBars(TCustomGrid::ssNone);
            p[i]->SetDefaultColWidth(260);
        }
        m.SetNestFile(kiv.get());
        m.SetCardFile(dsc.get());
        m.LineHeight = m.MeasureLineHeight(p[0]);
        const int rowHeight = m.LineHeight + 8;
        const int h = rowsHigh > 0 ? rowsHigh * rowHeight : 600;
        for (int i = 0; i < 3; ++i) p[i]->setGeometry(i * 260, 0, 260, h);
        window->resize(780, h);
        window->show();
        QCoreApplication::processEvents();
        TNester& n = *p[0]->Nester;
        n.RootNest = ReadRootNest(kiv.get());
        n.LoadBranch(-1, false);
        p[0]->SetRowCount(n.RowCount());
        p[0]->UpdateRowHeights(0);
        p[0]->SelectRow(0);
        m.RefreshPanelsFrom(1);
    }
    ~Panels() {
        window.reset();
        FreePanelsManager();
        kiv.reset();
        dsc.reset();
        RemoveFile(path);
        RemoveFile(CardFilePathOf(path));
    }
    std::string path;
    std::unique_ptr<PosixBlockFile> kiv, dsc;
    std::unique_ptr<QWidget> window;
    TKivStringGrid* p[3] = {};
};

void BM_CascadeThousandChildren(benchmark::State& state) {
    Panels s("a(" + Children(1000, "child") + ") b");
    for (auto _ : state) {
        state.PauseTiming();
        s.p[0]->SelectRow(1);
        PanelsManager().RefreshPanelsFrom(1);
        state.ResumeTiming();
        s.p[0]->SelectRow(0);
        PanelsManager().RefreshPanelsFrom(1);
        benchmark::DoNotOptimize(s.p[1]->Nester->RowCount());
    }
    if (s.p[1]->Nester->RowCount() != 1000) state.SkipWithError("the cascade lost rows");
}
BENCHMARK(BM_CascadeThousandChildren)->Unit(benchmark::kMillisecond);

void BM_PaintFiftyRows(benchmark::State& state) {
    Panels s(Children(60, "topic"), 50);
    TKivStringGrid* g = s.p[0];
    TNester& n = *g->Nester;
    // Icons on some rows: a text card, one link, several links.
    for (int r = 0; r < 50; r += 5) {
        n.SetHasText(r, true);
        if (!n.LaunchList().SetLinks(r + 1,
                                     "/usr\x01"
                                     "usr\r\n") ||
            !n.LaunchList().SetLinks(r + 2,
                                     "http://a.example\x01"
                                     "a\r\nhttp://b.example\x01"
                                     "b\r\n"))
            state.SkipWithError("the links could not be stored");
    }
    if (g->VisibleRowCount() < 50) state.SkipWithError("fewer than 50 rows visible");
    QImage image(g->viewport()->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        g->viewport()->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 50);
}
BENCHMARK(BM_PaintFiftyRows)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
