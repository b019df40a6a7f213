#include "engine/core/TreeText.h"

#include <algorithm>
#include <memory>

#include "engine/core/Cards.h"
#include "engine/core/DatastructureFiles.h"
#include "engine/core/Marks.h"
#include "engine/core/NestFunctions.h"
#include "engine/core/Nester.h"
#include "engine/core/Search.h"
#include "platform/core/AppPaths.h"
#include "platform/core/BlockFileView.h"
#include "platform/core/KivStrings.h"
#include "platform/core/LegacyText.h"

namespace kiv {

namespace {

// Deeper trees are refused rather than risking the stack.
constexpr int kMaxTreeDepth = 1000;

class Parser {
public:
    explicit Parser(std::string_view s) : s_(s) {}

    TTreeTopics Parse() {
        TTreeTopics top = List(0);
        if (pos_ < s_.size()) Fail("unbalanced parentheses: ')' without '('");
        return top;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw ETreeTextError("tree text: " + what + " at column " + IntToStr(int64_t(pos_) + 1));
    }
    static bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
    void SkipBlanks() {
        while (pos_ < s_.size() && Blank(s_[pos_])) ++pos_;
    }

    // Topics up to a ')' (left for the caller) or the end.
    TTreeTopics List(int depth) {
        TTreeTopics out;
        for (;;) {
            SkipBlanks();
            if (pos_ >= s_.size() || s_[pos_] == ')') return out;
            if (s_[pos_] == '(') Fail("'(' without a caption before it");
            TTreeTopic t;
            t.Caption = Caption();
            SkipBlanks();
            if (pos_ < s_.size() && s_[pos_] == '(') {
                if (depth + 1 >= kMaxTreeDepth)
                    Fail("nesting deeper than " + IntToStr(kMaxTreeDepth) + " levels");
                const size_t open = pos_++;
                t.Children = List(depth + 1);
                if (pos_ >= s_.size()) {
                    pos_ = open;
                    Fail("unbalanced parentheses: '(' without ')'");
                }
                ++pos_;  // ')'
            }
            out.push_back(std::move(t));
        }
    }

    std::string Caption() {
        if (s_[pos_] == '"') {
            const size_t open = pos_++;
            const size_t close = s_.find('"', pos_);
            if (close == std::string_view::npos) {
                pos_ = open;
                Fail("'\"' without its closing '\"'");
            }
            std::string c(s_.substr(pos_, close - pos_));
            pos_ = close + 1;
            return c;
        }
        const size_t start = pos_;
        while (pos_ < s_.size() && !Blank(s_[pos_]) && s_[pos_] != '(' && s_[pos_] != ')') {
            if (s_[pos_] == '"') Fail("'\"' inside a caption");
            ++pos_;
        }
        return std::string(s_.substr(start, pos_ - start));
    }

    std::string_view s_;
    size_t pos_ = 0;
};

// Fills the nest (already holding one blank item per topic) through a model of it: captions
// by the model, child nests appended and written back into their slots.
void FillNest(BlockFile* nestFile, BlockFile* cardFile, uint32_t nest, size_t first,
              const TTreeTopics& topics) {
    TNester model;
    model.SetNestFile(nestFile);
    model.SetCardFile(cardFile);
    model.RootNest = nest;
    model.LoadBranch(-1, false);
    for (size_t i = 0; i < topics.size(); ++i) {
        const int row = int(first + i);
        if (!model.SetCaption(row, LegacyText::Encode(topics[i].Caption)))
            throw ENesterError("tree text: a new topic's caption was not stored");
        if (topics[i].Children.empty()) continue;
        const uint32_t child = AddNestItems(nestFile, 0, TItemArray(topics[i].Children.size()));
        model.SetChildNest(row, int32_t(child));
        if (!model.SaveRowItem(row)) throw ENesterError("tree text: a new topic lost its place");
        FillNest(nestFile, cardFile, child, 0, topics[i].Children);
    }
}

}  // namespace

TTreeTopics ParseTreeText(std::string_view text) { return Parser(text).Parse(); }

void InsertTreeTopics(BlockFile* nestFile, BlockFile* cardFile, const TTreeTopics& topics) {
    if (topics.empty()) return;
    const uint32_t root = ReadRootNest(nestFile);
    size_t first = 0;
    if (NestFollowed(root)) {
        TItemArray existing;
        ReadNestItems(nestFile, root, existing);
        first = existing.size();
    }
    const uint32_t nest =
        AddNestItems(nestFile, NestFollowed(root) ? root : 0, TItemArray(topics.size()));
    if (nest != root) WriteRootNest(nestFile, nest);
    FillNest(nestFile, cardFile, nest, first, topics);
}

namespace {

// A topic's text card as plain text lines, then its links, one level deeper than the topic.
void AppendCardLines(TCards& cards, const TNestItem& item, int depth, std::string& out) {
    std::string text;
    cards.ReadCard(kCardText, item.CardDir, text);
    for (const std::string& line : SplitLines(text.empty() ? text : TextCardPlainText(text))) {
        out.append(size_t(depth + 1) * 2, ' ');
        out += line.empty() ? "|" : "| " + line;
        out += '\n';
    }
    std::string links;
    cards.ReadCard(kCardLaunch, item.CardDir, links);
    for (const std::string& line : SplitLines(links)) {
        const size_t sep = line.find('\x01');
        out.append(size_t(depth + 1) * 2, ' ');
        out += "@ " + LegacyText::Decode(line.substr(0, sep));
        if (sep != std::string::npos) out += " | " + LegacyText::Decode(line.substr(sep + 1));
        out += '\n';
    }
}

}  // namespace

std::string DumpTree(BlockFile* nestFile, BlockFile* cardFile, bool withCards, bool withMarks) {
    std::string out;
    DumpTree(nestFile, cardFile, withCards, withMarks,
             [&out](std::string_view piece) { out.append(piece); });
    return out;
}

void DumpTree(BlockFile* nestFile, BlockFile* cardFile, bool withCards, bool withMarks,
              const TTextSink& write) {
    TNester walker;
    walker.SetNestFile(nestFile);
    TCards cards;
    cards.SetCardFile(cardFile);
    std::string out;
    bool stopped = false;
    walker.WalkNestItems(ReadRootNest(nestFile), -1, stopped,
                         [&](uint32_t, int, const TNestItem& item, int depth) {
                             out.clear();
                             std::string card;
                             cards.ReadStoredCard(kCardCaption, item.CardDir, card);
                             const TCaptionCard caption = SplitCaptionCard(card);
                             out.append(size_t(depth) * 2, ' ');
                             out += LegacyText::Decode(caption.Caption);
                             if (withMarks && caption.HasPrefix) {
                                 if (caption.Flags & kFlagClone) out += " [clone]";
                                 if (caption.Flags & kFlagLocked) out += " [locked]";
                             }
                             out += '\n';
                             if (withCards) AppendCardLines(cards, item, depth, out);
                             write(out);
                             return true;
                         });
}

std::vector<int> ParseTrail(std::string_view trail) {
    std::vector<int> steps;
    auto bad = [&] {
        return ETreeTextError("bad trail \"" + std::string(trail) +
                              "\": child indexes from the root, like 0/3/1");
    };
    size_t pos = 0;
    while (pos <= trail.size()) {
        const size_t end = std::min(trail.find('/', pos), trail.size());
        const std::string_view step = trail.substr(pos, end - pos);
        if (step.empty() || step.size() > 9 ||
            !std::all_of(step.begin(), step.end(), [](char c) { return c >= '0' && c <= '9'; }))
            throw bad();
        steps.push_back(std::stoi(std::string(step)));
        pos = end + 1;
    }
    return steps;
}

namespace {

// The nest that holds the topic at the trail, followed down from the root one child index
// a step.
uint32_t TrailNest(BlockFile* nestFile, const std::vector<int>& steps) {
    uint32_t nest = ReadRootNest(nestFile);
    std::string walked;
    for (size_t i = 0; i + 1 < steps.size(); ++i) {
        walked += (i ? "/" : "") + IntToStr(steps[i]);
        TNestItem item;
        if (!GetNestItem(nestFile, nest, steps[i], item)) throw EKivError("no topic at " + walked);
        if (!NestFollowed(item.ChildNest))
            throw EKivError("the topic at " + walked + " has no children");
        nest = item.ChildNest;
    }
    return nest;
}

void CheckCardKind(int kind) {
    if (kind < kCardCaption || kind > kCardExternal)
        throw EKivError("card kind " + IntToStr(kind) + ": a topic's cards are kinds 1 to 5");
}

}  // namespace

void StoreTrailCard(BlockFile* nestFile, BlockFile* cardFile, std::string_view trail, int kind,
                    std::string_view text) {
    const std::vector<int> steps = ParseTrail(trail);
    CheckCardKind(kind);
    TNester model;
    model.SetNestFile(nestFile);
    model.SetCardFile(cardFile);
    model.RootNest = TrailNest(nestFile, steps);
    model.LoadBranch(-1, false);
    const int row = steps.back();
    if (!model.ValidRow(row)) throw EKivError("no topic at " + std::string(trail));
    if (!model.Cards().WriteRowCard(uint8_t(kind), row, text))
        throw EKivError("the card was not stored: the topic at " + std::string(trail) +
                        " has no free entry for card kind " + IntToStr(kind));
}

std::string ReadTrailCard(BlockFile* nestFile, BlockFile* cardFile, std::string_view trail,
                          int kind) {
    const std::vector<int> steps = ParseTrail(trail);
    CheckCardKind(kind);
    TNestItem item;
    if (!GetNestItem(nestFile, TrailNest(nestFile, steps), steps.back(), item))
        throw EKivError("no topic at " + std::string(trail));
    TCards cards;
    cards.SetCardFile(cardFile);
    std::string text;
    cards.ReadCard(uint8_t(kind), item.CardDir, text);
    return text;
}

bool IsJoinedDatastructure(const std::string& path) {
    if (FileExists(CardFileName(path)) || !FileExists(path)) return false;
    TJoinedTrailer t;
    return ReadJoinedTrailer(*PosixBlockFile::Open(path, OpenMode::ReadOnly), t);
}

std::string ReadPairOrCopy(const std::string& kivPath,
                           const std::function<std::string(const std::string&)>& read) {
    if (!IsJoinedDatastructure(kivPath)) return read(kivPath);
    const std::string dir = TempDir() + "dump/";
    RemoveTree(dir);
    if (!MakeDirs(dir)) throw EFileError("Cannot create folder", dir, 0);
    const std::string copy = dir + "joined.kiv";
    WriteFileAtomic(copy, ReadWholeFile(kivPath));
    UnpackDatastructure(copy);
    std::string out = read(copy);
    RemoveTree(dir);
    return out;
}

void ReadPairInPlace(const std::string& kivPath,
                     const std::function<void(BlockFile& outline, BlockFile& cards)>& read) {
    std::unique_ptr<PosixBlockFile> joined;
    TJoinedTrailer t;
    if (!FileExists(CardFileName(kivPath)) && FileExists(kivPath)) {
        joined = PosixBlockFile::Open(kivPath, OpenMode::ReadOnly);
        if (!ReadJoinedTrailer(*joined, t)) joined.reset();
    }
    if (!joined) {
        TTreePairFiles p = OpenTreePair(kivPath, false);
        read(*p.kiv, *p.dsc);
        return;
    }
    BlockFileView cards(*joined, 0, t.CardSize, kivPath);
    BlockFileView outline(*joined, t.CardSize, t.OutlineSize, kivPath);
    read(outline, cards);
    // A split renames the joined file away before it changes a byte of it.
    if (!IsNamedBy(*joined, kivPath))
        throw EKivError("\"" + kivPath +
                        "\" was opened by a program while it was read; read it again");
}

std::string CardFilePathOf(const std::string& kivPath) {
    if (EndsText(".kiv", kivPath)) return kivPath.substr(0, kivPath.size() - 4) + ".dsc";
    return kivPath + ".dsc";
}

void MakeTreePair(const std::string& kivPath, std::string_view tree) {
    const TTreeTopics topics = ParseTreeText(tree);  // before anything is replaced
    auto kiv = PosixBlockFile::Open(kivPath, OpenMode::Truncate, true);
    auto dsc = PosixBlockFile::Open(CardFilePathOf(kivPath), OpenMode::Truncate, true);
    InitOutlineFile(kiv.get());
    InitCardFile(dsc.get());
    InsertTreeTopics(kiv.get(), dsc.get(), topics);
    kiv->Sync();
    dsc->Sync();
}

TTreePairFiles OpenTreePair(const std::string& kivPath, bool write) {
    TTreePairFiles p;
    const OpenMode mode = write ? OpenMode::ReadWrite : OpenMode::ReadOnly;
    p.kiv = PosixBlockFile::Open(kivPath, mode, write);
    p.dsc = PosixBlockFile::Open(CardFilePathOf(kivPath), mode, write);
    if (p.kiv->Size() < kRootHeaderSize)
        throw ENesterError("\"" + kivPath +
                           "\" is not an open datastructure: the outline file is too short");
    if (p.dsc->Size() < kCardFileHeaderSize)
        throw ENesterError("\"" + p.dsc->Path() +
                           "\" is not an open datastructure: the card file is too short");
    return p;
}

void StoreTrailCardPair(const std::string& kivPath, std::string_view trail, int kind,
                        std::string_view text) {
    TTreePairFiles p = OpenTreePair(kivPath, true);
    StoreTrailCard(p.kiv.get(), p.dsc.get(), trail, kind, text);
    p.kiv->Sync();
    p.dsc->Sync();
}

std::string DumpTreePair(const std::string& kivPath, bool withCards, bool withMarks) {
    TTreePairFiles p = OpenTreePair(kivPath, false);
    return DumpTree(p.kiv.get(), p.dsc.get(), withCards, withMarks);
}

std::string DumpMarksPair(const std::string& kivPath) {
    TTreePairFiles p = OpenTreePair(kivPath, false);
    return DumpMarks(p.kiv.get(), p.dsc.get());
}

}  // namespace kiv
