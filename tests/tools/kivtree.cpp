// kivtree: builds and shows open datastructure pairs for tests and by hand.
//   kivtree make PATH.kiv 'TREE'   fresh PATH.kiv + PATH.dsc holding TREE, e.g. 'a(b "c d") e'
//   kivtree dump PATH.kiv          one topic per line, two blanks of indent per level; a joined
//                                  file is split in a temporary folder, the file left untouched
//   kivtree pack PATH.kiv          joins the open pair into the one file
//   kivtree unpack PATH.kiv        splits the joined file into the open pair
//   kivtree search PATH.kiv [--and|--or|--phrase] [--branch TRAIL] KEYWORDS...
//                                  the topics found, one a line: the trail (1-based indexes
//                                  from the top level, "1.2.1"), a tab, the caption; the
//                                  keywords are read as the search field reads its text;
//                                  "n results found" on stderr
// Errors: one line on stderr, exit status 1.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "engine/core/DatastructureFiles.h"
#include "engine/core/Navigation.h"
#include "engine/core/Search.h"
#include "engine/core/TreeText.h"
#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "platform/core/KivError.h"
#include "platform/core/KivStrings.h"
#include "platform/core/LegacyText.h"

namespace {

using Args = std::vector<std::string>;

constexpr size_t kVariable = 0;  // argc of a command taking a list of arguments (one or more)

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

bool IsJoined(const std::string& path) {
    if (kiv::FileExists(kiv::CardFileName(path)) || !kiv::FileExists(path)) return false;
    kiv::TJoinedTrailer t;
    return kiv::ReadJoinedTrailer(*kiv::PosixBlockFile::Open(path, kiv::OpenMode::ReadOnly), t);
}

// Reads an open pair as it is; a closed datastructure is read from a split copy.
std::string ReadPair(const std::string& path, const std::function<std::string(const std::string&)>& read) {
    if (!IsJoined(path)) return read(path);
    const std::string dir = kiv::TempDir() + "dump/";
    kiv::RemoveTree(dir);
    if (!kiv::MakeDirs(dir)) throw kiv::EFileError("Cannot create folder", dir, 0);
    const std::string copy = dir + "joined.kiv";
    kiv::WriteFileAtomic(copy, kiv::ReadWholeFile(path));
    kiv::UnpackDatastructure(copy);
    std::string out = read(copy);
    kiv::RemoveTree(dir);
    return out;
}

int Dump(const Args& a) {
    std::string out = ReadPair(a[0], kiv::DumpTreePair);
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

// The search of the main window's search pane, over the file.
int Search(const Args& a) {
    const std::string usage = "usage: kivtree search PATH.kiv [--and|--or|--phrase] [--branch TRAIL] KEYWORDS...";
    kiv::TSearchRequest request;
    bool phrase = false;
    std::string trail, input;
    for (size_t i = 1; i < a.size(); ++i) {
        if (a[i] == "--and" || a[i] == "--or") request.AndMode = a[i] == "--and";
        else if (a[i] == "--phrase") phrase = true;
        else if (a[i] == "--branch" && i + 1 < a.size()) trail = a[++i];
        else input += (input.empty() ? "" : " ") + a[i];
    }
    request.Keywords = kiv::SearchKeywords(input, phrase);
    if (request.Keywords.empty()) throw kiv::EKivError(usage);
    size_t found = 0;
    const std::string out = ReadPair(a[0], [&](const std::string& path) {
        const kiv::TReadPair pair = kiv::OpenPairForReading(path);
        request.StartNest = kiv::ReadRootNest(pair.Outline.get());
        // A trail "1.2" names the second child of the first top-level topic.
        for (size_t p = 0; !trail.empty() && p <= trail.size();) {
            const size_t dot = std::min(trail.find('.', p), trail.size());
            int64_t n = 0;
            kiv::TItemArray items;
            if (request.Index >= 0) {
                kiv::ReadNestItems(pair.Outline.get(), request.StartNest, items);
                const kiv::TNestItem& item = items[size_t(request.Index)];
                request.Above.push_back({request.StartNest, uint32_t(request.Index), item.CardDir, item.ChildNest, {}});
                request.StartNest = item.ChildNest;
            }
            kiv::ReadNestItems(pair.Outline.get(), request.StartNest, items);
            if (!kiv::TryStrToInt(trail.substr(p, dot - p), n) || n < 1 || uint64_t(n) > items.size())
                throw kiv::EKivError("no topic at " + trail);
            request.Index = int(n - 1);
            p = dot + 1;
        }
        std::string lines;
        kiv::TSearchEvents events;
        events.OnHit = [&](const kiv::TSearchHit& hit) {
            for (const auto& node : hit.Trail) lines += kiv::IntToStr(int64_t(node.Index) + 1) + ".";
            lines.back() = '\t';
            lines += kiv::LegacyText::Decode(kiv::LineBreaksToBlanks(hit.Caption)) + "\n";
        };
        found = kiv::RunSearch(pair.Outline.get(), pair.Cards.get(), request, events).Hits;
        return lines;
    });
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fprintf(stderr, "%zu results found\n", found);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

const Command kCommands[] = {
    {"make", "make PATH.kiv 'TREE'", 2, Make},
    {"dump", "dump PATH.kiv", 1, Dump},
    {"pack", "pack PATH.kiv", 1, Pack},
    {"unpack", "unpack PATH.kiv", 1, Unpack},
    {"search", "search PATH.kiv [--and|--or|--phrase] [--branch TRAIL] KEYWORDS...", kVariable, Search},
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
        if (c.argc == kVariable ? argc < 3 : size_t(argc - 2) != c.argc) {
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
