// printshot OUT.png OUT.pdf [SECONDS]: the "Print & Export" window over a small sample
// outline after Generate (whole outline, numbers, text cards with their formatting, links),
// saved as a picture, and the document printed on a 600-dpi PDF printer, for looking at.
// With SECONDS the window stays up that long, for a screenshot of the whole screen.
#include <QApplication>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QCheckBox>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "dialogs/PrintWindow.h"
#include "engine/core/Cards.h"
#include "engine/core/NestFunctions.h"
#include "engine/core/TreeText.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "platform/core/KivError.h"
#include "platform/qt/Printer.h"

using namespace kiv;

// The sample is written whole or the picture would lie.
static void Stored(bool ok) {
    if (!ok) throw EKivError("printshot: a sample card could not be stored");
}

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: printshot OUT.png OUT.pdf [SECONDS]\n");
        return 2;
    }
    QApplication app(argc, argv);
    CreatePanelsManager();
    TKivPanelsManager& m = PanelsManager();

    const std::string path = TempDir() + "printshot.kiv";
    MakeTreePair(
        path,
        "\"Garden shed\"(Foundation Walls Roof) Kitchen(\"New tiles\" Lights) \"Caf\xC3\xA9 list\" Taxes");
    auto kiv = PosixBlockFile::Open(path, OpenMode::ReadWrite, true);
    auto dsc = PosixBlockFile::Open(CardFilePathOf(path), OpenMode::ReadWrite, true);
    m.SetNestFile(kiv.get());
    m.SetCardFile(dsc.get());

    auto owned = std::make_unique<TKivStringGrid>();
    TKivStringGrid& panel = *owned;
    panel.Tag = 1;
    TNester& n = *panel.Nester;
    n.RootNest = ReadRootNest(kiv.get());
    n.LoadBranch(-1, false);
    Stored(n.Cards().WriteRowCard(
        kCardText, 0,
        "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fnil\\fcharset2 Symbol;}}"
        "{\\colortbl ;\\red200\\green0\\blue0;}\\f0\\fs20 A shed of \\b larch boards\\b0  "
        "on a \\cf1 concrete\\cf0  base, 3 by 2 metres.\\par"
        "{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}"
        "\\fi-200\\li200 order the boards\\par{\\pntext\\f1\\'B7\\tab}book the mixer\\par}"));
    Stored(n.LaunchList().SetLinks(0,
                                   "http://example.org/shed-plans\x01"
                                   "Plans\r\n/home/ann/shed/costs.ods\x01"
                                   "Costs\r\n"));
    Stored(n.Cards().WriteRowCard(kCardText, 1,
                                  "Tiles: white, 10 x 10 cm.\r\nLights under the cupboards."));
    n.SetFontColor(3, 0x0000C0);
    n.SetFontStyle(3, fsBold);
    Stored(n.SetCaption(3, n.Caption(3)));
    Stored(n.Cards().WriteRowCard(
        kCardText, 3, "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\fs20\\i Due 31 May.\\i0\\par}"));
    n.LoadBranch(-1, false);
    panel.SetRowCount(n.RowCount());
    panel.SelectRow(0);

    TfrmPrint frm;
    frm.CurrentGrid = [&] { return &panel; };
    frm.rbOutline->setChecked(true);
    for (QCheckBox* c :
         {frm.cbxTopicsNumbers, frm.cbxWithTextCard, frm.cbxFormatting, frm.cbxWithLinks})
        c->setChecked(true);
    frm.resize(640, 560);
    frm.show();
    frm.activateWindow();

    const int seconds = argc == 4 ? std::atoi(argv[3]) : 0;
    int rc = 1;
    QTimer::singleShot(300, [&] {
        frm.btnGenerate->click();
        QCoreApplication::processEvents();
        QPrinter& printer = CurrentPrinter();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setResolution(600);
        printer.setOutputFileName(QString::fromLocal8Bit(argv[2]));
        frm.btnPrint->click();
        rc = frm.grab().toImage().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
        QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    });
    app.exec();
    frm.hide();
    owned.reset();
    FreePanelsManager();
    RemoveFile(path);
    RemoveFile(CardFilePathOf(path));
    return rc;
}
