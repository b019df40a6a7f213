#pragma once
// Rich text in a QTextDocument, as the rich-edit control held it: the builder that fills
// a document from a stored text card (RTF, or plain ANSI text for cards never formatted),
// and the properties our formats carry beyond Qt's own so that the writer (RtfWriter.h)
// gives back what was read.
//
// Units: font sizes in points (RTF half points / 2); margins and indents in pixels at
// 96 dpi, 15 twips each. A list paragraph keeps its text at the left indent with the
// marker before it, as the control draws it; its RTF first-line indent is kept aside.
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <string_view>

namespace kiv {

constexpr double kTwipsPerPixel = 15.0;

enum RtfFormatProperty : int {
    // Char format of a U+FFFC: the picture or object group as read (QByteArray), written
    // back unchanged.
    RtfRawGroupProperty = QTextFormat::UserProperty + 0x5200,
    RtfGroupKindProperty,        // int: RtfGroupKind of the raw group
    RtfFontCharsetProperty,      // char format: \fcharset of the stored font (int)
    RtfFontFamilyProperty,       // char format: its font family word, "fswiss" (QString)
    RtfListFirstIndentProperty,  // block format of a list paragraph: its \fi in twips (int)
    RtfListStartProperty,        // list format: \pnstart (int)
};

// Stored font names stay verbatim: the first of the format's families is the stored
// name, the second the installed family that draws it.
QString StoredFontName(const QTextCharFormat& format);
void SetStoredFontName(QTextCharFormat& format, const QString& name);

// Replaces the document's content with a stored text card. Plain text takes plainFormat
// (the default text-card font); RTF brings its own formats. The load is not undoable.
void LoadRichText(QTextDocument& doc, std::string_view stored,
                  const QTextCharFormat& plainFormat = {});
// Inserts a stored text card at the cursor (paste, export).
void InsertRichText(QTextCursor& cursor, std::string_view stored,
                    const QTextCharFormat& plainFormat = {});

}  // namespace kiv
