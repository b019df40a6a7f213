// Trails, trail lists and their stored form, bookmarks and the list of datastructures.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/Navigation.h"
#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "platform/core/KivStrings.h"
#include "tests/engine/core/ExactBytes.h"

using namespace kiv;

namespace {

std::string Record(uint32_t parent, uint32_t index, uint32_t dir, uint32_t child) {
    std::string s;
    AppendU32(s, parent);
    AppendU32(s, index);
    AppendU32(s, dir);
    AppendU32(s, child);
    return s;
}
const std::string kSep(16, '\x01');

void AddNode(TNavigator& nav, uint32_t parent, uint32_t index, uint32_t dir, uint32_t child,
             const std::string& caption = "c") {
    nav.Add(parent, index, false, caption, TNestItem{dir, child});
}

int TotalNodes(const TQuickJump& q) {
    int n = 0;
    for (int i = 0; i < q.Count(); ++i) n += q.Navigator(i)->Count();
    return n;
}

TEST(ShortCaption, CutsLineBreaksAndNamesEmptyCaptions) {
    struct Case {
        std::string in, out;
    };
    const std::string a34(34, 'a');
    const Case cases[] = {
        {std::string(40, 'x'), std::string(35, 'x') + "..."},
        {std::string(35, 'x'), std::string(35, 'x')},
        {"  \r\n \n\t ", "[untitled]"},
        {"", "[untitled]"},
        {"one\r\ntwo\nthree", "one  two three"},
        {"  padded  ", "padded"},
        // Windows-1252 bytes are cut where the count says.
        {a34 + "\xE9\xE9\xE9", a34 + "\xE9..."},
        // A UTF-8 caption is cut before the character that would be split.
        {a34 + "\xC3\xA9\xC3\xA9", a34 + "..."},
    };
    for (const auto& c : cases) EXPECT_EQ(ShortCaption(c.in, 35), c.out) << c.in;
}

TEST(Navigator, EventsFireOnlyWhereAsked) {
    TNavigator nav;
    int added = 0, deleted = 0;
    nav.OnNodeAdded = [&](TNavigator* s) {
        EXPECT_EQ(s, &nav);
        ++added;
    };
    nav.OnNodesDeleted = [&](TNavigator*) { ++deleted; };
    nav.Add(8, 0, false, "a", {100, 0});
    nav.Add(200, 1, true, "b", {300, 400});
    nav.Insert(99, 8, true, "end", {1, 2}, 5);  // brought inside: appended
    nav.Insert(-3, 8, false, "front", {3, 4}, 6);
    EXPECT_EQ(added, 2);
    ASSERT_EQ(nav.Count(), 4);
    EXPECT_EQ(nav.GetCaption(0), "front");
    EXPECT_EQ(nav.GetCaption(3), "end");
    EXPECT_EQ(nav.GetNode(2).ChildNest, 400u);
    EXPECT_EQ(nav.GetNode(3).Index, 5u);

    nav.Delete(0);
    nav.Delete(17);
    EXPECT_EQ(deleted, 0);
    EXPECT_EQ(nav.Count(), 3);
    nav.DeleteFrom(1);
    EXPECT_EQ(deleted, 1);
    EXPECT_EQ(nav.Count(), 1);
    nav.DeleteFrom(-1);  // nothing removed, still told
    EXPECT_EQ(deleted, 2);
    EXPECT_EQ(nav.Count(), 1);
    nav.Clear();
    EXPECT_EQ(deleted, 2);
    EXPECT_EQ(nav.LastIndex(), -1);
}

TEST(Navigator, OutOfRangeAccessIsHarmless) {
    TNavigator nav;
    AddNode(nav, 8, 0, 100, 0, "x");
    TNode z = nav.GetNode(5);
    EXPECT_EQ(z.ParentNest + z.Index + z.CardDir + z.ChildNest, 0u);
    EXPECT_EQ(nav.GetCaption(-1), "");
    EXPECT_EQ(nav.GetShortCaption(1), "");
    nav.SetNode(3, TNode{1, 2, 3, 4, "y"});
    nav.SetCaption(3, "y");
    EXPECT_EQ(nav.Count(), 1);
    EXPECT_EQ(nav.GetCaption(0), "x");
}

TEST(Navigator, AssignCopiesTheTrailButNotTheEvents) {
    TNavigator a, b;
    AddNode(a, 8, 0, 100, 0, "first");
    AddNode(a, 16, 3, 200, 24, std::string(40, 'q'));
    a.ThreadTitle = "title";
    a.SetHoistedNodes({TNode{8, 1, 300, 0, ""}});
    int fired = 0;
    b.OnNodeAdded = [&](TNavigator*) { ++fired; };
    b.Assign(a);
    EXPECT_EQ(b.ThreadTitle, "title");
    ASSERT_EQ(b.Count(), 2);
    EXPECT_EQ(b.GetCaption(1), std::string(40, 'q'));
    EXPECT_EQ(b.GetShortCaption(1), std::string(35, 'q') + "...");
    ASSERT_EQ(b.GetHoistedNodes().size(), 1u);
    EXPECT_EQ(b.GetHoistedNodes()[0].CardDir, 300u);
    EXPECT_FALSE(a.OnNodeAdded);
    b.Add(1, 1, true, "", {});
    EXPECT_EQ(fired, 1);  // b kept its own handler
}

TEST(QuickJump, SavesNodeRecordsAndSeparators) {
    TQuickJump q;
    AddNode(*q.AddNavigator(), 8, 0, 100, 200);
    AddNode(*q.Navigator(0), 200, 2, 300, 0);
    AddNode(*q.AddNavigator(), 8, 1, 400, 0xFFFFFFFF);
    const std::string s = q.SaveToString();
    EXPECT_EQ(s.size(), 80u);
    EXPECT_EQ(s, Record(8, 0, 100, 200) + Record(200, 2, 300, 0) + kSep +
                     Record(8, 1, 400, 0xFFFFFFFF) + kSep);

    TQuickJump r;
    r.LoadFromString(s);
    ASSERT_EQ(r.Count(), 2);
    EXPECT_EQ(r.CurrentIndex(), 0);
    ASSERT_EQ(r.Navigator(0)->Count(), 2);
    EXPECT_EQ(r.Navigator(1)->Count(), 1);
    TNode n = r.Navigator(0)->GetNode(1);
    EXPECT_EQ(n.ParentNest, 200u);
    EXPECT_EQ(n.Index, 2u);
    EXPECT_EQ(n.CardDir, 300u);
    EXPECT_EQ(n.Caption, "stored");
    EXPECT_EQ(r.Navigator(1)->GetNode(0).ChildNest, 0xFFFFFFFFu);
    EXPECT_EQ(r.SaveToString(), s);

    TQuickJump empty;
    EXPECT_EQ(empty.SaveToString(), "");
    empty.AddNavigator();
    EXPECT_EQ(empty.SaveToString(), kSep);  // an empty trail is a lone separator
}

TEST(QuickJump, LoadingMakesNoEmptyTrails) {
    TQuickJump q;
    q.LoadFromString(kSep + kSep + Record(8, 0, 1, 0) + kSep + kSep + kSep + Record(8, 1, 2, 0));
    ASSERT_EQ(q.Count(), 2);
    EXPECT_EQ(q.Navigator(0)->GetNode(0).CardDir, 1u);
    EXPECT_EQ(q.Navigator(1)->GetNode(0).CardDir, 2u);

    q.LoadFromString(kSep + kSep);
    EXPECT_EQ(q.Count(), 0);
    EXPECT_EQ(q.CurrentIndex(), -1);

    AddNode(*q.AddNavigator(), 1, 1, 1, 1);
    q.LoadFromString("");  // an empty text changes nothing
    EXPECT_EQ(q.Count(), 1);
}

TEST(QuickJump, DamagedStringsAreReadAsFarAsTheyAreWhole) {
    const std::string good = Record(8, 0, 100, 200) + kSep + Record(8, 1, 300, 0);  // 48 bytes
    for (size_t len = 0; len <= 40; ++len) {
        SCOPED_TRACE(len);
        // The beginning of a good string, and the same length of bytes of every kind.
        std::string junk(len, '\0');
        for (size_t i = 0; i < len; ++i) junk[i] = char(i % 3 == 0 ? 0x01 : 0xA5 + i);
        for (const std::string& s : {good.substr(0, len), junk}) {
            ExactBytes b(s);
            TQuickJump q;
            AddNode(*q.AddNavigator(), 1, 1, 1, 1);
            q.LoadFromString(b.View());
            if (len == 0) {
                EXPECT_EQ(q.Count(), 1);
                continue;
            }
            int records = 0;
            for (size_t r = 0; r + 16 <= len; r += 16)
                if (s.compare(r, 16, kSep) != 0) ++records;
            EXPECT_EQ(TotalNodes(q), records);
            for (int i = 0; i < q.Count(); ++i) EXPECT_GT(q.Navigator(i)->Count(), 0);
        }
    }
}

TEST(QuickJump, TheCurrentIndexFollowsInsertsAndDeletes) {
    TQuickJump q;
    for (int i = 0; i < 3; ++i)
        AddNode(*q.AddNavigator(), 8, uint32_t(i), uint32_t(i + 1), 0, "t" + std::to_string(i));
    EXPECT_EQ(q.CurrentIndex(), 0);
    q.SetCurrentIndex(2);
    q.Delete(2);  // the current one: trail 0 becomes current
    EXPECT_EQ(q.CurrentIndex(), 0);

    AddNode(*q.AddNavigator(), 8, 9, 9, 0, "t9");
    q.SetCurrentIndex(2);
    q.Delete(0);  // below the current one
    EXPECT_EQ(q.CurrentIndex(), 1);
    EXPECT_EQ(q.TargetCaption(1), "t9");

    q.InsertNavigator(1);  // at the current index: it moves up
    EXPECT_EQ(q.CurrentIndex(), 2);
    q.InsertNavigator(3);  // above it: it stays
    EXPECT_EQ(q.CurrentIndex(), 2);
    EXPECT_EQ(q.TargetCaption(1), "");  // an empty trail
    EXPECT_EQ(q.TargetCaption(7), "");
    q.Delete(-1);
    q.Delete(9);
    EXPECT_EQ(q.Count(), 4);

    q.Clear();
    EXPECT_EQ(q.Count(), 0);
    EXPECT_EQ(q.CurrentIndex(), -1);
    q.AddNavigator();
    EXPECT_EQ(q.CurrentIndex(), 0);
}

TEST(QuickJump, ACurrentTrailOutlivesItsDeletedEntry) {
    TQuickJump threads;
    AddNode(*threads.AddNavigator(), 8, 0, 10, 0, "first");
    AddNode(*threads.AddNavigator(), 8, 1, 20, 0, "second");
    TNavigatorPtr current = threads.Navigator(1);  // going to a thread makes it the trail itself
    threads.Delete(1);
    threads.Clear();
    ASSERT_TRUE(current);
    ASSERT_EQ(current->Count(), 1);
    EXPECT_EQ(current->GetCaption(0), "second");
    AddNode(*current, 20, 0, 30, 0, "moved on");
    EXPECT_EQ(current->Count(), 2);
    EXPECT_EQ(threads.Navigator(1), nullptr);
}

// A list made on demand makes a trail when it is first asked for, once; a change that moves
// entries, and the string form, see the same trails an ordinary list holds.
TEST(QuickJump, TrailsMadeOnDemandAreMadeOnceWhenAskedFor) {
    TQuickJump list;
    std::vector<int> made;
    list.SetMadeOnDemand(1000000, [&](int i, TNavigator& t) {
        made.push_back(i);
        t.Add(7, uint32_t(i), false, "t" + std::to_string(i), TNestItem{uint32_t(i + 1), 0});
    });
    list.SetCurrentIndex(3);
    EXPECT_EQ(list.Count(), 1000000);
    EXPECT_TRUE(made.empty());
    EXPECT_EQ(list.Navigator(654321)->GetCaption(0), "t654321");
    const TNavigatorPtr kept = list.Navigator(654321);
    EXPECT_EQ(list.Navigator(654321), kept) << "made once, then kept";
    EXPECT_EQ(made, std::vector<int>{654321});
    EXPECT_EQ(list.Navigator(1000000), nullptr);
    EXPECT_EQ(list.TargetCaption(2), "t2");

    TQuickJump small, plain;
    small.SetMadeOnDemand(3, [](int i, TNavigator& t) {
        t.Add(1, uint32_t(i), false, "x", TNestItem{uint32_t(10 + i), 0});
    });
    for (int i = 0; i < 3; ++i)
        plain.AddNavigator()->Add(1, uint32_t(i), false, "x", TNestItem{uint32_t(10 + i), 0});
    EXPECT_EQ(small.SaveToString(), plain.SaveToString());
    const TNavigatorPtr first = small.Navigator(0);
    small.Delete(1);  // every trail made first, in its place
    ASSERT_EQ(small.Count(), 2);
    EXPECT_EQ(small.Navigator(0), first);
    EXPECT_EQ(small.Navigator(1)->GetNode(0).CardDir, 12u);
    small.Clear();
    EXPECT_EQ(small.Count(), 0);
    EXPECT_EQ(small.CurrentIndex(), -1);
}

TEST(BookMark, PointsAtTheFilesWithoutOwningThem) {
    auto outline = PosixBlockFile::Open(TempDir() + "bm.kiv", OpenMode::Truncate);
    auto cards = PosixBlockFile::Open(TempDir() + "bm.dsc", OpenMode::Truncate);
    {
        TBookMark b;
        EXPECT_TRUE(b.MarksPending);
        b.OutlineFile = outline.get();
        b.SetCardFile(cards.get());
        EXPECT_EQ(b.CardFile(), cards.get());
        EXPECT_EQ(b.Cards.CardFile(), cards.get());
        b.SetCardFile(nullptr);  // what the owner does when it closes the pair
        EXPECT_EQ(b.Cards.CardFile(), nullptr);
        b.SetCardFile(cards.get());
    }
    // The bookmark is gone; the handles are still open and usable, to be closed once, here.
    outline->WriteU32(0, 7);
    cards->WriteU32(0, 9);
    EXPECT_EQ(outline->Size(), 4u);
    EXPECT_EQ(cards->Size(), 4u);
}

TEST(BookMark, HoistedWhileTheStackHoldsATrail) {
    TBookMark b;
    EXPECT_FALSE(b.IsHoisted());
    b.HoistStack.AddNavigator();
    EXPECT_TRUE(b.IsHoisted());
    b.SetHoisted(true);
    EXPECT_TRUE(b.IsHoisted());
    b.SetHoisted(false);
    EXPECT_FALSE(b.IsHoisted());
}

class InterBaseTest : public ::testing::Test {
protected:
    std::string File(const std::string& name) {
        std::string p = TempDir() + name;
        WriteFileAtomic(p, "x");
        return p;
    }
    TInterBase1 ib;
    std::vector<std::string> opened;
    void SetUp() override {
        ib.OnCurrentChanged = [this](TInterBase1* s, const std::string& path) {
            EXPECT_EQ(s, &ib);
            opened.push_back(path);
        };
    }
};

TEST_F(InterBaseTest, EntriesAreNamedAfterTheFileName) {
    EXPECT_EQ(ib.Add("/data/my.notes.kiv"), 0);
    EXPECT_EQ(ib.GetName(0), "my");
    ib.Add("/data/plain");
    EXPECT_EQ(ib.GetName(1), "plain");
    ib.SetName(1, "renamed");
    EXPECT_EQ(ib.GetName(1), "renamed");
    EXPECT_EQ(ib.GetPath(0), "/data/my.notes.kiv");
    EXPECT_EQ(ib.GetPath(5), "");
    EXPECT_TRUE(opened.empty());
}

TEST_F(InterBaseTest, OpenSelectsTheEntryOfTheSameFile) {
    const std::string a = File("ib_a.kiv");
    const std::string b = File("ib_b.kiv");
    ib.Open(a);
    ib.Open(b);
    ib.Open(TempDir() + "./ib_a.kiv");  // another spelling of the same file
    EXPECT_EQ(ib.Count(), 2);
    EXPECT_EQ(ib.CurrentIndex(), 0);
    EXPECT_EQ(opened, (std::vector<std::string>{a, b, a}));
    EXPECT_EQ(ib.IndexOfPath(b), 1);
    // On a case-sensitive file system a name differing in case is another file.
    const std::string upper = File("IB_A.kiv");
    EXPECT_EQ(ib.IndexOfPath(upper), -1);
    EXPECT_EQ(ib.IndexOfPath(TempDir() + "missing.kiv"), -1);
}

TEST_F(InterBaseTest, CurrentIndexAndDeletion) {
    ib.Add("/x/a.kiv");
    ib.Add("/x/b.kiv");
    ib.Add("/x/c.kiv");
    ib.Select(7);  // outside: nothing
    EXPECT_TRUE(opened.empty());
    ib.Select(2);
    EXPECT_EQ(opened, (std::vector<std::string>{"/x/c.kiv"}));
    TBookMarkPtr current = ib.BookMark(ib.CurrentIndex());
    current->Password = "pw";

    ib.Delete(2);  // the index is the caller's to adjust; the entry held stays valid
    EXPECT_EQ(ib.Count(), 2);
    EXPECT_EQ(current->Path, "/x/c.kiv");
    EXPECT_EQ(current->Password, "pw");
    EXPECT_EQ(ib.CurrentIndex(), -1);  // reset, as it lies outside now

    ib.SetCurrentIndex(1);
    EXPECT_EQ(ib.CurrentIndex(), 1);
    EXPECT_EQ(opened.size(), 1u);  // no event

    auto replacement = std::make_shared<TBookMark>();
    replacement->Path = "/x/z.kiv";
    TBookMarkPtr old = ib.SetBookMark(0, replacement);
    EXPECT_EQ(old->Path, "/x/a.kiv");
    EXPECT_EQ(ib.GetPath(0), "/x/z.kiv");
    EXPECT_EQ(ib.BookMark(9), nullptr);

    ib.Clear();
    EXPECT_EQ(ib.Count(), 0);
    EXPECT_EQ(ib.CurrentIndex(), -1);
}

TEST(Globals, OneNavigatorAndOneListForTheRun) {
    EXPECT_EQ(Navigator().get(), Navigator().get());
    EXPECT_EQ(&InterBase(), &InterBase());
}

}  // namespace
