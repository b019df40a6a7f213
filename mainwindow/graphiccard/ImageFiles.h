#pragma once
// The image files of a graphic card: which names it takes, where a stored line points on
// this machine, and the pictures drawn for files that cannot be drawn as they are.
#include <QImage>
#include <QSize>
#include <QString>
#include <string_view>

namespace kiv {

// ".gif", ".jpg", ".jpeg", ".bmp", ".ico", ".wmf", ".emf", in any case.
bool IsGraphicFileName(const QString& path);
// ".wmf" or ".emf": Qt has no decoder for them.
bool IsMetafileName(const QString& path);

// The file a stored line names. "||" stands for the base folder; what follows it may be
// written the Windows way ("\" separators, upper case) and is matched component by
// component without regard to case when the path as written does not exist. Other lines
// are taken as they stand.
QString ResolveStoredImagePath(std::string_view stored, const QString& base);

// The size a metafile's header states (placeable WMF, EMF), in 96-dpi pixels; invalid when
// the header states none.
QSize MetafileStatedSize(const QString& path);

// The picture of a file that is missing or cannot be decoded.
QImage NoGrFileImage();
// A framed stand-in of that size for a picture that is not decoded (a metafile, or an image
// still decoding), marked with the text when it fits.
QImage PlaceholderImage(QSize size, const QString& mark);

// Pictures larger than this box are shown scaled into it, keeping their proportions.
constexpr int kMaxShownSide = 1024;
QSize ShownSize(QSize real);
// Pictures with more pixels than this decode off the GUI thread.
constexpr qint64 kBackgroundDecodePixels = 4'000'000;

// The picture decoded at the shown size; null when it cannot be read. Safe off the GUI thread.
QImage DecodeImage(const QString& path, QSize shown);

}  // namespace kiv
