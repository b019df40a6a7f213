#include "mainwindow/launch/FileProperties.h"

#include <sys/stat.h>

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QMimeDatabase>
#include <QPushButton>

#include "mainwindow/ComponentBuild.h"

namespace kiv {

QString PermissionsText(unsigned mode) {
    static const char letters[] = "rwxrwxrwx";
    QString bits;
    for (int i = 0; i < 9; ++i)
        bits += (mode & (0400u >> i)) ? QLatin1Char(letters[i]) : QLatin1Char('-');
    return QStringLiteral("%1 (%2)").arg(bits).arg(mode & 0777u, 3, 8, QLatin1Char('0'));
}

namespace {

QString DateText(const QDateTime& t) {
    return t.isValid() ? t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString();
}

QString SizeText(qint64 bytes) {
    const QString exact = QLocale::c().toString(bytes) + QStringLiteral(" bytes");
    return bytes < 1024 ? exact
                        : QLocale::c().formattedDataSize(bytes) + QStringLiteral(" (") + exact +
                              QLatin1Char(')');
}

}  // namespace

TFilePropertiesWindow::TFilePropertiesWindow(const QString& path, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmFileProperties"));
    setAttribute(Qt::WA_DeleteOnClose);
    const QFileInfo fi(path);
    setWindowTitle(fi.fileName() + QStringLiteral(" Properties"));
    struct stat st {};
    const bool known = ::stat(QFile::encodeName(path).constData(), &st) == 0;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);

    auto* form = new QFormLayout(this);
    auto add = [&](const char* name, const QString& caption, const QString& value) {
        auto* l = Named(new QLabel(value, this), name);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(caption, l);
        return l;
    };
    lblName = add("lblName", QStringLiteral("Name:"), fi.fileName());
    lblType = add("lblType", QStringLiteral("Type:"),
                  type.comment() + QStringLiteral(" (") + type.name() + QLatin1Char(')'));
    lblLocation = add("lblLocation", QStringLiteral("Location:"), fi.absolutePath());
    lblSize = add("lblSize", QStringLiteral("Size:"), fi.isDir() ? QString() : SizeText(fi.size()));
    lblModified = add("lblModified", QStringLiteral("Modified:"), DateText(fi.lastModified()));
    lblAccessed = add("lblAccessed", QStringLiteral("Accessed:"), DateText(fi.lastRead()));
    lblPermissions =
        add("lblPermissions", QStringLiteral("Permissions:"),
            known ? PermissionsText(unsigned(st.st_mode)) + QStringLiteral(", owner ") + fi.owner()
                  : QString());
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close =
        buttons->addButton(QStringLiteral("- Close -"), QDialogButtonBox::RejectRole);
    close->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

}  // namespace kiv
