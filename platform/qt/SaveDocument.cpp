#include "platform/qt/SaveDocument.h"

#include <QFileInfo>
#include <QTextBlock>
#include <QTextDocument>
#include <exception>

#include "platform/core/BlockFile.h"
#include "platform/qt/RtfWriter.h"

namespace kiv {

TDocumentFileKind DocumentFileKindOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix.isEmpty() && !QFileInfo(path).fileName().endsWith(QLatin1Char('.'))) return TDocumentFileKind::PlainText;
    if (suffix == QLatin1String("txt")) return TDocumentFileKind::PlainText;
    if (suffix == QLatin1String("rtf")) return TDocumentFileKind::RichText;
    return TDocumentFileKind::Other;
}

QString WithDefaultTextExtension(const QString& path) {
    const QFileInfo info(path);
    if (!info.suffix().isEmpty() || info.fileName().endsWith(QLatin1Char('.'))) return path;
    return path + QStringLiteral(".txt");
}

std::string DocumentPlainTextBytes(const QTextDocument& doc) {
    QString text;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        QString line = b.text();
        line.remove(QChar::ObjectReplacementCharacter);
        // Line breaks inside a paragraph (Shift+Enter) are line ends too.
        line.replace(QChar::LineSeparator, QLatin1Char('\n'));
        text += line;
        text += QLatin1Char('\n');
    }
    const QByteArray utf8 = text.toUtf8();
    return std::string(utf8.constData(), size_t(utf8.size()));
}

TSaveDocumentResult SaveDocument(const QTextDocument& doc, const QString& path) {
    TSaveDocumentResult r;
    r.Path = WithDefaultTextExtension(path);
    const TDocumentFileKind kind = DocumentFileKindOf(r.Path);
    if (kind == TDocumentFileKind::Other) {
        r.Message = QStringLiteral("Only \".txt\" and \".rtf\" files can be saved; nothing was written to ") + r.Path;
        return r;
    }
    // The old file goes only when the new one is complete, but one the user may not change
    // is not replaced either.
    const QFileInfo target(r.Path);
    if (target.exists() && (!target.isFile() || !target.isWritable())) {
        r.Message = QStringLiteral("Can't delete ") + r.Path;
        return r;
    }
    const std::string bytes = kind == TDocumentFileKind::RichText ? WriteRtf(doc) : DocumentPlainTextBytes(doc);
    try {
        WriteFileAtomic(QFile::encodeName(r.Path).toStdString(), bytes);
    } catch (const std::exception& e) {
        r.Message = QStringLiteral("Can't save ") + r.Path + QStringLiteral(": ") + QString::fromUtf8(e.what());
        return r;
    }
    r.Saved = true;
    return r;
}

}  // namespace kiv
