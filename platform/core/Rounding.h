#pragma once
// "Rounded" means half to even, as the Windows program's Round did: 0.5 -> 0, 1.5 -> 2,
// 2.5 -> 2. Every rounding of a computed length goes through here.
#include <cfenv>
#include <cmath>
#include <cstdint>

namespace kiv {

inline int64_t RoundHalfEven(double v) {
    // nearbyint follows the current rounding mode; to-nearest is half to even.
    const int old = std::fegetround();
    if (old != FE_TONEAREST) std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(v);
    if (old != FE_TONEAREST) std::fesetround(old);
    return int64_t(r);
}

}  // namespace kiv
