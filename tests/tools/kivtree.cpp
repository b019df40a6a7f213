// kivtree: builds and shows open datastructure pairs for tests and by hand.
//   kivtree make PATH.kiv 'TREE'   fresh PATH.kiv + PATH.dsc holding TREE, e.g. 'a(b "c d") e'
//   kivtree dump PATH.kiv          one topic per line, two blanks of indent per level; a joined
//                                  file is split in a temporary folder, the file left untouched
//   kivtree pack PATH.kiv          joins the open pair into the one file
//   kivtree unpack PATH.kiv        splits the joined file into the open pair
// Errors: one line on stderr, exit status 1.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "engine/core/DatastructureFiles.h"
#include "engine/core/TreeText.h"
#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "platform/core/KivError.h"

namespace {

using Args = std::vector<std::string>;

struct Command {
    const char* name;
    const char* usage;
    size_t argc;  // arguments after the command name
    int (*run)(const Args&);
};

int Make(const Args& a) {
    kiv::MakeTreePair(a[0], a[1]);
    return 0;
}

// A closed datastructure is dumped from a split copy.
std::string DumpJoined(const std::string& path) {
    const std::string dir = kiv::TempDir() + "dump/";
    kiv::RemoveTree(dir);
    if (!kiv::MakeDirs(dir)) throw kiv::EFileError("Cannot create folder", dir, 0);
    const std::string copy = dir + "joined.kiv";
    kiv::WriteFileAtomic(copy, kiv::ReadWholeFile(path));
    kiv::UnpackDatastructure(copy);
    std::string out = kiv::DumpTreePair(copy);
    kiv::RemoveTree(dir);
    return out;
}

bool IsJoined(const std::string& path) {
    if (kiv::FileExists(kiv::CardFileName(path)) || !kiv::FileExists(path)) return false;
    kiv::TJoinedTrailer t;
    return kiv::ReadJoinedTrailer(*kiv::PosixBlockFile::Open(path, kiv::OpenMode::ReadOnly), t);
}

int Dump(const Args& a) {
    std::string out = IsJoined(a[0]) ? DumpJoined(a[0]) : kiv::DumpTreePair(a[0]);
    std::fwrite(out.data(), 1, out.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int Pack(const Args& a) {
    kiv::PackDatastructure(a[0]);
    return 0;
}

int Unpack(const Args& a) {
    kiv::UnpackDatastructure(a[0]);
    return 0;
}

const Command kCommands[] = {
    {"make", "make PATH.kiv 'TREE'", 2, Make},
    {"dump", "dump PATH.kiv", 1, Dump},
    {"pack", "pack PATH.kiv", 1, Pack},
    {"unpack", "unpack PATH.kiv", 1, Unpack},
};

void Usage() {
    std::string u = "usage:";
    for (const auto& c : kCommands) u += std::string(" kivtree ") + c.usage + " |";
    u.pop_back();
    std::fprintf(stderr, "%s\n", u.c_str());
}

// One line, whatever the message holds.
void Error(const std::string& what) {
    std::string line = what;
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    std::fprintf(stderr, "kivtree: %s\n", line.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        Usage();
        return 1;
    }
    const std::string name = argv[1];
    for (const auto& c : kCommands) {
        if (name != c.name) continue;
        if (size_t(argc - 2) != c.argc) {
            Usage();
            return 1;
        }
        try {
            return c.run(Args(argv + 2, argv + argc));
        } catch (const std::exception& e) {
            Error(e.what());
            return 1;
        }
    }
    Usage();
    return 1;
}
