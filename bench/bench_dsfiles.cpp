// Joining and splitting a 200 MB datastructure beside a plain copy of the same joined file,
// all made durable (fsync), in the same run and on the same disk; and the Pack command's
// rebuild of a 200 MB tree (2000 topics with 100 KB text cards) beside a plain copy of
// that file. The rates are bytes per second of wall time: the waits for the disk are what a
// user waits for.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/BranchCopy.h"
#include "engine/core/Cards.h"
#include "engine/core/DatastructureFiles.h"
#include "engine/core/NestFunctions.h"
#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "platform/core/KivError.h"

using namespace kiv;

namespace {

constexpr uint64_t kCardBytes = 190ull << 20;
constexpr uint64_t kOutlineBytes = 10ull << 20;

struct Files {
    std::string dir, kiv, joinedCopy;  // the copy of the plain-copy benchmarks
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

void Report(benchmark::State& state, uint64_t bytes = kCardBytes + kOutlineBytes) {
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}

constexpr int kTopTopics = 10;
constexpr int kChildren = 200;
constexpr size_t kTextBytes = 100 * 1024;

// A closed datastructure of 200 MB made of topics: 10 top-level topics of 200 children
// each, every child with a 100 KB text card.
const std::string& TreeDatastructure() {
    static std::string path = [] {
        const std::string p = Datastructure().dir + "tree.kiv";
        RemoveDatastructureFiles(p);
        auto outline = PosixBlockFile::Open(p, OpenMode::Truncate);
        auto cards = PosixBlockFile::Open(CardFileName(p), OpenMode::Truncate);
        InitOutlineFile(outline.get());
        InitCardFile(cards.get());
        TCards c;
        c.SetCardFile(cards.get());
        std::string text(kTextBytes, 'x');
        TItemArray tops;
        for (int t = 0; t < kTopTopics; ++t) {
            TItemArray children;
            for (int k = 0; k < kChildren; ++k) {
                uint32_t dir = 0;
                text.replace(0, 12, std::to_string(1000000000 + t * kChildren + k) + "  ");
                if (!c.WriteCard(kCardCaption, dir, "topic " + std::to_string(k)) ||
                    !c.WriteCard(kCardText, dir, text))
                    throw EKivError("bench: a card was not stored");
                children.push_back({dir, 0});
            }
            uint32_t dir = 0;
            if (!c.WriteCard(kCardCaption, dir, "branch " + std::to_string(t)))
                throw EKivError("bench: no caption");
            tops.push_back({dir, AppendNestBlock(outline.get(), children)});
        }
        WriteRootNest(outline.get(), AppendNestBlock(outline.get(), tops));
        outline.reset();
        cards.reset();
        PackDatastructure(p);
        return p;
    }();
    return path;
}

uint64_t FileSize(const std::string& path) {
    return PosixBlockFile::Open(path, OpenMode::ReadOnly)->Size();
}

// What replacing a file at least costs: one durable copy of it.
void CopyWithFsync(benchmark::State& state, const std::string& path) {
    const std::string& copy = Datastructure().joinedCopy;
    for (auto _ : state) {
        std::filesystem::copy_file(path, copy, std::filesystem::copy_options::overwrite_existing);
        PosixBlockFile::Open(copy, OpenMode::ReadWrite)->Sync();
        state.PauseTiming();
        RemoveFile(copy);
        state.ResumeTiming();
    }
    Report(state, FileSize(path));
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
    PackDatastructure(Datastructure().kiv);
    CopyWithFsync(state, Datastructure().kiv);
}

// The Pack command's work on a closed datastructure: the live tree read in place, copied
// into a fresh file, joined, synced and renamed over the old one.
void BM_PackByRebuild(benchmark::State& state) {
    const std::string& p = TreeDatastructure();
    for (auto _ : state) PackDatastructureFile(p);
    Report(state, FileSize(p));
}

void BM_PlainCopyOfTreeWithFsync(benchmark::State& state) {
    CopyWithFsync(state, TreeDatastructure());
}

BENCHMARK(BM_PlainCopyWithFsync)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_Pack)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_Unpack)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_PlainCopyOfTreeWithFsync)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_PackByRebuild)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
