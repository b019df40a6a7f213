#include "mainwindow/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>

#include "engine/core/Cards.h"
#include "engine/core/OutlineEdits.h"
#include "engine/core/Navigation.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/FileType.h"
#include "mainwindow/Globals.h"
#include "mainwindow/MainHelpers.h"
#include "platform/core/AppPaths.h"
#include "platform/core/KivStrings.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/WidgetState.h"

namespace kiv {

TForm1* Form1 = nullptr;

namespace {
std::string LowerExtension(const std::string& path) {
    size_t slash = path.find_last_of('/');
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return LowerCase(path.substr(dot));
}
}  // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    if (!PanelsManagerExists()) CreatePanelsManager();
    BuildComponents();
    Form1 = this;
}

TForm1::~TForm1() {
    if (created_ && !destroyed_) GuardCall([this] { FormDestroy(); });
    // The panels leave the manager with their widgets; the handles must not outlive us.
    ReleaseOpenPair();
    if (Form1 == this) Form1 = nullptr;
}

void TForm1::FormCreate(const QStringList& args) {
    if (created_) return;
    created_ = true;
    const std::string& appDir = AppDir();
    OpenUserIni(appDir + "userset.ini");
    odOpen.InitialDir = QString::fromStdString(appDir);
    odLaunchCard.InitialDir = QString::fromStdString(appDir);
    // The file type is registered at every start; nothing there may stop the start.
    RegisterKivFileType(QCoreApplication::applicationFilePath().toStdString());
    InterBase().OnCurrentChanged = [this](TInterBase1*, const std::string& path) { OpenDatastructure(path, true); };
    SetOpenDatastructureSource({[] { return CurrentBookMark.get(); }, [] { return CurrentNavigator.get(); }});
    TextBinEditor = txtTextBin;

    pnlBrowser->hide();
    Splitter3->hide();
    pnlSimpleText->show();

    OpenKivIni(appDir + "kiv.ini");
    LoadSettings();

    PanelsManager().OnEditModeOn = [this](TKivPanelsManager*) { EditModeOn(); };
    PanelsManager().OnEditModeOff = [this](TKivPanelsManager*) { EditModeOff(); };

    const std::pair<QWidget*, int> floating[] = {{pnlLaunchCard, 160}, {pnlTextBin, 278}, {pnlClipBin, 242},
                                                 {pnlLaunchBin, 262},  {pnlTemplateBin, 250}, {pnlMetaCard, 250}};
    for (const auto& [panel, height] : floating) {
        panel->setParent(this);
        panel->setGeometry(10, 80, 240, height + 1);
        MakePanelSizeable(panel);
        panel->hide();
    }
    sgdMeta->SetCells(0, 0, QStringLiteral("Tag"));
    sgdMeta->SetCells(1, 0, QStringLiteral("Value"));
    pnlMessage->move(pnlMessage->x(), 250);

    // The cover the password lock shows over the whole client area.
    pnlHider->setGeometry(0, 0, width(), height());
    pnlHider->raise();

    imgTextBMP->setPixmap(PanelsManager().TextBitmap);
    imgLaunchCard->setPixmap(PanelsManager().LinksBitmap);

    // The bins column starts closed; nothing of a datastructure can be used before one is open.
    pnlBins->hide();
    Splitter2->hide();
    EnableDatastructureMenus(false);

    // The start datastructure: a ".kiv" file named on the command line, else the most recent one.
    const std::string s = args.isEmpty() ? std::string() : Trim(args.first().toStdString());
    if (!s.empty() && LowerExtension(s) == ".kiv") {
        OpenDatastructureFile(QFileInfo(QString::fromStdString(s)).absoluteFilePath().toStdString());
    } else {
        OpenLastDatastructure(1);
    }
}

void TForm1::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    GuardCall([this] { FormShow(); });
}

void TForm1::FormShow() {
    if (!firstShowDone_) {
        firstShowDone_ = true;
        if (sgdFirst->Editing() && sgdFirst->CaptionEditor && sgdFirst->CaptionEditor->height() > 0)
            sgdFirst->CaptionEditor->setFocus(Qt::OtherFocusReason);
        else if (isShown(sgdFirst))
            sgdFirst->setFocus(Qt::OtherFocusReason);
    }
}

void TForm1::changeEvent(QEvent* e) {
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::ActivationChange)
        GuardCall([this] { isActiveWindow() ? FormActivate() : FormDeactivate(); });
}

void TForm1::FormActivate() {
    if (PanelsManagerExists()) PanelsManager().FormActive = isEnabled();
}

void TForm1::FormDeactivate() {
    if (PanelsManagerExists()) PanelsManager().FormActive = false;
    if (TKivStringGrid* g = CurrentGrid()) g->KeyDownSeen = false;
}

void TForm1::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    GuardCall([this] { FormResize(); });
}

void TForm1::FormResize() {
    if (pnlHider) pnlHider->setGeometry(0, 0, width(), height());
}

void TForm1::closeEvent(QCloseEvent* e) {
    // The topic being edited is stored whatever else fails, and the window closes.
    GuardCall([this] { FormClose(); });
    e->accept();
    QCoreApplication::quit();
}

void TForm1::FormClose() { FlushCurrentRow(); }

void TForm1::FormDestroy() {
    if (destroyed_ || !created_) return;
    destroyed_ = true;
    acExitKIV->SetChecked(true);
    // Each step runs even when one before it failed: the settings and the datastructure are
    // both to be on disk afterwards.
    GuardCall([this] { SaveSettings(); });
    GuardCall([this] { CloseDatastructure(); });
    GuardCall([] { PackDatastructure(AppDir() + "template.kiv"); });
    ClipCardBin.Clear();
    LostBin().Clear();
    TemplateBin.Clear();
    CloseKivIni();
    CloseUserIni();
}

void TForm1::EditModeOn() { EditMode->SetChecked(true); }

void TForm1::EditModeOff() {
    EditMode->SetChecked(false);
    if (!ExpandedNavigate->Checked()) CompactNavigate->SetChecked(true);
}

void TForm1::WMCopyData(const std::string& path) {
    if (path.empty() || !FileExists(path)) return;
    if (isMinimized() || isHidden()) showNormal();
    raise();
    activateWindow();
    if (LowerExtension(path) == ".kiv") OpenDatastructureFile(path);
}

void TForm1::ShowStatusHint(const QString& text) { StatusBar->showMessage(text); }

}  // namespace kiv
