#pragma once
// The main window's frame: it builds the skeleton (menus, tool bars, splitters, pane
// containers), owns what the features share (the open datastructure pair, the settings,
// the busy guard), creates the features in the window's creation order and routes the
// window's own events. Every feature lives in its folder under mainwindow/ and sees the
// window only through IWindowContext.
//
// Life cycle: the constructor builds the components; FormCreate reads the settings and
// opens the start datastructure; closing the window (FormClose) stores the current topic
// (asking whether to close anyway when a card cannot be stored) and ends the event loop; FormDestroy saves the settings and joins the datastructure.
// The destructor runs FormDestroy when nobody did.
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/DatastructureFiles.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "mainwindow/settings/Settings.h"

namespace kiv {

class TBins;
class TCollector;
class TDatastructureLife;
class TPanelHandlers;
class TTextCard;
class TWindowSettings;
class TStartup;
class TFileType;
class TWaitPanel;
class TPrintCommands;
class TNavigationPath;
class THoisting;
class TDrops;
class TSearchPane;
class TfrmSwallow;
class TLaunchCard;
class TBins;
class TGraphicCard;
class TFileCommands;
class TMarks;
class TNavigationPath;
class THoisting;
class TSearchPane;
class TfrmSwallow;
class TMarks;

class TForm1 : public QMainWindow, public IWindowContext {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Steps of the window's creation; args are the command-line arguments after the
    // program's name, as the system gave their bytes.
    void FormCreate(const std::vector<std::string>& args);
    void FormShow();
    void FormActivate();
    void FormDeactivate();
    void FormResize();
    // The user closes the window: the current topic is stored. False when a card could not
    // be stored and the user chose to keep the window open.
    bool FormClose();
    // A close with nobody to ask (a termination signal): a text card that cannot be stored
    // is kept beside the datastructure as "<datastructure>.unsaved.rtf".
    void CloseUnattended();
    // Settings saved, datastructure closed and joined. Runs once.
    void FormDestroy();
    bool Destroyed() const { return destroyed_; }

    // Panels-manager callbacks.
    void EditModeOn();
    void EditModeOff();

    // ---- IWindowContext ----
    TDatastructurePair& Pair() override { return open_.Pair; }
    bool DatastructureOpen() const override { return open_.Pair.Outline != nullptr; }
    TKivStringGrid* CurrentGrid() const override;
    int CurrentRow() const override;
    void FlushCurrentRow() override;
    void ReloadCurrentRow() override;
    TWindowEvents& Events() override { return events_; }
    TPublished& Published() override { return published_; }
    TActionRegistry& Actions() override { return actions_; }
    TOpenDatastructure& Open() override { return open_; }
    kiv::Dialogs& Dialogs() override;
    TBusyCounter& BusyCounter() override { return busy_; }
    bool IsBusy() const override;
    void ShowStatusHint(const QString& text) override;
    void AddFloatingPanel(QWidget* panel, int height) override;
    TKivSettings& Settings() override { return settings_; }
    QMainWindow& Window() override { return *this; }
    TWindowSkeleton& Skeleton() override { return skeleton_; }

    // The features, for the frame and the tests; the features reach one another only
    // through what they publish.
    TDatastructureLife& Datastructure() { return *datastructure_; }
    TPanelHandlers& Panels() { return *panels_; }
    TTextCard& TextCard() { return *textCard_; }
    TWindowSettings& WindowSettings() { return *windowSettings_; }
    TStartup& Startup() { return *startup_; }
    TFileType& FileType() { return *fileType_; }
    TWaitPanel& WaitPanel() { return *waitPanel_; }
    TPrintCommands& Print() { return *print_; }
    TNavigationPath& NavPath() { return *navPath_; }
    THoisting& Hoist() { return *hoist_; }
    TDrops& Drops() { return *drops_; }
    TSearchPane& Search() { return *search_; }
    TfrmSwallow& Collector();
    TLaunchCard& LaunchCard() { return *launchCard_; }
    TBins& Bins() { return *bins_; }
    TGraphicCard& GraphicCard() { return *graphicCard_; }
    TFileCommands& FileCommands() { return *fileCommands_; }
    TMarks& Marks() { return *marks_; }

protected:
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void BuildSkeleton();
    void BuildMenus();
    void BuildPanes();
    void BuildFloatingPanels();
    void FinishSkeleton();
    void SubscribeFeatures();
    void PlaceFloatingPanels();

    TWindowSkeleton skeleton_;
    TOpenDatastructure open_;
    TPublished published_;
    TActionRegistry actions_;
    std::vector<std::pair<QPointer<QWidget>, int>> floating_;
    TKivSettings settings_;
    TBusyCounter busy_;
    TWindowEvents events_;
    bool created_ = false;
    bool destroyed_ = false;
    bool unattended_ = false;
    bool closeChosen_ = false;

    // In the window's creation order.
    std::unique_ptr<TFileType> fileType_;
    std::unique_ptr<TDatastructureLife> datastructure_;
    std::unique_ptr<TWindowSettings> windowSettings_;
    std::unique_ptr<TPanelHandlers> panels_;
    std::unique_ptr<TTextCard> textCard_;
    std::unique_ptr<TStartup> startup_;
    std::unique_ptr<TWaitPanel> waitPanel_;
    std::unique_ptr<TPrintCommands> print_;
    std::unique_ptr<TNavigationPath> navPath_;
    std::unique_ptr<THoisting> hoist_;
    std::unique_ptr<TDrops> drops_;
    std::unique_ptr<TSearchPane> search_;
    std::unique_ptr<TCollector> collector_;
    std::unique_ptr<TLaunchCard> launchCard_;
    std::unique_ptr<TBins> bins_;
    std::unique_ptr<TGraphicCard> graphicCard_;
    std::unique_ptr<TFileCommands> fileCommands_;
    std::unique_ptr<TMarks> marks_;
};

// The one main window (null before it exists and after it is gone).
extern TForm1* Form1;

}  // namespace kiv
