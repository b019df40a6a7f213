#pragma once
// An editor's document saved as a file: ".txt" (plain text) or ".rtf" (rich text), chosen
// by the file name's extension. The text card's Save As and the print window's share it.
//
// The extension is checked before anything is touched; the file is replaced by temporary
// file and rename in its folder, so the old file stays whole until the new one is complete.
#include <QString>
#include <string>

class QTextDocument;

namespace kiv {

class TSaveDialog;

enum class TEditorFileKind { Unsupported, PlainText, RichText };

// ".txt" or ".rtf", compared without regard to case; anything else is unsupported.
TEditorFileKind EditorFileKindOf(const QString& path);
// The path with ".txt" added when its file name has no extension.
QString WithDefaultExtension(const QString& path);

// The document as a ".txt" file holds it: UTF-8 without byte-order mark, LF line ends, a
// line end after the last line; pictures and objects give nothing.
std::string DocumentTextFile(const QTextDocument& doc);
// The file's bytes for the kind (unsupported gives nothing).
std::string EditorFileBytes(const QTextDocument& doc, TEditorFileKind kind);
// Writes the file by temporary file and rename. Raises EFileError; the old file is kept.
void WriteEditorFile(const QTextDocument& doc, const QString& path, TEditorFileKind kind);

// Save As of an editor: the dialog with an empty file name; a name without extension gets
// ".txt"; another extension than ".txt" or ".rtf" is refused with a message, and so is a
// read-only file ("Can't delete " + name); a failed write is reported once. Returns the
// path written, empty when nothing was.
QString SaveEditorAs(const QTextDocument& doc, TSaveDialog& dialog);

}  // namespace kiv
