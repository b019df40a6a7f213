#pragma once
// Trees written as text, for fixtures and the kivtree tool:
//   alpha(beta "gamma delta") epsilon(zeta(eta))
// Captions are separated by blanks; a topic's children follow it in parentheses; a caption
// with blanks, parentheses or nothing at all is written in double quotes. The text is UTF-8;
// captions are stored through the codec and dumped back as UTF-8.
#include <functional>
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
// A sub-tree shared by clones is written under its first topic only (each nest once). With
// cards, each topic's text card follows its caption as plain text, one "| " line per line,
// then its links, one "@ target | title" line each, indented one level deeper. With marks,
// a cloned topic's line ends in " [clone]" and a locked one's in " [locked]".
std::string DumpTree(BlockFile* nestFile, BlockFile* cardFile, bool withCards = false,
                     bool withMarks = false);
// The same text handed to write piece by piece as it is made, so a dump of any size holds
// no more than one topic's lines.
using TTextSink = std::function<void(std::string_view piece)>;
void DumpTree(BlockFile* nestFile, BlockFile* cardFile, bool withCards, bool withMarks,
              const TTextSink& write);

// A topic named by its child indexes from the root, "0/3/1". Raises ETreeTextError when the
// trail does not parse.
std::vector<int> ParseTrail(std::string_view trail);
// Stores the text as the card of that kind of the topic at the trail, as the window does
// (through the outline model's card store). Raises EKivError with the reason when the trail
// names no topic or the card is not stored, EFileError when a write fails.
void StoreTrailCard(BlockFile* nestFile, BlockFile* cardFile, std::string_view trail, int kind,
                    std::string_view text);

// Card KIND of the topic at the trail as the card store reads it (a launch card with its
// targets expanded). Raises EKivError when the trail names no topic.
std::string ReadTrailCard(BlockFile* nestFile, BlockFile* cardFile, std::string_view trail,
                          int kind);

// Whether the file is a closed (joined) datastructure: no card file beside it and the
// joined file's trailer at its end.
bool IsJoinedDatastructure(const std::string& path);
// read(path of an open pair) on a datastructure: an open pair as it is, a joined file
// through a split copy in the temporary folder, the file itself left untouched.
std::string ReadPairOrCopy(const std::string& kivPath,
                           const std::function<std::string(const std::string&)>& read);

// read(outline file, card file) on a datastructure where it lies, nothing written and
// nothing locked (a running program opening it meanwhile is not refused): an open pair
// through its two files opened for reading, a joined file through read-only views of its
// two parts. A joined file that a program split while it was read (its name no longer names
// the file that was read, whose card part may have changed under the reader) raises
// EKivError saying so; a file in neither form raises EKivError as the open does.
void ReadPairInPlace(const std::string& kivPath,
                     const std::function<void(BlockFile& outline, BlockFile& cards)>& read);

// The card file of an open pair: "x.kiv" -> "x.dsc" (another name gets ".dsc" appended).
std::string CardFilePathOf(const std::string& kivPath);
// Creates a fresh open pair (replacing any) holding the tree.
void MakeTreePair(const std::string& kivPath, std::string_view tree);
// The two files of an open pair, with the write lock when write is set (else read-only and
// unlocked); a missing or short file raises EKivError.
struct TTreePairFiles {
    std::unique_ptr<PosixBlockFile> kiv, dsc;
};
TTreePairFiles OpenTreePair(const std::string& kivPath, bool write);
// Dumps an open pair; a missing, short or damaged file raises EKivError.
std::string DumpTreePair(const std::string& kivPath, bool withCards = false,
                         bool withMarks = false);
// DumpMarks (engine/core/Marks.h) of an open pair.
std::string DumpMarksPair(const std::string& kivPath);
// StoreTrailCard on an open pair, opened with its write lock.
void StoreTrailCardPair(const std::string& kivPath, std::string_view trail, int kind,
                        std::string_view text);

}  // namespace kiv
