#include "mainwindow/help/Help.h"

#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include "dialogs/AboutWindow.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "platform/qt/ExceptionGuard.h"

namespace kiv {

THelp::THelp(IWindowContext& ctx) : QObject(&ctx.Window()), ctx_(ctx), launch_(ctx.Published()) {
    setObjectName(QStringLiteral("Help"));
    ctx.Published().Publish<IHelp>(*this);
}

void THelp::BuildComponents() {
    QMainWindow* w = &ctx_.Window();
    frmAbout = new TfrmAbout(w);
    frmAbout->LaunchLink = [this](const QString& link) {
        launch_->LaunchLink(TextToStored(link), false, false);
    };
    // Where the latest version is offered: the web site.
    frmAbout->GetLatestVersion = [this] { launch_->LaunchLink(TfrmAbout::kWebSite, false, false); };
    Help1 = Named(ctx_.Skeleton().MainMenu1->addMenu(QStringLiteral("&Help")), "Help1");
    About1 = Item(w, "About1", QStringLiteral("About..."));
    Help1->addAction(About1);
    connect(About1, &QAction::triggered, this, [this] { GuardCall([this] { frmAbout->exec(); }); });
}

void THelp::AddHelpItems(const QList<QAction*>& items) {
    QAction* about = Help1->actions().isEmpty() ? nullptr : Help1->actions().first();
    for (QAction* item : items) Help1->insertAction(about, item);
    if (about) Help1->insertSeparator(about);
}

void THelp::CloseAboutWindow() {
    if (frmAbout && frmAbout->isVisible()) frmAbout->reject();
}

}  // namespace kiv
