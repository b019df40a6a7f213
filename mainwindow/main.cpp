// Console front end until the main window exists: opens (creating when missing) the
// datastructure named on the command line, or "FirstKivDB" in the program folder,
// prints its top-level topics and exits.
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "engine/core/Cards.h"
#include "engine/core/NestFunctions.h"
#include "engine/core/Nester.h"
#include "engine/core/TreeText.h"
#include "platform/core/AppPaths.h"
#include "platform/core/KivError.h"
#include "platform/core/KivStrings.h"
#include "platform/core/LegacyText.h"

namespace {

// Both files of a new datastructure are made; when only one of them is there the pair was
// closed or interrupted, and making the other one empty would hide what is left.
void CreatePairWhenMissing(const std::string& kivPath, const std::string& dscPath) {
    const bool kiv = kiv::FileExists(kivPath), dsc = kiv::FileExists(dscPath);
    if (kiv && dsc) return;
    if (kiv || dsc)
        throw kiv::EKivError("\"" + (kiv ? kivPath : dscPath) + "\" has no \"" +
                             (kiv ? dscPath : kivPath) +
                             "\" beside it: a closed or interrupted datastructure; not opened");
    auto k = kiv::PosixBlockFile::Open(kivPath, kiv::OpenMode::Create, true);
    auto d = kiv::PosixBlockFile::Open(dscPath, kiv::OpenMode::Create, true);
    kiv::InitOutlineFile(k.get());
    kiv::InitCardFile(d.get());
    k->Sync();
    d->Sync();
}

int Run(int argc, char** argv) {
    std::string kivPath = argc > 1 ? argv[1] : kiv::AppDir() + "FirstKivDB";
    if (!kiv::EndsText(".kiv", kivPath)) kivPath += ".kiv";
    const std::string dscPath = kiv::CardFilePathOf(kivPath);
    CreatePairWhenMissing(kivPath, dscPath);

    auto nestFile = kiv::PosixBlockFile::Open(kivPath, kiv::OpenMode::ReadWrite, true);
    auto cardFile = kiv::PosixBlockFile::Open(dscPath, kiv::OpenMode::ReadWrite, true);
    if (nestFile->Size() < kiv::kRootHeaderSize || cardFile->Size() < kiv::kCardFileHeaderSize)
        throw kiv::EKivError("\"" + kivPath + "\" is not an open datastructure");

    kiv::TNester model;
    model.SetNestFile(nestFile.get());
    model.SetCardFile(cardFile.get());
    model.RootNest = kiv::ReadRootNest(nestFile.get());
    model.LoadBranch(-1, false);
    for (int i = 0; i < model.RowCount(); ++i) {
        const std::string line = kiv::LegacyText::Decode(model.Caption(i)) + "\n";
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kiv: %s\n", e.what());
        return 1;
    }
}
