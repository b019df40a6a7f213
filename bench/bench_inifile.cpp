// The settings save at shut-down: every key written through to "kiv.ini" at once.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <string>

#include "platform/core/AppPaths.h"
#include "platform/core/IniFile.h"

namespace {

std::string MakeFolder() {
    char tmpl[] = "/tmp/kiv-bench-ini-XXXXXX";
    return std::string(::mkdtemp(tmpl)) + "/";
}

// About what the settings save writes: 40 keys of "Settings" and 20 visited links.
void BM_SaveSettings(benchmark::State& state) {
    std::string dir = MakeFolder();
    kiv::IniFile ini(dir + "kiv.ini");
    int round = 0;
    for (auto _ : state) {
        ++round;
        for (int i = 0; i < 40; ++i)
            ini.WriteInteger("Settings", "Key" + std::to_string(i), i + round);
        ini.EraseSection("VisitedLinks");
        for (int i = 0; i < 20; ++i)
            ini.WriteString("VisitedLinks", std::to_string(i),
                            "http://example.com/page" + std::to_string(i));
    }
    kiv::RemoveTree(dir);
}
BENCHMARK(BM_SaveSettings)->Unit(benchmark::kMillisecond);

// The settings load: every key read once from a file of that size.
void BM_LoadSettings(benchmark::State& state) {
    std::string dir = MakeFolder();
    kiv::IniFile writer(dir + "kiv.ini");
    for (int i = 0; i < 40; ++i) writer.WriteInteger("Settings", "Key" + std::to_string(i), i);
    for (auto _ : state) {
        kiv::IniFile ini(dir + "kiv.ini");
        int64_t sum = 0;
        for (int i = 0; i < 40; ++i)
            sum += ini.ReadInteger("Settings", "Key" + std::to_string(i), 0);
        benchmark::DoNotOptimize(sum);
    }
    kiv::RemoveTree(dir);
}
BENCHMARK(BM_LoadSettings)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
