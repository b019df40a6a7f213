#pragma once
// The graphic card of the current topic (card kind 3, one image path per line) in the pane
// pnlGraphicCard beside the text card: its images in the grid sgdGraphicCard, loaded when a
// topic becomes current and stored back before another does, while the pane is shown.
// Commands: acShowGraphicCard (toggles the pane; its image tells whether the topic has a
// graphic card), btnCloseGraphicCard, btnOpenGraphic and the popup pmGraphicCard (Add
// Image, Delete Image). Images dropped on the pane or pasted into the grid are added too;
// a locked topic takes none.
#include <QObject>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "mainwindow/Published.h"
#include "mainwindow/TopicRef.h"
#include "mainwindow/graphiccard/GraphicCardInterface.h"
#include "mainwindow/launch/LaunchCardInterface.h"
#include "mainwindow/textcard/TextCardInterface.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/KivAction.h"
#include "platform/qt/WinKeys.h"

class QAction;
class QLabel;
class QMenu;
class QToolButton;
class QWidget;

namespace kiv {

class IWindowContext;
struct TWindowEvents;
class TCustomGrid;
class TGrManager;
class TKivStringGrid;
class TStringGrid;

class TGraphicCard : public QObject, public IGraphicCard {
    Q_OBJECT
public:
    explicit TGraphicCard(IWindowContext& ctx);
    ~TGraphicCard() override;
    // The pane into the text card's right-hand column; the commands into the Cards menu.
    void BuildComponents();

    // The topic change: the row's list into the grid (only while the pane is shown; the
    // command's image follows the row's card always) / the list back to its topic when it
    // was changed. Store is false when the card could not be written (the user is told once,
    // and the list stays with its topic).
    void LoadGraphicCardList(TKivStringGrid* grid, int row);
    // Hands the window's events this feature handles to them.
    void Subscribe(TWindowEvents& events);
    bool StoreGraphicCardList(TKivStringGrid* grid, int row);
    // While set, a failed store is only recorded, for whoever asks UnstoredCard (the close).
    bool QuietStoreFailures = false;
    void SetQuietStoreFailures(bool on) override { QuietStoreFailures = on; }
    // What could not be stored, for a question to the user; empty when nothing is pending.
    QString UnstoredCard() const override;
    void CloseGraphicCard() override;
    std::vector<QWidget*> DropTargets() const override;
    bool IsDropTarget(const QWidget* target) const override;

    void acShowGraphicCardExecute();
    void btnCloseGraphicCardClick();
    // Add Image: the file chosen in odOpenGraphic is added and selected.
    void btnOpenGraphicClick();
    void DeleteImage1Click();
    // Files dropped or pasted: those with an image extension are added; none while the
    // topic is locked. The count added.
    int AddImageFiles(const QStringList& files) override;

    TGrManager& Manager() { return *grManager_; }
    // Opens an image (a double click) as a link is launched; replaceable for tests.
    std::function<void(const QString& file)> OpenImage;

    QWidget* pnlGraphicCard = nullptr;
    TStringGrid* sgdGraphicCard = nullptr;
    QToolButton* btnCloseGraphicCard = nullptr;
    QToolButton* btnOpenGraphic = nullptr;
    QLabel* imgWithGraphic = nullptr;
    QMenu* pmGraphicCard = nullptr;
    QAction* AddImage1 = nullptr;
    QAction* DeleteImage1 = nullptr;
    KivAction* acShowGraphicCard = nullptr;
    TOpenDialog odOpenGraphic;

    static constexpr int kImageWithGraphic = 50;
    static constexpr int kImageWithoutGraphic = 60;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void DrawCell(int ARow, const QRect& rect);
    void GridMouseMove(int X, int Y);
    void GridMouseDown(int Button, TShiftState Shift, int X, int Y);
    void GridKeyDown(Word& Key, TShiftState Shift);
    void UpdatePopup();
    // The topic the list belongs to may take changes (shown, valid, not locked).
    bool CardTopicWritable() const;
    void SetShowImage(bool hasCard);
    // The card's text as it is to be stored.
    std::string CardText() const;

    IWindowContext& ctx_;
    TNeed<ITextCard> textCard_;
    TNeed<ILaunchCard> launch_;
    std::unique_ptr<TGrManager> grManager_;
    // The topic whose list the grid shows.
    TTopicRef owner_;
    // Lines of the card that name no image file of ours: kept and written back.
    std::vector<std::string> keptLines_;
    bool storeFailureShown_ = false;
    QString storeFailure_;
};

}  // namespace kiv
