// kivtree: builds and shows open datastructure pairs for tests and by hand.
//   kivtree make PATH.kiv 'TREE'   fresh PATH.kiv + PATH.dsc holding TREE, e.g. 'a(b "c d") e'
//   kivtree dump [--cards] PATH.kiv
//                                  one topic per line, two blanks of indent per level; a joined
//                                  file is split in a temporary folder, the file left untouched;
//                                  with --cards each topic's text card follows as plain text
//   kivtree setcard PATH.kiv TRAIL KIND
//                                  standard input becomes card KIND (1 caption, 2 text, 3 graphic,
//                                  4 links, 5 external path) of the topic at TRAIL, its child
//                                  indexes from the root ("0/3/1"), stored as the window stores it
//   kivtree pack PATH.kiv          joins the open pair into the one file
//   kivtree unpack PATH.kiv        splits the joined file into the open pair
// Errors: one line on stderr, exit status 1.
#include <cstdio>
#include <cstring>
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
std::string DumpJoined(const std::string& path, bool withCards) {
    const std::string dir = kiv::TempDir() + "dump/";
    kiv::RemoveTree(dir);
    if (!kiv::MakeDirs(dir)) throw kiv::EFileError("Cannot create folder", dir, 0);
    const std::string copy = dir + "joined.kiv";
    kiv::WriteFileAtomic(copy, kiv::ReadWholeFile(path));
    kiv::UnpackDatastructure(copy);
    std::string out = kiv::DumpTreePair(copy, withCards);
    kiv::RemoveTree(dir);
    return out;
}

bool IsJoined(const std::string& path) {
    if (kiv::FileExists(kiv::CardFileName(path)) || !kiv::FileExists(path)) return false;
    kiv::TJoinedTrailer t;
    return kiv::ReadJoinedTrailer(*kiv::PosixBlockFile::Open(path, kiv::OpenMode::ReadOnly), t);
}

int DumpPath(const std::string& path, bool withCards) {
    std::string out = IsJoined(path) ? DumpJoined(path, withCards) : kiv::DumpTreePair(path, withCards);
    std::fwrite(out.data(), 1, out.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int Dump(const Args& a) { return DumpPath(a[0], false); }

int DumpCards(const Args& a) {
    if (a[0] != "--cards") throw kiv::EKivError("unknown option \"" + a[0] + "\" (dump takes --cards)");
    return DumpPath(a[1], true);
}

std::string ReadStdin() {
    std::string in;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, stdin)) > 0) in.append(buf, n);
    if (std::ferror(stdin)) throw kiv::EKivError(std::string("cannot read standard input: ") + std::strerror(errno));
    return in;
}

int SetCard(const Args& a) {
    const std::string& kind = a[2];
    if (kind.size() != 1 || kind[0] < '0' || kind[0] > '9')
        throw kiv::EKivError("card kind \"" + kind + "\": a topic's cards are kinds 1 to 5");
    kiv::StoreTrailCardPair(a[0], a[1], kind[0] - '0', ReadStdin());
    return 0;
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
    {"dump", "dump --cards PATH.kiv", 2, DumpCards},
    {"setcard", "setcard PATH.kiv TRAIL KIND", 3, SetCard},
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
    // A file-size limit is reported as the write error it is, not by dying of SIGXFSZ.
    kiv::IgnoreFileSizeSignal();
    if (argc < 2) {
        Usage();
        return 1;
    }
    const std::string name = argv[1];
    for (const auto& c : kCommands) {
        if (name != c.name || size_t(argc - 2) != c.argc) continue;
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
