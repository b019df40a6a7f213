// kivtree: builds and shows open datastructure pairs for tests and by hand.
//   kivtree make PATH.kiv 'TREE'   fresh PATH.kiv + PATH.dsc holding TREE, e.g. 'a(b "c d") e'
//   kivtree dump [--cards|--marks] PATH.kiv
//                                  one topic per line, two blanks of indent per level; a joined
//                                  file is read where it lies, unlocked and untouched;
//                                  with --cards each topic's text card follows as plain text,
//                                  then its links as "@ target | title"; --marks prints the
//                                  Threads and QuickJumps instead, each a trail of captions
//                                  ("  0. a / b"), as the window reads them; a cloned topic's
//                                  line ends in " [clone]", a locked one's in " [locked]"
//   kivtree setcard PATH.kiv TRAIL KIND
//                                  standard input becomes card KIND (1 caption, 2 text, 3 graphic,
//                                  4 links, 5 external path) of the topic at TRAIL, its child
//                                  indexes from the root ("0/3/1"), stored as the window stores it;
//                                  a joined file is split, stored into and joined again
//   kivtree pack PATH.kiv          joins the open pair into the one file
//   kivtree unpack PATH.kiv        splits the joined file into the open pair
//   kivtree search PATH.kiv [--and|--or|--phrase] [--branch TRAIL] KEYWORDS...
//                                  the topics found as the search pane finds them, one a line:
//                                  the trail ("0/3/1"), a tab, the caption; the keywords are
//                                  read as the search field reads its text; "n results found"
//                                  on stderr
//   kivtree export PATH.kiv [--numbers] [--cards] [--links] [--rtf]
//                                  the whole outline as the print window generates it, to
//                                  standard output: plain text (UTF-8), or RTF with the
//                                  text cards' own formatting
// Errors: one line on stderr, exit status 1.
#include <cstdio>
#include <cstring>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "engine/core/DatastructureFiles.h"
#include "engine/core/Marks.h"
#include "engine/core/Navigation.h"
#include "engine/core/Search.h"
#include "engine/core/TreeText.h"
#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "platform/core/KivError.h"
#include "platform/core/KivStrings.h"
#include "platform/core/LegacyText.h"

#ifdef KIV_TREE_EXPORT
#include <QGuiApplication>
#include <QTextDocument>

#include "dialogs/OutlineText.h"
#include "engine/core/NestFunctions.h"
#include "engine/core/Nester.h"
#include "platform/qt/EditorFile.h"
#endif

namespace {

using Args = std::vector<std::string>;

struct Command {
    const char* name;
    const char* usage;
    size_t argc;     // arguments after the command name
    size_t options;  // how many optional ones may follow
    int (*run)(const Args&);
};

int Make(const Args& a) {
    kiv::MakeTreePair(a[0], a[1]);
    return 0;
}

int Print(const std::string& out) {
    std::fwrite(out.data(), 1, out.size(), stdout);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}

// The datastructure read where it lies, joined or open: no copy, no lock, nothing written.
std::string ReadInPlace(
    const std::string& path,
    const std::function<std::string(kiv::BlockFile& kivFile, kiv::BlockFile& dscFile)>& read) {
    std::string out;
    kiv::ReadPairInPlace(path, [&](kiv::BlockFile& k, kiv::BlockFile& d) { out = read(k, d); });
    return out;
}

// Output as it is made: a dump or search of any size holds no more than a line.
void Write(std::string_view piece) { std::fwrite(piece.data(), 1, piece.size(), stdout); }

int DumpPath(const std::string& path, bool withCards) {
    kiv::ReadPairInPlace(path, [withCards](kiv::BlockFile& k, kiv::BlockFile& d) {
        kiv::DumpTree(&k, &d, withCards, true, Write);
    });
    return Print({});
}

int Dump(const Args& a) { return DumpPath(a[0], false); }

int DumpCards(const Args& a) {
    if (a[0] == "--marks")
        return Print(ReadInPlace(a[1], [](kiv::BlockFile& k, kiv::BlockFile& d) {
            return kiv::DumpMarks(&k, &d);
        }));
    if (a[0] != "--cards")
        throw kiv::EKivError("unknown option \"" + a[0] + "\" (dump takes --cards or --marks)");
    return DumpPath(a[1], true);
}

std::string ReadStdin() {
    std::string in;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, stdin)) > 0) in.append(buf, n);
    if (std::ferror(stdin))
        throw kiv::EKivError(std::string("cannot read standard input: ") + std::strerror(errno));
    return in;
}

int SetCard(const Args& a) {
    const std::string& kind = a[2];
    if (kind.size() != 1 || kind[0] < '0' || kind[0] > '9')
        throw kiv::EKivError("card kind \"" + kind + "\": a topic's cards are kinds 1 to 5");
    const std::string text = ReadStdin();
    if (!kiv::IsJoinedDatastructure(a[0])) {
        kiv::StoreTrailCardPair(a[0], a[1], kind[0] - '0', text);
        return 0;
    }
    // A closed datastructure is split as the window opens it (recovered, locked), stored
    // into and joined again; a refused store leaves it joined as it was.
    {
        kiv::TDatastructurePair pair = kiv::OpenDatastructurePair(a[0], false);
        pair = {};
        try {
            kiv::StoreTrailCardPair(a[0], a[1], kind[0] - '0', text);
        } catch (...) {
            kiv::PackDatastructure(a[0]);
            throw;
        }
    }
    kiv::PackDatastructure(a[0]);
    return 0;
}

#ifdef KIV_TREE_EXPORT
std::string ExportPair(kiv::BlockFile& kivFile, kiv::BlockFile& dscFile,
                       const kiv::TOutlineTextOptions& options, bool rtf) {
    kiv::TOutlinePairReader pair(kivFile, dscFile);
    if (!rtf) {
        std::string text;
        kiv::BuildOutlineTextFile(text, options, pair.Model, pair.Cards);
        return text;
    }
    QTextDocument doc;
    kiv::BuildOutlineText(doc, options, pair.Model, pair.Cards);
    return kiv::EditorFileBytes(doc, kiv::TEditorFileKind::RichText);
}

int Export(const Args& a) {
    kiv::TOutlineTextOptions o;
    o.Scope = kiv::TOutlineScope::Outline;
    bool rtf = false;
    for (size_t i = 1; i < a.size(); ++i) {
        if (a[i] == "--numbers") o.TopicsNumbers = true;
        else if (a[i] == "--cards") o.WithTextCard = true;
        else if (a[i] == "--links") o.WithLinks = true;
        else if (a[i] == "--rtf") rtf = o.Formatting = true;
        else throw kiv::EKivError("unknown option " + a[i]);
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "kivtree";
    static char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    return Print(ReadInPlace(a[0], [&](kiv::BlockFile& k, kiv::BlockFile& d) {
        return ExportPair(k, d, o, rtf);
    }));
}
#endif

int Pack(const Args& a) {
    kiv::PackDatastructure(a[0]);
    return 0;
}

int Unpack(const Args& a) {
    kiv::UnpackDatastructure(a[0]);
    return 0;
}

// The trail texts of the hits of one walk, "0/3/1/", each made from the one before: a hit
// costs the steps where its trail differs, not its depth.
class TrailText {
public:
    const std::string& Of(const kiv::TSearchHit& hit) {
        // The walk enters each nest once, so trails that agree at a step agree above it.
        const size_t n = hit.TrailCount();
        size_t lo = 0, hi = std::min(n, nodes_.size());
        while (lo < hi) {
            const size_t mid = lo + (hi - lo) / 2;
            const kiv::TNode a = hit.TrailNode(mid);
            if (a.ParentNest == nodes_[mid].ParentNest && a.Index == nodes_[mid].Index)
                lo = mid + 1;
            else hi = mid;
        }
        nodes_.resize(lo);
        ends_.resize(lo);
        text_.resize(lo ? ends_.back() : 0);
        for (size_t k = lo; k < n; ++k) {
            nodes_.push_back(hit.TrailNode(k));
            text_ += kiv::IntToStr(nodes_.back().Index) + "/";
            ends_.push_back(text_.size());
        }
        return text_;
    }

private:
    std::vector<kiv::TNode> nodes_;
    std::vector<size_t> ends_;
    std::string text_;
};

// The search of the main window's search pane, over the file.
int Search(const Args& a) {
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
    if (request.Keywords.empty()) throw kiv::EKivError("no keywords to search for");
    const std::vector<int> steps = trail.empty() ? std::vector<int>{} : kiv::ParseTrail(trail);
    size_t found = 0;
    kiv::ReadPairInPlace(a[0], [&](kiv::BlockFile& k, kiv::BlockFile& d) {
        // Branch scope: the topic at the trail and its sub-tree, hits with their whole trail.
        request.StartNest = kiv::ReadRootNest(&k);
        for (size_t i = 0; i < steps.size(); ++i) {
            kiv::TNestItem item;
            if ((i > 0 && !kiv::NestFollowed(request.StartNest)) ||
                !kiv::GetNestItem(&k, request.StartNest, steps[i], item))
                throw kiv::EKivError("no topic at " + trail);
            request.Index = steps[i];
            if (i + 1 == steps.size()) break;
            request.Above.push_back(
                {request.StartNest, uint32_t(steps[i]), item.CardDir, item.ChildNest, {}});
            request.StartNest = item.ChildNest;
        }
        TrailText trails;
        kiv::TSearchEvents events;
        events.OnHit = [&](const kiv::TSearchHit& hit) {
            const std::string& walked = trails.Of(hit);
            Write(std::string_view(walked).substr(0, walked.size() - 1));
            Write("\t" + kiv::LegacyText::Decode(kiv::LineBreaksToBlanks(hit.Caption)) + "\n");
        };
        found = kiv::RunSearch(&k, &d, request, events).Hits;
    });
    const int status = Print({});
    std::fprintf(stderr, "%zu results found\n", found);
    return status;
}

const Command kCommands[] = {
    {"make", "make PATH.kiv 'TREE'", 2, 0, Make},
    {"dump", "dump PATH.kiv", 1, 0, Dump},
    {"dump", "dump --cards|--marks PATH.kiv", 2, 0, DumpCards},
    {"setcard", "setcard PATH.kiv TRAIL KIND", 3, 0, SetCard},
    {"pack", "pack PATH.kiv", 1, 0, Pack},
    {"unpack", "unpack PATH.kiv", 1, 0, Unpack},
    {"search", "search PATH.kiv [--and|--or|--phrase] [--branch TRAIL] KEYWORDS...", 2, 1000,
     Search},
#ifdef KIV_TREE_EXPORT
    {"export", "export PATH.kiv [--numbers] [--cards] [--links] [--rtf]", 1, 4, Export},
#endif
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
        const size_t n = size_t(argc - 2);
        if (name != c.name || n < c.argc || n > c.argc + c.options) continue;
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
