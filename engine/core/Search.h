#pragma once
// Search: topics whose caption or text card holds keywords, found by a walk over the files.
// Text cards are searched as the text the user sees (the RTF reader's plain text), so
// control words, font names and escapes never match. Words are compared upper-cased and
// whole, by the Unicode rules of UnicodeText, whatever the machine's locale.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/NestFunctions.h"
#include "engine/core/Node.h"
#include "platform/core/BlockFile.h"

namespace kiv {

// The keywords of a search input, upper-cased (UTF-8), in search order: the quoted pairs
// first (trimmed; an unmatched quote is a blank), then the words between blanks. As a
// phrase the whole input is one quoted pair. Empty keywords are dropped, so blank input
// gives none.
std::vector<std::string> SearchKeywords(std::string_view input, bool asPhrase);

// ---- finding a word in text (code points) ----

struct TFindOptions {
    bool MatchCase = false;
    bool WholeWord = true;
};

// The first occurrence of needle beginning at or after from, or npos. Without MatchCase,
// characters compare by their upper case. A whole word has no word character just before
// or just after it.
size_t FindInText(std::u32string_view text, std::u32string_view needle, size_t from,
                  const TFindOptions& options);
// The last occurrence beginning before `before`, or npos.
size_t FindLastInText(std::u32string_view text, std::u32string_view needle, size_t before,
                      const TFindOptions& options);

// The text a text card shows: the plain text of its RTF (or the stored plain text), UTF-8,
// without a leading character 1.
std::string TextCardPlainText(std::string_view stored);

// ---- one topic ----

struct TTopicMatch {
    int Title = 0;              // keywords found in the caption (Or: stops at the first)
    int Text = 0;               // keywords found in the text card
    bool TitleMatched = false;  // And: all of them; Or: at least one
    bool TextMatched = false;
    bool Matched() const { return TitleMatched || TextMatched; }
};

// Keywords prepared for the walk: upper-cased code points.
class TSearchKeywords {
public:
    explicit TSearchKeywords(const std::vector<std::string>& keywords);
    size_t Count() const { return words_.size(); }
    // Keywords found whole in the upper-cased text; in Or mode it stops at the first.
    int CountIn(std::u32string_view upperText, bool andMode) const;

private:
    std::vector<std::u32string> words_;
};

// The tests of one topic: caption (stored form, without its prefix) and text card (stored).
// An unchecked part counts 0.
TTopicMatch MatchTopic(const TSearchKeywords& keywords, bool andMode, const std::string* caption,
                       const std::string* textCard);

// ---- the walk ----

// One record of the walk's stack: the nest, the index of the next item to visit, and the
// item through which the walk went down from it.
struct TSearchFrame {
    uint32_t Nest = 0;
    int32_t Next = -1;  // -1 not started; kSearchFrameDone finished
    uint32_t CardDir = 0;
    uint32_t ChildNest = 0;
};
static_assert(sizeof(TSearchFrame) == 16);
constexpr int32_t kSearchFrameDone = 0x7FFFFFFF;

struct TSearchRequest {
    std::vector<std::string> Keywords;  // as SearchKeywords gives them
    bool AndMode = true;
    int Index = -1;  // branch scope: only the topic at Index of StartNest and its sub-tree
    uint32_t StartNest = 0;
    // The nodes from the top level down to the topic whose child nest StartNest is; every
    // hit's trail begins with them, so a hit in a branch has its whole trail.
    std::vector<TNode> Above;
    bool InText = true;
    bool InTitle = true;
};

// A topic found. Node is what finds it again (its nest, its index there and its item); the
// trail above it is the walk's own and can be read only while OnHit runs, so that a search
// of a deep tree costs no copy of the trail per hit.
struct TSearchHit {
    TNode Node;           // captions empty
    std::string Caption;  // stored form, without its prefix
    TTopicMatch Match;

    // The trail from the top level down to the topic, Node last; captions empty.
    size_t TrailCount() const { return above->size() + frameCount + 1; }
    TNode TrailNode(size_t k) const;
    std::vector<TNode> Trail() const;

    // The walk's state behind the trail: the request's nodes above, then a node per frame.
    const std::vector<TNode>* above = nullptr;
    const TSearchFrame* frames = nullptr;
    size_t frameCount = 0;
};

struct TSearchEvents {
    // Before each topic is tested, with the number tested so far; false ends the walk.
    std::function<bool(size_t tested)> OnStep;
    std::function<void(const TSearchHit&)> OnHit;
};

struct TSearchOutcome {
    size_t Tested = 0;
    size_t Hits = 0;
    bool Stopped = false;
};

// Pre-order: a topic, then its children in order, then its next sibling. As every walk over
// the file, it enters each nest once: a sub-tree shared by clones is searched under its
// first topic only (the later clones are tested, their children not again), so clones can
// make it neither endless nor exponential. A topic that stands for an external
// datastructure is tested but has nothing to enter. Damaged files raise ENesterError; the
// hits reported before stay.
TSearchOutcome RunSearch(BlockFile* nestFile, BlockFile* cardFile, const TSearchRequest& request,
                         const TSearchEvents& events);

// The nodes from the top level (rootNest) down to the first topic, in tree order, whose
// child nest is nest: what a search in that nest puts above its hits. Empty for the root
// nest itself; false when no topic leads to nest.
bool TrailToNest(BlockFile* nestFile, uint32_t rootNest, uint32_t nest, std::vector<TNode>& trail);

// The text of a result row: three blanks and the caption with every CR and LF a blank.
std::string SearchRowText(std::string_view caption);

}  // namespace kiv
