// The settings file's rules: "kiv.ini" read into TKivSettings and written back, the start
// geometry and the recent-files list (the bookmarked datastructures are engine/core's
// BookMarkList). TWindowSettings (WindowSettings.*) applies them to the window; no command
// lives here.
#include "mainwindow/KivSettings.h"

#include <algorithm>
#include <cstdint>

#include "engine/core/Cards.h"
#include "engine/core/Navigation.h"
#include "platform/core/BlockFile.h"
#include "platform/core/KivStrings.h"

namespace kiv {

const char* const kSettingsSection = "Settings";
const char* const kLastOpenedSection = "LastOpened";

namespace {
const char* const S = kSettingsSection;
}  // namespace

TKivSettings ReadSettings(const IniFile& ini, int screenWidth) {
    TKivSettings s;
    s.ScreenHxW = ini.ReadInteger(S, "ScreenHxW", 0);
    s.MainTop = ini.ReadInteger(S, "MainW_Top", 0);
    s.MainLeft = ini.ReadInteger(S, "MainW_Left", 0);
    s.MainHeight = ini.ReadInteger(S, "MainW_Height", 600);
    s.MainWidth = ini.ReadInteger(S, "MainW_Width", 760);
    s.CollectorTop = ini.ReadInteger(S, "CollectorW_Top", 0);
    s.CollectorLeft = ini.ReadInteger(S, "CollectorW_Left", 0);
    s.DefaultDateTime = ini.ReadInteger(S, "DefaultDateTime", 6);
    s.InterBaseView = ini.ReadBool(S, "InterBaseView", true);
    s.BookMarkView = false;
    s.BookMark2View = ini.ReadBool(S, "BookMark2View", true);
    s.OutlineView = ini.ReadBool(S, "OutlineView", true);
    s.FullNavigationPath = ini.ReadBool(S, "FullNavigationPath", false);
    s.PanelsLayout = ini.ReadInteger(S, "PanelsLayout", 0);
    s.RowStrings = ini.ReadInteger(S, "RowStrings", 1);
    if (s.RowStrings <= 0 || s.RowStrings >= 4) s.RowStrings = 1;
    s.SelectedColorScheme = ini.ReadInteger(S, "SelectedColorScheme", 0);
    s.IconTitles = ini.ReadBool(S, "IconTitles", true);
    s.dfName = Trim(ini.ReadString(S, "dfName", "Arial"));
    if (s.dfName.empty()) s.dfName = "Arial";
    s.dfSize = ini.ReadInteger(S, "dfSize", 12);
    s.dfColor = ini.ReadInteger(S, "dfColor", 0);
    s.dfStyle = ini.ReadInteger(S, "dfStyle", 0) & 0x0F;
    s.AutoBackup = ini.ReadBool(S, "AutoBackup", false);
    s.NavArrows = ini.ReadBool(S, "NavArrows", true);
    s.AlwaysShowBars = ini.ReadBool(S, "AlwaysShowBars", false);
    s.Whitener = ini.ReadBool(S, "Whitener", true);
    s.CompactLayoutSelection =
        screenWidth > 800 ? ini.ReadBool(S, "CompactLayoutSelection", false) : true;
    s.BoxedTopicView = ini.ReadBool(S, "BoxedTopicView", false);
    s.DocViewNumber = ini.ReadBool(S, "DocViewNumber", true);
    s.DocViewNumber2 = s.DocViewNumber ? false : ini.ReadBool(S, "DocViewNumber2", false);
    s.DocViewText = ini.ReadBool(S, "DocViewText", false);
    s.DocViewLaunch = ini.ReadBool(S, "DocViewLaunch", false);
    s.DocViewSizer = ini.ReadBool(S, "DocViewSizer", false);
    s.AutoviewDelay = ini.ReadInteger(S, "AutoviewDelay", 250);
    return s;
}

void WriteSettings(IniFile& ini, const TKivSettings& s, const TInterBase1* bookMarked) {
    ini.WriteInteger(S, "ScreenHxW", s.ScreenHxW);
    ini.WriteInteger(S, "MainW_Top", s.MainTop);
    ini.WriteInteger(S, "MainW_Left", s.MainLeft);
    ini.WriteInteger(S, "MainW_Height", s.MainHeight);
    ini.WriteInteger(S, "MainW_Width", s.MainWidth);
    ini.WriteInteger(S, "CollectorW_Top", s.CollectorTop);
    ini.WriteInteger(S, "CollectorW_Left", s.CollectorLeft);
    ini.WriteInteger(S, "RowStrings", s.RowStrings);
    ini.WriteInteger(S, "SelectedColorScheme", s.SelectedColorScheme);
    ini.WriteInteger(S, "PanelsLayout", s.PanelsLayout);
    ini.WriteBool(S, "BookMarkView", s.BookMarkView);
    ini.WriteBool(S, "BookMark2View", s.BookMark2View);
    ini.WriteBool(S, "InterBaseView", s.InterBaseView);
    ini.WriteBool(S, "OutlineView", s.OutlineView);
    ini.WriteBool(S, "FullNavigationPath", s.FullNavigationPath);
    ini.WriteBool(S, "IconTitles", s.IconTitles);
    if (bookMarked) SaveBookMarkedDatastructures(ini, *bookMarked);
    ini.WriteString(S, "dfName", s.dfName);
    ini.WriteInteger(S, "dfSize", s.dfSize);
    ini.WriteInteger(S, "dfColor", s.dfColor);
    ini.WriteInteger(S, "dfStyle", s.dfStyle & 0x0F);
    ini.WriteBool(S, "AutoBackup", s.AutoBackup);
    ini.WriteBool(S, "NavArrows", s.NavArrows);
    ini.WriteBool(S, "AlwaysShowBars", s.AlwaysShowBars);
    ini.WriteInteger(S, "DefaultDateTime", s.DefaultDateTime);
    ini.WriteBool(S, "Whitener", s.Whitener);
    ini.WriteBool(S, "CompactLayoutSelection", s.CompactLayoutSelection);
    ini.WriteBool(S, "BoxedTopicView", s.BoxedTopicView);
    ini.WriteBool(S, "DocViewNumber", s.DocViewNumber);
    ini.WriteBool(S, "DocViewNumber2", s.DocViewNumber2);
    ini.WriteBool(S, "DocViewText", s.DocViewText);
    ini.WriteBool(S, "DocViewLaunch", s.DocViewLaunch);
    ini.WriteBool(S, "DocViewSizer", s.DocViewSizer);
}

bool OnSomeScreen(const QRect& window, const QList<QRect>& screens) {
    if (window.width() <= 0 || window.height() <= 0) return false;
    // The top edge is where the window is grabbed to move it.
    const QRect top(window.left(), window.top(), window.width(), qMin(window.height(), 10));
    for (const QRect& s : screens) {
        const QRect in = top.intersected(s);
        if (in.width() >= qMin(40, window.width()) && in.height() >= top.height()) return true;
    }
    return false;
}

namespace {

// The desktop: the screen and every screen beside it.
QRect DesktopOf(QSize screen, const QList<QRect>& screens) {
    QRect d(QPoint(0, 0), screen);
    for (const QRect& r : screens) d = d.united(r);
    return d;
}

// A size from kiv.ini, at most the desktop's; zero when it is none.
int SizeWithin(int64_t v, int desktop) { return v <= 0 ? 0 : int(std::min<int64_t>(v, desktop)); }

// A position from kiv.ini, so that an extent of the given size stays within reach of the
// desktop; the edges are computed without overflow.
int PositionWithin(int64_t v, int64_t from, int64_t extent, int64_t size) {
    return int(std::clamp<int64_t>(v, from - size, from + extent));
}

}  // namespace

TStartGeometry ResolveStartGeometry(const TKivSettings& s, QSize screen, const QRect& workArea,
                                    const QList<QRect>& screens) {
    TStartGeometry g;
    const int H = screen.height(), W = screen.width();
    // Values a hand or another build wrote are brought to the desktop first: a rectangle's
    // edges must be representable before it is compared with the screens.
    const QRect desk = DesktopOf(screen, screens);
    const int width = SizeWithin(s.MainWidth, desk.width());
    const int height = SizeWithin(s.MainHeight, desk.height());
    const QRect saved(PositionWithin(s.MainLeft, desk.x(), desk.width(), width),
                      PositionWithin(s.MainTop, desk.y(), desk.height(), height), width, height);
    if (int64_t(s.ScreenHxW) == int64_t(H) * W && OnSomeScreen(saved, screens)) {
        g.Main = saved;
        // The collector has no title bar to pull it back by: none of it goes before the desktop.
        g.Collector = QPoint(PositionWithin(s.CollectorLeft, desk.x(), desk.width(), 0),
                             PositionWithin(s.CollectorTop, desk.y(), desk.height(), 0));
        g.Saved = true;
    } else {
        g.Main = workArea.isValid() ? workArea : QRect(0, 0, W, H);
        g.Collector =
            QPoint(g.Main.left() + g.Main.width() - kCollectorWidth - 50, g.Main.top() + 50);
    }
    // The far edges are those of the whole desktop, so a second screen to the right or
    // below keeps its windows.
    int right = W, bottom = H;
    for (const QRect& r : screens) {
        right = qMax(right, r.x() + r.width());
        bottom = qMax(bottom, r.y() + r.height());
    }
    if (bottom - g.Main.top() < 10) g.Main.moveTop(0);
    if (right - g.Main.left() < 10) g.Main.moveLeft(0);
    if (bottom - g.Collector.y() < 10) g.Collector.setY(0);
    if (right - g.Collector.x() < 10) g.Collector.setX(0);
    return g;
}

}  // namespace kiv
