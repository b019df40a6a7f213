#include "mainwindow/RunKiv.h"

#include <algorithm>
#include <string>
#include <vector>

#include "dragdrop/QtDragDrop.h"
#include "engine/panels/KivPanelsManager.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/startup/Startup.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/KivApplication.h"
#include "platform/qt/Program.h"
#include "platform/qt/SingleInstance.h"

namespace kiv {

int RunKiv(int argc, char** argv) {
    // A later start hands its file over and ends before anything is made or written.
    if (!CheckSingleInstance(argc, argv)) return 0;
    ChooseQtPlatform();
    InitProgramFolders();
    KivApplication app(argc, argv);
    KivApplication::setApplicationName(QStringLiteral("KIV"));
    KivApplication::setQuitOnLastWindowClosed(false);
    // Drags and the clipboard of the desktop, for every drop target and source.
    UseQtDragDrop();
    CreatePanelsManager();

    int rc = 0;
    {
        HandOverReceiver receiver;
        TForm1 form;
        // The application object took its own options out of argv; a file name keeps its
        // bytes, which need not be UTF-8.
        const std::vector<std::string> args(argv + std::min(argc, 1), argv + argc);
        // A failure in the creation is reported; the window still comes up and can be closed.
        GuardCall([&] { form.FormCreate(args); });
        receiver.SetWindow(&form.Startup());
        CloseOnTerminationSignals([&form] { form.CloseUnattended(); });
        form.show();
        form.activateWindow();
        rc = KivApplication::exec();
        RestoreTerminationSignals();
        receiver.StopListening();
        form.FormDestroy();
    }
    FreePanelsManager();
    return rc;
}

}  // namespace kiv
