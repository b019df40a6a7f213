// The desktop's own shell: GIO (platform/qt/Gio.h) for the programs of a file type, the default program of an
// address, launching and the trash; the file manager's D-Bus interface for properties.
#include <sys/stat.h>

#include <QApplication>
#include <QBoxLayout>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMetaObject>
#include <QMimeDatabase>
#include <QPushButton>
#include <QThreadPool>
#include <QUrl>
#include <algorithm>
#include <memory>

#include "platform/qt/DesktopShell.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/Gio.h"

namespace kiv {

void TDesktopShell::LaunchFailed(const QString& message) {
    if (OnLaunchFailed) OnLaunchFailed(message);
    else MessageDlg(message, MsgType::Error, MsgButtons::OK);
}

namespace {

std::unique_ptr<TDesktopShell>& Installed() {
    static std::unique_ptr<TDesktopShell> shell;
    return shell;
}

TOpenWithApp AppOf(const TGioApp& a) { return {a.Id, a.Name, a.Exe}; }

class TGioDesktopShell : public TDesktopShell {
public:
    int OpenDefault(const QString& target, bool folder) override {
        if (GioUriOf(target).isEmpty()) return kOpenNothing;
        if (!folder && !GioHasDefaultFor(target)) return kOpenNoAssociation;
        // Starting a program can take a while (a D-Bus activation, a slow disk): it runs off
        // the GUI thread, which only hears of a failure.
        RunInBackground([target] { return GioLaunchDefault(target); });
        return kOpenStarted;
    }

    QList<TOpenWithApp> AppsFor(const QString& path) override {
        QList<TOpenWithApp> apps;
        for (const TGioApp& a : GioAppsForFile(path)) apps << AppOf(a);
        return apps;
    }

    bool OpenWith(const QString& appId, const QString& path) override {
        if (!GioHasApp(appId)) return false;
        RunInBackground([appId, path] { return GioLaunchApp(appId, path); });
        return true;
    }

    void ChooseProgram(const QString& path) override {
        // The programs for the type first, then every other one the desktop shows.
        QList<TOpenWithApp> apps = AppsFor(path);
        for (const TGioApp& g : GioShownApps())
            if (std::none_of(apps.begin(), apps.end(),
                             [&](const TOpenWithApp& x) { return x.Id == g.Id; }))
                apps << AppOf(g);
        if (apps.isEmpty()) {
            MessageDlg(QStringLiteral("There is no program that opens ") + path, MsgType::Warning,
                       MsgButtons::OK);
            return;
        }
        QDialog dlg(QApplication::activeWindow());
        dlg.setObjectName(QStringLiteral("frmChooseProgram"));
        dlg.setWindowTitle(QStringLiteral("Choose Program"));
        auto* l = new QVBoxLayout(&dlg);
        l->addWidget(new QLabel(QStringLiteral("Open %1 with:").arg(path), &dlg));
        auto* list = new QListWidget(&dlg);
        for (const TOpenWithApp& a : apps) {
            auto* item = new QListWidgetItem(a.Name, list);
            item->setData(Qt::UserRole, a.Id);
            item->setToolTip(a.Exe);
        }
        if (list->count() > 0) list->setCurrentRow(0);
        l->addWidget(list);
        auto* buttons = new QDialogButtonBox(&dlg);
        buttons->addButton(QStringLiteral("- OK -"), QDialogButtonBox::AcceptRole);
        buttons->addButton(QStringLiteral("- Cancel -"), QDialogButtonBox::RejectRole);
        l->addWidget(buttons);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
        QObject::connect(list, &QListWidget::itemDoubleClicked, &dlg, &QDialog::accept);
        if (dlg.exec() != QDialog::Accepted || !list->currentItem()) return;
        OpenWith(list->currentItem()->data(Qt::UserRole).toString(), path);
    }

    bool Trash(const QString& path, QString& error) override { return GioTrash(path, error); }

    bool ShowItemProperties(const QString& path) override {
        static const QString service = QStringLiteral("org.freedesktop.FileManager1");
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected() || !bus.interface()) return false;
        QDBusConnectionInterface* i = bus.interface();
        if (!i->isServiceRegistered(service).value() &&
            !i->activatableServiceNames().value().contains(service))
            return false;
        QDBusMessage call =
            QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/FileManager1"),
                                           service, QStringLiteral("ShowItemProperties"));
        call << QStringList{QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded)} << QString();
        return bus.call(call, QDBus::Block, 5000).type() == QDBusMessage::ReplyMessage;
    }

private:
    // Runs the launch on the thread pool; its failure text comes back to the GUI thread.
    void RunInBackground(std::function<QString()> launch) {
        QThreadPool::globalInstance()->start([launch = std::move(launch)] {
            const QString failure = launch();
            if (failure.isEmpty()) return;
            if (QCoreApplication* app = QCoreApplication::instance())
                QMetaObject::invokeMethod(
                    app, [failure] { GetDesktopShell().LaunchFailed(failure); },
                    Qt::QueuedConnection);
        });
    }
};

constexpr const char* kExecutableTypes[] = {
    "application/x-executable",
    "application/x-pie-executable",
    "application/x-sharedlib",
    "application/x-ms-dos-executable",
    "application/x-msdownload",
    "application/x-msi",
    "application/x-shellscript",
    "application/x-bat",
    "application/x-desktop",
    "application/x-perl",
    "text/x-python",
    "text/x-python3",
    "application/x-ruby",
    "application/x-csh",
    "application/x-executable-script",
};

}  // namespace

TDesktopShell& GetDesktopShell() {
    std::unique_ptr<TDesktopShell>& s = Installed();
    if (!s) s = MakeGioDesktopShell();
    return *s;
}

std::unique_ptr<TDesktopShell> InstallDesktopShell(std::unique_ptr<TDesktopShell> shell) {
    std::unique_ptr<TDesktopShell> previous = std::move(Installed());
    Installed() = std::move(shell);
    return previous;
}

std::unique_ptr<TDesktopShell> MakeGioDesktopShell() {
    return std::make_unique<TGioDesktopShell>();
}

bool IsExecutableType(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return false;
    if (S_ISREG(st.st_mode) && (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH))) return true;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    for (const char* t : kExecutableTypes)
        if (type.inherits(QString::fromLatin1(t))) return true;
    return false;
}

}  // namespace kiv
