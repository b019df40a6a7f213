// Random tables sorted under every style and random key sets, checked against an ordering
// computed from the values the texts were made from (std::stable_sort over those values).
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "components/core/SortEngine.h"

using namespace kiv;

namespace {

// A cell text and the value it stands for, as the oracle orders it.
struct Made {
    std::string text;
    std::tuple<std::string, double> value;
};

class Maker {
public:
    explicit Maker(unsigned seed) : rng_(seed) {}
    int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

    Made Cell(TSortStyle s) {
        switch (s) {
        case ssNumeric:
        case ssAutomatic: {
            const int v = Int(-60, 60);
            const bool half = Int(0, 1);
            std::string t = std::to_string(v) + (half ? ".5" : "");
            if (v == 0 && half && Int(0, 1)) t = "-0.5";
            const double d = t == "-0.5" ? -0.5 : v + (half ? (v < 0 ? -0.5 : 0.5) : 0.0);
            return {t, {"", d}};
        }
        case ssNumericExtended: {
            static const char* prefixes[] = {"aa", "ab", "Ab", "ba", "bA"};
            const std::string p = prefixes[Int(0, 4)];
            const int n = Int(0, 150);
            std::string low = p;
            for (char& c : low) c = char(std::tolower(c));
            return {p + std::to_string(n), {low, n}};
        }
        case ssDateTime: {
            const int y = Int(1990, 2030), m = Int(1, 12), d = Int(1, 28), h = Int(0, 23),
                      mi = Int(0, 59);
            const bool withTime = Int(0, 1);
            std::string t = std::to_string(m) + "/" + std::to_string(d) + "/" + std::to_string(y);
            double v = ((y * 13.0 + m) * 32.0 + d) * 1440.0;
            if (withTime) {
                t += " " + std::to_string(h) + ":" + (mi < 10 ? "0" : "") + std::to_string(mi);
                v += h * 60 + mi;
            }
            return {t, {"", v}};
        }
        case ssTime: {
            const int h = Int(0, 23), mi = Int(0, 59);
            int sec = Int(0, 59);
            std::string t = std::to_string(h) + ":" + (mi < 10 ? "0" : "") + std::to_string(mi);
            if (Int(0, 1)) t += std::string(":") + (sec < 10 ? "0" : "") + std::to_string(sec);
            else sec = 0;
            return {t, {"", h * 3600.0 + mi * 60 + sec}};
        }
        case ssCustom: {
            const std::string t(size_t(Int(0, 6)), "xyz"[Int(0, 2)]);
            return {t, {"", double(t.size())}};
        }
        default: {
            static const char alphabet[] = "aAbB_1~";
            std::string t, low;
            const int len = Int(0, 3);
            for (int i = 0; i < len; ++i) {
                const char c = alphabet[Int(0, 6)];
                t += c;
                low += char(std::tolower(c));
            }
            return {t, {low, 0}};
        }
        }
    }

private:
    std::mt19937 rng_;
};

}  // namespace

TEST(SortRandom, EveryStyleMatchesTheOracleAndIsStable) {
    SetSortFormatSettings(TFormatSettings());  // m/d/y, '.', ':'
    const TSortStyle styles[] = {ssAutomatic, ssNormal, ssNumeric, ssNumericExtended,
                                 ssDateTime,  ssTime,   ssCustom};
    Maker make(20261211);
    constexpr int kCols = 3;
    for (TSortStyle style : styles) {
        for (int round = 0; round < 6; ++round) {
            const int n = make.Int(0, 2500);
            std::vector<std::vector<std::string>> rows(static_cast<size_t>(n));
            std::vector<std::vector<std::tuple<std::string, double>>> values(
                static_cast<size_t>(n));
            for (int r = 0; r < n; ++r)
                for (int c = 0; c < kCols; ++c) {
                    Made m = make.Cell(style);
                    rows[size_t(r)].push_back(m.text);
                    values[size_t(r)].push_back(m.value);
                }
            // A random key set: one to three distinct columns, and a random direction.
            std::vector<int> cols{0, 1, 2};
            for (int i = kCols - 1; i > 0; --i)
                std::swap(cols[size_t(i)], cols[size_t(make.Int(0, i))]);
            cols.resize(size_t(make.Int(1, kCols)));
            const TSortDirection dir = make.Int(0, 1) ? sdDescending : sdAscending;

            TSortRequest req;
            req.Keys = cols;
            req.Direction = dir;
            req.StyleOf = [style](int, const std::vector<std::string>& cells) {
                return style == ssAutomatic ? DetectSortStyle(cells) : style;
            };
            if (style == ssCustom)
                req.Custom = [](const std::string& a, const std::string& b) {
                    return int(a.size()) - int(b.size());
                };
            const std::vector<int> got = SortOrder(rows, req);

            std::vector<int> want(static_cast<size_t>(n));
            for (int i = 0; i < n; ++i) want[size_t(i)] = i;
            std::stable_sort(want.begin(), want.end(), [&](int a, int b) {
                for (int c : cols) {
                    const auto& va = values[size_t(a)][size_t(c)];
                    const auto& vb = values[size_t(b)][size_t(c)];
                    if (va != vb) return dir == sdAscending ? va < vb : vb < va;
                }
                return false;
            });
            ASSERT_EQ(got, want) << "style " << int(style) << ", round " << round << ", " << n
                                 << " rows";
        }
    }
}
