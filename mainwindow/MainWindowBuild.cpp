// The main window's skeleton, built in code with the names the program's parts use:
// menus, tool bars, splitters, the pane containers the features fill, and the panes whose
// features come later, as plain widgets.
#include <QAction>
#include <QBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QSplitter>
#include <QStatusBar>
#include <QTextEdit>
#include <QToolBar>

#include "mainwindow/ComponentBuild.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/MainWindow.h"
#include "platform/qt/Grids.h"

namespace kiv {

namespace {

// A drop box picture, as large as a row's badge less its frame: a bent arrow going down
// into a branch; the highlighted one is filled.
QPixmap AppendPicture(bool highlighted) {
    QPixmap pm(24, 13);
    pm.fill(highlighted ? QColor(0xFF, 0xE0, 0x60) : QColor(0xF4, 0xF4, 0xF4));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(highlighted ? QColor(0x00, 0x30, 0xC0) : QColor(0x70, 0x70, 0x70), 1.6));
    p.drawLine(QPointF(5, 2), QPointF(5, 8));
    p.drawLine(QPointF(5, 8), QPointF(17, 8));
    QPainterPath head;
    head.moveTo(20, 8);
    head.lineTo(15, 4.5);
    head.lineTo(15, 11.5);
    head.closeSubpath();
    p.fillPath(head, p.pen().color());
    p.setPen(QColor(0x40, 0x40, 0x40));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, 23, 12));
    return pm;
}

}  // namespace

void TForm1::BuildSkeleton() {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("KIV"));
    setMinimumSize(600, 500);
    resize(810, 536);
    BuildMenus();
    BuildPanes();
    BuildFloatingPanels();
}

void TForm1::BuildMenus() {
    TWindowSkeleton& k = skeleton_;
    k.MainMenu1 = Named(menuBar(), "MainMenu1");

    k.acExitKIV = Action(this, "acExitKIV", QStringLiteral("Exit KIV"), true);
    k.acShowLaunchCard = Action(this, "acShowLaunchCard", QStringLiteral("Launch Card"), true);
    k.acShowMetaCard = Action(this, "acShowMetaCard", QStringLiteral("Meta-Data Card"), true);

    // The features fill the File and Settings menus; Exit closes the File menu when they did.
    k.File1 = Named(k.MainMenu1->addMenu(QStringLiteral("&File")), "File1");
    k.Exit1 = Item(this, "Exit1", QStringLiteral("Exit"));
    connect(k.Exit1, &QAction::triggered, this, &QWidget::close);
    k.Edit1 = Named(k.MainMenu1->addMenu(QStringLiteral("&Edit")), "Edit1");

    // Filled as the panes they command are built; they join the menu bar when they have items.
    k.View1 = Named(new QMenu(QStringLiteral("&View"), this), "View1");
    k.Cards1 = Named(new QMenu(QStringLiteral("&Cards"), this), "Cards1");

    k.Settings1 = Named(k.MainMenu1->addMenu(QStringLiteral("&Settings")), "Settings1");
}

void TForm1::BuildPanes() {
    TWindowSkeleton& k = skeleton_;
    auto* central = Panel(this, "pnlClient");
    setCentralWidget(central);
    auto* client = VBox(central);

    k.cbTools = Panel(central, "cbTools");
    auto* tools = HBox(k.cbTools);
    k.tbModes = Named(new QToolBar(k.cbTools), "tbModes");
    k.tbBins = Named(new QToolBar(k.cbTools), "tbBins");
    k.tbModes->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tools->addWidget(k.tbModes);
    tools->addWidget(k.tbBins);
    tools->addStretch(1);
    client->addWidget(k.cbTools);

    k.tsInterBase = Panel(central, "tsInterBase");
    client->addWidget(k.tsInterBase);
    k.pnlBMs = Panel(central, "pnlBMs");
    auto* bms = HBox(k.pnlBMs);
    k.pnlThreads = Panel(k.pnlBMs, "pnlThreads");
    k.pnlQuickJumps = Panel(k.pnlBMs, "pnlQuickJumps");
    bms->addWidget(k.pnlThreads);
    bms->addWidget(k.pnlQuickJumps);
    client->addWidget(k.pnlBMs);

    auto* work = Panel(central, "pnlWork");
    auto* workRow = HBox(work);
    k.pnlMain = Panel(work, "pnlMain");
    k.Splitter2 = Panel(work, "Splitter2");
    k.Splitter2->setFixedWidth(4);
    k.pnlBins = Panel(work, "pnlBins");
    workRow->addWidget(k.pnlMain, 1);
    workRow->addWidget(k.Splitter2);
    workRow->addWidget(k.pnlBins);
    client->addWidget(work, 1);

    auto* main = VBox(k.pnlMain);
    k.Splitter1 = Named(new QSplitter(Qt::Vertical, k.pnlMain), "Splitter1");
    k.Splitter1->setChildrenCollapsible(false);
    main->addWidget(k.Splitter1);

    // Card pane: the text card's pane (the text card fills it), the browser below.
    k.pnlCards = Panel(k.Splitter1, "pnlCards");
    auto* cards = VBox(k.pnlCards);
    k.pnlSimpleText = Panel(k.pnlCards, "pnlSimpleText");
    VBox(k.pnlSimpleText);
    cards->addWidget(k.pnlSimpleText, 1);
    k.Splitter3 = Panel(k.pnlCards, "Splitter3");
    k.Splitter3->setFixedHeight(4);
    cards->addWidget(k.Splitter3);
    k.pnlBrowser = Panel(k.pnlCards, "pnlBrowser");
    cards->addWidget(k.pnlBrowser);

    // Outliner pane: outline tabs, navigation path, the row the panels stand in.
    k.pnlKiv = Panel(k.Splitter1, "pnlKiv");
    auto* kiv = VBox(k.pnlKiv);
    k.tsOutLine = Panel(k.pnlKiv, "tsOutLine");
    kiv->addWidget(k.tsOutLine);
    k.pnlNavPath = Panel(k.pnlKiv, "pnlNavPath");
    auto* nav = HBox(k.pnlNavPath);
    nav->setContentsMargins(4, 1, 4, 1);
    k.pnlArrows = Panel(k.pnlNavPath, "pnlArrows");
    nav->addWidget(k.pnlArrows);
    nav->addStretch(1);
    k.lblNavigateMode = Named(new QLabel(QStringLiteral("whole"), k.pnlNavPath), "lblNavigateMode");
    nav->addWidget(k.lblNavigateMode);
    kiv->addWidget(k.pnlNavPath);
    k.pnlPanels = Panel(k.pnlKiv, "pnlPanels");
    HBox(k.pnlPanels)->setSpacing(2);
    kiv->addWidget(k.pnlPanels, 1);

    k.StatusBar = Named(statusBar(), "StatusBar");
}

void TForm1::FinishSkeleton() {
    // The panes share the height by what the features put into them.
    TWindowSkeleton& k = skeleton_;
    k.Splitter1->addWidget(k.pnlCards);
    k.Splitter1->addWidget(k.pnlKiv);
    k.Splitter1->setStretchFactor(0, 1);
    k.Splitter1->setStretchFactor(1, 3);
}

void TForm1::BuildFloatingPanels() {
    TWindowSkeleton& k = skeleton_;
    k.sgdMeta = Named(new TStringGrid(), "sgdMeta");
    k.sgdMeta->SetColCount(2);
    k.pnlMetaCard = FloatingPanel(this, "pnlMetaCard", QStringLiteral("Meta-Data Card"), k.sgdMeta);

    k.pnlDropBox = Panel(this, "pnlDropBox");
    k.imlAppend = {AppendPicture(false), AppendPicture(true)};
    k.imDropBox = Named(new QLabel(k.pnlDropBox), "imDropBox");
    k.imDropBox->setToolTip(QStringLiteral("Add to the underlying branch"));
    k.imDropBox->setPixmap(k.imlAppend[0]);
    k.imDropBox->setGeometry(0, 0, k.imlAppend[0].width(), k.imlAppend[0].height());
    k.pnlDropBox->resize(k.imlAppend[0].size());
    k.pnlDropBox->hide();
    k.imgTextBMP = Named(new QLabel(this), "imgTextBMP");
    k.imgTextBMP->hide();
    k.imgLaunchCard = Named(new QLabel(this), "imgLaunchCard");
    k.imgLaunchCard->hide();
}

}  // namespace kiv
