// Export of a whole outline: 10,000 topics with 10 MB of text cards saved as ".txt" (straight
// from the generator, and through the document the print window shows) and, formatted, as
// ".rtf", beside reading the bytes of the same datastructure pair. The pair is made here
// through the engine's own writers.
#include <benchmark/benchmark.h>
#include <QGuiApplication>
#include <QTextDocument>
#include <memory>
#include <string>

#include "bench/BenchHome.h"
#include "bench/BenchTree.h"
#include "dialogs/OutlineText.h"
#include "engine/core/Cards.h"
#include "engine/core/NestFunctions.h"
#include "engine/core/Nester.h"
#include "engine/core/TreeText.h"
#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "platform/core/KivError.h"
#include "platform/qt/EditorFile.h"

namespace kiv {
namespace {

constexpr int kTop = 100;
constexpr int kChildren = 99;  // 100 x (1 + 99) = 10,000 topics
constexpr size_t kCardBytes = 10 * 1024 * 1024;

std::string g_dir;
std::string g_path;
size_t g_textBytes = 0;

void MakeDatastructure() {
    g_textBytes = bench::MakeLargeTree(g_path, kTop, kChildren, kCardBytes);
}

// Whole outline saved in the form of the path's extension: through a document as the print
// window holds it, or (plain text) straight from the generator as the export does.
void Export(benchmark::State& state, bool formatted, bool throughDocument, const char* name) {
    auto kiv = PosixBlockFile::Open(g_path, OpenMode::ReadOnly);
    auto dsc = PosixBlockFile::Open(CardFilePathOf(g_path), OpenMode::ReadOnly);
    TNester model;
    model.SetNestFile(kiv.get());
    model.SetCardFile(dsc.get());
    TCards cards;
    cards.SetCardFile(dsc.get());
    const TOutlineTextOptions o{TOutlineScope::Outline, true, true, formatted, true};
    const QString out = QString::fromStdString(g_dir + name);
    int topics = 0;
    for (auto _ : state) {
        if (throughDocument) {
            QTextDocument doc;
            topics = BuildOutlineText(doc, o, model, cards);
            WriteEditorFile(doc, out, EditorFileKindOf(out));
        } else {
            std::string text;
            topics = BuildOutlineTextFile(text, o, model, cards);
            WriteFileAtomic(g_dir + name, text);
        }
    }
    state.counters["topics"] = topics;
    state.counters["out_MB"] = double(ReadWholeFile(g_dir + name).size()) / (1024 * 1024);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kiv->Size() + dsc->Size()));
}

void BM_ExportTxt(benchmark::State& state) { Export(state, false, false, "export.txt"); }
void BM_ExportTxtThroughDocument(benchmark::State& state) {
    Export(state, false, true, "export-doc.txt");
}
void BM_ExportRtfFormatted(benchmark::State& state) { Export(state, true, true, "export.rtf"); }

// The same pair's bytes read from the files, nothing else.
void BM_ReadPairBytes(benchmark::State& state) {
    size_t n = 0;
    for (auto _ : state) {
        std::string a = ReadWholeFile(g_path), b = ReadWholeFile(CardFilePathOf(g_path));
        n = a.size() + b.size();
        benchmark::DoNotOptimize(a.data());
        benchmark::DoNotOptimize(b.data());
    }
    state.counters["text_card_MB"] = double(g_textBytes) / (1024 * 1024);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(n));
}

BENCHMARK(BM_ExportTxt)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportTxtThroughDocument)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportRtfFormatted)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadPairBytes)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kiv

int main(int argc, char** argv) {
    kiv::BenchHome home;
    if (!home.Made()) return 2;
    kiv::g_dir = home.Home();
    kiv::g_path = kiv::g_dir + "export.kiv";
    QGuiApplication app(argc, argv);
    kiv::MakeDatastructure();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
