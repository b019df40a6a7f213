#include "engine/core/TreeText.h"

#include "engine/core/Cards.h"
#include "engine/core/NestFunctions.h"
#include "engine/core/Nester.h"
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
                if (depth + 1 >= kMaxTreeDepth) Fail("nesting deeper than " + IntToStr(kMaxTreeDepth) + " levels");
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
        model.SetCaption(row, LegacyText::Encode(topics[i].Caption));
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
    const uint32_t nest = AddNestItems(nestFile, NestFollowed(root) ? root : 0, TItemArray(topics.size()));
    if (nest != root) WriteRootNest(nestFile, nest);
    FillNest(nestFile, cardFile, nest, first, topics);
}

std::string DumpTree(BlockFile* nestFile, BlockFile* cardFile) {
    TNester walker;
    walker.SetNestFile(nestFile);
    TCards cards;
    cards.SetCardFile(cardFile);
    std::string out;
    bool stopped = false;
    walker.WalkNestItems(ReadRootNest(nestFile), -1, stopped,
                         [&](uint32_t, int, const TNestItem& item, int depth) {
                             std::string caption;
                             cards.ReadCaption(item.CardDir, caption);
                             out.append(size_t(depth) * 2, ' ');
                             out += LegacyText::Decode(caption);
                             out += '\n';
                             return true;
                         });
    return out;
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

TReadPair OpenPairForReading(const std::string& kivPath) {
    TReadPair p{PosixBlockFile::Open(kivPath, OpenMode::ReadOnly),
                PosixBlockFile::Open(CardFilePathOf(kivPath), OpenMode::ReadOnly)};
    if (p.Outline->Size() < kRootHeaderSize)
        throw ENesterError("\"" + kivPath + "\" is not an open datastructure: the outline file is too short");
    if (p.Cards->Size() < kCardFileHeaderSize)
        throw ENesterError("\"" + p.Cards->Path() + "\" is not an open datastructure: the card file is too short");
    return p;
}

std::string DumpTreePair(const std::string& kivPath) {
    const TReadPair p = OpenPairForReading(kivPath);
    return DumpTree(p.Outline.get(), p.Cards.get());
}

}  // namespace kiv
