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

void TForm1::BuildSkeleton() {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("KIV"));
    setMinimumSize(600, 500);
    resize(810, 536);
    BuildMenus();
    BuildPanes();
}

void TForm1::BuildMenus() {
    TWindowSkeleton& k = skeleton_;
    k.MainMenu1 = Named(menuBar(), "MainMenu1");

    k.acExitKIV = Action(this, "acExitKIV", QStringLiteral("Exit KIV"), true);

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

}  // namespace kiv
