// kivedit: one outline edit on an open pair, made as an outline panel makes it, for the
// tests of failing writes (run under the EIO shim, which only this edit arms).
//   kivedit move PATH.kiv CAPTION up|down|in|out
//                          the topic with that caption moved by key in a tree-mode panel
//                          showing every topic
//   kivedit cut PATH.kiv CAPTION
//                          the topic taken into the Recycled Bin, the bins stored as the
//                          open window stores them; nothing is written at the end (the pair
//                          stays as a killed program leaves it)
//   kivedit restore PATH.kiv CAPTION
//                          the Recycled Bin's first entry with that caption put back as the
//                          bin's window restores it ("restored", "in place" or "lost" on
//                          standard output); nothing is written at the end
//   kivedit bin PATH.kiv   the stored Recycled Bin: per entry its caption, its text card
//                          ("| " lines) and its branch (two blanks of indent per level);
//                          then, when there are any, "lost:" and the lost branches' entries
// After an edit, "writes N" on standard error: the outline and card writes it made.
// Errors: one line on stderr, exit status 1.
#include <dlfcn.h>

#include <cstdio>
#include <exception>
#include <string>

#include "engine/core/Cards.h"
#include "engine/core/NestFunctions.h"
#include "engine/core/Nester.h"
#include "engine/core/OutlineEdits.h"
#include "engine/core/RecycledBin.h"
#include "engine/core/TopicEdits.h"
#include "engine/core/TreeText.h"
#include "platform/core/KivError.h"
#include "platform/core/KivStrings.h"

namespace {

using namespace kiv;

struct TShim {
    void (*arm)() = reinterpret_cast<void (*)()>(::dlsym(RTLD_DEFAULT, "kiv_eio_arm"));
    int (*writes)() = reinterpret_cast<int (*)()>(::dlsym(RTLD_DEFAULT, "kiv_eio_writes"));
};

void LoadBins(TDBCards& db) {
    db.LoadDirAddress();
    std::string card;
    db.ReadCard(kDBCardRecycled, card);
    RecycledBin().LoadFromString(card);
    db.ReadCard(kDBCardLostBin, card);
    LostBin().LoadFromString(card);
}

int FindCaption(TNester& m, const std::string& caption) {
    for (int r = 0; r < m.RowCount(); ++r)
        if (m.Caption(r) == caption) return r;
    throw EKivError("no topic \"" + caption + "\"");
}

int Restore(TTreePairFiles& pair, const std::string& caption, const TShim& shim) {
    TCards cards;
    cards.SetCardFile(pair.dsc.get());
    int entry = -1;
    for (int i = 0; entry < 0 && i < RecycledBin().Count(); ++i)
        if (RecycledBin().ItemCaption(i, cards) == caption) entry = i;
    if (entry < 0) throw EKivError("no entry \"" + caption + "\" in the Recycled Bin");
    if (shim.arm) shim.arm();
    int status = 0;
    try {
        const TRestoreResult r =
            RestoreEntry(pair.kiv.get(), cards, RecycledBin(), entry, LostBin());
        std::printf("%s\n", !r.Restored ? "lost" : r.AlreadyInTree ? "in place" : "restored");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        status = 1;
    }
    std::fprintf(stderr, "writes %d\n", shim.writes ? shim.writes() : -1);
    return status;
}

int Edit(int argc, char** argv) {
    const std::string op = argv[1];
    TTreePairFiles pair = OpenTreePair(argv[2], true);
    TDBCards db;
    db.SetCardFile(pair.dsc.get());
    LoadBins(db);
    SetRecycledStoreWriter([&db] { WriteRecycledCards(db); });
    const TShim shim;
    if (op == "restore") return Restore(pair, argv[3], shim);

    TNester m;
    m.SetNestFile(pair.kiv.get());
    m.SetCardFile(pair.dsc.get());
    m.RootNest = ReadRootNest(pair.kiv.get());
    m.LoadBranch(-1, false);
    for (int r = 0; r < m.RowCount(); ++r) m.Expand(r);
    TPanelContext c;
    c.Model = &m;
    c.TreeMode = true;
    m.SetCurrentRow(FindCaption(m, argv[3]));

    if (shim.arm) shim.arm();
    int status = 0;
    try {
        if (op == "move") {
            const std::string d = argc > 4 ? argv[4] : "";
            const int dir = d == "up" ? mdUp : d == "down" ? mdDown : d == "in" ? mdIn : mdOut;
            if (!MoveMarkedRowsByKey(c, dir)) throw EKivError("nothing moved");
        } else {
            if (DeleteMarkedRows(c, true, true) != 1) throw EKivError("nothing cut");
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        status = 1;
    }
    std::fprintf(stderr, "writes %d\n", shim.writes ? shim.writes() : -1);
    return status;
}

void PrintBranch(BlockFile* f, TCards& cards, uint32_t nest, int depth, std::string& out) {
    TItemArray items;
    ReadNestItems(f, nest, items);
    for (const TNestItem& it : items) {
        std::string caption;
        cards.ReadCaption(it.CardDir, caption);
        out += std::string(size_t(depth) * 2, ' ') + caption + "\n";
        PrintBranch(f, cards, it.ChildNest, depth + 1, out);
    }
}

int Bin(const char* path) {
    TTreePairFiles pair = OpenTreePair(path, false);
    TDBCards db;
    db.SetCardFile(pair.dsc.get());
    LoadBins(db);
    TCards cards;
    cards.SetCardFile(pair.dsc.get());
    std::string out;
    auto print = [&](const TRecycledBin& bin) {
        for (int i = 0; i < bin.Count(); ++i) {
            const TRecycledRecord r = bin.GetItem(i);
            std::string caption, text;
            cards.ReadCaption(r.CardDir, caption);
            cards.ReadCard(kCardText, r.CardDir, text);
            out += caption + "\n";
            for (const std::string& line : SplitLines(text)) out += "| " + line + "\n";
            PrintBranch(pair.kiv.get(), cards, r.ChildNest, 1, out);
        }
    };
    print(RecycledBin());
    if (LostBin().Count() > 0) {
        out += "lost:\n";
        print(LostBin());
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const std::string op = argc > 1 ? argv[1] : "";
        if (op == "bin" && argc == 3) return Bin(argv[2]);
        if ((op == "move" && argc == 5) || ((op == "cut" || op == "restore") && argc == 4))
            return Edit(argc, argv);
        std::fprintf(stderr,
                     "usage: kivedit move|cut|restore PATH.kiv CAPTION [up|down|in|out] | "
                     "bin PATH.kiv\n");
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
