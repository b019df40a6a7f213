#include "mainwindow/autoreg/AutoRegistration.h"

#include <QMainWindow>
#include <QMenu>

#include "dialogs/FilesRegistration.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "platform/qt/WindowOwner.h"

namespace kiv {

TAutoRegistration::TAutoRegistration(IWindowContext& ctx) : QObject(&ctx.Window()), ctx_(ctx) {
    setObjectName(QStringLiteral("AutoRegistration"));
}

void TAutoRegistration::BuildComponents() {
    QMainWindow& w = ctx_.Window();
    TWindowSkeleton& k = ctx_.Skeleton();
    acRegisterFiles = Action(&w, "acRegisterFiles", QStringLiteral("Autoregister files..."));
    acRegisterFiles->OnExecute = [this](KivAction*) { acRegisterFilesExecute(); };
    acRegisterFiles->OnUpdate = [this](KivAction*) { acRegisterFilesUpdate(); };
    // With the other whole-datastructure commands, before the separator above Exit.
    const QList<QAction*> items = k.File1->actions();
    const qsizetype exit = items.indexOf(k.Exit1);
    QAction* before = exit > 0 && items[exit - 1]->isSeparator() ? items[exit - 1] : k.Exit1;
    k.File1->insertAction(before, acRegisterFiles);
}

TAutoRegistration::~TAutoRegistration() {
    // The main window is going: hiding the registration window must not reach it.
    if (frm_) frm_->MainForm = nullptr;
}

void TAutoRegistration::acRegisterFilesUpdate() {
    acRegisterFiles->SetEnabled(ctx_.DatastructureOpen());
}

void TAutoRegistration::acRegisterFilesExecute() {
    ctx_.FlushCurrentRow();
    if (!frm_) {
        QMainWindow& w = ctx_.Window();
        frm_ = std::make_unique<TfrmFilesRegistration>();
        frm_->CurrentGrid = [this] { return ctx_.CurrentGrid(); };
        frm_->MainForm = &w;
        SetWindowOwner(frm_.get(), &w);
        frm_->RunBusy = [this](const std::function<void()>& work) {
            TBusyGuard busy(ctx_.BusyCounter());
            work();
        };
    }
    if (frm_->isHidden()) {
        frm_->adjustSize();
        frm_->move(ctx_.Window().geometry().center() - frm_->rect().center());
    }
    frm_->show();
    frm_->raise();
    frm_->activateWindow();
}

}  // namespace kiv
