#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>
#include <vector>

#include "engine/core/Cards.h"
#include "platform/core/AppPaths.h"
#include "platform/core/KivError.h"
#include "platform/core/KivStrings.h"
#include "tests/engine/core/TempHome.h"

using namespace kiv;

namespace {

// A card file that counts the bytes read from it.
class CountingFile : public MemoryBlockFile {
public:
    using MemoryBlockFile::MemoryBlockFile;
    size_t ReadAt(uint64_t off, void* buf, size_t n) override {
        bytesRead += n;
        return MemoryBlockFile::ReadAt(off, buf, n);
    }
    size_t bytesRead = 0;
};

std::string NewCardFile() { return std::string(4, '\0'); }

std::string Chunk(uint32_t capacity, uint32_t used, uint32_t next, const std::string& data) {
    std::string c;
    AppendU32(c, capacity);
    AppendU32(c, used);
    AppendU32(c, next);
    std::string body = data;
    body.resize(capacity, ' ');
    return c + body;
}

struct ChunkAt {
    uint32_t capacity, used, next;
};
ChunkAt HeaderAt(const std::string& bytes, uint32_t at) {
    return {GetU32(bytes.data() + at), GetU32(bytes.data() + at + 4),
            GetU32(bytes.data() + at + 8)};
}

std::string ReadMessage(BlockFile* f, uint32_t first) {
    std::string text;
    try {
        ReadCardChain(f, first, text);
    } catch (const ENesterError& e) {
        return e.what();
    }
    return "no error";
}

class CardStore : public ::testing::Test {
protected:
    void SetUp() override { cards.SetCardFile(&file); }
    test::TempHome home;
    MemoryBlockFile file{NewCardFile()};
    TCards cards;
};

}  // namespace

TEST_F(CardStore, FirstCaptionAppendsDirectoryAndPaddedChunk) {
    uint32_t dir = 0;
    ASSERT_TRUE(cards.WriteCard(kCardCaption, dir, "0123456789"));
    const std::string& b = file.Bytes();
    EXPECT_EQ(dir, 4u);
    ASSERT_EQ(b.size(), 4u + 28 + 12 + 200);
    EXPECT_EQ(b.substr(0, 4), std::string(4, '\0'));  // no datastructure-level directory yet
    std::string expectedDir("\0\0\x05\x01", 4);
    AppendU32(expectedDir, 32);
    expectedDir += std::string(20, '\0');
    EXPECT_EQ(b.substr(4, 28), expectedDir);
    EXPECT_EQ(b.substr(32), Chunk(200, 10, 0, "0123456789"));
    EXPECT_EQ(b.substr(44 + 10), std::string(190, ' '));

    std::string text;
    cards.ReadCard(kCardCaption, dir, text);
    EXPECT_EQ(text, "0123456789");
}

TEST_F(CardStore, ChainGrowsIntoSecondChunkAndShrinksBack) {
    uint32_t dir = 0;
    ASSERT_TRUE(cards.WriteCard(kCardCaption, dir, "0123456789"));
    const uint32_t first = 32, second = 244;

    std::string long250(250, 'x');
    for (int i = 0; i < 250; ++i) long250[i] = char('a' + i % 26);
    ASSERT_TRUE(cards.WriteCard(kCardCaption, dir, long250));
    // rest 50 + 50 slack, raised to the minimum of 200
    ASSERT_EQ(file.Bytes().size(), 244u + 12 + 200);
    auto h1 = HeaderAt(file.Bytes(), first), h2 = HeaderAt(file.Bytes(), second);
    EXPECT_EQ(h1.capacity, 200u);
    EXPECT_EQ(h1.used, 200u);
    EXPECT_EQ(h1.next, second);
    EXPECT_EQ(h2.capacity, 200u);
    EXPECT_EQ(h2.used, 50u);
    EXPECT_EQ(h2.next, 0u);
    std::string text;
    cards.ReadCard(kCardCaption, dir, text);
    EXPECT_EQ(text, long250);

    ASSERT_TRUE(cards.WriteCard(kCardCaption, dir, std::string(20, 'y')));
    EXPECT_EQ(file.Bytes().size(), 244u + 212);  // rewritten in place
    h1 = HeaderAt(file.Bytes(), first);
    h2 = HeaderAt(file.Bytes(), second);
    EXPECT_EQ(h1.used, 20u);
    EXPECT_EQ(h1.next, second);
    EXPECT_EQ(h2.used, 0u);
    cards.ReadCard(kCardCaption, dir, text);
    EXPECT_EQ(text, std::string(20, 'y'));

    // Exactly one chunk's worth: the first is full, so the second must end the text.
    ASSERT_TRUE(cards.WriteCard(kCardCaption, dir, std::string(200, 'z')));
    cards.ReadCard(kCardCaption, dir, text);
    EXPECT_EQ(text, std::string(200, 'z'));
    EXPECT_EQ(HeaderAt(file.Bytes(), second).used, 0u);

    // Growing again over the full first chunk: both chunks would change under a reader of
    // the old text, so the text goes to a new chunk and the entry is switched to it last.
    ASSERT_TRUE(cards.WriteCard(kCardCaption, dir, long250));
    const uint32_t third = 244 + 212;
    EXPECT_EQ(file.Bytes().size(), third + 12u + 300);
    TCardArray entries;
    ReadCardDirectory(&file, dir, entries);
    EXPECT_EQ(entries[0].FirstChunk, third);
    EXPECT_EQ(HeaderAt(file.Bytes(), first).used, 200u) << "the old chain is left as it was";
    cards.ReadCard(kCardCaption, dir, text);
    EXPECT_EQ(text, long250);

    ASSERT_TRUE(cards.WriteCard(kCardCaption, dir, ""));
    EXPECT_EQ(HeaderAt(file.Bytes(), third).used, 0u);
    cards.ReadCard(kCardCaption, dir, text);
    EXPECT_EQ(text, "");
}

TEST_F(CardStore, LongChainAppendsOnlyTheExcess) {
    // Three chunks of 200, 100, 300: a text of 650 fills them and appends 50 + slack.
    std::string f = NewCardFile();
    f += Chunk(200, 200, 4 + 212, std::string(200, 'a'));
    f += Chunk(100, 100, 4 + 212 + 112, std::string(100, 'b'));
    f += Chunk(300, 10, 0, std::string(10, 'c'));
    MemoryBlockFile m(f);
    std::string text;
    ReadCardChain(&m, 4, text);
    EXPECT_EQ(text, std::string(200, 'a') + std::string(100, 'b') + std::string(10, 'c'));

    // Over a chain whose first chunk is full, rewriting in place would change several chunks
    // a reader of the old text passes: the text goes to one new chunk (for the caller to
    // switch to) and the old chain stays whole.
    uint32_t first = 4;
    std::string big(650, 'q');
    WriteCardChain(&m, first, big);
    const uint32_t added = uint32_t(f.size());
    EXPECT_EQ(first, added);
    EXPECT_EQ(m.Bytes().substr(0, f.size()), f);
    auto h = HeaderAt(m.Bytes(), added);
    EXPECT_EQ(h.capacity, 700u);  // 650 + 50
    EXPECT_EQ(h.used, 650u);
    ReadCardChain(&m, first, text);
    EXPECT_EQ(text, big);
    ReadCardChain(&m, 4, text);
    EXPECT_EQ(text, std::string(200, 'a') + std::string(100, 'b') + std::string(10, 'c'));

    // A chain whose text ends in its first chunk grows in place: the excess is appended
    // first and the first chunk, rewritten last, switches to it.
    std::string g = NewCardFile();
    g += Chunk(200, 10, 4 + 212, std::string(10, 'a'));
    g += Chunk(100, 100, 0, std::string(100, 'b'));
    MemoryBlockFile grow(g);
    uint32_t head = 4;
    WriteCardChain(&grow, head, big);
    EXPECT_EQ(head, 4u);
    EXPECT_EQ(HeaderAt(grow.Bytes(), 4 + 212).next, uint32_t(g.size()));
    EXPECT_EQ(HeaderAt(grow.Bytes(), uint32_t(g.size())).used, 350u);
    ReadCardChain(&grow, 4, text);
    EXPECT_EQ(text, big);

    // A chunk larger than one small read.
    uint32_t big100k = 0;
    const std::string large = std::string(70000, 'L') + std::string(30000, 'M');
    WriteCardChain(&m, big100k, large);
    ReadCardChain(&m, big100k, text);
    EXPECT_EQ(text, large);

    // The start position skips the head of the text.
    uint32_t none = 0;
    AppendCardChunk(&m, none, "abcdef", 6);
    EXPECT_EQ(none, 0u);
    AppendCardChunk(&m, none, "abcdef", 2);
    ReadCardChain(&m, none, text);
    EXPECT_EQ(text, "cdef");
}

TEST(CardChain, ReadingStopsAndRaisesByTheRules) {
    struct Case {
        const char* name;
        std::string chunks;  // placed at offset 4
        std::string result;  // text, or the error message
    };
    const uint32_t second = 4 + 12 + 3;
    const Case cases[] = {
        {"not full ends", Chunk(3, 2, second, "ab") + Chunk(3, 3, 0, "cde"), "ab"},
        {"full follows next", Chunk(3, 3, second, "abc") + Chunk(3, 2, 0, "de"), "abcde"},
        {"used 0 ends though next is set", Chunk(3, 0, second, "") + Chunk(3, 3, 0, "cde"), ""},
        {"used past capacity", Chunk(3, 4, 0, "abc"),
         "Datastructure corrupted. Card retrieving error. CurBytes>MaxBytes."},
        {"loop", Chunk(3, 3, 4, "abc"), "WatchDog. Can't get Card Data"},
        {"next past the end", Chunk(3, 3, 999, "abc"),
         "Datastructure corrupted. Card retrieving error. Wrong chunk address."},
        {"data past the end", Chunk(3, 3, 0, "abc").substr(0, 13),
         "Datastructure corrupted. Card retrieving error. Wrong chunk address."},
        {"next inside the file header", Chunk(3, 3, 2, "abc") + std::string(20, '\0'),
         "Datastructure corrupted. Card retrieving error. Wrong chunk address."},
    };
    for (const auto& c : cases) {
        MemoryBlockFile m(NewCardFile() + c.chunks);
        std::string text;
        std::string got;
        try {
            ReadCardChain(&m, 4, text);
            got = text;
        } catch (const ENesterError& e) {
            got = e.what();
        }
        EXPECT_EQ(got, c.result) << c.name;
    }
    std::string text = "old";
    ReadCardChain(nullptr, 4, text);
    EXPECT_EQ(text, "");
}

TEST(CardChain, WatchDogAfter50000Chunks) {
    // 50001 zero-capacity chunks in a row, each full and pointing at the next.
    std::string f = NewCardFile();
    const int n = 50001;
    for (int i = 0; i < n; ++i) f += Chunk(0, 0, i + 1 < n ? uint32_t(4 + (i + 1) * 12) : 0, "");
    MemoryBlockFile m(f);
    EXPECT_EQ(ReadMessage(&m, 4), "WatchDog. Can't get Card Data");
    // 50000 chunks are still a chain.
    std::string limit = f.substr(0, 4 + 50000 * 12);
    PutU32(limit.data() + 4 + 49999 * 12 + 8, 0);
    MemoryBlockFile ok(limit);
    EXPECT_EQ(ReadMessage(&ok, 4), "no error");
}

TEST(CardChain, WritingOverALoopMakesANewChainInsteadOfSpinning) {
    const std::string old = NewCardFile() + Chunk(0, 0, 4, "");
    MemoryBlockFile m(old);
    uint32_t first = 4;
    WriteCardChain(&m, first, "abc");
    EXPECT_EQ(first, old.size());
    EXPECT_EQ(m.Bytes().substr(0, old.size()), old);
    std::string text;
    ReadCardChain(&m, first, text);
    EXPECT_EQ(text, "abc");
}

TEST(CaptionPrefix, SplitsSixBytePrefix) {
    struct Case {
        std::string card;
        bool prefix;
        std::string caption;
        int32_t color;
        uint8_t flags;
    };
    const Case cases[] = {
        {MakeCaptionPrefix(0x00FF00, kFlagBold | kFlagLocked), true, "", 0x00FF00, 0x41},
        {MakeCaptionPrefix(-1, kFlagClone) + "Topic", true, "Topic", -1, 0x80},
        {"abcde\x02xyz", false, "abcde\x02xyz", -1, 0},
        {"abcd\x01", false, "abcd\x01", -1, 0},  // five bytes: no prefix
        {"", false, "", -1, 0},
    };
    for (const auto& c : cases) {
        TCaptionCard s = SplitCaptionCard(c.card);
        EXPECT_EQ(s.HasPrefix, c.prefix);
        EXPECT_EQ(s.Caption, c.caption);
        EXPECT_EQ(s.FontColor, c.color);
        EXPECT_EQ(s.Flags, c.flags);
    }
    EXPECT_EQ(MakeCaptionPrefix(0x11223344, 0x8F), std::string("\x44\x33\x22\x11\x8F\x01", 6));
}

TEST_F(CardStore, ReadCaptionRemovesThePrefix) {
    uint32_t dir = 0;
    ASSERT_TRUE(cards.WriteCard(kCardCaption, dir, MakeCaptionPrefix(0xFF, kFlagItalic) + "Red"));
    std::string text;
    cards.ReadCaption(dir, text);
    EXPECT_EQ(text, "Red");
    cards.ReadCard(kCardCaption, dir, text);
    EXPECT_EQ(text.size(), 9u);
}

TEST_F(CardStore, FiveKindsFitASixthIsRefused) {
    uint32_t dir = 0;
    for (uint8_t k = 1; k <= 5; ++k)
        ASSERT_TRUE(cards.WriteCard(k, dir, "card " + std::to_string(k)));
    const std::string before = file.Bytes();
    EXPECT_FALSE(cards.WriteCard(6, dir, "sixth"));
    EXPECT_EQ(file.Bytes(), before);  // nothing stored
    EXPECT_FALSE(cards.WriteCard(0, dir, "free"));
    for (uint8_t k = 1; k <= 5; ++k) {
        std::string text;
        cards.ReadCard(k, dir, text);
        EXPECT_EQ(text, "card " + std::to_string(k) + (k == kCardLaunch ? "\r\n" : ""));
    }
    std::string text;
    cards.ReadCard(6, dir, text);
    EXPECT_EQ(text, "");
    EXPECT_TRUE(cards.WriteCard(2, dir, "rewritten"));
    cards.ReadCard(2, dir, text);
    EXPECT_EQ(text, "rewritten");
}

TEST_F(CardStore, EmptyCardTakesAnEntryAndGetsItsChunkLater) {
    uint32_t dir = 0;
    ASSERT_TRUE(cards.WriteCard(kCardText, dir, ""));
    TCardArray entries;
    ReadCardDirectory(&file, dir, entries);
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0], (TCardEntry{kCardText, 0}));
    EXPECT_EQ(file.Bytes().size(), 4u + 28);  // no chunk for an empty text

    ASSERT_TRUE(cards.WriteCard(kCardCaption, dir, "c"));
    ASSERT_TRUE(cards.WriteCard(kCardText, dir, "now text"));
    ReadCardDirectory(&file, dir, entries);
    EXPECT_EQ(entries[1].Kind, kCardCaption);
    EXPECT_EQ(entries[0].Kind, kCardText);
    EXPECT_NE(entries[0].FirstChunk, 0u);
    std::string text;
    cards.ReadCard(kCardText, dir, text);
    EXPECT_EQ(text, "now text");
}

TEST(CardDirectory, EntryCountComesFromTheThirdByte) {
    std::string f = NewCardFile() + std::string("\0\0\x07", 3);
    for (uint8_t k = 1; k <= 7; ++k) {
        f += char(k);
        AppendU32(f, 1000u + k);
    }
    f += std::string("\0\0\0", 3);  // an empty directory at the very end
    MemoryBlockFile m(f);
    TCardArray entries;
    ReadCardDirectory(&m, 4, entries);
    ASSERT_EQ(entries.size(), 7u);
    EXPECT_EQ(entries[6], (TCardEntry{7, 1007}));
    ReadCardDirectory(&m, uint32_t(f.size() - 3), entries);
    EXPECT_TRUE(entries.empty());
    MemoryBlockFile cut(f.substr(0, 4 + 3 + 30));
    EXPECT_THROW(ReadCardDirectory(&cut, 4, entries), ENesterError);
}

TEST_F(CardStore, HasCardReadsOnlyTheFirstChunkHeader) {
    CountingFile counting(NewCardFile());
    cards.SetCardFile(&counting);
    uint32_t dir = 0;
    ASSERT_TRUE(cards.WriteCard(kCardText, dir, std::string(100000, 'r')));
    ASSERT_TRUE(cards.WriteCard(kCardGraphic, dir, ""));
    counting.bytesRead = 0;
    EXPECT_TRUE(cards.HasCard(dir, kCardText));
    EXPECT_LE(counting.bytesRead, 3u + 25 + 12);
    EXPECT_FALSE(cards.HasCard(dir, kCardGraphic));
    EXPECT_FALSE(cards.HasCard(dir, kCardLaunch));
    EXPECT_FALSE(cards.HasCard(0, kCardText));
    ASSERT_TRUE(cards.WriteCard(kCardText, dir, ""));
    EXPECT_FALSE(cards.HasCard(dir, kCardText));
}

// A store that needs more room than the disk has fails before it touches the old card:
// the file is byte for byte what it was, and the card reads as before.
TEST_F(CardStore, StoreOnAFullDiskLeavesTheOldCard) {
    struct Case {
        const char* name;
        std::vector<std::pair<uint8_t, std::string>> before;  // stored first, in order
        uint8_t kind;
        std::string grown;
        uint64_t room;  // bytes the disk still takes
    };
    const std::string two = std::string(200, 'a') + std::string(100, 'b');  // two chunks
    const Case cases[] = {
        {"one chunk outgrown", {{kCardText, "old text"}}, kCardText, std::string(700, 'n'), 0},
        {"one chunk, part of the new one fits",
         {{kCardText, "old text"}},
         kCardText,
         std::string(700, 'n'),
         300},
        {"two chunks outgrown", {{kCardText, two}}, kCardText, std::string(2000, 'n'), 100},
        {"a new kind in a free entry", {{kCardCaption, "caption"}}, kCardText, "fresh", 10},
        {"a new topic's first card", {}, kCardCaption, "first", 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryBlockFile disk{NewCardFile()};
        cards.SetCardFile(&disk);
        uint32_t dir = 0;
        for (const auto& [kind, text] : c.before) ASSERT_TRUE(cards.WriteCard(kind, dir, text));
        const std::string old = disk.Bytes();
        const uint32_t oldDir = dir;
        std::string oldText;
        cards.ReadCard(c.kind, dir, oldText);

        disk.FailGrowthPast(old.size() + c.room);
        EXPECT_THROW((void)cards.WriteCard(c.kind, dir, c.grown), EFileError);
        EXPECT_EQ(disk.Bytes(), old);
        EXPECT_EQ(dir, oldDir);
        std::string text;
        cards.ReadCard(c.kind, dir, text);
        EXPECT_EQ(text, oldText);

        disk.UnlimitedGrowth();  // room again: the same store goes through
        ASSERT_TRUE(cards.WriteCard(c.kind, dir, c.grown));
        cards.ReadCard(c.kind, dir, text);
        EXPECT_EQ(text, c.grown);
    }
}

TEST_F(CardStore, ShrinkingOnAFullDiskNeedsNoRoom) {
    uint32_t dir = 0;
    ASSERT_TRUE(cards.WriteCard(kCardText, dir, std::string(600, 'x')));
    file.FailGrowthPast(file.Size());
    ASSERT_TRUE(cards.WriteCard(kCardText, dir, "short"));
    ASSERT_TRUE(
        cards.WriteCard(kCardText, dir, std::string(600, 'y')));  // the chain is still there
    std::string text;
    cards.ReadCard(kCardText, dir, text);
    EXPECT_EQ(text, std::string(600, 'y'));
}

TEST_F(CardStore, ChainCutShortIsReplacedAndSwitchedLast) {
    // The card's chunk claims 200 bytes but the file ends after 50 of them: rewriting it in
    // place would grow the file under a later append. The text goes to a new chain.
    uint32_t dir = 0;
    ASSERT_TRUE(cards.WriteCard(kCardText, dir, "damaged"));
    file.Truncate(dir + kCardDirSize + kChunkHeaderSize + 50);
    const std::string old = file.Bytes();
    ASSERT_TRUE(cards.WriteCard(kCardText, dir, "whole again"));
    EXPECT_EQ(file.Bytes().substr(kCardDirSize + 4, old.size() - kCardDirSize - 4),
              old.substr(kCardDirSize + 4));  // the old chunk is untouched
    std::string text;
    cards.ReadCard(kCardText, dir, text);
    EXPECT_EQ(text, "whole again");
    TCardArray entries;
    ReadCardDirectory(&file, dir, entries);
    EXPECT_EQ(entries[0].FirstChunk, old.size());

    // On a full disk the entry still names the old chain.
    MemoryBlockFile disk{old};
    cards.SetCardFile(&disk);
    disk.FailGrowthPast(old.size());
    EXPECT_THROW((void)cards.WriteCard(kCardText, dir, "whole again"), EFileError);
    EXPECT_EQ(disk.Bytes(), old);
}

// An I/O error on any one write of a store leaves the old card or the new one, never a mix:
// new bytes go to chunks no reader of the old card passes, and one small write switches.
TEST_F(CardStore, AnIOErrorOnAnyWriteLeavesTheOldCardOrTheNew) {
    struct Case {
        const char* name;
        std::vector<std::string> before;  // stored in order as the card of kind 2
        std::string after;
    };
    const std::string three = std::string(200, 'a') + std::string(100, 'b') + std::string(10, 'c');
    const Case cases[] = {
        {"a new topic's first card", {}, std::string(1000, 'n')},
        {"one chunk grows into a second", {"old text"}, std::string(250, 'n')},
        {"two chunks shrink into one",
         {std::string(250, 'o'), std::string(20, 'p')},
         std::string(200, 'n')},
        {"two chunks grow", {std::string(250, 'o')}, std::string(420, 'n')},
        {"a three-chunk chain rewritten",
         {"x", std::string(250, 'o'), three},
         std::string(1000, 'n')},
        {"emptied", {std::string(250, 'o')}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryBlockFile start{NewCardFile()};
        cards.SetCardFile(&start);
        uint32_t dir0 = 0;
        ASSERT_TRUE(cards.WriteCard(kCardCaption, dir0, "caption"));
        for (const std::string& t : c.before) ASSERT_TRUE(cards.WriteCard(kCardText, dir0, t));
        const std::string old = c.before.empty() ? std::string() : c.before.back();
        int writes = 0;
        {
            MemoryBlockFile probe{start.Bytes()};
            cards.SetCardFile(&probe);
            uint32_t dir = dir0;
            ASSERT_TRUE(cards.WriteCard(kCardText, dir, c.after));
            writes = probe.Writes();
        }
        ASSERT_GT(writes, 0);
        for (int n = 0; n < writes; ++n) {
            SCOPED_TRACE(n);
            MemoryBlockFile disk{start.Bytes()};
            cards.SetCardFile(&disk);
            disk.FailWriteNumber(n);
            uint32_t dir = dir0;
            bool stored = false;
            try {
                stored = cards.WriteCard(kCardText, dir, c.after);
            } catch (const EFileError& e) {
                EXPECT_EQ(e.Errno(), EIO);
            }
            std::string text, caption;
            cards.ReadCard(kCardText, dir, text);
            cards.ReadCard(kCardCaption, dir, caption);
            EXPECT_EQ(caption, "caption");
            EXPECT_EQ(text, stored ? c.after : old);
            // The same store goes through once the disk works again.
            ASSERT_TRUE(cards.WriteCard(kCardText, dir, c.after));
            cards.ReadCard(kCardText, dir, text);
            EXPECT_EQ(text, c.after);
        }
    }
}

TEST_F(CardStore, AnIOErrorOnAnyWriteOfADatastructureCardKeepsTheOldOrTheNew) {
    for (const bool first : {true, false}) {
        SCOPED_TRACE(first ? "the first datastructure card" : "a rewrite");
        MemoryBlockFile start{NewCardFile()};
        TDBCards db;
        db.SetCardFile(&start);
        if (!first) {
            ASSERT_TRUE(db.WriteCard(kDBCardTextBin, std::string(300, 'o')));
        }
        const std::string old = first ? std::string() : std::string(300, 'o');
        const std::string fresh(900, 'n');
        for (int n = 0; n < 4; ++n) {
            SCOPED_TRACE(n);
            MemoryBlockFile disk{start.Bytes()};
            TDBCards d;
            d.SetCardFile(&disk);
            d.LoadDirAddress();
            disk.FailWriteNumber(n);
            bool stored = false;
            try {
                stored = d.WriteCard(kDBCardTextBin, fresh);
            } catch (const EFileError&) {
            }
            TDBCards reader;
            reader.SetCardFile(&disk);
            reader.LoadDirAddress();
            std::string text;
            reader.ReadCard(kDBCardTextBin, text);
            EXPECT_EQ(text, stored ? fresh : old);
        }
    }
}

TEST_F(CardStore, FailuresRaiseAndReportNothingStored) {
    file.FailWritesAfter(0);
    uint32_t dir = 0;
    EXPECT_THROW((void)cards.WriteCard(kCardCaption, dir, "lost"), EFileError);
    EXPECT_EQ(dir, 0u);

    MemoryBlockFile damaged(NewCardFile());
    cards.SetCardFile(&damaged);
    std::string text;
    EXPECT_THROW(cards.ReadCard(kCardCaption, 999, text), ENesterError);
    try {
        cards.ReadCard(kCardCaption, 2, text);  // a directory cut short by the end of file
        FAIL();
    } catch (const ENesterError& e) {
        EXPECT_STREQ(e.what(),
                     "Datastructure corrupted. Card retrieving error. Wrong directory address.");
    }
    // A directory inside the file header, however long the file.
    MemoryBlockFile header(NewCardFile() + std::string(100, '\0'));
    cards.SetCardFile(&header);
    try {
        cards.ReadCard(kCardCaption, 1, text);
        FAIL();
    } catch (const ENesterError& e) {
        EXPECT_STREQ(e.what(),
                     "Datastructure corrupted. Card retrieving error. Wrong directory address.");
    }
}

TEST_F(CardStore, ShortFileNeverGetsADirectoryAtAddressZero) {
    MemoryBlockFile empty;
    cards.SetCardFile(&empty);
    uint32_t dir = 0;
    ASSERT_TRUE(cards.WriteCard(kCardCaption, dir, "x"));
    EXPECT_EQ(dir, 4u);
    EXPECT_EQ(empty.Bytes().substr(0, 4), std::string(4, '\0'));
}

TEST_F(CardStore, DatastructureCardsOfANewFile) {
    TDBCards db;
    db.SetCardFile(&file);
    db.LoadDirAddress();
    EXPECT_EQ(db.DirAddress, 0u);
    for (uint8_t k = 2; k <= 6; ++k) {
        std::string text = "x";
        db.ReadCard(k, text);
        EXPECT_EQ(text, "");
    }
    EXPECT_EQ(file.Bytes().size(), 4u);

    // Launch-bin lines are stored as they stand, even under the program folder.
    const std::string bin = AppDir() +
                            "a.txt\x01"
                            "A";
    ASSERT_TRUE(db.WriteCard(kDBCardLaunchBin, bin));
    EXPECT_EQ(db.DirAddress, 4u);
    EXPECT_EQ(GetU32(file.Bytes().data()), 4u);
    ASSERT_TRUE(db.WriteCard(kDBCardTextBin, std::string("pw\x01text", 7)));
    EXPECT_EQ(GetU32(file.Bytes().data()), 4u);

    TDBCards again;
    again.SetCardFile(&file);
    again.LoadDirAddress();
    std::string text;
    again.ReadCard(kDBCardLaunchBin, text);
    EXPECT_EQ(text, bin);
    again.ReadCard(kDBCardTextBin, text);
    EXPECT_EQ(text, std::string("pw\x01text", 7));
}

// ---- relative link targets ----

namespace {
class RelativeLinks : public CardStore {
protected:
    std::string StoredCard(uint32_t dir, uint8_t kind) {
        TCardArray entries;
        ReadCardDirectory(&file, dir, entries);
        std::string raw;
        ReadCardOfKind(&file, entries, kind, raw);
        return raw;
    }
    const std::string h = home.Dir();
};
}  // namespace

TEST_F(RelativeLinks, TargetsUnderAppDirRoundTrip) {
    ASSERT_EQ(AppDir(), h);
    const std::string in = h +
                           "docs/a.txt\x01Title A\r\n"
                           "/elsewhere/b.txt\x01"
                           "B\n"
                           "no separator " +
                           h +
                           "c\r\n"
                           "\x01" +
                           h + "title only";
    uint32_t dir = 0;
    ASSERT_TRUE(cards.WriteCard(kCardLaunch, dir, in));
    EXPECT_EQ(StoredCard(dir, kCardLaunch),
              "||docs/a.txt\x01Title A\r\n"
              "/elsewhere/b.txt\x01"
              "B\r\n"
              "no separator " +
                  h +
                  "c\r\n"
                  "\x01" +
                  h + "title only\r\n");
    std::string back;
    cards.ReadCard(kCardLaunch, dir, back);
    EXPECT_EQ(back, h +
                        "docs/a.txt\x01Title A\r\n"
                        "/elsewhere/b.txt\x01"
                        "B\r\n"
                        "no separator " +
                        h +
                        "c\r\n"
                        "\x01" +
                        h + "title only\r\n");
}

TEST_F(RelativeLinks, WindowsWrittenTargetsResolveUnderAppDir) {
    uint32_t dir = 0;
    ASSERT_TRUE(cards.StoreCard(dir, kCardLaunch,
                                "||docs\\sub\\b.txt\x01"
                                "B\r\nC:\\Data\\x.doc\x01X\r\n"));
    std::string back;
    cards.ReadCard(kCardLaunch, dir, back);
    EXPECT_EQ(back, h + "docs/sub/b.txt\x01"
                        "B\r\nC:\\Data\\x.doc\x01X\r\n");
    // Written back untouched, both lines keep their bytes, "\\" after "||" included.
    ASSERT_TRUE(cards.WriteCard(kCardLaunch, dir, back));
    EXPECT_EQ(StoredCard(dir, kCardLaunch),
              "||docs\\sub\\b.txt\x01"
              "B\r\nC:\\Data\\x.doc\x01X\r\n");
}

TEST_F(RelativeLinks, AppendingKeepsEarlierTargetsRelative) {
    uint32_t dir = 0;
    ASSERT_TRUE(cards.WriteCard(kCardLaunch, dir, h + "one.txt\x01One\r\n"));
    ASSERT_TRUE(cards.AppendToCard(dir, kCardLaunch, h + "two.txt\x01Two\r\n"));
    EXPECT_EQ(StoredCard(dir, kCardLaunch), "||one.txt\x01One\r\n||two.txt\x01Two\r\n");
    // Other kinds are appended as they stand.
    ASSERT_TRUE(cards.WriteCard(kCardText, dir, "abc"));
    ASSERT_TRUE(cards.AppendToCard(dir, kCardText, h + "def"));
    EXPECT_EQ(StoredCard(dir, kCardText), "abc" + h + "def");
}

TEST(RelativePath, MakeRelative) {
    struct Case {
        const char* base;
        const char* path;
        const char* result;
    };
    const Case cases[] = {
        {"C:\\Tools\\", "c:\\tools\\docs\\a.txt", "||docs\\a.txt"},  // Windows folders ignore case
        {"/home/u/kiv/", "/home/u/kiv/docs/a.txt", "||docs/a.txt"},
        {"/home/u/kiv/", "/home/u/KIV/docs/a.txt",
         "/home/u/KIV/docs/a.txt"},  // another folder here
        {"/home/u/kiv/", "/home/u/kiv/", "||"},
        {"/home/u/kiv/", "/home/u/ki", "/home/u/ki"},  // base longer than the path
        {"", "/a/b", "/a/b"},
        {"kiv/", "kiv/a", "kiv/a"},  // base is not an absolute path
        {"\\\\server\\share\\", "\\\\server\\share\\a", "\\\\server\\share\\a"},
        {"/home/u/kiv/", "||a", "||a"},
    };
    for (const auto& c : cases) EXPECT_EQ(MakeRelativePath(c.base, c.path), c.result) << c.path;
}

TEST(RelativePath, Expand) {
    struct Case {
        const char* base;
        const char* path;
        const char* result;
    };
    const Case cases[] = {
        {"C:\\Tools\\", "||docs\\a.txt", "C:\\Tools\\docs\\a.txt"},
        {"/home/u/kiv/", "||docs/a.txt", "/home/u/kiv/docs/a.txt"},
        {"/home/u/kiv/", "||docs\\a.txt", "/home/u/kiv/docs/a.txt"},
        {"/home/u/kiv/", "||", "/home/u/kiv/"},
        {"/home/u/kiv/", "|", "|"},  // short paths come back unchanged
        {"/home/u/kiv/", "", ""},
        {"/home/u/kiv/", "x", "x"},
        {"/home/u/kiv/", "a||b", "a||b"},
    };
    for (const auto& c : cases) EXPECT_EQ(ExpandRelativePath(c.base, c.path), c.result) << c.path;
}

TEST(RelativePath, ConvertLinkPathsLineRules) {
    std::string out = "stale";
    ConvertLinkPaths(true, "/b/", "", out);
    EXPECT_EQ(out, "");
    ConvertLinkPaths(true, "/b/", "/b/x\x01t\r/b/y\x01\n\n/b/z", out);
    EXPECT_EQ(out, "||x\x01t\r\n||y\x01\r\n\r\n/b/z\r\n");
    ConvertLinkPaths(false, "/b/", out, out);  // in place
    EXPECT_EQ(out, "/b/x\x01t\r\n/b/y\x01\r\n\r\n/b/z\r\n");
}
