#include "engine/core/Cards.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "platform/core/AppPaths.h"
#include "platform/core/KivAssert.h"
#include "platform/core/KivError.h"
#include "platform/core/KivStrings.h"
#include "platform/core/LegacyText.h"
#include "platform/core/StoredPath.h"

namespace kiv {

namespace {

const char* const kMsgCurBytes =
    "Datastructure corrupted. Card retrieving error. CurBytes>MaxBytes.";
const char* const kMsgWatchDog = "WatchDog. Can't get Card Data";
const char* const kMsgChunkAddress =
    "Datastructure corrupted. Card retrieving error. Wrong chunk address.";
const char* const kMsgDirAddress =
    "Datastructure corrupted. Card retrieving error. Wrong directory address.";
const char* const kMsgFull = "Datastructure is full, the card file can't grow past 4 GB";

// The offset where bytes may be appended. Addresses are u32 and 0..3 is the header, so the
// header is completed first and nothing may land past 4 GB.
uint32_t AppendOffset(BlockFile* f, uint64_t bytes) {
    uint64_t end = f->Size();
    if (end < kCardFileHeaderSize) {
        static const char zeros[kCardFileHeaderSize] = {};
        f->WriteAt(end, zeros, kCardFileHeaderSize - end);
        end = kCardFileHeaderSize;
    }
    if (end + bytes > 0xFFFFFFFFull) throw ENesterError(kMsgFull);
    return uint32_t(end);
}

// Guards a chain walk against loops and runaway length. Most chains are one chunk, so the
// set of visited chunks is made only for the second.
class ChainGuard {
public:
    void Visit(uint32_t chunk) {
        if (count_++ == 0) {
            first_ = chunk;
            return;
        }
        if (count_ > kMaxCardChunks) throw ENesterError(kMsgWatchDog);
        if (seen_.empty()) seen_.insert(first_);
        if (!seen_.insert(chunk).second) throw ENesterError(kMsgWatchDog);
    }

private:
    int count_ = 0;
    uint32_t first_ = 0;
    std::unordered_set<uint32_t> seen_;
};

// A caption's chunk comes in one read together with its header.
constexpr size_t kChunkProbe = 512;

}  // namespace

void InitCardFile(BlockFile* f) { f->WriteAll(std::string(kCardFileHeaderSize, '\0')); }

// ---- chunks ----

void ReadChunkHeader(BlockFile* f, uint32_t chunk, TChunkHeader& header) {
    unsigned char b[kChunkHeaderSize];
    if (chunk < kCardFileHeaderSize || !f->ReadExact(chunk, b, sizeof b))
        throw ENesterError(kMsgChunkAddress);
    header.Capacity = GetU32(b);
    header.Used = GetU32(b + 4);
    header.Next = GetU32(b + 8);
}

void WriteChunkHeader(BlockFile* f, uint32_t chunk, const TChunkHeader& header) {
    KIV_ASSERT(chunk >= kCardFileHeaderSize);
    KIV_ASSERT(header.Used <= header.Capacity);
    unsigned char b[kChunkHeaderSize];
    PutU32(b, header.Capacity);
    PutU32(b + 4, header.Used);
    PutU32(b + 8, header.Next);
    f->WriteAt(chunk, b, sizeof b);
}

void ReadCardChain(BlockFile* f, uint32_t first, std::string& text) {
    text.clear();
    if (!f || first == 0) return;
    // A sound chain's chunks are disjoint parts of the file, so its text is never longer
    // than the file: this bounds what a damaged chain can make us allocate. The file's size
    // is asked for only when what was read so far does not already show it is large enough.
    uint64_t known = 0;  // the file reaches at least this far
    auto require = [&](uint64_t end) {
        if (end <= known) return;
        known = std::max(known, f->Size());
        if (end > known) throw ENesterError(kMsgChunkAddress);
    };
    std::string out;
    ChainGuard guard;
    unsigned char probe[kChunkProbe];
    uint32_t cur = first;
    for (;;) {
        guard.Visit(cur);
        // Nothing lives in the file header: a chunk there is a wrong address.
        if (cur < kCardFileHeaderSize) throw ENesterError(kMsgChunkAddress);
        const size_t got = f->ReadAt(cur, probe, sizeof probe);
        if (got < kChunkHeaderSize) throw ENesterError(kMsgChunkAddress);
        known = std::max<uint64_t>(known, uint64_t(cur) + got);
        const TChunkHeader h{GetU32(probe), GetU32(probe + 4), GetU32(probe + 8)};
        if (h.Used > h.Capacity) throw ENesterError(kMsgCurBytes);
        if (h.Used > 0) {
            const size_t inProbe = std::min<size_t>(h.Used, got - kChunkHeaderSize);
            require(uint64_t(cur) + kChunkHeaderSize + h.Used);
            require(out.size() + h.Used);
            const size_t old = out.size();
            out.resize(old + h.Used);
            std::memcpy(out.data() + old, probe + kChunkHeaderSize, inProbe);
            if (inProbe < h.Used &&
                !f->ReadExact(uint64_t(cur) + got, out.data() + old + inProbe, h.Used - inProbe))
                throw ENesterError(kMsgChunkAddress);
        }
        if (h.Used < h.Capacity || h.Next == 0) break;
        cur = h.Next;
    }
    KIV_ASSERT(out.size() <= known);  // disjoint chunks of the file
    text = std::move(out);
}

void AppendCardChunk(BlockFile* f, uint32_t& address, std::string_view text, size_t start) {
    if (start >= text.size()) return;
    AppendRollback rollback(f);
    const uint64_t rest = text.size() - start;
    const uint64_t capacity = std::max<uint64_t>(rest + kChunkSlack, kMinChunkCapacity);
    const uint32_t at = AppendOffset(f, kChunkHeaderSize + capacity);
    std::string buf(kChunkHeaderSize + capacity, ' ');
    PutU32(buf.data(), uint32_t(capacity));
    PutU32(buf.data() + 4, uint32_t(rest));
    PutU32(buf.data() + 8, 0);
    std::memcpy(buf.data() + kChunkHeaderSize, text.data() + start, rest);
    f->WriteAt(at, buf.data(), buf.size());
    address = at;
}

namespace {

// One chunk of the chain being rewritten and the part of the text it takes.
struct ChunkPart {
    uint32_t at;
    TChunkHeader header;  // as stored; Used and Next are set from the plan
    size_t from;
    uint32_t count;
};

// Which chunk takes which bytes, read before anything is written. False when the chain cannot
// be rewritten in place without growing the file under other data: a chunk reaching past the
// end of the file, or chunks sharing bytes. rest is what the chain could not hold.
bool PlanChain(BlockFile* f, uint32_t first, std::string_view text, size_t pos,
               std::vector<ChunkPart>& parts, size_t& rest) {
    const uint64_t fileSize = f->Size();
    uint64_t remaining = text.size() - pos;
    ChainGuard guard;
    uint32_t cur = first;
    for (;;) {
        try {
            guard.Visit(cur);
        } catch (const ENesterError&) {
            return false;  // a loop: the text goes to a new chain
        }
        TChunkHeader h;
        try {
            ReadChunkHeader(f, cur, h);
        } catch (const ENesterError&) {
            return false;  // a chunk that cannot be read: the text goes to a new chain
        }
        if (uint64_t(cur) + kChunkHeaderSize + h.Capacity > fileSize) return false;
        const uint32_t k = uint32_t(std::min<uint64_t>(remaining, h.Capacity));
        parts.push_back({cur, h, pos, k});
        pos += k;
        remaining -= k;
        // Go on while text remains; after the text ends one more chunk gets used 0, so that
        // a reader stops there.
        if (h.Next == 0 || (remaining == 0 && k == 0)) break;
        cur = h.Next;
    }
    rest = size_t(remaining);
    std::vector<std::pair<uint64_t, uint64_t>> spans;
    for (const ChunkPart& p : parts)
        spans.emplace_back(p.at, uint64_t(p.at) + kChunkHeaderSize + p.header.Capacity);
    std::sort(spans.begin(), spans.end());
    for (size_t i = 1; i < spans.size(); ++i)
        if (spans[i].first < spans[i - 1].second) return false;
    return true;
}

}  // namespace

namespace {

void WriteChunkPart(BlockFile* f, const ChunkPart& p, std::string_view text, std::string& buf) {
    // Header and data are adjacent: one write per chunk.
    buf.resize(kChunkHeaderSize + p.count);
    PutU32(buf.data(), p.header.Capacity);
    PutU32(buf.data() + 4, p.header.Used);
    PutU32(buf.data() + 8, p.header.Next);
    if (p.count) std::memcpy(buf.data() + kChunkHeaderSize, text.data() + p.from, p.count);
    f->WriteAt(p.at, buf.data(), buf.size());
}

// The plan's chunks as they will be written: Used from the plan, the last one needed linked
// to the tail. needed is how many chunks a reader of the new text passes through; the one
// after them only tidies (a reader stops before it).
size_t SettlePlan(std::vector<ChunkPart>& parts, uint32_t tail) {
    size_t needed = parts.size();
    for (size_t i = parts.size(); i-- > 0;) {
        parts[i].header.Used = parts[i].count;
        if (parts[i].count < parts[i].header.Capacity) needed = i + 1;
    }
    if (tail != 0) parts[parts.size() - 1].header.Next = tail;
    return needed;
}

// How many chunks of the old text (as stored) a reader passes through.
size_t LiveChunks(const std::vector<ChunkPart>& parts, const std::vector<TChunkHeader>& old) {
    for (size_t i = 0; i < parts.size(); ++i)
        if (old[i].Used < old[i].Capacity || old[i].Next == 0) return i + 1;
    return parts.size();
}

}  // namespace

void WriteCardChain(BlockFile* f, uint32_t& first, std::string_view text, size_t start) {
    const size_t pos = std::min(start, text.size());
    if (first == 0) {
        AppendCardChunk(f, first, text, pos);
        return;
    }
    std::vector<ChunkPart> parts;
    size_t rest = 0;
    const bool placeable = PlanChain(f, first, text, pos, parts, rest);
    std::vector<TChunkHeader> old;
    for (const ChunkPart& p : parts) old.push_back(p.header);
    std::string buf;
    // In place only when one write of a chunk the old text runs through switches the card:
    // every other chunk written is one no reader of the old text reaches. Then a failure of
    // any write leaves the old text or the new one.
    if (placeable) {
        const size_t live = LiveChunks(parts, old);
        size_t needed = SettlePlan(parts, 0);
        if (std::min(needed, live) <= 1) {
            // What the chain cannot hold is appended before any chunk is rewritten.
            if (rest > 0) {
                uint32_t tail = 0;
                AppendCardChunk(f, tail, text, text.size() - rest);
                needed = SettlePlan(parts, tail);
            }
            for (size_t i = live; i < needed; ++i) WriteChunkPart(f, parts[i], text, buf);
            WriteChunkPart(f, parts[0], text, buf);  // the switch
            // Past the new text's end: tidied, read by no one, so a failure there loses nothing.
            for (size_t i = needed; i < parts.size(); ++i) {
                try {
                    WriteChunkPart(f, parts[i], text, buf);
                } catch (const EFileError&) {
                }
            }
            return;
        }
    }
    // The new text goes to a new chain, switched to by the caller through the directory
    // entry (one small write), so the old card stays whole until then.
    uint32_t fresh = 0;
    try {
        AppendCardChunk(f, fresh, text, pos);
    } catch (const EFileError& e) {
        // No room for a new chain: the old chain takes the text where it stands (writes inside
        // the file still go through on a full disk); what it cannot hold must still be appended.
        if (!placeable || !e.NoRoom()) throw;
        uint32_t tail = 0;
        if (rest > 0) AppendCardChunk(f, tail, text, text.size() - rest);
        SettlePlan(parts, tail);
        for (const ChunkPart& p : parts) WriteChunkPart(f, p, text, buf);
        return;
    }
    first = fresh;
}

// ---- directories ----

void ReadCardDirectory(BlockFile* f, uint32_t directory, TCardArray& entries) {
    entries.clear();
    if (!f || directory == 0) return;
    if (directory < kCardFileHeaderSize) throw ENesterError(kMsgDirAddress);
    // Directories are written with 5 entries: one read takes them all.
    unsigned char buf[kCardDirSize];
    const size_t got = f->ReadAt(directory, buf, sizeof buf);
    if (got < 3) throw ENesterError(kMsgDirAddress);
    const size_t n = buf[2];
    std::string raw(n * kCardDirEntrySize, '\0');
    const size_t have = std::min(raw.size(), got - 3);
    std::memcpy(raw.data(), buf + 3, have);
    if (have < raw.size() &&
        !f->ReadExact(uint64_t(directory) + 3 + have, raw.data() + have, raw.size() - have))
        throw ENesterError(kMsgDirAddress);
    entries.resize(n);
    for (size_t i = 0; i < n; ++i) {
        entries[i].Kind = uint8_t(raw[i * kCardDirEntrySize]);
        entries[i].FirstChunk = GetU32(raw.data() + i * kCardDirEntrySize + 1);
    }
}

static const TCardEntry* FindKind(const TCardArray& entries, uint8_t kind) {
    for (const auto& e : entries)
        if (e.Kind == kind) return &e;
    return nullptr;
}

void ReadCardOfKind(BlockFile* f, const TCardArray& entries, uint8_t kind, std::string& text) {
    text.clear();
    if (const TCardEntry* e = FindKind(entries, kind)) ReadCardChain(f, e->FirstChunk, text);
}

bool CardOfKindHasText(BlockFile* f, const TCardArray& entries, uint8_t kind) {
    const TCardEntry* e = FindKind(entries, kind);
    if (!f || !e || e->FirstChunk == 0) return false;
    TChunkHeader h;
    ReadChunkHeader(f, e->FirstChunk, h);
    return h.Used > 0;
}

void WriteDirEntry(BlockFile* f, uint32_t directory, const TCardEntry& entry, int index) {
    KIV_ASSERT(directory >= kCardFileHeaderSize);
    KIV_ASSERT(index >= 0 && index < 0xFF);  // the count is one byte
    KIV_ASSERT(entry.FirstChunk == 0 || entry.FirstChunk >= kCardFileHeaderSize);
    unsigned char b[kCardDirEntrySize];
    b[0] = entry.Kind;
    PutU32(b + 1, entry.FirstChunk);
    f->WriteAt(uint64_t(directory) + 3 + uint64_t(index) * kCardDirEntrySize, b, sizeof b);
}

uint32_t AppendCardDirectory(BlockFile* f) {
    AppendRollback rollback(f);
    const uint32_t at = AppendOffset(f, kCardDirSize);
    std::string d(kCardDirSize, '\0');
    d[2] = char(kCardDirEntries);
    f->WriteAt(at, d.data(), d.size());
    return at;
}

// ---- caption prefix ----

bool HasCaptionPrefix(std::string_view card) {
    return card.size() >= kCaptionPrefixSize && card[5] == kCaptionPrefixMarker;
}

TCaptionCard SplitCaptionCard(std::string_view card) {
    TCaptionCard c;
    if (HasCaptionPrefix(card)) {
        c.HasPrefix = true;
        c.FontColor = int32_t(GetU32(card.data()));
        c.Flags = uint8_t(card[4]);
        c.Caption = std::string(card.substr(kCaptionPrefixSize));
    } else {
        c.Caption = std::string(card);
    }
    return c;
}

std::string MakeCaptionPrefix(int32_t fontColor, uint8_t flags) {
    std::string p(kCaptionPrefixSize, '\0');
    PutU32(p.data(), uint32_t(fontColor));
    p[4] = char(flags);
    p[5] = kCaptionPrefixMarker;
    return p;
}

std::string StripCaptionPrefix(std::string_view card) {
    return std::string(HasCaptionPrefix(card) ? card.substr(kCaptionPrefixSize) : card);
}

// ---- relative link targets ----

const std::string& RelativePathBase() { return AppDir(); }

std::string MakeRelativePath(std::string_view base, std::string_view path) {
    const bool drive = IsDrivePath(base);
    if (base.empty() || (!drive && base[0] != '/') || base.size() > path.size())
        return std::string(path);
    if (drive) {
        // Windows folders ignore case; ours do not, and folding would name another file.
        if (!SameText(path.substr(0, base.size()), base)) return std::string(path);
        return "||" + std::string(path.substr(base.size()));
    }
    // The base is a file name (UTF-8); the path may be stored in Windows-1252.
    const std::string text = LegacyText::Decode(path);
    const std::string folder = LegacyText::Decode(base);
    if (text.size() < folder.size() || text.compare(0, folder.size(), folder) != 0)
        return std::string(path);
    return "||" + LegacyText::Encode(std::string_view(text).substr(folder.size()));
}

std::string ExpandRelativePath(std::string_view base, std::string_view path) {
    if (path.size() < 2 || path[0] != '|' || path[1] != '|') return std::string(path);
    if (IsDrivePath(base)) return std::string(base) + std::string(path.substr(2));
    return StoredPathText(path, base);
}

std::string ResolveRelativePath(std::string_view base, std::string_view path) {
    if (path.size() < 2 || path[0] != '|' || path[1] != '|' || IsDrivePath(base))
        return ExpandRelativePath(base, path);
    return ResolveStoredPath(path, base);
}

namespace {

// The line with its target converted; lines without a target come back as they are.
std::string ConvertLinkLine(bool toRelative, std::string_view base, const std::string& line) {
    const size_t p = line.find('\x01');
    if (p == std::string::npos || p == 0) return line;
    const std::string_view target(line.data(), p);
    return (toRelative ? MakeRelativePath(base, target) : ExpandRelativePath(base, target)) +
           line.substr(p);
}

}  // namespace

void ConvertLinkPaths(bool toRelative, std::string_view base, std::string_view text,
                      std::string& out) {
    if (text.empty()) {
        out.clear();
        return;
    }
    std::vector<std::string> lines = SplitLines(text);
    for (auto& line : lines) line = ConvertLinkLine(toRelative, base, line);
    out = JoinLines(lines);
}

std::string RelinkLaunchCard(std::string_view base, std::string_view text,
                             std::string_view stored) {
    if (text.empty()) return {};
    const std::vector<std::string> storedLines = SplitLines(stored);
    std::vector<std::string> expanded;
    expanded.reserve(storedLines.size());
    for (const std::string& line : storedLines)
        expanded.push_back(ConvertLinkLine(false, base, line));
    if (JoinLines(expanded) == text) return std::string(stored);
    // Where a line's target ends (its 0x01), npos for a line without a target.
    auto targetEnd = [](const std::string& line) {
        const size_t p = line.find('\x01');
        return p == 0 ? std::string::npos : p;
    };
    std::vector<bool> used(storedLines.size(), false);
    std::vector<std::string> lines = SplitLines(text);
    for (std::string& line : lines) {
        size_t i = 0;
        while (i < expanded.size() && (used[i] || expanded[i] != line)) ++i;
        if (i < expanded.size()) {
            used[i] = true;
            line = storedLines[i];
            continue;
        }
        // A new title on a stored target keeps the target's bytes.
        const size_t p = targetEnd(line);
        size_t j = 0;
        if (p != std::string::npos)
            while (j < expanded.size() &&
                   (targetEnd(expanded[j]) != p || expanded[j].compare(0, p, line, 0, p) != 0))
                ++j;
        if (p != std::string::npos && j < expanded.size())
            line = storedLines[j].substr(0, targetEnd(storedLines[j])) + line.substr(p);
        else line = ConvertLinkLine(true, base, line);
    }
    return JoinLines(lines);
}

void ConvertLinkPaths(bool toRelative, std::string_view text, std::string& out) {
    // The program folder is asked for only when there is a target to convert.
    const bool targets = text.find('\x01') != std::string_view::npos;
    ConvertLinkPaths(toRelative,
                     targets ? std::string_view(RelativePathBase()) : std::string_view(), text,
                     out);
}

// ---- TCards ----

void TCards::ReadStoredCard(uint8_t kind, uint32_t directory, std::string& text) {
    text.clear();
    if (!file_ || directory == 0) return;
    ReadCardDirectory(file_, directory, cards_);
    ReadCardOfKind(file_, cards_, kind, text);
}

void TCards::ReadCard(uint8_t kind, uint32_t directory, std::string& text) {
    if (kind != kCardLaunch) return ReadStoredCard(kind, directory, text);
    std::string raw;
    ReadStoredCard(kind, directory, raw);
    ConvertLinkPaths(false, raw, text);
}

bool TCards::WriteCard(uint8_t kind, uint32_t& directory, std::string_view text) {
    if (kind != kCardLaunch) return StoreCard(directory, kind, text);
    std::string stored;
    ReadStoredCard(kind, directory, stored);
    // The program folder is asked for only when there is a target to convert.
    const bool targets = text.find('\x01') != std::string_view::npos;
    const std::string card =
        RelinkLaunchCard(targets ? std::string_view(RelativePathBase()) : std::string_view(), text,
                         stored);
    if (directory != 0 && card == stored) return true;
    return StoreCard(directory, kind, card);
}

bool TCards::StoreCard(uint32_t& directory, uint8_t kind, std::string_view text) {
    if (!file_ || kind == 0) return false;
    // A store that fails takes back the directory and chunks it appended.
    AppendRollback rollback(file_);
    if (directory == 0) {
        const uint32_t dir = AppendCardDirectory(file_);
        TCardEntry e{kind, 0};
        WriteCardChain(file_, e.FirstChunk, text);
        WriteDirEntry(file_, dir, e, 0);
        cards_.assign(kCardDirEntries, TCardEntry{});
        cards_[0] = e;
        directory = dir;
        return true;
    }
    ReadCardDirectory(file_, directory, cards_);
    for (size_t i = 0; i < cards_.size(); ++i) {
        TCardEntry& e = cards_[i];
        if (e.Kind != kind && e.Kind != 0) continue;
        if (e.Kind == kind && e.FirstChunk != 0) {
            // Reused in place, the entry stays; a chain written elsewhere is switched to last.
            const uint32_t old = e.FirstChunk;
            WriteCardChain(file_, e.FirstChunk, text);
            if (e.FirstChunk != old) WriteDirEntry(file_, directory, e, int(i));
            return true;
        }
        e.Kind = kind;
        WriteCardChain(file_, e.FirstChunk, text);
        WriteDirEntry(file_, directory, e, int(i));
        return true;
    }
    return false;  // every entry holds another kind
}

void TCards::ReadCaption(uint32_t directory, std::string& text) {
    std::string card;
    ReadCard(kCardCaption, directory, card);
    text = StripCaptionPrefix(card);
}

bool TCards::AppendToCard(uint32_t& directory, uint8_t kind, std::string_view text) {
    std::string card;
    ReadCard(kind, directory, card);
    card.append(text);
    return WriteCard(kind, directory, card);
}

bool TCards::HasCard(uint32_t directory, uint8_t kind) {
    if (!file_ || directory == 0) return false;
    ReadCardDirectory(file_, directory, cards_);
    return CardOfKindHasText(file_, cards_, kind);
}

// ---- TDBCards ----

void TDBCards::LoadDirAddress() {
    uint32_t v = 0;
    DirAddress = (file_ && file_->ReadU32(0, v)) ? v : 0;
}

void TDBCards::ReadCard(uint8_t kind, std::string& text) {
    text.clear();
    if (!file_ || DirAddress == 0) return;
    ReadCardDirectory(file_, DirAddress, cards_);
    ReadCardOfKind(file_, cards_, kind, text);
}

bool TDBCards::WriteCard(uint8_t kind, std::string_view text) {
    AppendRollback rollback(file_);
    uint32_t dir = DirAddress;
    const bool stored = StoreCard(dir, kind, text);
    if (DirAddress == 0 && dir != 0) {
        file_->WriteU32(0, dir);
        DirAddress = dir;
    }
    return stored;
}

}  // namespace kiv
