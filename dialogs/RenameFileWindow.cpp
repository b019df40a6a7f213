#include "dialogs/RenameFileWindow.h"

#include <cerrno>
#include <cstring>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "components/FileInfo.h"
#include "platform/core/BlockFile.h"
#include "platform/core/KivError.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/ExceptionGuard.h"

namespace kiv {

TRenameOutcome RenameFileNoReplace(const QString& oldPath, const QString& newName, QString& newPath,
                                   QString& message) {
    message.clear();
    const QFileInfo old(oldPath);
    const QString name = newName.trimmed();
    newPath = old.dir().filePath(name);
    if (name.isEmpty() || name.compare(old.fileName(), Qt::CaseInsensitive) == 0)
        return TRenameOutcome::Unchanged;
    if (!old.isFile()) {
        message = QStringLiteral("Error! There is not ") + oldPath;
        return TRenameOutcome::Failed;
    }
    // A name is a name: a separator would move the file elsewhere.
    if (name.contains(QLatin1Char('/')) || name == QLatin1String(".") ||
        name == QLatin1String("..")) {
        message = QStringLiteral("Can't rename. \"%1\" is not a file name.").arg(name);
        return TRenameOutcome::Failed;
    }
    if (QFileInfo(newPath).exists() || QFileInfo(newPath).isSymLink()) {
        message =
            QStringLiteral("Can't rename. File ") + newPath + QStringLiteral(" already exists.");
        return TRenameOutcome::Failed;
    }
    if (TFileInfo(oldPath).IsFileInUse()) {
        message = QStringLiteral("Can't rename. File ") + oldPath +
                  QStringLiteral(" is used with other application.");
        return TRenameOutcome::Failed;
    }
    int err = 0;
    try {
        RenameNoReplace(QFile::encodeName(oldPath).toStdString(),
                        QFile::encodeName(newPath).toStdString());
    } catch (const EFileError& e) {
        err = e.Errno();
    }
    if (err == EEXIST) {
        message =
            QStringLiteral("Can't rename. File ") + newPath + QStringLiteral(" already exists.");
        return TRenameOutcome::Failed;
    }
    if (err != 0 || !QFileInfo::exists(newPath) || QFileInfo::exists(oldPath)) {
        message = QStringLiteral("Can't rename %1: %2")
                      .arg(oldPath, QString::fromLocal8Bit(std::strerror(err ? err : EIO)));
        return TRenameOutcome::Failed;
    }
    return TRenameOutcome::Renamed;
}

TfrmRenameFile::TfrmRenameFile(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmRenameFile"));
    setWindowTitle(QStringLiteral("Rename file"));
    setModal(true);
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Old file name:"), this), 0, 0);
    lblOldFileName = new QLabel(this);
    lblOldFileName->setObjectName(QStringLiteral("lblOldFileName"));
    lblOldFileName->setTextFormat(Qt::PlainText);
    lblOldFileName->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(lblOldFileName, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("New file name:"), this), 1, 0);
    edtNewFileName = new QLineEdit(this);
    edtNewFileName->setObjectName(QStringLiteral("edtNewFileName"));
    edtNewFileName->setMinimumWidth(320);
    grid->addWidget(edtNewFileName, 1, 1);
    auto* buttons = new QHBoxLayout;
    btnOK = new QPushButton(QStringLiteral("- OK -"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnClose = new QPushButton(QStringLiteral("- Close -"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnClose);
    grid->addLayout(buttons, 2, 0, 1, 2);
    connect(btnOK, &QPushButton::clicked, this, [this] { GuardCall([this] { btnOKClick(); }); });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmRenameFile::Prepare(const QString& oldPath, int tag) {
    tag_ = tag;
    lblOldFileName->setText(oldPath);
    edtNewFileName->setText(QFileInfo(oldPath).fileName());
    edtNewFileName->selectAll();
}

void TfrmRenameFile::Execute(const QString& oldPath, int tag) {
    Prepare(oldPath, tag);
    exec();
}

void TfrmRenameFile::btnOKClick() {
    accept();
    const QString oldPath = lblOldFileName->text();
    QString newPath, message;
    switch (RenameFileNoReplace(oldPath, edtNewFileName->text(), newPath, message)) {
    case TRenameOutcome::Unchanged: return;
    case TRenameOutcome::Failed: MessageDlg(message, MsgType::Error, MsgButtons::OK); return;
    case TRenameOutcome::Renamed:
        if (OnRenamed) OnRenamed(tag_, oldPath, newPath);
        return;
    }
}

}  // namespace kiv
