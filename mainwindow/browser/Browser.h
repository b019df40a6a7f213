#pragma once
// The embedded browser in the card pane (pnlBrowser, with Splitter3 over the text card
// beside it): made at its first use, with the address box cbxBrowser that keeps the last
// twenty typed addresses ("VisitedLinks" in kiv.ini), back, forward, stop, refresh, print
// and open-in-external buttons, the page title in the window caption, and the link image
// imgLink, dragged out with the page's title or taking the page into a topic or the
// Resource Bin. Without a browser engine here the pane says why once asked, and links
// open with the desktop. Commands: acOpenBrowser, acShowTextCard, acAddWebLinkToCurrentTopic,
// acAddWebLinkToNewTopic, Navigate; menu pmUrlLink.
#include <QObject>
#include <QString>
#include <memory>
#include <string>

#include "mainwindow/Published.h"
#include "mainwindow/bins/BinsInterface.h"
#include "mainwindow/browser/BrowserInterface.h"
#include "mainwindow/launch/LaunchCardInterface.h"
#include "mainwindow/layouts/LayoutsInterface.h"
#include "platform/qt/KivAction.h"

class QComboBox;
class QLabel;
class QMenu;
class QToolButton;
class QWidget;

namespace kiv {

class IWindowContext;
struct TWindowEvents;
class TBrowserPane;

class TBrowser : public QObject, public IBrowser {
    Q_OBJECT
public:
    static constexpr int kMaxVisitedLinks = 20;

    explicit TBrowser(IWindowContext& ctx);
    ~TBrowser() override;
    void BuildComponents();
    void Subscribe(TWindowEvents& events);

    // ---- IBrowser ----
    void LoadVisitedLinks() override;
    void SaveVisitedLinks() override;
    bool BrowserShown() const override;
    bool TextCardShown() const override;
    void ToggleBrowser() override { acOpenBrowserExecute(); }
    void ToggleTextCard() override { acShowTextCardExecute(); }
    void SetTextCardChecked(bool checked) override { acShowTextCard->SetChecked(checked); }
    bool IsShowing(const std::string& link) const override;
    void OutlinerShownChanged(bool shown) override;
    void SetTextCardHeight(int height) override;

    // Shows or hides the browser pane; the first show makes the browser.
    void acOpenBrowserExecute();
    // The text card beside the browser, under it in the card pane.
    void acShowTextCardExecute();
    // The address box's text, as typed.
    void Navigate();
    // The browser shows the address (make room: it takes the window's space). False when
    // there is no browser.
    bool OpenLink(const std::string& address, bool makeRoom);
    // The outliner's room to the browser (or back), and the text card out of the pane.
    void btnMaximizeBrowserClick();
    // The page into the current topic, or into a new topic after the current one's branch.
    void AddBrowserLinkToTopic(bool newTopic);
    void AddLinkToResourceCard();

    // The browser's events.
    void BeforeNavigate(const QString& url);
    void TitleChange(const QString& title);
    void StatusTextChange(const QString& text);
    void DocumentComplete(bool ok);
    void CommandStateChange(int command, bool enable);

    // The browser, null until the first show (and when none can be made).
    TBrowserPane* Pane() const { return pane_.get(); }

    KivAction* acOpenBrowser = nullptr;
    KivAction* acShowTextCard = nullptr;
    KivAction* acAddWebLinkToCurrentTopic = nullptr;
    KivAction* acAddWebLinkToNewTopic = nullptr;
    KivAction* NavigateAction = nullptr;
    QWidget* pnlBrowserBar = nullptr;
    QWidget* pnlWeb = nullptr;
    QComboBox* cbxBrowser = nullptr;
    QToolButton* btnWebBack = nullptr;
    QToolButton* btnWebForward = nullptr;
    QToolButton* btnWebStop = nullptr;
    QToolButton* btnRefresh = nullptr;
    QToolButton* btnGo = nullptr;
    QToolButton* btnOpenFileInBrowser = nullptr;
    QToolButton* btnPrint = nullptr;
    QToolButton* btnBrtoExt = nullptr;
    QToolButton* btnMaximizeBrowser = nullptr;
    QToolButton* btnCloseBrowser = nullptr;
    QLabel* imgLink = nullptr;
    QMenu* pmUrlLink = nullptr;
    // 1 while a navigation started from the address box is pending.
    int BrowserTag = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildBar();
    void BuildActions();
    // False (and the user told why) when no browser can be made here.
    bool MakePane();
    void ShowWarning();
    QString FileCaption() const;
    void UpdateAddActions();
    void DragLink();

    IWindowContext& ctx_;
    TNeed<ILaunchCard> launch_;
    TNeed<IResourceBin> resourceBin_;
    TNeed<ILayouts> layouts_;
    std::unique_ptr<TBrowserPane> pane_;
    QString whyNot_;
    // The splitter over the text card's pane, and a drag of it: where it started and the
    // text card's height then.
    QWidget* splitter3_ = nullptr;
    QObject* boxEdit_ = nullptr;
    QWidget* textPane_ = nullptr;
    int splitterDragY_ = -1;
    int splitterDragHeight_ = 0;
};

}  // namespace kiv
