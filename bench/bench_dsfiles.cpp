// Joining and splitting a 200 MB datastructure beside a plain copy of the same joined file,
// all made durable (fsync), in the same run and on the same disk. The rates are bytes per
// second of wall time: the waits for the disk are what a user waits for.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/DatastructureFiles.h"
#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"

using namespace kiv;

namespace {

constexpr uint64_t kCardBytes = 190ull << 20;
constexpr uint64_t kOutlineBytes = 10ull << 20;

struct Files {
    std::string dir, kiv, joinedCopy;
};

void Fill(BlockFile& f, uint64_t size, uint32_t seed) {
    std::vector<char> buf(1 << 20);
    uint32_t x = seed;
    for (uint64_t off = 0; off < size; off += buf.size()) {
        for (char& c : buf) c = char((x = x * 1664525u + 1013904223u) >> 24);
        f.WriteAt(off, buf.data(), size_t(std::min<uint64_t>(buf.size(), size - off)));
    }
}

// A 200 MB datastructure in its open form: an outline beginning with its root header and a
// card file beginning with its header.
const Files& Datastructure() {
    static Files files = [] {
        Files f;
        f.dir = TempDir() + "bench-dsfiles/";
        MakeDirs(f.dir);
        f.kiv = f.dir + "big.kiv";
        f.joinedCopy = f.dir + "copy.kiv";
        auto outline = PosixBlockFile::Open(f.kiv, OpenMode::Truncate);
        auto cards = PosixBlockFile::Open(CardFileName(f.kiv), OpenMode::Truncate);
        Fill(*outline, kOutlineBytes, 1);
        Fill(*cards, kCardBytes, 2);
        outline->WriteU32(0, 0);
        outline->WriteU32(4, 8);
        cards->WriteU32(0, 0);
        return f;
    }();
    return files;
}

void Report(benchmark::State& state) {
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kCardBytes + kOutlineBytes));
}

void BM_Pack(benchmark::State& state) {
    const Files& f = Datastructure();
    UnpackDatastructure(f.kiv);
    for (auto _ : state) {
        PackDatastructure(f.kiv);
        state.PauseTiming();
        UnpackDatastructure(f.kiv);
        state.ResumeTiming();
    }
    Report(state);
}

void BM_Unpack(benchmark::State& state) {
    const Files& f = Datastructure();
    PackDatastructure(f.kiv);
    for (auto _ : state) {
        UnpackDatastructure(f.kiv);
        state.PauseTiming();
        PackDatastructure(f.kiv);
        state.ResumeTiming();
    }
    Report(state);
}

// What joining at least costs: one durable copy of the joined file.
void BM_PlainCopyWithFsync(benchmark::State& state) {
    const Files& f = Datastructure();
    PackDatastructure(f.kiv);
    for (auto _ : state) {
        std::filesystem::copy_file(f.kiv, f.joinedCopy,
                                   std::filesystem::copy_options::overwrite_existing);
        PosixBlockFile::Open(f.joinedCopy, OpenMode::ReadWrite)->Sync();
        state.PauseTiming();
        RemoveFile(f.joinedCopy);
        state.ResumeTiming();
    }
    Report(state);
}

BENCHMARK(BM_PlainCopyWithFsync)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_Pack)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_Unpack)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
