#pragma once
// The outline text generator: topics of the open datastructure as one rich-text document,
// each topic's title (numbered when asked), the targets of its links and its text card.
//
// BuildOutlineText is the whole generator and needs no widgets (a QTextDocument and the
// files), so the command-line export runs the same code as the print window; the window's
// GenerateOutlineText (PrintWindow.h) hands it the active panel and its options.
//
// Document units: font sizes in points, indents in the editor's pixels (96 dpi). Each
// topic is:
//   title      indent = depth x 30 + 3; "n. " first when numbered (n = position among
//              its siblings + 1); Arial blue 14 with the text card, else black 12, with
//              the caption's own colour and style under "Original Formatting" alone
//   "Links:"   bold black 8, indent + 15, then each target blue underlined 9, then an
//              empty paragraph (only for a launch card with lines)
//   text card  indent + 15: its own formatting, or its plain text black 11 and a
//              paragraph end
//   an empty paragraph
#include <QTextDocument>
#include <functional>
#include <memory>
#include <string>

#include "engine/core/Cards.h"
#include "engine/core/Nester.h"
#include "platform/core/BlockFile.h"

namespace kiv {

enum class TOutlineScope {
    Panel,    // the model's rows, first to last
    Branch,   // the model's current topic and its sub-tree as the file holds it
    Outline,  // every topic of the file
};

struct TOutlineTextOptions {
    TOutlineScope Scope = TOutlineScope::Panel;
    bool TopicsNumbers = false;
    bool WithTextCard = false;
    bool Formatting = false;  // "Original Formatting"
    bool WithLinks = false;
};

// Indents of a topic's paragraphs.
constexpr int kOutlineIndentBase = 3;
constexpr int kOutlineIndentStep = 30;
constexpr int kOutlineBodyIndent = 15;
// The editor's face for titles, links and plain text cards.
inline constexpr const char* kOutlineFontName = "Arial";

// Called every few topics with the number written so far.
using TOutlineProgress = std::function<void(int topics)>;

// Replaces the document's content with the topics in the options' scope, read from the
// model's files through the card store. Returns the number of topics written. The
// clipboard is never used.
int BuildOutlineText(QTextDocument& doc, const TOutlineTextOptions& options, TNester& model,
                     TCards& cards, const TOutlineProgress& progress = {});

// The same topics as the text of a ".txt" file of that document (what DocumentTextFile
// gives for it), written straight into text, UTF-8 with LF line ends, without a document
// in between: the plain-text export. One difference: a formatted text card that holds
// nothing but pictures gives an empty line in the document's text and none here.
int BuildOutlineTextFile(std::string& text, const TOutlineTextOptions& options, TNester& model,
                         TCards& cards, const TOutlineProgress& progress = {});

// An open pair's files read-only, with an outline model over its top level and a card
// store: what the generators read outside the window (the command-line tools). A file
// that is missing or too short raises EKivError.
struct TOutlinePairReader {
    explicit TOutlinePairReader(const std::string& kivPath);
    // Over files the caller holds open for as long as the reader lives.
    TOutlinePairReader(BlockFile& kiv, BlockFile& dsc);
    std::unique_ptr<PosixBlockFile> Kiv, Dsc;  // the files opened by path
    TNester Model;
    TCards Cards;

private:
    void Attach(BlockFile& kiv, BlockFile& dsc);
};

// Where a paragraph's first line starts: its left margin plus its first-line indent.
qreal FirstLineIndent(const QTextBlock& block);

}  // namespace kiv
