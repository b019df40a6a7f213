// Start-up and hand-over (TStartup): the start datastructure, the first show's focus and
// the paths a later start hands over. No command of its own.
#include "mainwindow/startup/Startup.h"

#include <QApplication>
#include <QMainWindow>

#include "engine/core/DatastructureFiles.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/panels/PanelsInterface.h"
#include "mainwindow/search/SearchInterface.h"
#include "platform/core/BlockFile.h"
#include "platform/core/KivStrings.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/SingleInstance.h"
#include "platform/qt/WidgetState.h"

namespace kiv {

namespace {
std::string LowerExtension(const std::string& path) {
    size_t slash = path.find_last_of('/');
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return LowerCase(path.substr(dot));
}
}  // namespace

TStartup::TStartup(IWindowContext& ctx)
    : ctx_(ctx),
      panels_(ctx.Published()),
      datastructure_(ctx.Published()),
      search_(ctx.Published()) {}

void TStartup::OpenStartDatastructure(const std::vector<std::string>& args) {
    const std::string path = args.empty() ? std::string() : CommandLinePath(args.front());
    if (!path.empty() && LowerExtension(path) == ".kiv") {
        // A lone card file, left by a close that was cut short, is recovered by the open.
        if (FileExists(path) || FileExists(CardFileName(path))) {
            datastructure_->OpenDatastructureFile(path);
            return;
        }
        MessageDlg(QStringLiteral("The datastructure \"%1\" does not exist.")
                       .arg(QString::fromStdString(path)),
                   MsgType::Error, MsgButtons::OK);
    }
    datastructure_->OpenLastDatastructure(1);
}

void TStartup::FormShow() {
    if (firstShowDone_) return;
    firstShowDone_ = true;
    TKivStringGrid* first = panels_->Panel(1);
    if (first->Editing() && first->CaptionEditor && first->CaptionEditor->height() > 0)
        first->CaptionEditor->setFocus(Qt::OtherFocusReason);
    else if (isShown(first)) first->setFocus(Qt::OtherFocusReason);
}

void TStartup::WMCopyData(const std::string& path) {
    if (path.empty()) return;
    QMainWindow& w = ctx_.Window();
    if (w.isMinimized() || w.isHidden()) w.showNormal();
    w.raise();
    w.activateWindow();
    // A ".kiv" file that is not there is named by the open, when its turn comes.
    if (LowerExtension(path) != ".kiv") {
        if (!FileExists(path) && !DirExists(path))
            MessageDlg(
                QStringLiteral("The file \"%1\" does not exist.").arg(QString::fromStdString(path)),
                MsgType::Error, MsgButtons::OK);
        return;
    }
    // A command that works on the open pair (a pack, a copy of branches, a search) or a
    // question about it is never cut short: the handed file opens when it is done, in the
    // order the files came.
    waiting_.push_back(path);
    if (waiting_.size() > 1) return;
    search_->StopSearch();
    RunWhenFree(
        &w, [this] { return WindowHeld(); }, [this] { OpenWaitingFiles(); });
}

bool TStartup::WindowHeld() const {
    return ctx_.IsBusy() || datastructure_->Switching() ||
           QApplication::activeModalWidget() != nullptr;
}

void TStartup::OpenWaitingFiles() {
    while (!waiting_.empty()) {
        if (WindowHeld()) {
            RunWhenFree(
                &ctx_.Window(), [this] { return WindowHeld(); }, [this] { OpenWaitingFiles(); });
            return;
        }
        const std::string path = waiting_.front();
        waiting_.erase(waiting_.begin());
        GuardCall([&] { datastructure_->OpenDatastructureFile(path); });
    }
}

void TellNotHandedOver(const std::string& path) {
    MessageDlg(QStringLiteral("KIV is running but did not take the file \"%1\"; it was not opened.")
                   .arg(QString::fromLocal8Bit(path.data(), qsizetype(path.size()))),
               MsgType::Warning, MsgButtons::OK);
}

HandOverReceiver::HandOverReceiver(QObject* parent)
    : QObject(parent), server_(new HandOverServer(this)) {
    server_->OnCopyData = [this](const std::string& path) { Received(path); };
}

HandOverReceiver::~HandOverReceiver() = default;

bool HandOverReceiver::Listening() const { return server_->Listening(); }

void HandOverReceiver::SetWindow(TStartup* startup) {
    startup_ = startup;
    std::vector<std::string> waiting;
    waiting.swap(pending_);
    for (const std::string& p : waiting) Received(p);
}

void HandOverReceiver::StopListening() {
    server_->Close();
    startup_ = nullptr;
}

void HandOverReceiver::Received(const std::string& path) {
    if (!startup_) {
        pending_.push_back(path);
        return;
    }
    GuardCall([&] { startup_->WMCopyData(path); });
}

}  // namespace kiv
