#pragma once
// A byte buffer exactly as long as its bytes, so that a read past the end is seen by the
// address sanitizer (a std::string has room behind its end).
#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

struct ExactBytes {
    explicit ExactBytes(const std::string& s) : n(s.size()), p(new char[s.size() ? s.size() : 1]) {
        std::copy(s.begin(), s.end(), p.get());
    }
    std::string_view View() const { return {p.get(), n}; }
    size_t n;
    std::unique_ptr<char[]> p;
};
