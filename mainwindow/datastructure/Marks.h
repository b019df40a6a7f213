#pragma once
// The Threads and QuickJumps of a datastructure as one blob (datastructure-level card 6):
// the string form of the Threads, the 16-byte list separator, the string form of the
// QuickJumps. The separator differs from the record closing each trail in bytes 4 to 7.
#include <functional>
#include <string>
#include <string_view>

#include "engine/core/Navigation.h"

namespace kiv {

extern const std::string_view kMarksListSeparator;

std::string SerializeMarks(const TQuickJump& threads, const TQuickJump& quickJumps);

// Splits the blob at the first whole 16-byte block equal to the list separator and loads
// both parts; a blob without one (or empty) changes nothing, and an empty part leaves its
// list as it is. Every loaded trail that validate refuses is deleted.
void DeserializeMarks(std::string_view blob, TQuickJump& threads, TQuickJump& quickJumps,
                      const std::function<bool(TNavigator& trail)>& validate);

}  // namespace kiv
