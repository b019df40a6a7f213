#pragma once
// A rich-text document saved as a file, ".txt" (plain text) or ".rtf", chosen by the
// file name's extension. The extension is checked before anything is touched; the file is
// replaced by a temporary file beside it and a rename, so the old file stays whole until
// the new one is complete.
#include <QString>
#include <string>

class QTextDocument;

namespace kiv {

enum class TDocumentFileKind { Other, PlainText, RichText };

// ".txt" or ".rtf", without regard to case; a name without extension counts as ".txt".
TDocumentFileKind DocumentFileKindOf(const QString& path);
// The path with ".txt" added when its file name has no extension.
QString WithDefaultTextExtension(const QString& path);

// The document as a ".txt" file holds it: UTF-8 without byte-order mark, one line end
// after each paragraph; pictures and objects give nothing.
std::string DocumentPlainTextBytes(const QTextDocument& doc);

struct TSaveDocumentResult {
    bool Saved = false;
    QString Path;     // the file written (".txt" added when none was typed)
    QString Message;  // why nothing was written; empty when saved
};

// Writes the document to path as its extension says. Nothing is written, and Message says
// why, for another extension than ".txt" or ".rtf", for a file that may not be replaced
// ("Can't delete " and its name) and when the write fails; the old file then stays.
TSaveDocumentResult SaveDocument(const QTextDocument& doc, const QString& path);

}  // namespace kiv
