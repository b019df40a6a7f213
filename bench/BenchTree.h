#pragma once
// A large datastructure for the benchmarks, made through the engine's own writers: `top`
// topics of `children` sub-topics each, every topic with about cardBytes / topics of RTF in
// the rich-edit control's form, every tenth with a web link. Left as the open pair.
#include <cstddef>
#include <string>

#include "engine/core/Cards.h"
#include "engine/core/NestFunctions.h"
#include "engine/core/Nester.h"
#include "engine/core/TreeText.h"
#include "platform/core/BlockFile.h"
#include "platform/core/KivError.h"

namespace kiv::bench {

// About bytes of RTF, a little different for each n.
inline std::string RtfCardOf(int n, size_t bytes) {
    std::string c =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}\r\n"
        "{\\colortbl ;\\red255\\green0\\blue0;}\r\n\\viewkind4\\uc1\\pard\\f0\\fs20 ";
    for (int p = 0; c.size() + 3 < bytes; ++p)
        c +=
            "Note " + std::to_string(n) + "." + std::to_string(p) +
            " with plain words, \\b a bold part\\b0 , \\cf1 red\\cf0  and caf\\'e9 to read.\\par\r\n";
    return c + "}\r\n";
}

// Returns the bytes of text cards written.
inline size_t MakeLargeTree(const std::string& path, int top, int children, size_t cardBytes) {
    std::string tree;
    for (int t = 0; t < top; ++t) {
        tree += "\"Topic " + std::to_string(t) + "\"(";
        for (int c = 0; c < children; ++c)
            tree += "\"Sub topic " + std::to_string(t) + "." + std::to_string(c) + "\" ";
        tree += ") ";
    }
    MakeTreePair(path, tree);
    auto kiv = PosixBlockFile::Open(path, OpenMode::ReadWrite);
    auto dsc = PosixBlockFile::Open(CardFilePathOf(path), OpenMode::ReadWrite);
    TNester walker;
    walker.SetNestFile(kiv.get());
    TCards cards;
    cards.SetCardFile(dsc.get());
    const size_t topics = size_t(top) * size_t(1 + children);
    const size_t each = (cardBytes + topics - 1) / topics;
    size_t written = 0;
    bool stopped = false;
    int n = 0;
    walker.WalkNestItems(ReadRootNest(kiv.get()), -1, stopped,
                         [&](uint32_t, int, const TNestItem& item, int) {
                             uint32_t dir = item.CardDir;
                             const std::string card = RtfCardOf(n, each);
                             written += card.size();
                             bool ok = cards.WriteCard(kCardText, dir, card);
                             if (n % 10 == 0)
                                 ok = ok &&
                                      cards.WriteCard(kCardLaunch, dir,
                                                      "http://example.org/" + std::to_string(n) +
                                                          "\x01Example\r\n");
                             if (!ok) throw EKivError("bench: a card could not be stored");
                             ++n;
                             return true;
                         });
    kiv->Sync();
    dsc->Sync();
    return written;
}

}  // namespace kiv::bench
