// Image files of a graphic card: names, stored lines resolved on this machine, stand-in
// pictures, and decoding at the shown size.
#include "mainwindow/graphiccard/ImageFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QStringList>
#include <QtEndian>
#include <cmath>

#include "platform/core/StoredPath.h"

namespace kiv {

namespace {

QString Suffix(const QString& path) {
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    return dot > slash ? path.mid(dot).toLower() : QString();
}

}  // namespace

bool IsGraphicFileName(const QString& path) {
    static const QStringList known = {".gif", ".jpg", ".jpeg", ".bmp", ".ico", ".wmf", ".emf"};
    return known.contains(Suffix(path));
}

bool IsMetafileName(const QString& path) {
    const QString s = Suffix(path);
    return s == QLatin1String(".wmf") || s == QLatin1String(".emf");
}

QString ResolveStoredImagePath(std::string_view stored, const QString& base) {
    return QString::fromStdString(ResolveStoredPath(stored, base.toStdString()));
}

QSize MetafileStatedSize(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray h = f.read(44);
    auto u16 = [&](int at) { return qFromLittleEndian<quint16>(h.constData() + at); };
    auto i16 = [&](int at) { return int(qFromLittleEndian<qint16>(h.constData() + at)); };
    auto u32 = [&](int at) { return qFromLittleEndian<quint32>(h.constData() + at); };
    auto i32 = [&](int at) { return qint64(qFromLittleEndian<qint32>(h.constData() + at)); };
    auto pixels = [](double v) { return int(std::lround(std::fabs(v))); };
    if (h.size() >= 22 && u32(0) == 0x9AC6CDD7u) {
        // Placeable WMF: the bounding box in units of 1/inch of an inch.
        const int inch = u16(14);
        const double scale = inch > 0 ? 96.0 / inch : 1.0;
        const QSize s(pixels((i16(10) - i16(6)) * scale), pixels((i16(12) - i16(8)) * scale));
        return s.width() > 0 && s.height() > 0 ? s : QSize();
    }
    if (h.size() >= 44 && u32(0) == 1 && u32(40) == 0x464D4520u) {
        // EMF: the frame in 0.01 mm, else the bounds in device pixels.
        QSize s(pixels((i32(32) - i32(24)) * 96.0 / 2540.0),
                pixels((i32(36) - i32(28)) * 96.0 / 2540.0));
        if (s.width() <= 0 || s.height() <= 0)
            s = QSize(int(i32(16) - i32(8) + 1), int(i32(20) - i32(12) + 1));
        return s.width() > 0 && s.height() > 0 ? s : QSize();
    }
    return {};
}

QImage NoGrFileImage() {
    QImage img(32, 32, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setPen(QPen(QColor(128, 128, 128), 1));
    p.drawRect(0, 0, 31, 31);
    p.setPen(QPen(QColor(200, 0, 0), 3));
    p.drawLine(8, 8, 23, 23);
    p.drawLine(23, 8, 8, 23);
    return img;
}

QImage PlaceholderImage(QSize size, const QString& mark) {
    QImage img(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    img.fill(QColor(236, 236, 236));
    QPainter p(&img);
    p.setPen(QColor(128, 128, 128));
    p.drawRect(0, 0, img.width() - 1, img.height() - 1);
    const QFontMetrics fm(p.font());
    if (!mark.isEmpty() && fm.horizontalAdvance(mark) + 4 <= img.width() &&
        fm.height() + 4 <= img.height())
        p.drawText(img.rect(), Qt::AlignCenter, mark);
    return img;
}

QSize ShownSize(QSize real) {
    if (!real.isValid() || (real.width() <= kMaxShownSide && real.height() <= kMaxShownSide))
        return real;
    return real.scaled(kMaxShownSide, kMaxShownSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

QImage DecodeImage(const QString& path, QSize shown) {
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    if (shown.isValid() && reader.size().isValid() && reader.size() != shown)
        reader.setScaledSize(shown);
    QImage img = reader.read();
    if (!img.isNull() && shown.isValid() && img.size() != shown)
        img = img.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return img;
}

}  // namespace kiv
