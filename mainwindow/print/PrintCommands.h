#pragma once
// Printing and export from the main window: the print and export window (made once, for
// the whole run) and the commands that show it and choose the printer, and the second
// shortcut of the outliner's hide command.
#include <QObject>
#include <memory>

#include "mainwindow/print/PrintInterface.h"
#include "platform/qt/KivAction.h"

class QAction;

namespace kiv {

class IWindowContext;
class TfrmPrint;

class TPrintCommands : public QObject, public IPrint {
    Q_OBJECT
public:
    explicit TPrintCommands(IWindowContext& ctx);
    ~TPrintCommands() override;
    // The actions into the File menu and the window; the print window, hooked to ours.
    void BuildComponents();

    // The current topic's cards are stored, then the print window shows; nothing waits.
    void acPrintExecute();
    void acPrintUpdate();
    // The printer set-up dialog on the current printer.
    void PrinterSetup1Click();
    TfrmPrint* PrintWindow() const override { return frmPrint.get(); }
    void PutAwayPrintWindow() override;
    KivAction& PrintCommand() override { return *acPrint; }
    void BringBackPrintWindow() override;

    KivAction* acPrint = nullptr;
    QAction* PrinterSetup1 = nullptr;
    std::unique_ptr<TfrmPrint> frmPrint;

private:
    IWindowContext& ctx_;
};

}  // namespace kiv
