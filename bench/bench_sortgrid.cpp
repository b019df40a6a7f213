// The sort grid's ordering: 100,000 rows by one key and by three keys, beside
// std::stable_sort of the same strings (the floor for a comparison sort of texts) and of
// the same three-key comparison.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "components/core/SortEngine.h"
#include "platform/core/UnicodeText.h"

namespace {

constexpr int kRows = 100000;

// Address-book-like rows: a name, a mail address and a number, with repeats, so that the
// secondary keys have ties to break.
const std::vector<std::vector<std::string>>& Table() {
    static const std::vector<std::vector<std::string>> rows = [] {
        std::mt19937 rng(42);
        static const char* first[] = {"Anna", "bert",  "Carla", "dirk",
                                      "Eva",  "frank", "Gina",  "hans"};
        std::vector<std::vector<std::string>> t;
        t.reserve(kRows);
        for (int i = 0; i < kRows; ++i) {
            const std::string name =
                std::string(first[rng() % 8]) + " " + std::to_string(rng() % 5000);
            t.push_back({name, "user" + std::to_string(rng() % 20000) + "@example.org",
                         std::to_string(rng() % 1000)});
        }
        return t;
    }();
    return rows;
}

kiv::TSortRequest Request(std::vector<int> keys, kiv::TSortStyle style) {
    kiv::TSortRequest r;
    r.Keys = std::move(keys);
    r.StyleOf = [style](int, const std::vector<std::string>&) { return style; };
    return r;
}

void BM_SortOneKey(benchmark::State& state) {
    const auto& rows = Table();
    const kiv::TSortRequest r = Request({0}, kiv::TSortStyle(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(kiv::SortOrder(rows, r));
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_SortOneKey)
    ->Arg(kiv::ssNormal)
    ->Arg(kiv::ssNumericExtended)
    ->Unit(benchmark::kMillisecond);

void BM_SortThreeKeys(benchmark::State& state) {
    const auto& rows = Table();
    kiv::TSortRequest r = Request({0, 1, 2}, kiv::ssNormal);
    // The third key is numeric, as a grid's OnGetSortStyle would answer.
    r.StyleOf = [](int col, const std::vector<std::string>&) {
        return col == 2 ? kiv::ssNumeric : kiv::ssNormal;
    };
    for (auto _ : state) benchmark::DoNotOptimize(kiv::SortOrder(rows, r));
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_SortThreeKeys)->Unit(benchmark::kMillisecond);

// std::stable_sort of the first column's strings, case-sensitive, nothing else done.
void BM_StdStableSortOneKey(benchmark::State& state) {
    std::vector<std::string> texts;
    for (const auto& r : Table()) texts.push_back(r[0]);
    for (auto _ : state) {
        std::vector<std::string> v = texts;
        std::stable_sort(v.begin(), v.end());
        benchmark::DoNotOptimize(v.data());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_StdStableSortOneKey)->Unit(benchmark::kMillisecond);

// std::stable_sort of row indices by three string keys in turn.
void BM_StdStableSortThreeKeys(benchmark::State& state) {
    const auto& rows = Table();
    for (auto _ : state) {
        std::vector<int> idx(kRows);
        for (int i = 0; i < kRows; ++i) idx[size_t(i)] = i;
        std::stable_sort(idx.begin(), idx.end(), [&](int a, int b) {
            const auto& x = rows[size_t(a)];
            const auto& y = rows[size_t(b)];
            return x[0] != y[0] ? x[0] < y[0] : (x[1] != y[1] ? x[1] < y[1] : x[2] < y[2]);
        });
        benchmark::DoNotOptimize(idx.data());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_StdStableSortThreeKeys)->Unit(benchmark::kMillisecond);

// std::stable_sort of row indices with the comparison BM_SortThreeKeys sorts by: the two
// text keys lower-cased and the third read as a number, made once per sort.
void BM_StdStableSortThreeKeysSameComparison(benchmark::State& state) {
    const auto& rows = Table();
    for (auto _ : state) {
        std::vector<std::string> k0(kRows), k1(kRows);
        std::vector<double> k2(kRows);
        for (size_t i = 0; i < size_t(kRows); ++i) {
            k0[i] = kiv::UnicodeText::LowerCaseUtf8(rows[i][0]);
            k1[i] = kiv::UnicodeText::LowerCaseUtf8(rows[i][1]);
            kiv::TryTextToFloat(rows[i][2], k2[i]);
        }
        std::vector<int> idx(kRows);
        for (int i = 0; i < kRows; ++i) idx[size_t(i)] = i;
        std::stable_sort(idx.begin(), idx.end(), [&](int a, int b) {
            const size_t x = size_t(a), y = size_t(b);
            if (const int c = k0[x].compare(k0[y])) return c < 0;
            if (const int c = k1[x].compare(k1[y])) return c < 0;
            return k2[x] < k2[y];
        });
        benchmark::DoNotOptimize(idx.data());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_StdStableSortThreeKeysSameComparison)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
