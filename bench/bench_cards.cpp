// Card chains against plain positioned I/O of the same bytes, and loading a large nest.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "engine/core/Cards.h"
#include "engine/core/NestFunctions.h"
#include "engine/core/Nester.h"
#include "engine/core/TreeText.h"
#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"

using namespace kiv;

namespace {

std::string Text(size_t n) {
    std::string s(n, 'x');
    for (size_t i = 0; i < n; ++i) s[i] = char('a' + i % 26);
    return s;
}

// A card file holding one chain of the text's size, rewritten in place by the benchmark.
struct ChainFile {
    explicit ChainFile(size_t n) : text(Text(n)) {
        file = PosixBlockFile::Open(TempDir() + "bench_cards.dsc", OpenMode::Truncate);
        InitCardFile(file.get());
        WriteCardChain(file.get(), first, text);
    }
    std::string text;
    std::unique_ptr<PosixBlockFile> file;
    uint32_t first = 0;
};

void BM_CardChainWrite(benchmark::State& state) {
    ChainFile c(size_t(state.range(0)));
    for (auto _ : state) WriteCardChain(c.file.get(), c.first, c.text);
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}

void BM_CardChainRead(benchmark::State& state) {
    ChainFile c(size_t(state.range(0)));
    std::string back;
    for (auto _ : state) {
        ReadCardChain(c.file.get(), c.first, back);
        benchmark::DoNotOptimize(back.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}

void BM_PlainPwrite(benchmark::State& state) {
    ChainFile c(size_t(state.range(0)));
    const int fd = c.file->Fd();
    for (auto _ : state) {
        if (::pwrite(fd, c.text.data(), c.text.size(), c.first + kChunkHeaderSize) !=
            ssize_t(c.text.size()))
            state.SkipWithError("pwrite");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}

void BM_PlainPread(benchmark::State& state) {
    ChainFile c(size_t(state.range(0)));
    const int fd = c.file->Fd();
    std::string back;
    for (auto _ : state) {
        back.resize(c.text.size());
        if (::pread(fd, back.data(), back.size(), c.first + kChunkHeaderSize) !=
            ssize_t(back.size()))
            state.SkipWithError("pread");
        benchmark::DoNotOptimize(back.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}

#define KIV_SIZES ->Arg(1 << 10)->Arg(100 << 10)->Arg(10 << 20)
BENCHMARK(BM_CardChainWrite) KIV_SIZES;
BENCHMARK(BM_PlainPwrite) KIV_SIZES;
BENCHMARK(BM_CardChainRead) KIV_SIZES;
BENCHMARK(BM_PlainPread) KIV_SIZES;

// 10,000 top-level topics with captions, loaded into a model.
void BM_LoadNest10000(benchmark::State& state) {
    const std::string path = TempDir() + "bench_nest.kiv";
    std::string tree;
    for (int i = 0; i < 10000; ++i) tree += "\"topic number " + std::to_string(i) + "\" ";
    MakeTreePair(path, tree);
    auto kiv = PosixBlockFile::Open(path, OpenMode::ReadOnly);
    auto dsc = PosixBlockFile::Open(CardFilePathOf(path), OpenMode::ReadOnly);
    TNester model;
    model.SetNestFile(kiv.get());
    model.SetCardFile(dsc.get());
    model.RootNest = ReadRootNest(kiv.get());
    for (auto _ : state) {
        model.LoadBranch(-1, false);
        if (model.RowCount() != 10000) state.SkipWithError("wrong row count");
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 10000);
}
BENCHMARK(BM_LoadNest10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
