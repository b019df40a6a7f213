// panelshot OUT.png: three cascading outline panels over a small sample tree, shown in a
// window and saved as a picture, for looking at the panels' drawing.
#include <QApplication>
#include <QFont>
#include <QHBoxLayout>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <memory>

#include "engine/core/Cards.h"
#include "engine/core/NestFunctions.h"
#include "engine/core/TreeText.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"

using namespace kiv;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: panelshot OUT.png\n");
        return 2;
    }
    QApplication app(argc, argv);
    CreatePanelsManager();
    TKivPanelsManager& m = PanelsManager();

    const std::string path = TempDir() + "panelshot.kiv";
    MakeTreePair(
        path,
        "Projects(\"Garden shed\"(Foundation Walls Roof \"Paint and finish, two coats of the "
        "green that the neighbours chose last summer\") Kitchen Taxes) Reading(Novels Papers) "
        "Archive \"Old notes\"");
    auto kiv = PosixBlockFile::Open(path, OpenMode::ReadWrite, true);
    auto dsc = PosixBlockFile::Open(CardFilePathOf(path), OpenMode::ReadWrite, true);

    QWidget window;
    window.setWindowTitle("KIV panels");
    auto* layout = new QHBoxLayout(&window);
    layout->setContentsMargins(4, 4, 4, 4);
    TKivStringGrid* panels[3];
    for (int i = 0; i < 3; ++i) {
        panels[i] = new TKivStringGrid(&window);
        panels[i]->Tag = i + 1;
        panels[i]->SetDefaultColWidth(250);
        panels[i]->setFixedSize(254, 300);
        layout->addWidget(panels[i]);
    }
    m.SetNestFile(kiv.get());
    m.SetCardFile(dsc.get());
    m.LineHeight = m.MeasureLineHeight(panels[0]);

    TKivStringGrid* p1 = panels[0];
    TNester& n1 = *p1->Nester;
    n1.RootNest = ReadRootNest(kiv.get());
    n1.LoadBranch(-1, false);
    // Decorations: links, a text card, a locked topic, a clone and an external topic.
    bool stored = n1.LaunchList().SetLinks(1,
                                           "/usr/share/doc\x01"
                                           "docs\r\n");
    stored &= n1.Cards().WriteRowCard(kCardText, 0, "plans");
    n1.SetHasText(0, true);
    n1.SetLocked(2, true);
    stored &= n1.SetCaption(2, n1.Caption(2));
    n1.SetClone(3, true);
    stored &= n1.SetCaption(3, n1.Caption(3));
    n1.SetChildNest(3, -1);
    stored &= n1.SaveRowItem(3);
    stored &= n1.Cards().WriteRowCard(kCardExternal, 3, "/home/ann/Old Notes.kiv");
    if (!stored) {
        std::fprintf(stderr, "panelshot: the sample topics could not be stored\n");
        return 1;
    }
    n1.LoadBranch(-1, false);
    p1->SetRowCount(n1.RowCount());
    p1->UpdateRowHeights(0);
    p1->SelectRow(0);
    m.RefreshPanelsFrom(1);
    TKivStringGrid* p2 = panels[1];
    if (!p2->Nester->LaunchList().SetLinks(1,
                                           "http://example.org\x01"
                                           "a\r\nhttp://example.net\x01"
                                           "b\r\n")) {
        std::fprintf(stderr, "panelshot: the sample links could not be stored\n");
        return 1;
    }
    p2->Nester->SetMarked(2, true);
    p2->SelectRow(0);
    m.RefreshPanelsFrom(2);
    panels[2]->SetExpandAll(true);

    window.show();
    window.activateWindow();
    p1->setFocus();
    int rc = 1;
    QTimer::singleShot(500, [&] {
        p1->setFocus();
        QCoreApplication::processEvents();
        rc = window.grab().toImage().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
        app.quit();
    });
    app.exec();
    window.hide();
    FreePanelsManager();
    RemoveFile(path);
    RemoveFile(CardFilePathOf(path));
    return rc;
}
