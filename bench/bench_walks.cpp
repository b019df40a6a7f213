// Walks over an outline whose clones share sub-trees level after level (2^depth paths): the
// dump and the drag's own-branch check, which read each nest once.
#include <benchmark/benchmark.h>

#include "engine/core/NestFunctions.h"
#include "engine/core/OutlineEdits.h"
#include "engine/core/TreeText.h"
#include "platform/core/BlockFile.h"
#include "tests/engine/core/CloneChain.h"

using namespace kiv;

namespace {

struct ChainPair {
    explicit ChainPair(int depth)
        : kiv(std::string(kRootHeaderSize, '\0')), dsc(std::string(4, '\0')) {
        chain = test::AppendCloneChain(&kiv, &dsc, depth);
        WriteRootNest(&kiv, AppendNestBlock(&kiv, TItemArray{TNestItem{0, chain.Top}}));
    }
    MemoryBlockFile kiv, dsc;
    test::TCloneChain chain;
};

void BM_DumpCloneChain(benchmark::State& state) {
    ChainPair p(int(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(DumpTree(&p.kiv, &p.dsc));
}
BENCHMARK(BM_DumpCloneChain)->Arg(10)->Arg(20)->Arg(40)->Unit(benchmark::kMicrosecond);

void BM_OwnBranchCheckCloneChain(benchmark::State& state) {
    ChainPair p(int(state.range(0)));
    const TItemArray top{TNestItem{0, p.chain.Top}};
    for (auto _ : state)
        benchmark::DoNotOptimize(NestInsideItems(&p.kiv, ReadRootNest(&p.kiv), top));
}
BENCHMARK(BM_OwnBranchCheckCloneChain)->Arg(10)->Arg(20)->Arg(40)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
