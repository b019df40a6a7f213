#include "platform/qt/EditorFile.h"

#include <QFile>
#include <QFileInfo>
#include <QTextDocument>
#include <exception>
#include <sys/stat.h>

#include "platform/core/BlockFile.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/RtfWriter.h"

namespace kiv {

namespace {

// The extension of the file name alone: a dot in a folder name is no extension.
QString ExtensionOf(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot <= 0 ? QString() : name.mid(dot).toLower();
}

// A file whose write bits are all off is protected, as a read-only file was on Windows
// (root could replace it otherwise).
bool IsReadOnlyFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0;
}

}  // namespace

TEditorFileKind EditorFileKindOf(const QString& path) {
    const QString ext = ExtensionOf(path);
    if (ext == QLatin1String(".txt")) return TEditorFileKind::PlainText;
    if (ext == QLatin1String(".rtf")) return TEditorFileKind::RichText;
    return TEditorFileKind::Unsupported;
}

QString WithDefaultExtension(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    if (name.isEmpty() || name.lastIndexOf(QLatin1Char('.')) > 0) return path;
    return path + QStringLiteral(".txt");
}

std::string DocumentTextFile(const QTextDocument& doc) {
    QString text = doc.toPlainText();  // paragraph and line separators become "\n"
    text.remove(QChar::ObjectReplacementCharacter);
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n'))) text += QLatin1Char('\n');
    return text.toStdString();
}

std::string EditorFileBytes(const QTextDocument& doc, TEditorFileKind kind) {
    switch (kind) {
    case TEditorFileKind::PlainText: return DocumentTextFile(doc);
    case TEditorFileKind::RichText: return WriteRtf(doc);
    case TEditorFileKind::Unsupported: break;
    }
    return {};
}

void WriteEditorFile(const QTextDocument& doc, const QString& path, TEditorFileKind kind) {
    if (kind == TEditorFileKind::Unsupported) return;
    WriteFileAtomic(QFile::encodeName(path).toStdString(), EditorFileBytes(doc, kind));
}

QString SaveEditorAs(const QTextDocument& doc, TSaveDialog& dialog) {
    dialog.FileName.clear();
    if (!dialog.Execute()) return {};
    const QString path = WithDefaultExtension(dialog.FileName);
    const TEditorFileKind kind = EditorFileKindOf(path);
    if (kind == TEditorFileKind::Unsupported) {
        MessageDlg(QStringLiteral("Can't save ") + path +
                       QStringLiteral(": the file name must end in .txt or .rtf"),
                   MsgType::Error, MsgButtons::OK);
        return {};
    }
    if (IsReadOnlyFile(QFile::encodeName(path).toStdString())) {
        MessageDlg(QStringLiteral("Can't delete ") + path, MsgType::Error, MsgButtons::OK);
        return {};
    }
    try {
        WriteEditorFile(doc, path, kind);
    } catch (const std::exception& e) {
        MessageDlg(QString::fromUtf8(e.what()), MsgType::Error, MsgButtons::OK);
        return {};
    }
    return path;
}

}  // namespace kiv
