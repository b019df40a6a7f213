// Plain-text extraction of a 10 MB RTF document in the rich-edit control's form, beside a
// plain scan of the same bytes (each byte looked at once, text bytes copied).
#include <benchmark/benchmark.h>

#include <string>

#include "platform/core/RtfReader.h"

using namespace kiv;

namespace {

const std::string& Document() {
    static const std::string doc = [] {
        std::string d =
            "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
            "{\\f1\\fnil\\fcharset2 Symbol;}{\\f2\\fswiss\\fcharset204 Arial CYR;}}\r\n"
            "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue128;}\r\n\\viewkind4\\uc1\\pard\\f0\\fs20 ";
        const std::string picture = "{\\pict\\pngblip\\picw4\\pich3\\picwgoal600\\pichgoal450\r\n" +
                                    std::string(2000, 'a') + "\r\n}";
        for (int i = 0; d.size() < 10 * 1024 * 1024; ++i) {
            d +=
                "Paragraph number " + std::to_string(i) +
                " holds plain words, \\b bold ones\\b0 , \\i italic\\i0  and \\cf1 red\\cf0  text, caf\\'e9 "
                "\\u8364? and \\f2\\'cf\\'f0\\'e8\\f0  with a tab\\tab and more words to make it long enough.\\par\r\n";
            if (i % 8 == 0)
                d +=
                    "\\pard{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}\\fi-720\\li720 "
                    "a bullet\\par\r\n\\pard ";
            if (i % 100 == 0) d += "A picture " + picture + " here.\\par\r\n";
        }
        return d + "}";
    }();
    return doc;
}

void BM_RtfPlainText(benchmark::State& state) {
    const std::string& doc = Document();
    for (auto _ : state) {
        std::string text = RtfToPlainText(doc);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(doc.size()));
}

void BM_PlainScan(benchmark::State& state) {
    const std::string& doc = Document();
    for (auto _ : state) {
        std::string out;
        out.reserve(doc.size());
        size_t specials = 0;
        for (char c : doc) {
            if (c == '\\' || c == '{' || c == '}') ++specials;
            else out += c;
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::DoNotOptimize(specials);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(doc.size()));
}

}  // namespace

BENCHMARK(BM_RtfPlainText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainScan)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
