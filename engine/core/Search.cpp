#include "engine/core/Search.h"

#include <algorithm>
#include <unordered_set>

#include "engine/core/Cards.h"
#include "engine/core/Navigation.h"
#include "engine/core/Nester.h"
#include "platform/core/KivStrings.h"
#include "platform/core/LegacyText.h"
#include "platform/core/RtfReader.h"
#include "platform/core/UnicodeText.h"

namespace kiv {

using UnicodeText::IsWordChar;
using UnicodeText::UpperChar;

std::vector<std::string> SearchKeywords(std::string_view input, bool asPhrase) {
    std::vector<std::string> keywords;
    auto add = [&](std::string_view word) {
        std::string w = Trim(word);
        if (!w.empty()) keywords.push_back(std::move(w));
    };
    std::string s = UnicodeText::UpperCaseUtf8(
        Trim(asPhrase ? "\"" + std::string(input) + "\"" : std::string(input)));
    // Quoted pairs first; an unmatched quote becomes a blank.
    for (;;) {
        const size_t p1 = s.find('"');
        if (p1 == std::string::npos) break;
        s[p1] = ' ';
        const size_t p2 = s.find('"', p1 + 1);
        if (p2 == std::string::npos) break;
        s[p2] = ' ';
        add(std::string_view(s).substr(p1 + 1, p2 - p1 - 1));
        s.erase(p1, p2 - p1);
    }
    // Then the words between blanks.
    for (;;) {
        const size_t p = s.find(' ');
        if (p == std::string::npos) {
            add(s);
            break;
        }
        add(std::string_view(s).substr(0, p));
        s = Trim(std::string_view(s).substr(p + 1));
    }
    return keywords;
}

namespace {

bool SameChar(char32_t a, char32_t b, bool matchCase) {
    return a == b || (!matchCase && UpperChar(a) == UpperChar(b));
}

bool MatchesAt(std::u32string_view text, std::u32string_view needle, size_t p,
               const TFindOptions& o) {
    for (size_t k = 0; k < needle.size(); ++k)
        if (!SameChar(text[p + k], needle[k], o.MatchCase)) return false;
    if (!o.WholeWord) return true;
    const size_t end = p + needle.size();
    return (p == 0 || !IsWordChar(text[p - 1])) && (end == text.size() || !IsWordChar(text[end]));
}

}  // namespace

size_t FindInText(std::u32string_view text, std::u32string_view needle, size_t from,
                  const TFindOptions& options) {
    if (needle.empty() || needle.size() > text.size()) return std::u32string_view::npos;
    if (options.MatchCase) {
        // The library's search finds the candidates; only the word ends are left to check.
        for (size_t p = text.find(needle, from); p != std::u32string_view::npos;
             p = text.find(needle, p + 1))
            if (MatchesAt(text, needle, p, options)) return p;
        return std::u32string_view::npos;
    }
    for (size_t p = from; p <= text.size() - needle.size(); ++p)
        if (MatchesAt(text, needle, p, options)) return p;
    return std::u32string_view::npos;
}

size_t FindLastInText(std::u32string_view text, std::u32string_view needle, size_t before,
                      const TFindOptions& options) {
    if (needle.empty() || needle.size() > text.size() || before == 0)
        return std::u32string_view::npos;
    for (size_t p = std::min(before - 1, text.size() - needle.size()) + 1; p-- > 0;)
        if (MatchesAt(text, needle, p, options)) return p;
    return std::u32string_view::npos;
}

std::string TextCardPlainText(std::string_view stored) {
    std::string text = RtfToPlainText(stored, RtfLineEnd::Lf);
    if (!text.empty() && text[0] == '\x01') text.erase(0, 1);
    return text;
}

TSearchKeywords::TSearchKeywords(const std::vector<std::string>& keywords) {
    for (const auto& k : keywords) {
        std::u32string w = UnicodeText::ToUtf32(k);
        UnicodeText::UpperInPlace(w);
        if (!w.empty()) words_.push_back(std::move(w));
    }
}

int TSearchKeywords::CountIn(std::u32string_view upperText, bool andMode) const {
    const TFindOptions exact{true, true};
    int found = 0;
    for (const auto& w : words_) {
        if (FindInText(upperText, w, 0, exact) == std::u32string_view::npos) continue;
        ++found;
        if (!andMode) break;
    }
    return found;
}

namespace {

int CountInUtf8(const TSearchKeywords& keywords, bool andMode, std::string_view utf8) {
    std::u32string text = UnicodeText::ToUtf32(utf8);
    UnicodeText::UpperInPlace(text);
    return keywords.CountIn(text, andMode);
}

bool Satisfied(int found, size_t count, bool andMode) {
    return andMode ? count > 0 && size_t(found) == count : found >= 1;
}

}  // namespace

TTopicMatch MatchTopic(const TSearchKeywords& keywords, bool andMode, const std::string* caption,
                       const std::string* textCard) {
    TTopicMatch m;
    if (caption) m.Title = CountInUtf8(keywords, andMode, LegacyText::Decode(*caption));
    if (textCard && !textCard->empty())
        m.Text = CountInUtf8(keywords, andMode, TextCardPlainText(*textCard));
    m.TitleMatched = Satisfied(m.Title, keywords.Count(), andMode);
    m.TextMatched = Satisfied(m.Text, keywords.Count(), andMode);
    return m;
}

namespace {

// The walk's stack with the items of each record's nest, read once when it is entered.
class Walk {
public:
    Walk(BlockFile* nestFile, BlockFile* cardFile, const TSearchRequest& r, const TSearchEvents& e)
        : nestFile_(nestFile), cardFile_(cardFile), r_(r), e_(e), keywords_(r.Keywords) {}

    TSearchOutcome Run() {
        expanded_.insert(r_.StartNest);
        Push(r_.StartNest, r_.Index);
        while (!stack_.empty()) {
            if (!VisitTop()) {
                out_.Stopped = true;
                break;
            }
            if (stack_.back().Next == kSearchFrameDone) Pop();
        }
        return out_;
    }

private:
    void Push(uint32_t nest, int32_t next) {
        stack_.push_back({nest, next, 0, 0});
        items_.emplace_back();
        ReadNestItems(nestFile_, nest, items_.back());
    }
    void Pop() {
        stack_.pop_back();
        items_.pop_back();
    }

    // Visits the top record's items from its next one on, until one has children to enter.
    // False when the walk was stopped.
    bool VisitTop() {
        const size_t depth = stack_.size() - 1;
        TSearchFrame& top = stack_.back();
        const TItemArray& items = items_.back();
        const int32_t first = std::max(top.Next, 0);
        top.Next = kSearchFrameDone;
        for (size_t i = size_t(first); i < items.size(); ++i) {
            if (depth == 0 && r_.Index != -1 && i > size_t(r_.Index)) break;
            if (e_.OnStep && !e_.OnStep(out_.Tested)) return false;
            ++out_.Tested;
            const TNestItem item = items[i];
            Test(i, item);
            if (NestFollowed(item.ChildNest) && expanded_.insert(item.ChildNest).second) {
                TSearchFrame& t = stack_.back();
                t.CardDir = item.CardDir;
                t.ChildNest = item.ChildNest;
                t.Next = int32_t(i + 1);
                Push(item.ChildNest, -1);
                return true;
            }
        }
        return true;
    }

    void Test(size_t i, const TNestItem& item) {
        ReadCardDirectory(cardFile_, item.CardDir, dir_);
        std::string caption, text;
        ReadCardOfKind(cardFile_, dir_, kCardCaption, caption);
        caption = StripCaptionPrefix(caption);
        if (r_.InText) ReadCardOfKind(cardFile_, dir_, kCardText, text);
        const TTopicMatch m = MatchTopic(keywords_, r_.AndMode, r_.InTitle ? &caption : nullptr,
                                         r_.InText ? &text : nullptr);
        if (!m.Matched()) return;
        ++out_.Hits;
        if (!e_.OnHit) return;
        TSearchHit hit;
        hit.Match = m;
        hit.Caption = std::move(caption);
        hit.Node = {stack_.back().Nest, uint32_t(i), item.CardDir, item.ChildNest, {}};
        hit.above = &r_.Above;
        hit.frames = stack_.data();
        hit.frameCount = stack_.size() - 1;
        e_.OnHit(hit);
    }

    BlockFile* nestFile_;
    BlockFile* cardFile_;
    const TSearchRequest& r_;
    const TSearchEvents& e_;
    TSearchKeywords keywords_;
    std::vector<TSearchFrame> stack_;
    std::vector<TItemArray> items_;
    std::unordered_set<uint32_t> expanded_;  // nests entered; each is entered once
    TCardArray dir_;
    TSearchOutcome out_;
};

}  // namespace

TNode TSearchHit::TrailNode(size_t k) const {
    if (k < above->size()) return (*above)[k];
    k -= above->size();
    if (k >= frameCount) return Node;
    // A frame below the top went down through the item before its next one.
    const TSearchFrame& f = frames[k];
    return {f.Nest, uint32_t(f.Next - 1), f.CardDir, f.ChildNest, {}};
}

std::vector<TNode> TSearchHit::Trail() const {
    std::vector<TNode> trail;
    trail.reserve(TrailCount());
    for (size_t k = 0; k < TrailCount(); ++k) trail.push_back(TrailNode(k));
    return trail;
}

TSearchOutcome RunSearch(BlockFile* nestFile, BlockFile* cardFile, const TSearchRequest& request,
                         const TSearchEvents& events) {
    if (request.Keywords.empty()) return {};
    return Walk(nestFile, cardFile, request, events).Run();
}

bool TrailToNest(BlockFile* nestFile, uint32_t rootNest, uint32_t nest, std::vector<TNode>& trail) {
    trail.clear();
    if (nest == rootNest) return true;
    TNester walker;
    walker.SetNestFile(nestFile);
    bool found = false;
    walker.WalkNestItems(
        rootNest, -1, found, [&](uint32_t parent, int index, const TNestItem& item, int depth) {
            trail.resize(size_t(depth));
            trail.push_back({parent, uint32_t(index), item.CardDir, item.ChildNest, {}});
            return item.ChildNest != nest;
        });
    if (!found) trail.clear();
    return found;
}

std::string SearchRowText(std::string_view caption) { return "   " + LineBreaksToBlanks(caption); }

}  // namespace kiv
