// Copying a deep branch into a new file (the pack's and the save-as's copy) and dumping it,
// a level per topic: both should grow with the depth, not with its square.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/core/AppPaths.h"
#include "engine/core/BranchCopy.h"
#include "engine/core/Cards.h"
#include "engine/core/DatastructureFiles.h"
#include "engine/core/NestFunctions.h"
#include "engine/core/TreeText.h"
#include "platform/core/BlockFile.h"

using namespace kiv;

namespace {

// A split pair whose one top topic has depth levels under it, one topic each.
// A private folder of its own, removed with everything in it.
struct BenchFolder {
    std::string dir;
    BenchFolder() {
        const char* tmp = std::getenv("TMPDIR");
        std::string tmpl = std::string(tmp && *tmp ? tmp : "/tmp") + "/kiv-bench-XXXXXX";
        if (::mkdtemp(tmpl.data())) dir = tmpl + "/";
    }
    ~BenchFolder() {
        if (!dir.empty()) RemoveTree(dir);
    }
};

struct DeepPair {
    BenchFolder folder;
    std::string path = folder.dir + "deep.kiv";
    std::unique_ptr<PosixBlockFile> kiv, dsc;
    explicit DeepPair(int depth) {
        MakeTreePair(path, "");
        kiv = PosixBlockFile::Open(path, OpenMode::ReadWrite, true);
        dsc = PosixBlockFile::Open(CardFileName(path), OpenMode::ReadWrite, true);
        TCards cards;
        cards.SetCardFile(dsc.get());
        uint32_t child = 0;
        for (int level = 0; level < depth; ++level) {
            uint32_t d = 0;
            if (!cards.WriteCard(kCardCaption, d, level ? "t" : "leaf")) std::abort();
            child = AppendNestBlock(kiv.get(), {TNestItem{d, child}});
        }
        WriteRootNest(kiv.get(), child);
    }
    TPairFiles Files() const { return {kiv.get(), dsc.get()}; }
    TItemArray Tops() const {
        TItemArray items;
        ReadNestItems(kiv.get(), ReadRootNest(kiv.get()), items);
        return items;
    }
};

void BM_SaveDeepBranchAs(benchmark::State& state) {
    DeepPair p(int(state.range(0)));
    const std::string out = p.folder.dir + "copy.kiv";
    for (auto _ : state) SaveBranchesAs(p.Files(), p.Tops(), out);
}
BENCHMARK(BM_SaveDeepBranchAs)->Arg(5000)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_DumpDeepBranch(benchmark::State& state) {
    DeepPair p(int(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(DumpTree(p.kiv.get(), p.dsc.get()));
}
BENCHMARK(BM_DumpDeepBranch)->Arg(5000)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
