#pragma once
// The RTF writer: a QTextDocument, or a span of it, as 7-bit RTF in the form the
// rich-edit control streams out: "{\rtf1\ansi\ansicpg1252\deff0", a font table and a
// colour table of what is used, \uc1 with \uN? escapes beyond ASCII, \par per paragraph,
// bullets and numbering as {\pntext ...}{\*\pn ...}. Pictures and objects that were read
// are written back as the very groups they were read from.
#include <QTextCursor>
#include <QTextDocument>
#include <string>

namespace kiv {

// The whole document; every paragraph ends with \par.
std::string WriteRtf(const QTextDocument& doc);
// The characters from..to (positions in the document); a paragraph ends with \par when
// its end lies inside the span.
std::string WriteRtf(const QTextDocument& doc, int from, int to);
// The cursor's selection.
std::string WriteRtf(const QTextCursor& selection);

}  // namespace kiv
