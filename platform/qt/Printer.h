#pragma once
// The program's printer: the one current printer that the printer set-up chooses and
// printing uses, and the printing of a rich-text document on it as the rich-edit control
// printed its content: the page less a margin on every side, in printer pixels.
#include <QRect>
#include <QString>

class QPrinter;
class QTextDocument;

namespace kiv {

// The current printer, made at first use (the system's default printer, high resolution).
QPrinter& CurrentPrinter();

// The page less 0.7 inch on every side, in printer pixels of the full page:
// left = round(0.7 x horizontal dpi), top = round(0.7 x vertical dpi), right and bottom
// the page's width and height less the same.
QRect PrintPageRect(const QPrinter& printer);

// Prints the whole document on the printer as a job of that title, laid out in the page
// rectangle, one page after the other. Raises EKivError when the printer cannot start; the
// printer is then left as it was, so that the printer set-up can change it and the next print
// works. The document itself is left as it is.
void PrintDocument(const QTextDocument& doc, QPrinter& printer, const QString& jobTitle);

}  // namespace kiv
