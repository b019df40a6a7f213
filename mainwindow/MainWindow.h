#pragma once
// The main window: outline panels, card panes, bins and the commands that open, show,
// store and close a datastructure. Built in code; every component is a member named as
// the component it stands for, with that name as its objectName.
//
// Life cycle: the constructor builds the components; FormCreate reads the settings and
// opens the start datastructure; closing the window (FormClose) stores the current topic
// and ends the event loop; FormDestroy saves the settings and joins the datastructure.
// The destructor runs FormDestroy when nobody did.
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <memory>
#include <string>

#include "engine/core/DatastructureFiles.h"
#include "engine/core/RecycledBin.h"
#include "mainwindow/Settings.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/KivAction.h"
#include "platform/qt/WinKeys.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QMenuBar;
class QSplitter;
class QStatusBar;
class QTextEdit;
class QTimer;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QWidget;

namespace kiv {

class TKivStringGrid;
class TStringGrid;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // ---- life cycle ----
    // Steps of the window's creation; args are the command-line arguments after the
    // program's name.
    void FormCreate(const QStringList& args);
    void FormShow();
    void FormActivate();
    void FormDeactivate();
    void FormResize();
    // The user closes the window: the current topic is stored, the event loop ends.
    void FormClose();
    // Settings saved, datastructure closed and joined. Runs once.
    void FormDestroy();
    bool Destroyed() const { return destroyed_; }

    // ---- the datastructure ----
    // Opens path as the datastructure (through the list of open datastructures).
    void OpenDatastructureFile(const std::string& path);
    // True when the datastructure is open afterwards. A failure tells the user why and
    // leaves the window with no datastructure open and the files as they were.
    bool OpenDatastructure(const std::string& path, bool createWhenMissing);
    void CloseDatastructure();
    void OpenLastDatastructure(int n);
    void EnableDatastructureMenus(bool on);
    bool DatastructureOpen() const { return pair_.Outline != nullptr; }

    // Commands of the File menu.
    void acOpenDataBaseExecute();
    void acCreateDatabaseExecute(KivAction* Sender);
    void miLast4Click(int n);
    void pmLastOpenedPopup();
    void Template1Click();

    // ---- settings ----
    void LoadSettings();
    void SaveSettings();
    const TKivSettings& Settings() const { return settings_; }

    // ---- outline panels ----
    // The topic change: the old topic is stored, the new one loaded into the panes.
    void sgdSecondSelRowChanged(TKivStringGrid* Sender, int OldRow, int NewRow);
    void sgdSecondEnter(TKivStringGrid* Sender);
    // The rows of a panel were reloaded: the panes follow the active panel's current topic.
    void sgdSecondItemsUpdated(TKivStringGrid* Sender, uint32_t NestStart);
    void sgdSecondMouseOverLaunch(TKivStringGrid* Sender, int ARow);
    void sgdSecondKeyDown(TKivStringGrid* Sender, Word& Key, TShiftState Shift);
    void sgdSecondKeyPress(TKivStringGrid* Sender, QChar& Key);
    void sgdSecondKeyUp(TKivStringGrid* Sender, Word& Key, TShiftState Shift);
    void sgdSecondMouseDown(TKivStringGrid* Sender, int Button, TShiftState Shift, int X, int Y);
    void sgdSecondMouseMove(TKivStringGrid* Sender, TShiftState Shift, int X, int Y);
    void sgdSecondMouseUp(TKivStringGrid* Sender, int Button, TShiftState Shift, int X, int Y);
    void sgdSecondEndDrag(TKivStringGrid* Sender);
    // Topics dragged from an outline panel onto a panel.
    void sgdSecondDragOver(TKivStringGrid* Sender, QObject* Source, int X, int Y, bool& Accept);
    void sgdSecondDragDrop(TKivStringGrid* Sender, QObject* Source, int X, int Y);
    // Stores the active panel's current topic / loads it again.
    void FlushCurrentRow();
    void ReloadCurrentRow();
    // The panel of the active panel number.
    TKivStringGrid* CurrentGrid() const;
    // The status bar's first panel.
    void ShowStatusHint(const QString& text);

    // ---- hand-over from a later start ----
    // A path another start handed over: a ".kiv" file opens as the datastructure.
    void WMCopyData(const std::string& path);

    // ---- panels-manager callbacks ----
    void EditModeOn();
    void EditModeOff();

    // ---- components ----
    QMenuBar* MainMenu1 = nullptr;
    QMenu* File1 = nullptr;
    QMenu* View1 = nullptr;
    QMenu* Cards1 = nullptr;
    QMenu* Settings1 = nullptr;
    QMenu* AutoviewDelay1 = nullptr;
    QMenu* pmLastOpened = nullptr;
    QAction* Template1 = nullptr;
    QAction* miLast1 = nullptr;
    QAction* miLast2 = nullptr;
    QAction* miLast3 = nullptr;
    QAction* miLast4 = nullptr;
    QAction* Exit1 = nullptr;

    KivAction* acOpenDataBase = nullptr;
    KivAction* acCreateDatabase = nullptr;
    KivAction* acSaveDatabaseAs = nullptr;
    KivAction* acAutoBackup = nullptr;
    KivAction* acExitKIV = nullptr;
    KivAction* acReturnToBackup = nullptr;
    KivAction* acShowTemplate = nullptr;
    KivAction* acDoAsTemplate = nullptr;
    KivAction* acShowLaunchBin = nullptr;
    KivAction* acShowTextBin = nullptr;
    KivAction* acShowRecycledBin = nullptr;
    KivAction* acShowClipBin = nullptr;
    KivAction* acShowLaunchCard = nullptr;
    KivAction* acShowMetaCard = nullptr;
    KivAction* acShowInterBaseTabs = nullptr;
    KivAction* acShowThreadsTabs = nullptr;
    KivAction* acShowQuickJumpsTabs = nullptr;
    KivAction* acOutlineView = nullptr;
    KivAction* acFullNavPath = nullptr;
    KivAction* acIconTitles = nullptr;
    KivAction* acArrows = nullptr;
    KivAction* acAlwaysShowBars = nullptr;
    KivAction* acWhitener = nullptr;
    KivAction* acDocViewNumber = nullptr;
    KivAction* acDocViewText = nullptr;
    KivAction* acDocViewLaunch = nullptr;
    KivAction* acDocViewSizer = nullptr;
    KivAction* acBold = nullptr;
    KivAction* acItalic = nullptr;
    KivAction* acUnderline = nullptr;
    KivAction* acAutoview = nullptr;
    KivAction* acExtLaunch = nullptr;
    KivAction* EditMode = nullptr;
    KivAction* CompactNavigate = nullptr;
    KivAction* ExpandedNavigate = nullptr;
    KivAction* SetDefault1 = nullptr;
    QAction* BoxedTopicView1 = nullptr;
    QAction* CompactLayoutSelection1 = nullptr;
    QAction* Circle1 = nullptr;
    QAction* Number1 = nullptr;

    QWidget* cbTools = nullptr;
    QToolBar* tbModes = nullptr;
    QToolBar* tbBins = nullptr;
    QToolButton* btnStrike = nullptr;
    QWidget* tsInterBase = nullptr;
    QWidget* pnlBMs = nullptr;
    QWidget* pnlThreads = nullptr;
    QWidget* tsThreads = nullptr;
    QWidget* pnlQuickJumps = nullptr;
    QWidget* tsQuickJumps = nullptr;
    QWidget* pnlMain = nullptr;
    QSplitter* Splitter1 = nullptr;
    QWidget* pnlKiv = nullptr;
    QWidget* tsOutLine = nullptr;
    QWidget* pnlNavPath = nullptr;
    QWidget* pnlArrows = nullptr;
    QLabel* lblNavigateMode = nullptr;
    TKivStringGrid* sgdFirst = nullptr;
    TKivStringGrid* sgdSecond = nullptr;
    TKivStringGrid* sgdThird = nullptr;
    QWidget* pnlCards = nullptr;
    QWidget* pnlSimpleText = nullptr;
    QWidget* pnlCurDescr = nullptr;
    QLabel* lblCurDescr = nullptr;
    QTextEdit* txtSimpleText = nullptr;
    QWidget* pnlTextLeft = nullptr;
    QWidget* pnlPinCard = nullptr;
    QTextEdit* txtPinText = nullptr;
    QWidget* pnlTextRight = nullptr;
    QWidget* pnlGraphicCard = nullptr;
    QWidget* Splitter3 = nullptr;
    QWidget* pnlBrowser = nullptr;
    QWidget* Splitter2 = nullptr;
    QWidget* pnlBins = nullptr;
    QWidget* pnlLaunchCard = nullptr;
    QTreeWidget* lvLaunchCard = nullptr;
    QWidget* pnlTextBin = nullptr;
    QTextEdit* txtTextBin = nullptr;
    QWidget* pnlClipBin = nullptr;
    QListWidget* lbxClipCard = nullptr;
    QWidget* pnlLaunchBin = nullptr;
    QListWidget* lbxLaunchBin = nullptr;
    QWidget* pnlTemplateBin = nullptr;
    QListWidget* lbxTemplate = nullptr;
    QWidget* pnlMetaCard = nullptr;
    TStringGrid* sgdMeta = nullptr;
    QWidget* pnlBMList = nullptr;
    QListWidget* lbxBMList = nullptr;
    QWidget* pnlBookmarks = nullptr;
    QListWidget* lbxBMListPopup = nullptr;
    QWidget* pnlSearch = nullptr;
    QLineEdit* edKeywords = nullptr;
    QToolButton* btnFindNext = nullptr;
    QTreeWidget* lvSearch = nullptr;
    QWidget* pnlHider = nullptr;
    QWidget* pnlMessage = nullptr;
    QWidget* pnlDropBox = nullptr;
    QLabel* imgTextBMP = nullptr;
    QLabel* imgLaunchCard = nullptr;
    QStatusBar* StatusBar = nullptr;
    QTimer* tmrAutoLaunch = nullptr;

    TOpenDialog odOpen;
    TOpenDialog odLaunchCard;
    TSaveDialog sdSaveAs;

    // The clip card bin and the template bin (the removed topics and lost branches are
    // the engine's RecycledBin and LostBin).
    TRecycledBin ClipCardBin;
    TRecycledBin TemplateBin;

    // Where the collector window stands (it keeps its place in the settings).
    int CollectorTop = 0;
    int CollectorLeft = 0;
    // Read by the later panes: the layout, colour scheme and row-lines settings.
    int CurrentLayout = 0;
    int PreviousLayout = 0;
    int CurrentSchemeIndex = 0;

protected:
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void BuildComponents();
    void BuildMenus();
    void BuildPanes();
    void BuildFloatingPanels();
    void WirePanel(TKivStringGrid* grid);
    // A panel's one column takes the panel's whole width.
    void FitPanelColumn(TKivStringGrid* grid);
    void acHideAllCardsExecute();
    void UpdateTextBinIcon();
    void UpdateEditorReadOnly(bool locked);
    void LoadTextCardIntoEditor(TKivStringGrid* grid, int row);
    void StoreTextCard(TKivStringGrid* grid, int row);
    // Whether the text card editor shows that topic, and the row of the topic it shows.
    bool ShowsTextCardOf(TKivStringGrid* grid, int row) const;
    int TextOwnerRow() const;
    // Gives the topic being written a card directory, so it is found again when rows move.
    void AnchorTextOwner();
    void ShowNoTopic();
    void ReadDatastructureCards();
    void WriteDatastructureCards();
    void AddCurrentTopicToMarks();
    void SetLastOpenedCaptions(const std::vector<std::string>& entries);
    void ReleaseOpenPair();
    void CreateDatastructureAs(const std::string& target);
    void SaveDatastructureAs(const std::string& target);
    void ApplyGeometry(const TStartGeometry& g);

    TDatastructurePair pair_;
    TKivSettings settings_;
    bool created_ = false;
    bool destroyed_ = false;
    bool firstShowDone_ = false;
    std::string autoLaunchTarget_;
    // The topic whose text card the editor shows: its text goes back only there.
    struct TextCardOwner {
        TKivStringGrid* Grid = nullptr;
        int Row = -1;
        uint32_t ParentNest = 0;
        uint32_t CardDir = 0;
    } textOwner_;};

// The one main window (null before it exists and after it is gone).
extern TForm1* Form1;

}  // namespace kiv
