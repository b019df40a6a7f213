#include <gtest/gtest.h>

#include "engine/core/Cards.h"
#include "engine/core/NestFunctions.h"
#include "engine/core/Search.h"
#include "platform/core/AppPaths.h"
#include "platform/core/LegacyText.h"
#include "platform/core/UnicodeText.h"
#include "tests/engine/core/ToolRun.h"
#include "tests/engine/core/TreeFixture.h"

using namespace kiv;
using kiv::test::Kivtree;
using kiv::test::TempHome;
using kiv::test::ToolRun;
using kiv::test::TreePair;

namespace {

using Words = std::vector<std::string>;

// The node of the topic at 0-based indexes from the top level.
TNode NodeAt(TreePair& pair, std::vector<int> path) {
    TNode node;
    uint32_t nest = ReadRootNest(pair.kiv.get());
    for (int i : path) {
        TItemArray items;
        ReadNestItems(pair.kiv.get(), nest, items);
        node = {nest, uint32_t(i), items.at(size_t(i)).CardDir, items.at(size_t(i)).ChildNest, {}};
        nest = node.ChildNest;
    }
    return node;
}

void SetItem(TreePair& pair, const TNode& node, const TNestItem& item) {
    ASSERT_TRUE(SetNestItem(pair.kiv.get(), node.ParentNest, int(node.Index), item));
}

void SetTextCard(TreePair& pair, std::vector<int> path, std::string_view text) {
    const TNode node = NodeAt(pair, path);
    TCards cards;
    cards.SetCardFile(pair.dsc.get());
    uint32_t dir = node.CardDir;
    ASSERT_TRUE(cards.WriteCard(kCardText, dir, text));
    if (dir != node.CardDir) SetItem(pair, node, {dir, node.ChildNest});
}

// A hit as kept after the walk: its trail copied while the walk could still tell it.
struct KeptHit {
    TNode Node;
    std::vector<TNode> Trail;
    std::string Caption;
    TTopicMatch Match;
};

struct Found {
    std::vector<std::string> Rows;  // row text (UTF-8), then " T" / " X" for the images
    std::vector<KeptHit> Hits;
    TSearchOutcome Outcome;
};

Found Search(TreePair& pair, std::string_view input, bool andMode = true, TSearchRequest r = {}) {
    r.Keywords = SearchKeywords(input, false);
    r.AndMode = andMode;
    if (r.StartNest == 0) r.StartNest = ReadRootNest(pair.kiv.get());
    Found f;
    TSearchEvents e;
    e.OnHit = [&](const TSearchHit& h) {
        f.Rows.push_back(LegacyText::Decode(SearchRowText(h.Caption)) +
                         (h.Match.TitleMatched ? " T" : "") + (h.Match.TextMatched ? " X" : ""));
        f.Hits.push_back({h.Node, h.Trail(), h.Caption, h.Match});
    };
    f.Outcome = RunSearch(pair.kiv.get(), pair.dsc.get(), r, e);
    return f;
}

bool SameNode(const TNode& a, const TNode& b) {
    return a.ParentNest == b.ParentNest && a.Index == b.Index && a.CardDir == b.CardDir &&
           a.ChildNest == b.ChildNest;
}

}  // namespace

TEST(SearchKeywords, QuotedPairsFirstThenWords) {
    struct Case {
        const char* input;
        bool asPhrase;
        Words keywords;
    };
    const Case cases[] = {
        {"red \"big dog\" cat", false, {"BIG DOG", "RED", "CAT"}},
        {"\"big dog", false, {"BIG", "DOG"}},
        {"big dog", true, {"BIG DOG"}},
        {"  big   dog  ", true, {"BIG   DOG"}},
        {"a  b   c", false, {"A", "B", "C"}},
        {"\" big \" \"\" x",
         false,
         {"BIG", "X"}},  // quoted keywords are trimmed, empty ones dropped
        {"\"a\"\"b\"", false, {"A", "B"}},
        {"", false, {}},
        {"   ", false, {}},
        {"", true, {}},
        {"  ", true, {}},
        {"\"\"", false, {}},
        {"café straße ǆ", false, {"CAFÉ", "STRAßE", "Ǆ"}},
        {"σοφία кот", false, {"ΣΟΦΊΑ", "КОТ"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SearchKeywords(c.input, c.asPhrase), c.keywords) << c.input;
}

TEST(SearchMatching, WholeWordsWithoutRegardToCase) {
    struct Case {
        const char* keyword;
        const char* text;
        bool found;
    };
    const Case cases[] = {
        {"cat", "Cat", true},
        {"cat", "a cat.", true},
        {"cat", "(cat)", true},
        {"cat", "x-cat", true},
        {"cat", "CAT", true},
        {"cat", "concatenate", false},
        {"cat", "cats", false},
        {"cat", "cat_x", false},
        {"cat", "cat1", false},
        {"cat", "caté", false},  // é is a letter: the word goes on
        {"cat", "écat", false},
        {"cafe", "cafe\u0301", false},  // a combining accent belongs to its word
        {"big dog", "a Big Dog!", true},
        {"big dog", "big  dog", false},
        {"été", "L'ÉTÉ est là", true},
        {"über", "ÜBER alles", true},
        {"σοφία", "Η ΣΟΦΊΑ", true},
        {"кот", "котик", false},
        {"кот", "Кот.", true},
        {"漢字", "漢字", true},
        {"1998", "in 1998,", true},
        {"1998", "19980", false},
    };
    for (const auto& c : cases) {
        const TSearchKeywords k(SearchKeywords(c.keyword, true));
        const std::string text = LegacyText::Encode(c.text);
        EXPECT_EQ(MatchTopic(k, true, &text, nullptr).TitleMatched, c.found)
            << c.keyword << " in " << c.text;
        EXPECT_EQ(MatchTopic(k, true, nullptr, &text).TextMatched, c.found)
            << c.keyword << " in " << c.text;
    }
}

TEST(SearchMatching, FindOptionsAndDirection) {
    const std::u32string text = U"Cat cat concat CAT";
    EXPECT_EQ(FindInText(text, U"cat", 0, {}), 0u);
    EXPECT_EQ(FindInText(text, U"cat", 1, {}), 4u);
    EXPECT_EQ(FindInText(text, U"cat", 5, {}), 15u);
    EXPECT_EQ(FindInText(text, U"cat", 5, {false, false}), 11u);
    EXPECT_EQ(FindInText(text, U"cat", 0, {true, true}), 4u);
    EXPECT_EQ(FindInText(text, U"CAT", 16, {}), std::u32string::npos);
    EXPECT_EQ(FindInText(text, U"", 0, {}), std::u32string::npos);
    EXPECT_EQ(FindLastInText(text, U"cat", text.size(), {}), 15u);
    EXPECT_EQ(FindLastInText(text, U"cat", 15, {}), 4u);
    EXPECT_EQ(FindLastInText(text, U"cat", 15, {false, false}), 11u);
    EXPECT_EQ(FindLastInText(text, U"cat", 4, {}), 0u);
    EXPECT_EQ(FindLastInText(text, U"cat", 0, {}), std::u32string::npos);
    EXPECT_EQ(FindLastInText(text, U"CAT", 15, {true, true}), std::u32string::npos);
}

TEST(SearchMatching, TextCardsAreTheTextTheUserSees) {
    const std::string rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}"
        "{\\colortbl ;\\red255\\green0\\blue0;}\\viewkind4\\uc1\\pard\\cf1\\f0\\fs20 hello\\par}";
    struct Case {
        const char* keyword;
        std::string card;
        bool found;
    };
    const Case cases[] = {
        {"hello", rtf, true},
        {"arial", rtf, false},
        {"fonttbl", rtf, false},
        {"rtf1", rtf, false},
        {"par", rtf, false},
        {"red255", rtf, false},
        {"café", "{\\rtf1\\ansi caf\\'e9 noir}", true},
        {"café", "{\\rtf1\\ansi caf\\u233? noir}", true},
        {"caf", "{\\rtf1\\ansi caf\\'e9 noir}", false},
        {"café", "caf\xE9 au lait", true},  // plain Windows-1252 card
        {"café", "café au lait", true},     // plain UTF-8 card
        {"hello", "\x01hello", true},
        {"two", "one\r\ntwo", true},
    };
    for (const auto& c : cases) {
        const TSearchKeywords k(SearchKeywords(c.keyword, true));
        EXPECT_EQ(MatchTopic(k, true, nullptr, &c.card).TextMatched, c.found)
            << c.keyword << " in " << c.card;
    }
    EXPECT_EQ(TextCardPlainText("\x01hello"), "hello");
    EXPECT_EQ(TextCardPlainText("{\\rtf1 \\'01x}"), "x");
}

TEST(SearchMatching, AndNeedsAllInOnePartOrNeedsOne) {
    const TSearchKeywords k(SearchKeywords("red blue", false));
    const std::string red = "Red", blue = "{\\rtf1 blue}", both = "blue and red";
    struct Case {
        bool andMode;
        const std::string* title;
        const std::string* text;
        int t, x;
        bool titleMatched, textMatched;
    };
    const Case cases[] = {
        {true, &red, &blue, 1, 1, false, false},  // split over the two parts: no row
        {false, &red, &blue, 1, 1, true, true},   // a row with both images
        {true, &both, &blue, 2, 1, true, false},
        {false, &both, &red, 1, 1, true, true},  // Or stops at the first keyword found
        {true, nullptr, nullptr, 0, 0, false, false},
        {false, &red, nullptr, 1, 0, true, false},
    };
    for (const auto& c : cases) {
        const TTopicMatch m = MatchTopic(k, c.andMode, c.title, c.text);
        EXPECT_EQ(m.Title, c.t);
        EXPECT_EQ(m.Text, c.x);
        EXPECT_EQ(m.TitleMatched, c.titleMatched);
        EXPECT_EQ(m.TextMatched, c.textMatched);
    }
}

TEST(RunSearch, TreeOrderWithWholeTrails) {
    TreePair pair("\"hit A\"(\"hit A1\" \"hit A2\"(\"hit A2a\")) \"hit B\" other");
    Found f = Search(pair, "hit");
    EXPECT_EQ(f.Rows,
              (Words{"   hit A T", "   hit A1 T", "   hit A2 T", "   hit A2a T", "   hit B T"}));
    EXPECT_EQ(f.Outcome.Tested, 6u);
    EXPECT_EQ(f.Outcome.Hits, 5u);
    EXPECT_FALSE(f.Outcome.Stopped);
    ASSERT_EQ(f.Hits.size(), 5u);
    const KeptHit& a2a = f.Hits[3];
    ASSERT_EQ(a2a.Trail.size(), 3u);
    EXPECT_TRUE(SameNode(a2a.Trail[0], NodeAt(pair, {0})));
    EXPECT_TRUE(SameNode(a2a.Trail[1], NodeAt(pair, {0, 1})));
    EXPECT_TRUE(SameNode(a2a.Trail[2], NodeAt(pair, {0, 1, 0})));
    EXPECT_TRUE(SameNode(f.Hits[4].Trail.at(0), NodeAt(pair, {1})));
}

// What a hit keeps finds its topic again: the trail down to the hit's nest, then its node,
// is the trail the walk went.
void ExpectFoundAgain(TreePair& pair, const Found& f) {
    for (const KeptHit& h : f.Hits) {
        ASSERT_FALSE(h.Trail.empty());
        EXPECT_TRUE(SameNode(h.Node, h.Trail.back()));
        std::vector<TNode> again;
        ASSERT_TRUE(
            TrailToNest(pair.kiv.get(), ReadRootNest(pair.kiv.get()), h.Node.ParentNest, again));
        again.push_back(h.Node);
        ASSERT_EQ(again.size(), h.Trail.size());
        for (size_t k = 0; k < again.size(); ++k) EXPECT_TRUE(SameNode(again[k], h.Trail[k]));
    }
}

TEST(RunSearch, EveryHitIsFoundAgainFromItsNode) {
    TreePair pair("\"hit A\"(\"hit A1\" \"hit A2\"(\"hit A2a\")) \"hit B\"(x(\"hit deep\"))");
    const Found f = Search(pair, "hit");
    ASSERT_EQ(f.Hits.size(), 6u);
    ExpectFoundAgain(pair, f);
    // A clone's children are found under the first topic that leads to them, as the walk
    // went.
    TreePair clones("a(x(c)) b(c)");
    const TNode a = NodeAt(clones, {0}), b = NodeAt(clones, {1});
    SetItem(clones, b, {b.CardDir, a.ChildNest});
    const Found g = Search(clones, "c");
    ASSERT_EQ(g.Hits.size(), 1u);
    ExpectFoundAgain(clones, g);
}

TEST(RunSearch, BranchScopeIsTheTopicAndItsSubtree) {
    TreePair pair("\"hit A\"(\"hit A1\" \"hit A2\"(\"hit A2a\") \"hit A3\") \"hit B\"");
    TSearchRequest r;
    const TNode a2 = NodeAt(pair, {0, 1});
    r.StartNest = a2.ParentNest;
    r.Index = int(a2.Index);
    r.Above = {NodeAt(pair, {0})};
    Found f = Search(pair, "hit", true, r);
    EXPECT_EQ(f.Rows, (Words{"   hit A2 T", "   hit A2a T"}));  // never A3 or B
    ASSERT_EQ(f.Hits.size(), 2u);
    ASSERT_EQ(f.Hits[1].Trail.size(), 3u);
    EXPECT_TRUE(SameNode(f.Hits[1].Trail[0], NodeAt(pair, {0})));
    EXPECT_TRUE(SameNode(f.Hits[1].Trail[2], NodeAt(pair, {0, 1, 0})));

    r.Index = 7;  // past the nest's end: nothing
    EXPECT_TRUE(Search(pair, "hit", true, r).Rows.empty());
}

TEST(RunSearch, RowsAndImagesOfAndAndOr) {
    TreePair pair("red \"two\r\nlines\" x");
    SetTextCard(pair, {0}, "{\\rtf1\\ansi blue\\par}");
    SetTextCard(pair, {1}, "red blue");
    SetTextCard(pair, {2}, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 hello}");
    EXPECT_EQ(Search(pair, "red blue").Rows, (Words{"   two  lines X"}));
    EXPECT_EQ(Search(pair, "red blue", false).Rows, (Words{"   red T X", "   two  lines X"}));
    EXPECT_EQ(Search(pair, "lines").Rows, (Words{"   two  lines T"}));
    EXPECT_EQ(Search(pair, "arial").Rows, Words{});
    EXPECT_EQ(Search(pair, "fonttbl").Rows, Words{});
    EXPECT_EQ(Search(pair, "hello").Rows, (Words{"   x X"}));

    TSearchRequest neither;
    neither.InTitle = neither.InText = false;
    EXPECT_EQ(Search(pair, "red", false, neither).Rows, Words{});
    TSearchRequest titleOnly;
    titleOnly.InText = false;
    EXPECT_EQ(Search(pair, "red", false, titleOnly).Rows, (Words{"   red T"}));
    TSearchRequest textOnly;
    textOnly.InTitle = false;
    EXPECT_EQ(Search(pair, "red", false, textOnly).Rows, (Words{"   two  lines X"}));

    EXPECT_EQ(SearchRowText("two\r\nlines"), "   two  lines");
}

TEST(RunSearch, ExternalTopicIsTestedButNotEntered) {
    TreePair pair("hit(hit) \"hit ext\" after");
    const TNode ext = NodeAt(pair, {1});
    SetItem(pair, ext, {ext.CardDir, kExternalNest});
    Found f = Search(pair, "hit");
    EXPECT_EQ(f.Rows, (Words{"   hit T", "   hit T", "   hit ext T"}));
    EXPECT_EQ(f.Outcome.Tested, 4u);
    EXPECT_EQ(f.Hits.at(2).Trail.size(), 1u);
    EXPECT_EQ(f.Hits.at(2).Trail[0].ChildNest, kExternalNest);
}

TEST(RunSearch, ClonesAndLoopsEndTheWalk) {
    // B shares A's children (a clone); C's child nest is its own nest (a loop).
    TreePair pair("a(x(c)) b");
    const TNode a = NodeAt(pair, {0}), b = NodeAt(pair, {1}), c = NodeAt(pair, {0, 0, 0});
    SetItem(pair, b, {b.CardDir, a.ChildNest});
    SetItem(pair, c, {c.CardDir, c.ParentNest});
    Found f = Search(pair, "c");
    ASSERT_EQ(f.Hits.size(), 1u);  // under a; b is tested, the shared children not again
    EXPECT_EQ(f.Hits[0].Trail.size(), 3u);
    EXPECT_TRUE(SameNode(f.Hits[0].Trail[0], NodeAt(pair, {0})));
    EXPECT_EQ(f.Outcome.Tested, 4u);
    EXPECT_EQ(Search(pair, "b").Rows, (Words{"   b T"}));

    // A's child nest is the top level itself: a, then b with x and c.
    SetItem(pair, a, {a.CardDir, a.ParentNest});
    Found g = Search(pair, "c");
    EXPECT_EQ(g.Outcome.Tested, 4u);
    ASSERT_EQ(g.Hits.size(), 1u);
    EXPECT_TRUE(SameNode(g.Hits[0].Trail[0], NodeAt(pair, {1})));

    // Clones nested deep: every level's two topics share the next level's nest. Entering
    // each nest once keeps the walk to two topics a level.
    TreePair deep("t");
    uint32_t nest = ReadRootNest(deep.kiv.get());
    TItemArray top;
    ReadNestItems(deep.kiv.get(), nest, top);
    for (int level = 0; level < 40; ++level) {
        const uint32_t next = AppendNestBlock(deep.kiv.get(), TItemArray(2, top[0]));
        WriteNestItems(deep.kiv.get(), nest, TItemArray(2, {top[0].CardDir, next}));
        nest = next;
    }
    EXPECT_EQ(Search(deep, "t").Outcome.Tested, 82u);
}

TEST(RunSearch, StopEndsTheWalkAtOnce) {
    TreePair pair("hit(hit hit) hit");
    bool stop = false;
    size_t hits = 0;
    TSearchRequest r;
    r.Keywords = SearchKeywords("hit", false);
    r.StartNest = ReadRootNest(pair.kiv.get());
    TSearchEvents e;
    e.OnStep = [&](size_t) { return !stop; };
    e.OnHit = [&](const TSearchHit&) {
        ++hits;
        stop = true;
    };
    const TSearchOutcome o = RunSearch(pair.kiv.get(), pair.dsc.get(), r, e);
    EXPECT_EQ(hits, 1u);
    EXPECT_TRUE(o.Stopped);
    EXPECT_EQ(o.Tested, 1u);
}

TEST(RunSearch, NoKeywordsNoWalkAndDamageRaises) {
    TreePair pair("a(b)");
    TSearchEvents e;
    size_t steps = 0;
    e.OnStep = [&](size_t) { return ++steps, true; };
    TSearchRequest r;
    r.StartNest = ReadRootNest(pair.kiv.get());
    RunSearch(pair.kiv.get(), pair.dsc.get(), r, e);
    EXPECT_EQ(steps, 0u);

    const TNode a = NodeAt(pair, {0});
    SetItem(pair, a, {a.CardDir, 0x7FFFFF00});  // a child nest past the end of the file
    EXPECT_THROW(Search(pair, "a"), ENesterError);
}

TEST(RunSearch, TrailToANestFromTheTop) {
    TreePair pair("a(b c(d)) e");
    const uint32_t root = ReadRootNest(pair.kiv.get());
    std::vector<TNode> trail;
    ASSERT_TRUE(TrailToNest(pair.kiv.get(), root, NodeAt(pair, {0, 1}).ChildNest, trail));
    ASSERT_EQ(trail.size(), 2u);
    EXPECT_TRUE(SameNode(trail[0], NodeAt(pair, {0})));
    EXPECT_TRUE(SameNode(trail[1], NodeAt(pair, {0, 1})));
    EXPECT_TRUE(TrailToNest(pair.kiv.get(), root, root, trail));
    EXPECT_TRUE(trail.empty());
    EXPECT_FALSE(TrailToNest(pair.kiv.get(), root, 12345, trail));
    EXPECT_TRUE(trail.empty());
}

TEST(UnicodeText, UpperCaseAndWordCharacters) {
    using namespace UnicodeText;
    EXPECT_EQ(UpperCaseUtf8("abc xyz é ÿ ı ς ǆ ß"), "ABC XYZ É Ÿ I Σ Ǆ ß");
    EXPECT_TRUE(IsWordChar(U'é'));
    EXPECT_TRUE(IsWordChar(U'漢'));
    EXPECT_TRUE(IsWordChar(U'\u0301'));
    EXPECT_TRUE(IsWordChar(U'٣'));  // an Arabic-Indic digit
    EXPECT_FALSE(IsWordChar(U'\u00A0'));
    EXPECT_FALSE(IsWordChar(U'«'));
    EXPECT_FALSE(IsWordChar(U'—'));
    EXPECT_FALSE(IsWordChar(U'\x01'));
    EXPECT_EQ(ToUtf8(ToUtf32("naïve 漢字 😀")), "naïve 漢字 😀");
}

// The trail of each hit is written as the walk goes, each made from the one before: hits
// that go deeper, climb several levels and go down another branch keep their whole trails.
TEST(Kivtree, SearchTrailsOfBranchesThatPartAndMeet) {
    TempHome home;
    const std::string path = home.Dir() + "p.kiv";
    ASSERT_EQ(Kivtree({"make", path,
                       "a(\"hit 1\"(b(\"hit 2\")) c(\"hit 3\"(\"hit 4\"))) \"hit 5\" "
                       "d(e(f(\"hit 6\")))"})
                  .status,
              0);
    const ToolRun r = Kivtree({"search", path, "hit"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "0/0\thit 1\n0/0/0/0\thit 2\n0/1/0\thit 3\n0/1/0/0\thit 4\n1\thit 5\n"
              "2/0/0/0\thit 6\n");
    EXPECT_EQ(r.err, "6 results found\n");
    EXPECT_EQ(Kivtree({"search", path, "--branch", "0/1", "hit"}).out,
              "0/1/0\thit 3\n0/1/0/0\thit 4\n");
}

TEST(Kivtree, Searches) {
    TempHome home;
    const std::string path = home.Dir() + "s.kiv";
    ASSERT_EQ(Kivtree({"make", path,
                       "\"hit A\"(\"hit A1\" \"A2 hit\"(\"hit A2a\")) \"hit B\" \"big dog\" other"})
                  .status,
              0);
    struct Case {
        std::vector<std::string> args;
        const char* out;
        const char* err;
    };
    const Case cases[] = {
        {{"hit"},
         "0\thit A\n0/0\thit A1\n0/1\tA2 hit\n0/1/0\thit A2a\n1\thit B\n",
         "5 results found\n"},
        {{"--branch", "0/1", "hit"}, "0/1\tA2 hit\n0/1/0\thit A2a\n", "2 results found\n"},
        {{"--or", "a1", "b"}, "0/0\thit A1\n1\thit B\n", "2 results found\n"},
        {{"--and", "a1", "b"}, "", "0 results found\n"},
        {{"--phrase", "big", "dog"}, "2\tbig dog\n", "1 results found\n"},
        {{"--phrase", "dog", "big"}, "", "0 results found\n"},
        {{"\"big dog\""}, "2\tbig dog\n", "1 results found\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"search", path};
        args.insert(args.end(), c.args.begin(), c.args.end());
        ToolRun r = Kivtree(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, c.out) << c.args.back();
        EXPECT_EQ(r.err, c.err) << c.args.back();
    }
    // A closed datastructure is searched from a copy and stays as it is.
    ASSERT_EQ(Kivtree({"pack", path}).status, 0);
    const std::string joined = ReadWholeFile(path);
    ToolRun r = Kivtree({"search", path, "a2a"});
    EXPECT_EQ(r.out, "0/1/0\thit A2a\n");
    EXPECT_EQ(ReadWholeFile(path), joined);
    EXPECT_FALSE(FileExists(home.Dir() + "s.dsc"));

    for (const auto& bad :
         std::vector<std::vector<std::string>>{{"search", path},
                                               {"search", path, "\"\""},
                                               {"search", path, "--branch", "9", "x"},
                                               {"search", path, "--branch", "0/x", "x"},
                                               {"search", path, "--branch", "0/1/0/0", "x"},
                                               {"search", home.Dir() + "none.kiv", "x"}}) {
        ToolRun b = Kivtree(bad);
        EXPECT_EQ(b.status, 1) << bad.back();
        EXPECT_EQ(b.out, "");
        EXPECT_EQ(b.err.find('\n'), b.err.size() - 1) << b.err;
    }
}
