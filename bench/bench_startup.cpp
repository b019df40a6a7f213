// The main window: start-up to the first painted window, and the topic change with a
// 100 KB text card (loaded, and stored and loaded), beside reading the card's bytes alone.
// Runs under the offscreen platform in a private program folder.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <memory>
#include <string>

#include "engine/core/Cards.h"
#include "engine/core/DatastructureFiles.h"
#include "engine/core/Navigation.h"
#include "engine/core/NestFunctions.h"
#include "engine/core/TreeText.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/Globals.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/datastructure/DatastructureLife.h"
#include "mainwindow/panels/PanelHandlers.h"
#include "mainwindow/settings/WindowSettings.h"
#include "mainwindow/startup/Startup.h"
#include "mainwindow/textcard/TextCard.h"
#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "platform/qt/FakeDialogs.h"
#include "platform/qt/KivApplication.h"
#include "platform/qt/RtfWriter.h"

namespace kiv {
namespace {

std::string g_home;

// About 100 KB of rich text: paragraphs with a bold run in each.
std::string HundredKilobyteCard() {
    QTextDocument doc;
    QTextCursor c(&doc);
    QTextCharFormat plain, bold;
    bold.setFontWeight(QFont::Bold);
    int i = 0;
    while (true) {
        c.insertText(QStringLiteral("Paragraph %1 of the long card, with some ordinary words and ").arg(++i), plain);
        c.insertText(QStringLiteral("a bold part"), bold);
        c.insertText(QStringLiteral(" before its end."), plain);
        c.insertBlock();
        if (i % 50 == 0 && WriteRtf(doc).size() >= 100 * 1024) break;
    }
    return WriteRtf(doc);
}

// "FirstKivDB.kiv" with two top-level topics, each with a 100 KB text card.
void MakeBenchDatastructure(std::string& card) {
    const std::string path = g_home + "FirstKivDB.kiv";
    if (FileExists(path)) RemoveFile(path);
    MakeTreePair(path, "first second");
    card = HundredKilobyteCard();
    {
        auto kiv = PosixBlockFile::Open(path, OpenMode::ReadWrite);
        auto dsc = PosixBlockFile::Open(CardFileName(path), OpenMode::ReadWrite);
        TItemArray items;
        ReadNestItems(kiv.get(), ReadRootNest(kiv.get()), items);
        TCards cards;
        cards.SetCardFile(dsc.get());
        for (TNestItem& it : items) cards.WriteCard(kCardText, it.CardDir, card);
    }
    PackDatastructure(path);
}

void ResetGlobals() {
    InterBase().Clear();
    Navigator()->Clear();
    CurrentBookMark = nullptr;
    CurrentNavigator = nullptr;
    Loading = false;
}

class PaintSeen : public QObject {
public:
    bool seen = false;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) seen = true;
        return false;
    }
};

std::unique_ptr<TForm1> StartWindow() {
    ResetGlobals();
    CreatePanelsManager();
    auto f = std::make_unique<TForm1>();
    f->FormCreate({});
    return f;
}

void StopWindow(std::unique_ptr<TForm1>& f) {
    f->close();
    f->FormDestroy();
    f.reset();
    QCoreApplication::processEvents();
}

void BM_StartupToFirstPaint(benchmark::State& state) {
    std::string card;
    MakeBenchDatastructure(card);
    for (auto _ : state) {
        PaintSeen paint;
        auto f = StartWindow();
        f->Panels().sgdFirst->viewport()->installEventFilter(&paint);
        f->show();
        while (!paint.seen) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        state.PauseTiming();
        f->Panels().sgdFirst->viewport()->removeEventFilter(&paint);
        StopWindow(f);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartupToFirstPaint)->Unit(benchmark::kMillisecond);

// The topic change between the two topics: the old text card stored (when modified) and
// the new one loaded into the editor.
void TopicChange(benchmark::State& state, bool modified) {
    std::string card;
    MakeBenchDatastructure(card);
    auto f = StartWindow();
    f->show();
    QCoreApplication::processEvents();
    TKivStringGrid* g = f->Panels().sgdFirst;
    for (auto _ : state) {
        if (modified) f->TextCard().txtSimpleText->document()->setModified(true);
        g->SelectRow(1 - g->CurrentRow());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(card.size()) * (modified ? 2 : 1));
    StopWindow(f);
}
void BM_TopicChange100KB(benchmark::State& state) { TopicChange(state, false); }
void BM_TopicChangeStoringAndLoading100KB(benchmark::State& state) { TopicChange(state, true); }
BENCHMARK(BM_TopicChange100KB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TopicChangeStoringAndLoading100KB)->Unit(benchmark::kMillisecond);

// Only the bytes: the card read from the open card file.
void BM_Read100KBTextCard(benchmark::State& state) {
    std::string card;
    MakeBenchDatastructure(card);
    const std::string path = g_home + "FirstKivDB.kiv";
    TDatastructurePair pair = OpenDatastructurePair(path, false);
    TItemArray items;
    ReadNestItems(pair.Outline.get(), ReadRootNest(pair.Outline.get()), items);
    TCards cards;
    cards.SetCardFile(pair.Cards.get());
    std::string text;
    for (auto _ : state) {
        text.clear();
        cards.ReadCard(kCardText, items[0].CardDir, text);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
    pair = {};
    PackDatastructure(path);
}
BENCHMARK(BM_Read100KBTextCard)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kiv

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::string base = std::getenv("TMPDIR") && *std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp";
    std::string tmpl = base + "/kiv-bench-XXXXXX";
    if (!::mkdtemp(tmpl.data())) return 2;
    kiv::g_home = tmpl + "/";
    for (const char* d : {"home/", "data/", "run/"}) kiv::MakeDirs(kiv::g_home + d);
    ::setenv("XDG_DATA_HOME", (kiv::g_home + "data").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (kiv::g_home + "run").c_str(), 1);
    kiv::g_home += "home/";
    ::setenv("KIV_HOME", kiv::g_home.c_str(), 1);
    kiv::ResetAppPaths();
    int rc = 0;
    {
        kiv::KivApplication app(argc, argv);
        kiv::InstallDialogs(std::make_unique<kiv::FakeDialogs>());
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    kiv::RemoveTree(tmpl + "/");
    return rc;
}
