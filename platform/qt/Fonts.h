#pragma once
// Stored font names stay as Windows wrote them ("MS Sans Serif", "Arial"); drawing goes
// through an installed family chosen here.
#include <QFont>
#include <QString>
#include <cstdint>

namespace kiv {

// Font style bits as stored: bold 1, italic 2, underline 4, strike-out 8.
using TFontStyles = uint8_t;
constexpr TFontStyles fsBold = 1;
constexpr TFontStyles fsItalic = 2;
constexpr TFontStyles fsUnderline = 4;
constexpr TFontStyles fsStrikeOut = 8;

// The installed family that draws a stored font name: the name itself when installed,
// else the first installed of its metric-compatible or look-alike families, else the
// system's generic family of its kind. Names we know nothing about are left to
// fontconfig's own substitution.
QString SubstituteFontName(const QString& storedName);
// A font for drawing a stored name, point size and style bits.
QFont FontFromStored(const QString& storedName, int pointSize, TFontStyles styles = 0);
TFontStyles StylesOf(const QFont& f);

}  // namespace kiv
