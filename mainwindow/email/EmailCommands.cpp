#include "mainwindow/email/EmailCommands.h"

#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QTextEdit>

#include "dialogs/PrintWindow.h"
#include "email/EmailWindows.h"
#include "email/SendEmail.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "mainwindow/textcard/TextCardInterface.h"
#include "mainwindow/collector/CollectorInterface.h"
#include "platform/core/AppPaths.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/Fonts.h"

namespace kiv {

TEmailCommands::TEmailCommands(IWindowContext& ctx)
    : QObject(&ctx.Window()),
      ctx_(ctx),
      textCard_(ctx.Published()),
      print_(ctx.Published()),
      collector_(ctx.Published()) {
    setObjectName(QStringLiteral("EmailCommands"));
}

void TEmailCommands::BuildComponents() {
    QMainWindow& w = ctx_.Window();
    acSendEmail = Action(&w, "acSendEmail", QStringLiteral("Send Email..."));
    acSendEmail->setStatusTip(QStringLiteral("Send Email"));
    acSendEmail->setToolTip(QStringLiteral("Send Email"));
    acSendEmail->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    acSendEmail->OnExecute = [this](KivAction*) { acSendEmailExecute(); };
    acSendEmail->setVisible(false);
    acSendEmail->setEnabled(false);
    ctx_.Skeleton().File1->addAction(acSendEmail);
    collector_->ConnectSendEmail(this, [this] { GuardCall([this] { SendEmail1Click(); }); });
}

TEmailCommands::~TEmailCommands() = default;

TEmailWindows& TEmailCommands::Windows() {
    if (!windows_)
        windows_ = std::make_unique<TEmailWindows>(AppDir(), print_->PrintWindow(), &ctx_.Window());
    return *windows_;
}

void TEmailCommands::acSendEmailExecute() {
    TfrmSendEmail& send = *Windows().frmSendEmail;
    // The editor is asked before the send window takes the focus.
    QTextEdit* editor = textCard_->ActiveTextEditor();
    send.btnNewClick();
    send.reMessage->setFont(FontFromStored(QStringLiteral("Arial"), 11));
    if (editor) send.reMessage->setPlainText(editor->toPlainText());
    send.show();
    send.raise();
    send.activateWindow();
    send.edtTo->setFocus();
}

void TEmailCommands::SendEmail1Click() {
    if (windows_ && !windows_->frmSendEmail->isHidden()) windows_->frmSendEmail->showNormal();
    acSendEmail->Execute();
}

}  // namespace kiv
