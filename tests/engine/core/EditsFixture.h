#pragma once
// Helpers for the structural-edit tests: the dump a tree text should give, rows of a
// model found by caption, and a model over a pair with the edit context around it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "engine/core/Navigation.h"
#include "engine/core/Nester.h"
#include "engine/core/OutlineEdits.h"
#include "engine/core/RecycledBin.h"
#include "engine/core/TreeText.h"
#include "tests/engine/core/TreeFixture.h"

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

// The top level of a pair made from a tree text in a model (every row shown in tree mode),
// as panel 1 with its trail, bookmark and recycled bin.
class EditsFixture : public ::testing::Test {
protected:
    void Open(std::string_view tree, bool treeMode = false) {
        pair = std::make_unique<TreePair>(tree);
        pair->Attach(model);
        model.LoadBranch(-1, false);
        if (treeMode) ExpandAllRows(model);
        ctx.Model = &model;
        ctx.TreeMode = treeMode;
        ctx.Panel = 1;
        ctx.Trail = &trail;
        ctx.BookMark = &bookmark;
        ctx.Recycled = &bin;
        bookmark.RootNest = model.RootNest;
    }
    int Row(std::string_view caption) { return RowOf(model, caption); }
    std::string Dump() { return pair->Dump(); }

    std::unique_ptr<TreePair> pair;
    TNester model;
    TNavigator trail;
    TBookMark bookmark;
    TRecycledBin bin;
    TPanelContext ctx;
};

}  // namespace kiv::test
