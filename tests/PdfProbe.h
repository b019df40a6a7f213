#pragma once
// Looking at printed PDF files through poppler (poppler-utils, from the install script):
// the document's information, its text and the ink of a rendered page.
#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QRect>
#include <QString>

namespace kiv::test {

// What pdfinfo says of the file ("Title:", "Pages:" ...).
inline QString PdfInfo(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdf});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        ADD_FAILURE() << "pdfinfo failed on " << pdf.toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The text of the file as pdftotext reads it.
inline QString PdfText(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        ADD_FAILURE() << "pdftotext failed on " << pdf.toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The bounding box of the ink (darker than mid-grey) on a page rendered at dpi.
inline QRect InkOfPage(const QString& pdf, int page, int dpi) {
    const QString base = pdf + QStringLiteral(".page");
    QProcess p;
    p.start(QStringLiteral("pdftoppm"),
            {"-r", QString::number(dpi), "-f", QString::number(page), "-l", QString::number(page),
             "-png", "-singlefile", pdf, base});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        ADD_FAILURE() << "pdftoppm failed: " << p.readAllStandardError().toStdString();
        return {};
    }
    const QImage img(base + QStringLiteral(".png"));
    QRect ink;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) < 160) ink |= QRect(x, y, 1, 1);
    return ink;
}

}  // namespace kiv::test
