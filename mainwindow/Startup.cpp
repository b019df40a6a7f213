#include "mainwindow/Startup.h"

#include <QIcon>
#include <QPointer>
#include <QTimer>

#include "engine/panels/KivPanelsManager.h"
#include "mainwindow/MainWindow.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/KivApplication.h"
#include "platform/qt/Program.h"
#include "platform/qt/SingleInstance.h"

namespace kiv {

HandOverReceiver::HandOverReceiver(QObject* parent) : QObject(parent), server_(new HandOverServer(this)) {
    server_->OnCopyData = [this](const std::string& path) { Received(path); };
}

HandOverReceiver::~HandOverReceiver() = default;

bool HandOverReceiver::Listening() const { return server_->Listening(); }

void HandOverReceiver::SetWindow(TForm1* window) {
    window_ = window;
    std::vector<std::string> waiting;
    waiting.swap(pending_);
    for (const std::string& p : waiting) Received(p);
}

void HandOverReceiver::Received(const std::string& path) {
    if (!window_) {
        pending_.push_back(path);
        return;
    }
    GuardCall([&] { window_->WMCopyData(path); });
}

int RunKiv(int argc, char** argv) {
    // A later start hands its file over and ends before anything is made or written.
    if (!CheckSingleInstance(argc, argv)) return 0;
    ChooseQtPlatform();
    InitProgramFolders();
    KivApplication app(argc, argv);
    KivApplication::setApplicationName(QStringLiteral("KIV"));
    KivApplication::setQuitOnLastWindowClosed(false);
    CreatePanelsManager();

    int rc = 0;
    {
        HandOverReceiver receiver;
        TForm1 form;
        QStringList args = KivApplication::arguments();
        args.removeFirst();
        // A failure in the creation is reported; the window still comes up and can be closed.
        GuardCall([&] { form.FormCreate(args); });
        receiver.SetWindow(&form);
        CloseOnTerminationSignals([&form] { form.close(); });
        form.show();
        form.activateWindow();
        rc = KivApplication::exec();
        RestoreTerminationSignals();
        receiver.SetWindow(nullptr);
        form.FormDestroy();
    }
    FreePanelsManager();
    return rc;
}

}  // namespace kiv
