#include "mainwindow/ProgramWindows.h"

#include <QGuiApplication>

#include "dialogs/TextBinWindow.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/collector/Collector.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/WindowOwner.h"

namespace kiv {

TProgramWindows::TProgramWindows() = default;

TProgramWindows::~TProgramWindows() { Destroy(); }

void TProgramWindows::Create(const std::vector<std::string>& args) {
    Destroy();
    Swallow = std::make_unique<TfrmSwallow>();
    Form = std::make_unique<TForm1>();
    GuardCall([&] { Form->FormCreate(args); });
    TextBin = std::make_unique<TfrmTextBin>();
    SetWindowOwner(TextBin.get(), Form.get());
}

void TProgramWindows::Show() {
    Swallow->show();
    if (Form->isVisible()) Form->activateWindow();
}

void TProgramWindows::Destroy() {
    // The text bin editor goes home before the main window stores it.
    if (TextBin) TextBin->hide();
    if (Form) GuardCall([this] { Form->FormDestroy(); });
    TextBin.reset();
    Form.reset();
    Swallow.reset();
}

}  // namespace kiv
