#pragma once
// Trees written as text, for fixtures and the kivtree tool:
//   alpha(beta "gamma delta") epsilon(zeta(eta))
// Captions are separated by blanks; a topic's children follow it in parentheses; a caption
// with blanks, parentheses or nothing at all is written in double quotes. The text is UTF-8;
// captions are stored through the codec and dumped back as UTF-8.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/NesterError.h"
#include "platform/core/BlockFile.h"

namespace kiv {

struct TTreeTopic {
    std::string Caption;  // UTF-8
    std::vector<TTreeTopic> Children;
    bool operator==(const TTreeTopic&) const = default;
};
using TTreeTopics = std::vector<TTreeTopic>;

// A tree text that does not parse; the message names what and where (1-based column).
class ETreeTextError : public EKivError {
public:
    using EKivError::EKivError;
};

TTreeTopics ParseTreeText(std::string_view text);

// Appends the topics to the top level of an open pair, through the nest routines, the card
// store and the outline model's caption setting.
void InsertTreeTopics(BlockFile* nestFile, BlockFile* cardFile, const TTreeTopics& topics);

// One topic per line, two blanks of indent per level, the caption without its prefix, UTF-8.
std::string DumpTree(BlockFile* nestFile, BlockFile* cardFile);

// The card file of an open pair: "x.kiv" -> "x.dsc" (another name gets ".dsc" appended).
std::string CardFilePathOf(const std::string& kivPath);
// Creates a fresh open pair (replacing any) holding the tree.
void MakeTreePair(const std::string& kivPath, std::string_view tree);
// An open pair opened read-only, without a lock; a missing or short file raises EKivError.
struct TReadPair {
    std::unique_ptr<PosixBlockFile> Outline, Cards;
};
TReadPair OpenPairForReading(const std::string& kivPath);
// Dumps an open pair; a missing, short or damaged file raises EKivError.
std::string DumpTreePair(const std::string& kivPath);

}  // namespace kiv
