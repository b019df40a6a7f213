#pragma once
// The window's side of "kiv.ini": the settings applied at creation (geometry, the view
// switches, the default font, the autoview delay) and collected at shut-down. Commands:
// the view switches it restores (acShowInterBaseTabs .. acDocViewSizer, SetDefault1,
// BoxedTopicView1, CompactLayoutSelection1, Circle1, Number1).
#include <QMargins>
#include <QObject>
#include <QRect>
#include <optional>

#include "mainwindow/autolaunch/AutoLaunchInterface.h"
#include "mainwindow/browser/BrowserInterface.h"
#include "mainwindow/settings/WindowSettingsInterface.h"
#include "platform/qt/KivAction.h"
#include "mainwindow/Published.h"
#include "mainwindow/panels/PanelsInterface.h"
#include "mainwindow/settings/WindowSettingsInterface.h"
#include "mainwindow/collector/CollectorInterface.h"

class QAction;
class QMenu;

namespace kiv {

class IWindowContext;
struct TStartGeometry;

class TWindowSettings : public QObject, public IWindowSettings {
    Q_OBJECT
public:
    explicit TWindowSettings(IWindowContext& ctx);
    void BuildComponents();

    void LoadSettings();
    void SaveSettings();
    // A window that fills the work area at a first start does so with its frame, whose size
    // is known only once the window is on the screen: the frame calls this when the window
    // is shown, moved or resized, until the frame has been fitted.
    void FitFrame();

    int ColorSchemeIndex() const override { return CurrentSchemeIndex; }
    void SetColorSchemeIndex(int index) override { CurrentSchemeIndex = index; }
    int DefaultDateTimeCode() const override { return SetDefault1->Tag; }
    void SetDefaultDateTimeCode(int code) override { SetDefault1->Tag = code; }

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
    KivAction* SetDefault1 = nullptr;
    QAction* BoxedTopicView1 = nullptr;
    QAction* CompactLayoutSelection1 = nullptr;
    QAction* Circle1 = nullptr;
    QAction* Number1 = nullptr;

    // Read by the later panes: the layout, colour scheme and row-lines settings.
    int CurrentLayout = 0;
    int PreviousLayout = 0;
    int CurrentSchemeIndex = 0;

private:
    void ApplyGeometry(const TStartGeometry& g);

    IWindowContext& ctx_;
    TNeed<IPanels> panels_;
    TNeed<ICollector> collector_;
    TNeed<IAutoLaunch> autoLaunch_;
    TNeed<IBrowser> browser_;
    std::optional<QRect> frameTarget_;
};

}  // namespace kiv
