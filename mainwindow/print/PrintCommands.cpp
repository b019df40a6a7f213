#include "mainwindow/print/PrintCommands.h"

#include <QMainWindow>
#include <QMenu>

#include "dialogs/PrintWindow.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/Printer.h"

namespace kiv {

TPrintCommands::TPrintCommands(IWindowContext& ctx) : ctx_(ctx) {
    ctx.Published().Publish<IPrint>(*this);
}

TPrintCommands::~TPrintCommands() = default;

void TPrintCommands::PutAwayPrintWindow() {
    // Tag 1 marks what the main window's next show opens again.
    if (frmPrint && !frmPrint->isHidden()) {
        frmPrint->hide();
        frmPrint->Tag = 1;
    }
}

void TPrintCommands::BringBackPrintWindow() {
    if (frmPrint && frmPrint->Tag == 1) frmPrint->show();
}

void TPrintCommands::BuildComponents() {
    QMainWindow& w = ctx_.Window();
    TWindowSkeleton& k = ctx_.Skeleton();

    acPrint = Action(&w, "acPrint", QStringLiteral("Print && Export..."));
    acPrint->setStatusTip(QStringLiteral("Print And Export..."));
    acPrint->setToolTip(QStringLiteral("Print And Export..."));
    SetImageIndex(acPrint, 49);
    acPrint->OnExecute = [this](KivAction*) { acPrintExecute(); };
    acPrint->OnUpdate = [this](KivAction*) { acPrintUpdate(); };
    PrinterSetup1 = Item(&w, "PrinterSetup1", QStringLiteral("Printer Setup..."));
    connect(PrinterSetup1, &QAction::triggered, this,
            [this] { GuardCall([this] { PrinterSetup1Click(); }); });
    k.File1->addSeparator();
    k.File1->addAction(acPrint);
    k.File1->addAction(PrinterSetup1);

    frmPrint = std::make_unique<TfrmPrint>(&w);
    frmPrint->CurrentGrid = [this] { return ctx_.CurrentGrid(); };
    frmPrint->MainForm = &w;
    frmPrint->RunBusy = [this](const std::function<void()>& work) {
        TBusyGuard busy(ctx_.BusyCounter());
        work();
    };
    // The main window's text find dialog hides; its room hears it.
    frmPrint->CloseFindDialog = [this] { ctx_.Events().PrintWindowChanged.Fire(); };
}

void TPrintCommands::acPrintExecute() {
    ctx_.FlushCurrentRow();
    frmPrint->show();
    frmPrint->raise();
    frmPrint->activateWindow();
}

void TPrintCommands::acPrintUpdate() { acPrint->SetEnabled(ctx_.DatastructureOpen()); }

void TPrintCommands::PrinterSetup1Click() { ctx_.Dialogs().PrinterSetup(CurrentPrinter()); }

}  // namespace kiv
