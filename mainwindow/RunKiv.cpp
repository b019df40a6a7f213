#include "mainwindow/RunKiv.h"

#include <algorithm>
#include <string>
#include <vector>

#include "dragdrop/QtDragDrop.h"
#include "engine/panels/KivPanelsManager.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/ProgramWindows.h"
#include "mainwindow/startup/Startup.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/KivApplication.h"
#include "platform/qt/Program.h"
#include "platform/qt/SingleInstance.h"

namespace kiv {

int RunKiv(int argc, char** argv) {
    // A later start hands its file over and ends before anything is made or written; one
    // that could not says so, since whoever double-clicked the file sees no terminal.
    std::string notHanded;
    if (!CheckSingleInstance(argc, argv, &notHanded)) {
        if (!notHanded.empty()) {
            ChooseQtPlatform();
            KivApplication app(argc, argv);
            KivApplication::setApplicationName(QStringLiteral("KIV"));
            TellNotHandedOver(notHanded);
        }
        return 0;
    }
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
        TProgramWindows windows;
        // A termination signal while the start-up still asks something (an error box) ends
        // the start: the box goes, and the program closes as it would from the window.
        TForm1* ready = nullptr;
        bool terminated = false;
        CloseOnTerminationSignals([&ready, &terminated] {
            if (ready) ready->CloseUnattended();
            else terminated = true;
        });
        // The application object took its own options out of argv; a file name keeps its
        // bytes, which need not be UTF-8.
        windows.Create(std::vector<std::string>(argv + std::min(argc, 1), argv + argc));
        TForm1& form = *windows.Form;
        receiver.SetWindow(&form.Startup());
        ready = &form;
        if (!terminated) {
            windows.Show();
            rc = KivApplication::exec();
        }
        RestoreTerminationSignals();
        receiver.StopListening();
        windows.Destroy();
    }
    FreePanelsManager();
    return rc;
}

}  // namespace kiv
