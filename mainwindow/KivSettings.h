#pragma once
// The main window's settings in "kiv.ini": section "Settings" with the values as they are
// read and written, the start geometry, and the bookmarked datastructures. The window
// applies and collects them (TWindowSettings::LoadSettings / SaveSettings); the rules of reading
// them live here, where they can be tested without a window.
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <string>

#include "engine/core/BookMarkList.h"
#include "platform/core/IniFile.h"
#include "platform/qt/Colors.h"

namespace kiv {

class TInterBase1;

extern const char* const kSettingsSection;    // "Settings"
extern const char* const kLastOpenedSection;  // "LastOpened"

// The collector window is exactly its 42 x 42 drop panel.
constexpr int kCollectorWidth = 42;

struct TKivSettings {
    int ScreenHxW = 0;
    int MainTop = 0;
    int MainLeft = 0;
    int MainHeight = 600;
    int MainWidth = 760;
    int CollectorTop = 0;
    int CollectorLeft = 0;
    int DefaultDateTime = 6;
    bool InterBaseView = true;
    bool BookMarkView = false;  // written, never read: the Threads strip starts hidden
    bool BookMark2View = true;
    bool OutlineView = true;
    bool FullNavigationPath = false;
    int PanelsLayout = 0;
    int RowStrings = 1;
    int SelectedColorScheme = 0;
    bool IconTitles = true;
    std::string dfName = "Arial";
    int dfSize = 12;
    TColor dfColor = 0;
    int dfStyle = 0;
    bool AutoBackup = false;
    bool NavArrows = true;
    bool AlwaysShowBars = false;
    bool Whitener = true;
    bool CompactLayoutSelection = false;
    bool BoxedTopicView = false;
    bool DocViewNumber = true;
    bool DocViewNumber2 = false;
    bool DocViewText = false;
    bool DocViewLaunch = false;
    bool DocViewSizer = false;
    int AutoviewDelay = 250;
};

// Section "Settings" with the read rules: missing keys give the defaults; "dfName" is
// trimmed and empty becomes "Arial"; "RowStrings" 0 or from 4 up becomes 1;
// "CompactLayoutSelection" is read only on a screen wider than 800 pixels (on 800 or less
// it is on); "DocViewNumber2" is read only when "DocViewNumber" is off; "BookMarkView" is
// not read.
TKivSettings ReadSettings(const IniFile& ini, int screenWidth);
// Section "Settings" in the write order of the main window's shut-down. "AutoviewDelay"
// is written by its menu command, not here. The bookmarked datastructures, when given, are
// written where the shut-down writes them, between the view flags and the default font.
void WriteSettings(IniFile& ini, const TKivSettings& s, const TInterBase1* bookMarked = nullptr);

// Where the windows start.
struct TStartGeometry {
    QRect Main;          // left, top, width, height
    QPoint Collector;    // left, top
    bool Saved = false;  // the saved main-window position was used
};
// The saved geometry when "ScreenHxW" matches the screen (height x width) and the saved
// main window lies on one of the screens; otherwise the main window fills the work area
// and the collector sits 50 pixels below its top, 50 pixels left of its right edge.
// Either way a window less than 10 pixels from the desktop's right or bottom edge moves
// to the left or top edge.
TStartGeometry ResolveStartGeometry(const TKivSettings& s, QSize screen, const QRect& workArea,
                                    const QList<QRect>& screens);
// Whether a window rectangle shows enough of itself on one of the screens to be grabbed
// (a strip of its top edge at least 40 x 10 pixels lies on a screen).
bool OnSomeScreen(const QRect& window, const QList<QRect>& screens);

}  // namespace kiv
