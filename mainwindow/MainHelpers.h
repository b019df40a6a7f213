#pragma once
// Small routines of the main window that other windows call.
#include <QFont>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <QString>

#include "platform/core/BlockFile.h"
#include "platform/qt/Fonts.h"

class QObject;
class QWidget;

namespace kiv {

// Opens an existing file for reading and writing, other writers locked out; null when it
// cannot be opened (missing, no right, or held by another program).
std::unique_ptr<PosixBlockFile> OpenDataFile(const std::string& path);

// A floating panel inside its window that the user can resize from its corner: a sub-window
// with a size grip, its height set one lower so the grip is laid out.
void MakePanelSizeable(QWidget* panel);

// The text height of a font as the control draws it.
int GetFontTextHeight(const QWidget* control, const QFont& font);

// Bold 1, italic 2, underline 4, strike-out 8.
int FontStylesToBits(TFontStyles styles);
// The reverse; other bits are ignored.
TFontStyles BitsToFontStyles(int bits);
// A font with the style set applied (StylesOf in Fonts.h reads it back).
void ApplyFontStyles(QFont& font, TFontStyles styles);

// Stored text (codec bytes, CR LF) to widget text ("\n") and back.
QString StoredToText(std::string_view stored);
std::string TextToStored(const QString& text);

// The image a command shows (its index in the main image list), kept on the action until
// the image list exists.
void SetImageIndex(QObject* action, int index);
int ImageIndex(const QObject* action);

}  // namespace kiv

namespace kiv {

// A show-or-hide command's caption with its first word replaced by the verb ("Hide" or
// "Show"); the rest of the caption stays as it is.
QString ReplaceCaptionVerb(const QString& caption, const QString& verb);

}  // namespace kiv

namespace kiv {

// Runs fn once busy() is false: at once when it already is, else on a short timer that looks
// again until it is. Nothing runs once owner is gone.
void RunWhenFree(QObject* owner, std::function<bool()> busy, std::function<void()> fn);

}  // namespace kiv
