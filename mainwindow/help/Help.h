#pragma once
// The Help menu Help1 with its item About1, and the about window frmAbout it opens; the
// window's links open through the launch card's LaunchLink.
#include <QObject>

#include "mainwindow/Published.h"
#include "mainwindow/help/HelpInterface.h"
#include "mainwindow/launch/LaunchCardInterface.h"

class QAction;
class QMenu;

namespace kiv {

class IWindowContext;
class TfrmAbout;

class THelp : public QObject, public IHelp {
    Q_OBJECT
public:
    explicit THelp(IWindowContext& ctx);
    // The Help menu, last on the menu bar, and the about window.
    void BuildComponents();

    void AddHelpItems(const QList<QAction*>& items) override;
    void CloseAboutWindow() override;

    TfrmAbout* frmAbout = nullptr;
    QMenu* Help1 = nullptr;
    QAction* About1 = nullptr;

private:
    IWindowContext& ctx_;
    TNeed<ILaunchCard> launch_;
};

}  // namespace kiv
