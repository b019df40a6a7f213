#pragma once
// E-mail from the main window: the e-mail windows (made once, for the whole run) and the
// command that opens the send window for a new message, pre-filled with the active text
// editor's text. The command is hidden and disabled, as is the collector's "Open Email
// Window" item; acSendEmailExecute opens the window all the same.
//
// The object is a child of the main window (objectName "EmailCommands") and goes with it.
#include <QObject>
#include <memory>
#include "mainwindow/Published.h"
#include "mainwindow/textcard/TextCardInterface.h"
#include "mainwindow/print/PrintInterface.h"
#include "mainwindow/collector/CollectorInterface.h"

class QAction;

namespace kiv {

class IWindowContext;
class KivAction;
struct TEmailWindows;

class TEmailCommands : public QObject {
    Q_OBJECT
public:
    explicit TEmailCommands(IWindowContext& ctx);
    ~TEmailCommands() override;
    // The command into the File menu, hooked to the collector's item.
    void BuildComponents();

    void acSendEmailExecute();
    // The collector's item: a send window already shown is restored, then the command runs.
    void SendEmail1Click();

    KivAction* acSendEmail = nullptr;
    // Made at the first use: the settings are read from "userset.ini" then.
    TEmailWindows& Windows();

private:
    IWindowContext& ctx_;
    TNeed<ITextCard> textCard_;
    TNeed<IPrint> print_;
    TNeed<ICollector> collector_;
    std::unique_ptr<TEmailWindows> windows_;
};

}  // namespace kiv
