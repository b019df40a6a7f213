// The main window's components, built in code with the names the program's parts use.
// Panes whose behaviour comes with later parts of the window are plain widgets here.
#include <QAction>
#include <QActionGroup>
#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/Globals.h"
#include "mainwindow/MainHelpers.h"
#include "mainwindow/MainWindow.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/Grids.h"

namespace kiv {

namespace {

template <class W>
W* Named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QWidget* Panel(QWidget* parent, const char* name) { return Named(new QWidget(parent), name); }

KivAction* Action(QObject* owner, const char* name, const QString& caption, bool checkable = false) {
    auto* a = Named(new KivAction(caption, owner), name);
    if (checkable) a->setCheckable(true);
    return a;
}

QAction* Item(QObject* owner, const char* name, const QString& caption, bool checkable = false) {
    auto* a = Named(new QAction(caption, owner), name);
    if (checkable) a->setCheckable(true);
    return a;
}

QVBoxLayout* VBox(QWidget* w) {
    auto* l = new QVBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    return l;
}

QHBoxLayout* HBox(QWidget* w) {
    auto* l = new QHBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    return l;
}

// A floating panel: a header line with its caption over its content.
QWidget* FloatingPanel(QWidget* parent, const char* name, const QString& caption, QWidget* content) {
    QWidget* p = Panel(parent, name);
    p->setAutoFillBackground(true);
    auto* l = VBox(p);
    auto* header = new QLabel(caption, p);
    header->setObjectName(QString::fromLatin1(name) + QStringLiteral("Header"));
    header->setFixedHeight(18);
    header->setStyleSheet(QStringLiteral("background: palette(highlight); color: palette(highlighted-text); padding-left: 4px;"));
    l->addWidget(header);
    content->setParent(p);
    l->addWidget(content, 1);
    p->hide();
    return p;
}

}  // namespace

void TForm1::BuildComponents() {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("KIV"));
    setMinimumSize(600, 500);
    resize(810, 536);
    BuildMenus();
    BuildPanes();
    BuildFloatingPanels();

    tmrAutoLaunch = Named(new QTimer(this), "tmrAutoLaunch");
    tmrAutoLaunch->setSingleShot(true);
    tmrAutoLaunch->setInterval(250);

    odOpen.Title = QStringLiteral("Open Datastructure or File");
    odOpen.Filter = QStringLiteral("KIV Datastructures (*.kiv)|*.kiv|All files (*.*)|*");
    odOpen.FileMustExist = true;
    sdSaveAs.Filter = QStringLiteral("KIV Datastructures (*.kiv)|*.kiv");
    sdSaveAs.DefaultExt = QStringLiteral("kiv");
}

void TForm1::BuildMenus() {
    MainMenu1 = Named(menuBar(), "MainMenu1");

    acOpenDataBase = Action(this, "acOpenDataBase", QStringLiteral("Open Datastructure or File..."));
    acOpenDataBase->OnExecute = [this](KivAction*) { acOpenDataBaseExecute(); };
    acCreateDatabase = Action(this, "acCreateDatabase", QStringLiteral("Create New Datastructure..."));
    acCreateDatabase->OnExecute = [this](KivAction* a) { acCreateDatabaseExecute(a); };
    acSaveDatabaseAs = Action(this, "acSaveDatabaseAs", QStringLiteral("Save Datastructure As..."));
    acSaveDatabaseAs->OnExecute = [this](KivAction* a) { acCreateDatabaseExecute(a); };
    acAutoBackup = Action(this, "acAutoBackup", QStringLiteral("Datastructures Auto Backup"), true);
    acAutoBackup->AutoCheck = true;
    acAutoBackup->OnExecute = [](KivAction*) {};
    acExitKIV = Action(this, "acExitKIV", QStringLiteral("Exit KIV"), true);
    acReturnToBackup = Action(this, "acReturnToBackup", QStringLiteral("Return To Backup"));
    acShowTemplate = Action(this, "acShowTemplate", QStringLiteral("Template Bin"), true);
    acDoAsTemplate = Action(this, "acDoAsTemplate", QStringLiteral("Make New Template"));
    acShowLaunchBin = Action(this, "acShowLaunchBin", QStringLiteral("Resource Bin"), true);
    SetImageIndex(acShowLaunchBin, 17);
    acShowTextBin = Action(this, "acShowTextBin", QStringLiteral("Text Bin"), true);
    SetImageIndex(acShowTextBin, 18);
    acShowRecycledBin = Action(this, "acShowRecycledBin", QStringLiteral("Recycled Bin"));
    SetImageIndex(acShowRecycledBin, 6);
    acShowClipBin = Action(this, "acShowClipBin", QStringLiteral("Clip Bin"), true);
    acShowLaunchCard = Action(this, "acShowLaunchCard", QStringLiteral("Launch Card"), true);
    acShowMetaCard = Action(this, "acShowMetaCard", QStringLiteral("Meta-Data Card"), true);
    acShowInterBaseTabs = Action(this, "acShowInterBaseTabs", QStringLiteral("Bookmarked Datastructures Tabs"), true);
    acShowThreadsTabs = Action(this, "acShowThreadsTabs", QStringLiteral("Threads Tabs"), true);
    acShowQuickJumpsTabs = Action(this, "acShowQuickJumpsTabs", QStringLiteral("QuickJumps Tabs"), true);
    acOutlineView = Action(this, "acOutlineView", QStringLiteral("Outline Tabs"), true);
    acFullNavPath = Action(this, "acFullNavPath", QStringLiteral("Full Navigation Path"), true);
    acIconTitles = Action(this, "acIconTitles", QStringLiteral("Icon Titles"), true);
    acArrows = Action(this, "acArrows", QStringLiteral("Navigation Arrows"), true);
    acAlwaysShowBars = Action(this, "acAlwaysShowBars", QStringLiteral("Always Show Bars"), true);
    acWhitener = Action(this, "acWhitener", QStringLiteral("Whiten edited topic"), true);
    acDocViewNumber = Action(this, "acDocViewNumber", QStringLiteral("Numbers"), true);
    acDocViewText = Action(this, "acDocViewText", QStringLiteral("Text Pointers"), true);
    acDocViewLaunch = Action(this, "acDocViewLaunch", QStringLiteral("Launch Images"), true);
    acDocViewSizer = Action(this, "acDocViewSizer", QStringLiteral("Sizers"), true);
    acBold = Action(this, "acBold", QStringLiteral("Bold"), true);
    acItalic = Action(this, "acItalic", QStringLiteral("Italic"), true);
    acUnderline = Action(this, "acUnderline", QStringLiteral("Uderline"), true);
    acAutoview = Action(this, "acAutoview", QStringLiteral("Autoview"), true);
    acExtLaunch = Action(this, "acExtLaunch", QStringLiteral("External Launch"), true);
    EditMode = Action(this, "EditMode", QStringLiteral("Edit Mode"), true);
    CompactNavigate = Action(this, "CompactNavigate", QStringLiteral("Compact Navigate"), true);
    ExpandedNavigate = Action(this, "ExpandedNavigate", QStringLiteral("Expanded Navigate"), true);
    SetDefault1 = Action(this, "SetDefault1", QStringLiteral("Set Default..."));
    SetDefault1->Tag = 6;
    BoxedTopicView1 = Item(this, "BoxedTopicView1", QStringLiteral("Boxed Topic View"), true);
    CompactLayoutSelection1 = Item(this, "CompactLayoutSelection1", QStringLiteral("Compact Layout Selection"), true);
    Circle1 = Item(this, "Circle1", QStringLiteral("Circle"), true);
    Number1 = Item(this, "Number1", QStringLiteral("Number"), true);

    File1 = Named(MainMenu1->addMenu(QStringLiteral("&File")), "File1");
    File1->addAction(acOpenDataBase);
    File1->addAction(acCreateDatabase);
    File1->addAction(acSaveDatabaseAs);
    Template1 = Item(this, "Template1", QStringLiteral("Template"));
    connect(Template1, &QAction::triggered, this, [this] { GuardCall([this] { Template1Click(); }); });
    File1->addAction(Template1);
    File1->addSeparator();
    QAction** last[4] = {&miLast1, &miLast2, &miLast3, &miLast4};
    const char* lastNames[4] = {"miLast1", "miLast2", "miLast3", "miLast4"};
    for (int i = 0; i < 4; ++i) {
        QAction* a = Item(this, lastNames[i], QString::number(i + 1) + QLatin1Char(' '));
        a->setData(i + 1);  // the item's Tag
        connect(a, &QAction::triggered, this, [this, a] { GuardCall([this, a] { miLast4Click(a->data().toInt()); }); });
        File1->addAction(a);
        *last[i] = a;
    }
    File1->addSeparator();
    Exit1 = Item(this, "Exit1", QStringLiteral("Exit"));
    connect(Exit1, &QAction::triggered, this, &QWidget::close);
    File1->addAction(Exit1);

    // Filled as the panes they command are built; they join the menu bar when they have items.
    View1 = Named(new QMenu(QStringLiteral("&View"), this), "View1");
    Cards1 = Named(new QMenu(QStringLiteral("&Cards"), this), "Cards1");

    Settings1 = Named(MainMenu1->addMenu(QStringLiteral("&Settings")), "Settings1");
    Settings1->addAction(acAutoBackup);
    AutoviewDelay1 = Named(Settings1->addMenu(QStringLiteral("Autoview launch delay")), "AutoviewDelay1");
    auto* delays = new QActionGroup(this);
    const std::pair<const char*, int> delayItems[] = {{"1/8 sec.", 125}, {"1/6 sec.", 167}, {"1/4 sec.", 250},
                                                      {"1/2 sec.", 500}, {"1 sec.", 1000},  {"2 sec.", 2000},
                                                      {"3 sec.", 3000},  {"5 sec.", 5000}};
    for (const auto& [caption, tag] : delayItems) {
        QAction* a = AutoviewDelay1->addAction(QString::fromLatin1(caption));
        a->setCheckable(true);
        a->setData(tag);
        delays->addAction(a);
        connect(a, &QAction::triggered, this, [this, tag = tag] {
            GuardCall([this, tag] {
                tmrAutoLaunch->setInterval(tag);
                settings_.AutoviewDelay = tag;
                if (KivIniOpen()) KivIni().WriteInteger(kSettingsSection, "AutoviewDelay", tag);
            });
        });
    }

    pmLastOpened = Named(new QMenu(this), "pmLastOpened");
    connect(pmLastOpened, &QMenu::aboutToShow, this, [this] { GuardCall([this] { pmLastOpenedPopup(); }); });
}

void TForm1::BuildPanes() {
    auto* central = Panel(this, "pnlClient");
    setCentralWidget(central);
    auto* client = VBox(central);

    cbTools = Panel(central, "cbTools");
    auto* tools = HBox(cbTools);
    tbModes = Named(new QToolBar(cbTools), "tbModes");
    tbBins = Named(new QToolBar(cbTools), "tbBins");
    tbModes->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    auto* open = Named(new QToolButton(tbModes), "btnOpen");
    open->setDefaultAction(acOpenDataBase);
    open->setText(QStringLiteral("Open"));
    open->setMenu(pmLastOpened);
    open->setPopupMode(QToolButton::MenuButtonPopup);
    tbModes->addWidget(open);
    btnStrike = Named(new QToolButton(tbModes), "btnStrike");
    btnStrike->setCheckable(true);
    btnStrike->setText(QStringLiteral("S"));
    btnStrike->hide();
    tools->addWidget(tbModes);
    tools->addWidget(tbBins);
    tools->addStretch(1);
    client->addWidget(cbTools);

    tsInterBase = Panel(central, "tsInterBase");
    client->addWidget(tsInterBase);
    pnlBMs = Panel(central, "pnlBMs");
    auto* bms = HBox(pnlBMs);
    pnlThreads = Panel(pnlBMs, "pnlThreads");
    tsThreads = Panel(pnlThreads, "tsThreads");
    pnlQuickJumps = Panel(pnlBMs, "pnlQuickJumps");
    tsQuickJumps = Panel(pnlQuickJumps, "tsQuickJumps");
    bms->addWidget(pnlThreads);
    bms->addWidget(pnlQuickJumps);
    client->addWidget(pnlBMs);

    auto* work = Panel(central, "pnlWork");
    auto* workRow = HBox(work);
    pnlMain = Panel(work, "pnlMain");
    Splitter2 = Panel(work, "Splitter2");
    Splitter2->setFixedWidth(4);
    pnlBins = Panel(work, "pnlBins");
    workRow->addWidget(pnlMain, 1);
    workRow->addWidget(Splitter2);
    workRow->addWidget(pnlBins);
    client->addWidget(work, 1);

    auto* main = VBox(pnlMain);
    Splitter1 = Named(new QSplitter(Qt::Vertical, pnlMain), "Splitter1");
    Splitter1->setChildrenCollapsible(false);
    main->addWidget(Splitter1);

    // Card pane: the text card with its caption label, the pin and graphic cards beside
    // it, the browser below.
    pnlCards = Panel(Splitter1, "pnlCards");
    auto* cards = VBox(pnlCards);
    pnlSimpleText = Panel(pnlCards, "pnlSimpleText");
    auto* simple = VBox(pnlSimpleText);
    pnlCurDescr = Panel(pnlSimpleText, "pnlCurDescr");
    auto* descr = HBox(pnlCurDescr);
    descr->setContentsMargins(4, 2, 4, 2);
    lblCurDescr = Named(new QLabel(QStringLiteral("[untitled]"), pnlCurDescr), "lblCurDescr");
    lblCurDescr->setTextFormat(Qt::PlainText);
    QFont bold = lblCurDescr->font();
    bold.setBold(true);
    lblCurDescr->setFont(bold);
    descr->addWidget(lblCurDescr, 1);
    simple->addWidget(pnlCurDescr);
    auto* textRow = Panel(pnlSimpleText, "pnlTextRow");
    auto* row = HBox(textRow);
    pnlTextLeft = Panel(textRow, "pnlTextLeft");
    pnlPinCard = Panel(pnlTextLeft, "pnlPinCard");
    txtPinText = Named(new QTextEdit(pnlPinCard), "txtPinText");
    VBox(pnlTextLeft)->addWidget(pnlPinCard);
    VBox(pnlPinCard)->addWidget(txtPinText);
    pnlTextLeft->hide();
    txtSimpleText = Named(new QTextEdit(textRow), "txtSimpleText");
    txtSimpleText->setFrameShape(QFrame::NoFrame);
    txtSimpleText->setAcceptRichText(true);
    pnlTextRight = Panel(textRow, "pnlTextRight");
    pnlGraphicCard = Panel(pnlTextRight, "pnlGraphicCard");
    VBox(pnlTextRight)->addWidget(pnlGraphicCard);
    pnlTextRight->hide();
    row->addWidget(pnlTextLeft);
    row->addWidget(txtSimpleText, 1);
    row->addWidget(pnlTextRight);
    simple->addWidget(textRow, 1);
    cards->addWidget(pnlSimpleText, 1);
    Splitter3 = Panel(pnlCards, "Splitter3");
    Splitter3->setFixedHeight(4);
    cards->addWidget(Splitter3);
    pnlBrowser = Panel(pnlCards, "pnlBrowser");
    cards->addWidget(pnlBrowser);

    // Outliner pane: outline tabs, navigation path, the three panels side by side.
    pnlKiv = Panel(Splitter1, "pnlKiv");
    auto* kiv = VBox(pnlKiv);
    tsOutLine = Panel(pnlKiv, "tsOutLine");
    kiv->addWidget(tsOutLine);
    pnlNavPath = Panel(pnlKiv, "pnlNavPath");
    auto* nav = HBox(pnlNavPath);
    nav->setContentsMargins(4, 1, 4, 1);
    pnlArrows = Panel(pnlNavPath, "pnlArrows");
    nav->addWidget(pnlArrows);
    nav->addStretch(1);
    lblNavigateMode = Named(new QLabel(QStringLiteral("whole"), pnlNavPath), "lblNavigateMode");
    nav->addWidget(lblNavigateMode);
    kiv->addWidget(pnlNavPath);
    auto* panels = Panel(pnlKiv, "pnlPanels");
    auto* panelRow = HBox(panels);
    panelRow->setSpacing(2);
    sgdFirst = Named(new TKivStringGrid(panels), "sgdFirst");
    sgdSecond = Named(new TKivStringGrid(panels), "sgdSecond");
    sgdThird = Named(new TKivStringGrid(panels), "sgdThird");
    sgdFirst->Tag = 1;
    sgdSecond->Tag = 2;
    sgdThird->Tag = 3;
    for (TKivStringGrid* g : {sgdFirst, sgdSecond, sgdThird}) {
        panelRow->addWidget(g, 1);
        WirePanel(g);
    }
    kiv->addWidget(panels, 1);

    Splitter1->addWidget(pnlCards);
    Splitter1->addWidget(pnlKiv);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 3);

    StatusBar = Named(statusBar(), "StatusBar");
}

void TForm1::BuildFloatingPanels() {
    lvLaunchCard = Named(new QTreeWidget(), "lvLaunchCard");
    pnlLaunchCard = FloatingPanel(this, "pnlLaunchCard", QStringLiteral("Launch Card"), lvLaunchCard);
    txtTextBin = Named(new QTextEdit(), "txtTextBin");
    txtTextBin->setAcceptRichText(false);
    pnlTextBin = FloatingPanel(this, "pnlTextBin", QStringLiteral("Text Bin"), txtTextBin);
    connect(txtTextBin, &QTextEdit::textChanged, this, [this] { UpdateTextBinIcon(); });
    lbxClipCard = Named(new QListWidget(), "lbxClipCard");
    lbxClipCard->setSelectionMode(QAbstractItemView::ExtendedSelection);
    pnlClipBin = FloatingPanel(this, "pnlClipBin", QStringLiteral("Clip Bin"), lbxClipCard);
    lbxLaunchBin = Named(new QListWidget(), "lbxLaunchBin");
    lbxLaunchBin->setSelectionMode(QAbstractItemView::ExtendedSelection);
    pnlLaunchBin = FloatingPanel(this, "pnlLaunchBin", QStringLiteral("Resource Bin"), lbxLaunchBin);
    lbxTemplate = Named(new QListWidget(), "lbxTemplate");
    lbxTemplate->setSelectionMode(QAbstractItemView::ExtendedSelection);
    pnlTemplateBin = FloatingPanel(this, "pnlTemplateBin", QStringLiteral("Template Bin"), lbxTemplate);
    sgdMeta = Named(new TStringGrid(), "sgdMeta");
    sgdMeta->SetColCount(2);
    pnlMetaCard = FloatingPanel(this, "pnlMetaCard", QStringLiteral("Meta-Data Card"), sgdMeta);
    lbxBMList = Named(new QListWidget(), "lbxBMList");
    pnlBMList = FloatingPanel(this, "pnlBMList", QStringLiteral("QuickJump List"), lbxBMList);
    lbxBMListPopup = Named(new QListWidget(), "lbxBMListPopup");
    pnlBookmarks = FloatingPanel(this, "pnlBookmarks", QString(), lbxBMListPopup);

    pnlSearch = Panel(this, "pnlSearch");
    auto* search = VBox(pnlSearch);
    edKeywords = Named(new QLineEdit(pnlSearch), "edKeywords");
    btnFindNext = Named(new QToolButton(pnlSearch), "btnFindNext");
    btnFindNext->setText(QStringLiteral("Find Next"));
    btnFindNext->hide();
    lvSearch = Named(new QTreeWidget(pnlSearch), "lvSearch");
    search->addWidget(edKeywords);
    search->addWidget(btnFindNext);
    search->addWidget(lvSearch);
    pnlSearch->hide();

    pnlHider = Panel(this, "pnlHider");
    pnlHider->setAutoFillBackground(true);
    pnlHider->hide();
    pnlMessage = Panel(this, "pnlMessage");
    pnlMessage->hide();
    pnlDropBox = Panel(this, "pnlDropBox");
    pnlDropBox->hide();
    imgTextBMP = Named(new QLabel(this), "imgTextBMP");
    imgTextBMP->hide();
    imgLaunchCard = Named(new QLabel(this), "imgLaunchCard");
    imgLaunchCard->hide();
}

}  // namespace kiv
