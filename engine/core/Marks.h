#pragma once
// The Threads and QuickJumps of a datastructure as one blob (datastructure-level card 6):
// the string form of the Threads, the 16-byte list separator, the string form of the
// QuickJumps. The separator differs from the record closing each trail in bytes 4 to 7.
// The window and the kivtree tool both read the blob through DeserializeMarks.
#include <functional>
#include <string>
#include <string_view>

#include "engine/core/Navigation.h"
#include "platform/core/BlockFile.h"

namespace kiv {

extern const std::string_view kMarksListSeparator;

std::string SerializeMarks(const TQuickJump& threads, const TQuickJump& quickJumps);

// What DeserializeMarks did: whether the blob had a list separator, and how many loaded
// trails validate refused (and were deleted) in each list.
struct TMarksRead {
    bool Split = false;
    int ThreadsDropped = 0;
    int QuickJumpsDropped = 0;
};

// Splits the blob at the first whole 16-byte block equal to the list separator and loads
// both parts, whole 16-byte records only; a blob without one (or empty) changes nothing,
// and an empty part leaves its list as it is. Every loaded trail that validate refuses is
// deleted; validate may be empty (nothing refused).
TMarksRead DeserializeMarks(std::string_view blob, TQuickJump& threads, TQuickJump& quickJumps,
                            const std::function<bool(TNavigator& trail)>& validate);

// A trail as its captions from the top down, UTF-8, joined by " / ".
std::string TrailCaptions(const TNavigator& trail);

// The marks of an open pair, as the window reads them at the first open of a run: a
// "Threads" line and a "QuickJumps" line, each followed by "  i. trail" per mark, and a
// "  dropped: n" line for the marks whose topics are gone.
std::string DumpMarks(BlockFile* nestFile, BlockFile* cardFile);

}  // namespace kiv
