#pragma once
// The card file: everything a topic carries besides its place in the tree.
//   header     u32 address of the datastructure-level directory (0 = none yet)
//   directory  {u8 0, u8 0, u8 n = 5, n x {u8 kind, u32 first chunk}}
//   chunk      {u32 capacity, u32 used, u32 next, capacity bytes}
// A card's text is the used bytes of its chunks, stopping after the first chunk that is
// not full or has no next. Nothing is ever freed in place: what does not fit is appended.
// Stored text is bytes; nothing here decodes it.
//
// Allocate before overwrite: a store first appends every byte it needs beyond what the old
// chain holds (the new chunk, a new directory), and only then rewrites the old chunks in
// place, so a failure (a full disk, a size limit) leaves the old card byte for byte and the
// file as long as it was. A chain that cannot take the text in place (cut short by the end of
// the file, looping, sharing bytes) is written anew elsewhere and its directory entry is
// switched last.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/NesterError.h"
#include "platform/core/BlockFile.h"

namespace kiv {

// Card kinds of a topic.
constexpr uint8_t kCardCaption = 1;   // optional 6-byte prefix, then the caption
constexpr uint8_t kCardText = 2;      // rich text
constexpr uint8_t kCardGraphic = 3;   // image paths, one per line
constexpr uint8_t kCardLaunch = 4;    // link lines: target, 0x01, title
constexpr uint8_t kCardExternal = 5;  // path of the external datastructure

// Datastructure-level cards.
constexpr uint8_t kDBCardTextBin = 2;    // password, 0x01, text-bin text
constexpr uint8_t kDBCardRecycled = 3;   // RecycledBin
constexpr uint8_t kDBCardLostBin = 4;    // LostBin
constexpr uint8_t kDBCardLaunchBin = 5;  // link lines, stored unconverted
constexpr uint8_t kDBCardMarks = 6;      // Threads and QuickJumps

constexpr uint32_t kCardFileHeaderSize = 4;
constexpr uint8_t kCardDirEntries = 5;
constexpr uint32_t kCardDirEntrySize = 5;
constexpr uint32_t kCardDirSize = 3 + kCardDirEntries * kCardDirEntrySize;  // 28
constexpr uint32_t kChunkHeaderSize = 12;
constexpr uint32_t kChunkSlack = 50;
constexpr uint32_t kMinChunkCapacity = 200;
constexpr int kMaxCardChunks = 50000;

// One directory entry; kind 0 is a free entry, first chunk 0 an empty card.
struct TCardEntry {
    uint8_t Kind = 0;
    uint32_t FirstChunk = 0;
    bool operator==(const TCardEntry&) const = default;
};
using TCardArray = std::vector<TCardEntry>;

struct TChunkHeader {
    uint32_t Capacity = 0;
    uint32_t Used = 0;
    uint32_t Next = 0;
};

// A new card file: exactly 4 zero bytes.
void InitCardFile(BlockFile* f);

// ---- chunk and directory routines (card file handle first; a null handle reads nothing) ----

// Raises ENesterError when the 12 bytes are not all there.
void ReadChunkHeader(BlockFile* f, uint32_t chunk, TChunkHeader& header);
void WriteChunkHeader(BlockFile* f, uint32_t chunk, const TChunkHeader& header);
// The chain's text; empty when the handle or the address is 0. A damaged chain (used past
// capacity, a loop, more than 50000 chunks, data past the end of the file) raises.
void ReadCardChain(BlockFile* f, uint32_t first, std::string& text);
// One new chunk at the end of the file holding text[start..]; address is set only when
// there is something to write. Capacity is the rest + 50, at least 200; blanks pad it.
void AppendCardChunk(BlockFile* f, uint32_t& address, std::string_view text, size_t start = 0);
// Writes text[start..] over the chain, reusing it in place; what does not fit is appended
// before any chunk is rewritten. With first 0 the chain is made and first set; a chain that
// cannot be rewritten in place gets a new one, and first changes (the caller writes the
// directory entry).
void WriteCardChain(BlockFile* f, uint32_t& first, std::string_view text, size_t start = 0);
// The entries of the directory (their count from its third byte).
void ReadCardDirectory(BlockFile* f, uint32_t directory, TCardArray& entries);
// The first entry of that kind, its chain read; empty when no entry has that kind.
void ReadCardOfKind(BlockFile* f, const TCardArray& entries, uint8_t kind, std::string& text);
// Whether the card of that kind has any text: only its first chunk's header is read.
bool CardOfKindHasText(BlockFile* f, const TCardArray& entries, uint8_t kind);
void WriteDirEntry(BlockFile* f, uint32_t directory, const TCardEntry& entry, int index);
// Appends a directory of 5 free entries and returns its address.
uint32_t AppendCardDirectory(BlockFile* f);

// ---- caption prefix (card kind 1) ----

constexpr size_t kCaptionPrefixSize = 6;
constexpr char kCaptionPrefixMarker = 0x01;
constexpr uint8_t kFlagBold = 0x01;
constexpr uint8_t kFlagItalic = 0x02;
constexpr uint8_t kFlagUnderline = 0x04;
constexpr uint8_t kFlagStrikeOut = 0x08;
constexpr uint8_t kFontStyleMask = 0x0F;
constexpr uint8_t kFlagLocked = 0x40;
constexpr uint8_t kFlagClone = 0x80;
constexpr int32_t kDefaultFontColor = -1;

struct TCaptionCard {
    std::string Caption;                    // without the prefix
    int32_t FontColor = kDefaultFontColor;  // Windows colour; -1 default
    uint8_t Flags = 0;
    bool HasPrefix = false;
};

// A card of at least 6 bytes whose sixth byte is 0x01 carries the prefix.
bool HasCaptionPrefix(std::string_view card);
TCaptionCard SplitCaptionCard(std::string_view card);
// {u32 font colour, u8 flags, u8 0x01}
std::string MakeCaptionPrefix(int32_t fontColor, uint8_t flags);
// The caption without its prefix.
std::string StripCaptionPrefix(std::string_view card);

// ---- relative link targets ----

// "||" in a stored target stands for the program folder. The base is AppDir().
const std::string& RelativePathBase();
// "||" + the rest when the path begins with the base (an absolute folder, no longer than
// the path); otherwise the path unchanged. A POSIX base (a file name, UTF-8) is compared
// with the decoded path, case-sensitively, and the rest is stored through the codec, so a
// program folder with accented letters works with paths stored in Windows-1252 or UTF-8.
// A Windows drive base ("C:\...") compares bytes without regard to case.
std::string MakeRelativePath(std::string_view base, std::string_view path);
// A path of 2 or more characters beginning with "||" gets the base in its place; any other
// path is returned unchanged. Under a POSIX base the rest is decoded (the result is UTF-8,
// like the base), and "\" and "/" after "||" both separate and "/" is written.
std::string ExpandRelativePath(std::string_view base, std::string_view path);
// ExpandRelativePath, and where what follows "||" names nothing as written, the file it
// names without regard to letter case (a path written on Windows; ResolveStoredPath).
std::string ResolveRelativePath(std::string_view base, std::string_view path);
// Every link line (target, 0x01, title) with a non-empty target gets its target made
// relative or expanded; other lines stay. The result is the lines each followed by CR LF;
// an empty text stays empty.
void ConvertLinkPaths(bool toRelative, std::string_view text, std::string& out);
void ConvertLinkPaths(bool toRelative, std::string_view base, std::string_view text,
                      std::string& out);
// The launch card to store for text (targets expanded) over the card stored now: the lines
// of text that are the expansion of a stored line are that stored line byte for byte (its
// "\" separators, its encoding, even an absolute target under the base); the others are
// made relative. When text is the expansion of the whole stored card, the result is the
// stored card itself.
std::string RelinkLaunchCard(std::string_view base, std::string_view text, std::string_view stored);

// ---- card stores ----

// Cards of topics, addressed by card directory. Holds nothing between calls but the handle:
// the directory is read again for every read and write.
class TCards {
public:
    TCards() = default;
    virtual ~TCards() = default;
    TCards(const TCards&) = delete;
    TCards& operator=(const TCards&) = delete;

    BlockFile* CardFile() const { return file_; }
    void SetCardFile(BlockFile* f) { file_ = f; }

    // Empty when the directory is 0; launch cards come with their targets expanded.
    void ReadCard(uint8_t kind, uint32_t directory, std::string& text);
    // The card's bytes as stored, for every kind.
    void ReadStoredCard(uint8_t kind, uint32_t directory, std::string& text);
    // Launch cards have their targets made relative first, keeping the lines the text did not
    // change as they are stored (RelinkLaunchCard); an unchanged card is not rewritten. A
    // directory is made when it is 0 (its address returned through directory). False when
    // nothing was stored (no entry left for a new kind, or kind 0).
    [[nodiscard]] bool WriteCard(uint8_t kind, uint32_t& directory, std::string_view text);
    // Stores the text as it stands.
    [[nodiscard]] bool StoreCard(uint32_t& directory, uint8_t kind, std::string_view text);
    // Card kind 1 without its prefix.
    void ReadCaption(uint32_t directory, std::string& text);
    // Reads, appends and writes back with the conversion of WriteCard, so a launch card's
    // older targets keep their relative form.
    [[nodiscard]] bool AppendToCard(uint32_t& directory, uint8_t kind, std::string_view text);
    // Whether the card is not empty, from its first chunk's header alone.
    bool HasCard(uint32_t directory, uint8_t kind);

protected:
    BlockFile* file_ = nullptr;
    TCardArray cards_;  // the directory of the last call
};

// The five cards of the datastructure itself, under the directory named at offset 0 of the
// card file. Stored and read as they stand (no link conversion).
class TDBCards : public TCards {
public:
    uint32_t DirAddress = 0;  // set from offset 0 of the card file when a datastructure opens

    // Reads DirAddress from the card file's header (0 when the file is shorter).
    void LoadDirAddress();
    void ReadCard(uint8_t kind, std::string& text);
    // When no directory existed, the new one's address is written at offset 0.
    [[nodiscard]] bool WriteCard(uint8_t kind, std::string_view text);
};

}  // namespace kiv
