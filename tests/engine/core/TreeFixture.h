#pragma once
// An open datastructure pair built from a tree text ("a(b c) d") in a private program
// folder, with a model attached on request and dumps of the file and of the model's rows.
#include <memory>
#include <string>
#include <string_view>

#include "engine/core/NestFunctions.h"
#include "engine/core/Nester.h"
#include "engine/core/TreeText.h"
#include "platform/core/BlockFile.h"
#include "tests/engine/core/TempHome.h"

namespace kiv::test {

class TreePair {
public:
    explicit TreePair(std::string_view tree, const std::string& name = "tree") {
        path_ = home_.Dir() + name + ".kiv";
        MakeTreePair(path_, tree);
        Reopen();
    }
    void Reopen() {
        kiv.reset();
        dsc.reset();
        kiv = PosixBlockFile::Open(path_, OpenMode::ReadWrite, true);
        dsc = PosixBlockFile::Open(CardFilePathOf(path_), OpenMode::ReadWrite, true);
    }
    void Attach(TNester& model) {
        model.SetNestFile(kiv.get());
        model.SetCardFile(dsc.get());
        model.RootNest = ReadRootNest(kiv.get());
    }
    std::string Dump() { return DumpTree(kiv.get(), dsc.get()); }
    const std::string& Path() const { return path_; }
    const std::string& Home() const { return home_.Dir(); }

    std::unique_ptr<PosixBlockFile> kiv, dsc;

private:
    TempHome home_;
    std::string path_;
};

// The model's rows in the form of a dump: two blanks per level, the caption.
inline std::string RowsText(const TNester& m) {
    std::string out;
    for (int i = 0; i < m.RowCount(); ++i)
        out += std::string(size_t(m.Level(i)) * 2, ' ') + m.Caption(i) + "\n";
    return out;
}

}  // namespace kiv::test
