#pragma once
// The window's side of "kiv.ini": the settings applied at creation (geometry, the view
// switches, the default font, the autoview delay) and collected at shut-down. Commands:
// the view switches it restores (acIconTitles, acAlwaysShowBars,
// BoxedTopicView1). The layout, the document view, the marks' and the path's switches and
// the autoview delay belong to their rooms, which it asks through their interfaces.
#include <QMargins>
#include <QObject>
#include <QRect>
#include <optional>

#include "mainwindow/autolaunch/AutoLaunchInterface.h"
#include "mainwindow/browser/BrowserInterface.h"
#include "mainwindow/datastructure/DatastructureInterface.h"
#include "mainwindow/layouts/LayoutsInterface.h"
#include "mainwindow/marks/MarksInterface.h"
#include "mainwindow/navpath/NavigationPathInterface.h"
#include "mainwindow/outline/OutlineInterface.h"
#include "mainwindow/settings/WindowSettingsInterface.h"
#include "platform/qt/KivAction.h"
#include "mainwindow/Published.h"
#include "mainwindow/panels/PanelsInterface.h"
#include "mainwindow/textcard/TextCardInterface.h"
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
    int DefaultDateTimeCode() const { return defaultDateTime_; }
    void SetDefaultDateTimeCode(int code) { defaultDateTime_ = code; }

    KivAction* acIconTitles = nullptr;
    KivAction* acAlwaysShowBars = nullptr;
    QAction* BoxedTopicView1 = nullptr;

    // Read by the later panes: the colour scheme.
    int CurrentSchemeIndex = 0;

private:
    void ApplyGeometry(const TStartGeometry& g);

    IWindowContext& ctx_;
    TNeed<IPanels> panels_;
    TNeed<ICollector> collector_;
    TNeed<IAutoLaunch> autoLaunch_;
    TNeed<IBrowser> browser_;
    TNeed<ILayouts> layouts_;
    TNeed<IOutline> outline_;
    TNeed<ITextCard> textCard_;
    TNeed<IMarks> marks_;
    TNeed<INavigationPath> nav_;
    TNeed<IDatastructure> datastructure_;
    std::optional<QRect> frameTarget_;
    int defaultDateTime_ = 6;  // the Set Default... choice
};

}  // namespace kiv
