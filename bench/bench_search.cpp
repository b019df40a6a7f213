// A search over a datastructure of 10,000 topics (100 top-level topics with 99 children
// each) holding 10 MB of text cards in the rich-edit control's form, made with the engine's
// writers; beside it the time to read the same bytes (the two files whole, and every text
// card through the card store) and `grep -c` over the cards' plain text written as files.
// Then `kivtree search` and `kivtree dump` over a chain 100,000 levels deep with a hit at
// every level, their output to /dev/null: the time and the tool's peak memory (max_rss_mb).
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <string>

#include "engine/core/Cards.h"
#include "engine/core/NestFunctions.h"
#include "engine/core/Search.h"
#include "engine/core/TreeText.h"
#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "platform/core/KivError.h"

using namespace kiv;

namespace {

constexpr int kTop = 100, kChildren = 99;
constexpr size_t kCardBytes = 1024;

std::string Card(int n) {
    std::string c =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}"
        "{\\colortbl ;\\red255\\green0\\blue0;}\\viewkind4\\uc1\\pard\\f0\\fs20 ";
    for (int i = 0; c.size() < kCardBytes - 40; ++i)
        c += "Words of card " + std::to_string(n) +
             ", \\b bold\\b0  and \\cf1 red\\cf0 , caf\\'e9 line " + std::to_string(i) +
             ".\\par\r\n";
    if (n % 1000 == 7) c += "a needle here\\par\r\n";
    return c + "}";
}

struct Fixture {
    std::string dir, kivPath, textDir;
    std::unique_ptr<PosixBlockFile> kiv, dsc;
    std::vector<uint32_t> dirs;  // the card directories, for the read-only pass
    uint64_t cardBytes = 0;

    Fixture() {
        dir = TempDir() + "bench_search/";
        RemoveTree(dir);
        MakeDirs(dir);
        textDir = dir + "text/";
        MakeDirs(textDir);
        kivPath = dir + "big.kiv";
        std::string tree;
        for (int t = 0; t < kTop; ++t) {
            tree += "top" + std::to_string(t) + "(";
            for (int c = 0; c < kChildren; ++c)
                tree += "child" + std::to_string(t * kChildren + c) + " ";
            tree += ") ";
        }
        MakeTreePair(kivPath, tree);
        kiv = PosixBlockFile::Open(kivPath, OpenMode::ReadWrite, true);
        dsc = PosixBlockFile::Open(CardFilePathOf(kivPath), OpenMode::ReadWrite, true);
        TCards cards;
        cards.SetCardFile(dsc.get());
        int n = 0;
        auto fill = [&](uint32_t nest) {
            TItemArray items;
            ReadNestItems(kiv.get(), nest, items);
            for (size_t i = 0; i < items.size(); ++i) {
                const std::string card = Card(n);
                if (!cards.WriteCard(kCardText, items[i].CardDir, card) ||
                    !SetNestItem(kiv.get(), nest, int(i), items[i]))
                    throw EKivError("the bench's datastructure could not be written");
                std::ofstream(textDir + std::to_string(n) + ".txt", std::ios::binary)
                    << TextCardPlainText(card);
                dirs.push_back(items[i].CardDir);
                cardBytes += card.size();
                ++n;
            }
            return items;
        };
        for (const TNestItem& top : fill(ReadRootNest(kiv.get()))) fill(top.ChildNest);
    }
    ~Fixture() {
        kiv.reset();
        dsc.reset();
        RemoveTree(dir);
    }
};

Fixture& Data() {
    static Fixture f;
    return f;
}

void Searching(benchmark::State& state, const char* keywords, bool andMode) {
    Fixture& f = Data();
    TSearchRequest r;
    r.Keywords = SearchKeywords(keywords, false);
    r.AndMode = andMode;
    r.StartNest = ReadRootNest(f.kiv.get());
    size_t hits = 0;
    TSearchEvents e;
    e.OnHit = [&](const TSearchHit&) { ++hits; };
    for (auto _ : state) {
        hits = 0;
        const TSearchOutcome o = RunSearch(f.kiv.get(), f.dsc.get(), r, e);
        benchmark::DoNotOptimize(o.Tested);
    }
    state.counters["hits"] = double(hits);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.cardBytes));
}

void BM_SearchOneKeyword(benchmark::State& state) { Searching(state, "needle", true); }
void BM_SearchThreeKeywordsOr(benchmark::State& state) {
    Searching(state, "needle haystack thread", false);
}

void BM_ReadFilesWhole(benchmark::State& state) {
    Fixture& f = Data();
    for (auto _ : state) {
        std::string a = ReadWholeFile(f.kivPath), b = ReadWholeFile(CardFilePathOf(f.kivPath));
        benchmark::DoNotOptimize(a.data());
        benchmark::DoNotOptimize(b.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.cardBytes));
}

void BM_ReadEveryTextCard(benchmark::State& state) {
    Fixture& f = Data();
    TCards cards;
    cards.SetCardFile(f.dsc.get());
    for (auto _ : state) {
        std::string text;
        for (uint32_t d : f.dirs) {
            cards.ReadCard(kCardText, d, text);
            benchmark::DoNotOptimize(text.data());
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.cardBytes));
}

void BM_GrepPlainFiles(benchmark::State& state) {
    Fixture& f = Data();
    const std::string cmd = "grep -r -c -i -w needle '" + f.textDir + "' >/dev/null";
    for (auto _ : state) benchmark::DoNotOptimize(std::system(cmd.c_str()));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.cardBytes));
}

// A pair whose topics form one chain, "hit 0" holding "hit 1" and so on, written straight
// through the nest and card routines (a tree text that deep would cost more).
std::string DeepChain() {
    constexpr int kDepth = 100000;
    const std::string path = TempDir() + "bench_chain/chain.kiv";
    if (FileExists(path)) return path;
    MakeDirs(TempDir() + "bench_chain/");
    MakeTreePair(path, "");
    auto kiv = PosixBlockFile::Open(path, OpenMode::ReadWrite, true);
    auto dsc = PosixBlockFile::Open(CardFilePathOf(path), OpenMode::ReadWrite, true);
    TCards cards;
    cards.SetCardFile(dsc.get());
    uint32_t below = 0;
    for (int level = kDepth - 1; level >= 0; --level) {
        TNestItem item{0, below};
        if (!cards.WriteCard(kCardCaption, item.CardDir, "hit " + std::to_string(level)))
            throw EKivError("the bench's chain could not be written");
        below = AppendNestBlock(kiv.get(), TItemArray{item});
    }
    WriteRootNest(kiv.get(), below);
    return path;
}

// Runs kivtree with its output to /dev/null; the seconds it took and its peak memory.
void RunKivtree(benchmark::State& state, const std::vector<std::string>& args) {
    const std::string tool = ExecutableDir() + "kivtree";
    if (!FileExists(tool)) {
        state.SkipWithError("kivtree is not built beside the bench");
        return;
    }
    long maxRss = 0;
    for (auto _ : state) {
        const pid_t child = fork();
        if (child == 0) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            std::vector<char*> argv{const_cast<char*>(tool.c_str())};
            for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(tool.c_str(), argv.data());
            _exit(127);
        }
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("kivtree failed");
            break;
        }
        maxRss = std::max(maxRss, usage.ru_maxrss);
    }
    state.counters["max_rss_mb"] = double(maxRss) / 1024.0;
}

void BM_KivtreeSearchDeepChain(benchmark::State& state) {
    RunKivtree(state, {"search", DeepChain(), "hit"});
}
void BM_KivtreeDumpDeepChain(benchmark::State& state) { RunKivtree(state, {"dump", DeepChain()}); }

}  // namespace

BENCHMARK(BM_KivtreeSearchDeepChain)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_KivtreeDumpDeepChain)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_SearchOneKeyword)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchThreeKeywordsOr)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadFilesWhole)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadEveryTextCard)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GrepPlainFiles)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
