#pragma once
// A datastructure on disk.
//   closed  one ".kiv" file: [card file, C bytes][outline file, K bytes][u32 K][u32 T = C+K+8]
//   open    the pair: the outline file "x.kiv" and the card file "x.dsc"
// Every change of form goes through a temporary file in the same folder, fsync and rename, in
// an order that leaves, at every moment, a state RecoverDatastructure turns back into the
// whole datastructure. Every file operation is checked: a failure raises EFileError with the
// path and the system's reason, and the files stay as they were (or in a recoverable state,
// said where it happens). Files are held with the advisory write lock while they are worked
// on, so a pair that another program holds open is refused, not joined under its feet.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/core/BlockFile.h"

namespace kiv {

// The twins of a ".kiv" path: the extension replaced by ".dsc" and ".bak".
std::string CardFileName(const std::string& path);
std::string BackupFileName(const std::string& path);

constexpr uint32_t kJoinedTrailerSize = 8;
// The smallest joined file: a 4-byte card part, an 8-byte outline part and the trailer.
constexpr uint32_t kMinJoinedSize = 4 + 8 + kJoinedTrailerSize;

struct TJoinedTrailer {
    uint64_t CardSize = 0;     // C
    uint32_t OutlineSize = 0;  // K
    uint32_t TotalSize = 0;    // T
};
// True when the file is in joined form: its last u32 equals its size, and the u32 before
// it (K) lies in 8 .. size - 12, which leaves a card part of at least 4 bytes.
bool ReadJoinedTrailer(BlockFile& f, TJoinedTrailer& trailer);

// Joins the open pair into the one ".kiv" file: the joined file is written to a temporary
// file beside it, synced and renamed over the ".kiv" name, and then the ".dsc" is removed.
// Nothing happens when the pair is not there. A pair that could not be split again (an
// outline under 8 bytes, a card file under 4, more than 4 GB in all) raises and is kept.
void PackDatastructure(const std::string& path);

// Splits a joined ".kiv" file into the pair. Nothing happens when the ".dsc" is there
// already or there is no ".kiv". The trailer is checked before anything is touched: a file
// not in joined form is left exactly as it is and raises EKivError ("... is not a KIV
// datastructure ..."). The outline part goes to a synced temporary file first; then the
// joined file is renamed to the ".dsc" name, the temporary file to the ".kiv" name, and the
// ".dsc" is cut to its card part.
void UnpackDatastructure(const std::string& path);

// Joins the pair when it is open, then copies the joined file over the ".bak" twin by
// temporary file and rename. Only a file that passes the trailer check is copied, so a
// damaged file never replaces a good backup; it raises EKivError instead.
void BackupDatastructure(const std::string& path);

// Turns whatever an interrupted pack or unpack left (by this program or by the old one,
// which joined in place) back into a closed or an open datastructure, and removes our own
// temporary files left beside it:
//   joined ".kiv" + a ".dsc" it already holds            -> the ".dsc" is removed
//   outline ".kiv" + joined ".dsc" holding that outline  -> the ".dsc" is cut to its cards
//   outline cut short + joined ".dsc"                   -> the outline is written again
//   lone joined ".dsc"                                  -> renamed to the ".kiv" name
//   lone ".dsc" of card part + outline + K              -> the join is finished
// A lone ".dsc" that holds no outline raises EKivError and is kept (never paired with an
// empty outline); so is a joined ".kiv" beside a ".dsc" that is not its own. Pack, unpack,
// backup and OpenDatastructurePair call this first.
void RecoverDatastructure(const std::string& path);

// The open pair, each file held with the advisory write lock ("deny write to others"). The
// owner closes them (by dropping the pair) before the datastructure is joined again.
struct TDatastructurePair {
    std::unique_ptr<PosixBlockFile> Outline;
    std::unique_ptr<PosixBlockFile> Cards;
};
// Recovers and splits the datastructure and opens the pair. With createWhenMissing, a
// datastructure of which neither file exists is created (an empty joined file, made in one
// rename, then split: a new outline is 8 zero bytes, a new card file 4). Without it, a
// missing datastructure raises EFileError.
TDatastructurePair OpenDatastructurePair(const std::string& path, bool createWhenMissing);
// Why the open would refuse path, found without changing a file: a lone ".kiv" that is no
// joined datastructure, or a lone ".dsc" from which no outline can be recovered. Empty when
// it would not (a pair, a sound joined file, or nothing there at all).
std::string WhyNotADatastructure(const std::string& path);

// Caption form of a path: at most 40 characters as measured (each part counted with a
// two-character separator), inner folders replaced by "...".
std::string ShortenPath(const std::string& path);

// ---- the recent-files list (section "LastOpened" of "kiv.ini") ----

using TIniSection = std::vector<std::pair<std::string, std::string>>;
constexpr int kLastOpenedCount = 4;

struct TLastOpened {
    TIniSection Section;               // the section's new content: "1".."n", as stored
    std::vector<std::string> Entries;  // always 4 absolute paths, "" where there is none
};
// The list after opening path: path first, then the section's entries in order without a
// second one of a file, four at most. An entry keeps the form it was stored in (path too,
// when it was listed); a new path is made relative to the program folder. Entries whose
// files are missing stay (a drive may not be mounted yet); folders and empty ones go.
TLastOpened UpdateLastOpened(const TIniSection& section, const std::string& path);
// Caption of recent entry n (1..4): "n " followed by the shortened path.
std::string LastOpenedCaption(int n, const std::string& entry);

// ---- fault injection ----

// Called before every step that changes a file, with the step's name ("pack:rename", ...).
// Tests make it throw (a failing step) or _exit (a crash before the step).
using TFileStepHook = std::function<void(std::string_view step)>;
void SetFileStepHook(TFileStepHook hook);
// Runs the hook for a step of an operation built on these (packing by copy, saving branches).
void FileStep(std::string_view step);

}  // namespace kiv
