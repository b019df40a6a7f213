#pragma once
// Helpers for the structural-edit tests: the dump a tree text should give, and rows of a
// model found by caption.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "engine/core/Nester.h"
#include "engine/core/TreeText.h"

namespace kiv::test {

// The dump of a pair made from the tree text: "a(b) c" -> "a\n  b\nc\n".
inline std::string DumpOf(std::string_view tree) {
    std::string out;
    auto walk = [&](auto& self, const TTreeTopics& topics, size_t depth) -> void {
        for (const TTreeTopic& t : topics) {
            out += std::string(depth * 2, ' ') + t.Caption + "\n";
            self(self, t.Children, depth + 1);
        }
    };
    walk(walk, ParseTreeText(tree), 0);
    return out;
}

// The first row with that caption; fails the test when there is none.
inline int RowOf(const TNester& m, std::string_view caption) {
    for (int r = 0; r < m.RowCount(); ++r)
        if (m.Caption(r) == caption) return r;
    ADD_FAILURE() << "no row captioned " << caption;
    return -1;
}

// Every row's children shown, deepest included.
inline void ExpandAllRows(TNester& m) {
    for (int r = 0; r < m.RowCount(); ++r) m.Expand(r);
}

}  // namespace kiv::test
