// Files autoregistration over a real tree of 20,000 files in 1,000 folders (10 folders of
// 99 sub-folders, 20 files in each folder but the root), made in the private temporary
// folder: counting it, registering it into a fresh datastructure pair, and `find` over the
// same tree as the measure of what merely walking it costs.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/core/Cards.h"
#include "engine/core/FileRegistration.h"
#include "platform/core/MiskPro.h"
#include "engine/core/NestFunctions.h"
#include "engine/core/TreeText.h"
#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"

using namespace kiv;

namespace {

constexpr int kTop = 10, kSub = 99, kFilesPerFolder = 20;

const std::string& Tree() {
    static const std::string root = [] {
        const std::string r = TempDir() + "bench-autoreg-tree";
        RemoveTree(r + "/");
        for (int t = 0; t < kTop; ++t) {
            const std::string top = r + "/top" + std::to_string(t);
            for (int s = 0; s <= kSub; ++s) {
                // s == kSub: the top folder's own files
                const std::string dir = s == kSub ? top : top + "/sub" + std::to_string(s);
                MakeDirs(dir + "/");
                for (int f = 0; f < kFilesPerFolder; ++f) {
                    // Plain writes: the tree is input, and syncing 20,000 files would be the run.
                    std::FILE* out =
                        std::fopen((dir + "/file" + std::to_string(f) + ".txt").c_str(), "wb");
                    if (out) {
                        std::fputc('x', out);
                        std::fclose(out);
                    }
                }
            }
        }
        return r;
    }();
    return root;
}

void BM_CountTree(benchmark::State& state) {
    TDiskFolders disk;
    int found = 0;
    for (auto _ : state) {
        TFileRegistrar r(disk, {});
        found = r.CountFiles(Tree(), true);
        benchmark::DoNotOptimize(found);
    }
    state.counters["entries"] = found;
}
BENCHMARK(BM_CountTree)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RegisterTree(benchmark::State& state) {
    TDiskFolders disk;
    const std::string path = TempDir() + "bench-autoreg.kiv";
    int made = 0;
    for (auto _ : state) {
        state.PauseTiming();
        MakeTreePair(path, "");
        TTreePairFiles pair = OpenTreePair(path, true);
        PosixBlockFile* kiv = pair.kiv.get();
        TCards cards;
        cards.SetCardFile(pair.dsc.get());
        state.ResumeTiming();
        TFileRegistrar r(disk, {});
        made = r.BuildFileTopics(kiv, cards, Tree(), [&](const TNestItem& item) {
            const uint32_t root = AppendNestBlock(kiv, {item});
            WriteRootNest(kiv, root);
            return TTopicSlot{root, 0};
        });
        benchmark::DoNotOptimize(made);
    }
    state.counters["topics"] = made;
}
BENCHMARK(BM_RegisterTree)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FindTree(benchmark::State& state) {
    const std::string cmd = "find '" + Tree() + "' > /dev/null";
    for (auto _ : state)
        if (std::system(cmd.c_str()) != 0) state.SkipWithError("find failed");
}
BENCHMARK(BM_FindTree)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Tree();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    RemoveTree(Tree() + "/");
    return 0;
}
