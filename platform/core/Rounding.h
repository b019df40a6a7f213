#pragma once
// Rounding where the program's rules say "rounded": half to even, as the original
// arithmetic did (2.5 -> 2, 3.5 -> 4).
#include <cmath>
#include <cstdint>

namespace kiv {

inline int RoundHalfEven(double v) {
    const double f = std::floor(v);
    const double d = v - f;
    if (d > 0.5) return int(f) + 1;
    if (d < 0.5) return int(f);
    return (int64_t(f) % 2 == 0) ? int(f) : int(f) + 1;
}

}  // namespace kiv
