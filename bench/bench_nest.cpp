// Reading and writing whole nests on a real file, each beside plain pread/pwrite of the very
// same byte ranges, so the cost of the nest layer shows as a ratio.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/NestFunctions.h"
#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"

using namespace kiv;

namespace {

struct Span {
    uint64_t off;
    size_t len;
};

// One outline file per nest size: the nest, the items, and the byte ranges its blocks use.
struct NestFixture {
    std::unique_ptr<PosixBlockFile> file;
    uint32_t nest = 0;
    TItemArray items;
    std::vector<Span> used;  // header + used slots of each block
    std::vector<std::string> usedBytes;
    std::string appended;  // the bytes AppendNestBlock writes for the items
};

NestFixture& Fixture(size_t n) {
    static std::map<size_t, std::unique_ptr<NestFixture>> all;
    auto& slot = all[n];
    if (slot) return *slot;
    slot = std::make_unique<NestFixture>();
    NestFixture& fx = *slot;
    fx.file = PosixBlockFile::Open(TempDir() + "bench_nest_" + std::to_string(n) + ".kiv",
                                   OpenMode::Truncate);
    fx.items.resize(n);
    for (size_t i = 0; i < n; ++i) fx.items[i] = {uint32_t(i + 1), uint32_t(i * 7)};
    InitOutlineFile(fx.file.get());
    fx.nest = AddNestItems(fx.file.get(), 0, fx.items);
    fx.appended = fx.file->ReadAll().substr(kRootHeaderSize);
    for (uint32_t b = fx.nest; b != 0;) {
        TNestHeader h;
        ReadNestHeader(fx.file.get(), b, h);
        Span s{b, 8 + size_t(h.Count) * 8};
        std::string bytes(s.len, '\0');
        fx.file->ReadAt(s.off, bytes.data(), s.len);
        fx.used.push_back(s);
        fx.usedBytes.push_back(std::move(bytes));
        b = h.Next;
    }
    return fx;
}

void SetCounters(benchmark::State& state, const NestFixture& fx) {
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(fx.items.size()));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(fx.items.size() * 8));
}

void NestRead(benchmark::State& state, size_t n) {
    NestFixture& fx = Fixture(n);
    TItemArray got;
    for (auto _ : state) {
        ReadNestItems(fx.file.get(), fx.nest, got);
        benchmark::DoNotOptimize(got.data());
    }
    if (got != fx.items) state.SkipWithError("nest read back wrong");
    SetCounters(state, fx);
}

void PlainPread(benchmark::State& state, size_t n) {
    NestFixture& fx = Fixture(n);
    std::string buf;
    for (auto _ : state) {
        for (const Span& s : fx.used) {
            buf.resize(s.len);
            if (::pread(fx.file->Fd(), buf.data(), s.len, off_t(s.off)) != ssize_t(s.len))
                state.SkipWithError("pread");
            benchmark::DoNotOptimize(buf.data());
        }
    }
    SetCounters(state, fx);
}

void NestRewrite(benchmark::State& state, size_t n) {
    NestFixture& fx = Fixture(n);
    uint64_t size = fx.file->Size();
    for (auto _ : state) WriteNestItems(fx.file.get(), fx.nest, fx.items);
    if (fx.file->Size() != size) state.SkipWithError("rewrite grew the file");
    SetCounters(state, fx);
}

void PlainPwrite(benchmark::State& state, size_t n) {
    NestFixture& fx = Fixture(n);
    for (auto _ : state) {
        for (size_t i = 0; i < fx.used.size(); ++i)
            if (::pwrite(fx.file->Fd(), fx.usedBytes[i].data(), fx.used[i].len,
                         off_t(fx.used[i].off)) != ssize_t(fx.used[i].len))
                state.SkipWithError("pwrite");
    }
    SetCounters(state, fx);
}

// A new nest at the end of the file; the file is cut back outside the timing.
void NestAppend(benchmark::State& state, size_t n) {
    NestFixture& fx = Fixture(n);
    auto f = PosixBlockFile::Open(TempDir() + "bench_nest_append.kiv", OpenMode::Truncate);
    for (auto _ : state) {
        state.PauseTiming();
        InitOutlineFile(f.get());
        state.ResumeTiming();
        benchmark::DoNotOptimize(AppendNestBlock(f.get(), fx.items));
    }
    SetCounters(state, fx);
}

void PlainAppend(benchmark::State& state, size_t n) {
    NestFixture& fx = Fixture(n);
    auto f = PosixBlockFile::Open(TempDir() + "bench_nest_append.kiv", OpenMode::Truncate);
    for (auto _ : state) {
        state.PauseTiming();
        InitOutlineFile(f.get());
        state.ResumeTiming();
        if (::pwrite(f->Fd(), fx.appended.data(), fx.appended.size(), off_t(kRootHeaderSize)) !=
            ssize_t(fx.appended.size()))
            state.SkipWithError("pwrite");
    }
    SetCounters(state, fx);
}

}  // namespace

int main(int argc, char** argv) {
    const std::pair<const char*, void (*)(benchmark::State&, size_t)> pairs[] = {
        {"NestRead", NestRead},       {"PlainPread", PlainPread}, {"NestRewrite", NestRewrite},
        {"PlainPwrite", PlainPwrite}, {"NestAppend", NestAppend}, {"PlainAppend", PlainAppend},
    };
    for (size_t n : {size_t(10000), size_t(1000000)})
        for (const auto& [name, fn] : pairs)
            benchmark::RegisterBenchmark((std::string(name) + "/" + std::to_string(n)).c_str(), fn,
                                         n)
                ->Unit(benchmark::kMicrosecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
