#pragma once
// KIV_ASSERT(cond): an invariant our own code keeps, checked in Debug, sanitizer and fuzz
// builds (KIV_ASSERTS), where a failure ends the program at the line that broke it. What a
// file holds is never asserted: damaged files raise errors instead. Elsewhere the condition
// is not evaluated.
#ifdef KIV_ASSERTS
#include <cstdio>
#include <cstdlib>

namespace kiv::detail {
[[noreturn]] inline void AssertFailed(const char* cond, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, cond);
    std::abort();
}
}  // namespace kiv::detail

#define KIV_ASSERT(cond) ((cond) ? void(0) : ::kiv::detail::AssertFailed(#cond, __FILE__, __LINE__))
#else
#define KIV_ASSERT(cond) static_cast<void>(sizeof(!(cond)))
#endif
