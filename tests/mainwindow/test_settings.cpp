// The settings file: defaults, the read rules, the write order, the start geometry and the
// bookmarked datastructures.
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "engine/core/Navigation.h"
#include "mainwindow/KivSettings.h"
#include "platform/core/BlockFile.h"
#include "platform/qt/TestHarness.h"

namespace kiv {
namespace {

class SettingsTest : public ::testing::Test {
protected:
    TestEnvironment env;
    std::string iniPath = env.Dir() + "kiv.ini";
    void Write(const std::string& text) { WriteFileAtomic(iniPath, text); }
};

TEST_F(SettingsTest, MissingFileGivesTheDefaults) {
    IniFile ini(iniPath);
    const TKivSettings s = ReadSettings(ini, 1024);
    const TKivSettings d;
    EXPECT_EQ(s.ScreenHxW, 0);
    EXPECT_EQ(s.MainHeight, 600);
    EXPECT_EQ(s.MainWidth, 760);
    EXPECT_EQ(s.DefaultDateTime, 6);
    EXPECT_TRUE(s.InterBaseView);
    EXPECT_TRUE(s.BookMark2View);
    EXPECT_TRUE(s.OutlineView);
    EXPECT_FALSE(s.FullNavigationPath);
    EXPECT_EQ(s.RowStrings, 1);
    EXPECT_TRUE(s.IconTitles);
    EXPECT_EQ(s.dfName, "Arial");
    EXPECT_EQ(s.dfSize, 12);
    EXPECT_FALSE(s.AutoBackup);
    EXPECT_TRUE(s.NavArrows);
    EXPECT_TRUE(s.Whitener);
    EXPECT_FALSE(s.CompactLayoutSelection);
    EXPECT_TRUE(s.DocViewNumber);
    EXPECT_FALSE(s.DocViewNumber2);
    EXPECT_EQ(s.AutoviewDelay, 250);
    EXPECT_FALSE(FileExists(iniPath)) << "reading must not create the file";
}

struct ReadCase {
    const char* lines;
    int screenWidth;
    std::function<bool(const TKivSettings&)> holds;
    const char* what;
};

TEST_F(SettingsTest, ReadRules) {
    const ReadCase cases[] = {
        {"dfName=   \r\n", 1024, [](const TKivSettings& s) { return s.dfName == "Arial"; },
         "blank font name"},
        {"dfName=  Courier New \r\n", 1024,
         [](const TKivSettings& s) { return s.dfName == "Courier New"; }, "font name trimmed"},
        {"RowStrings=0\r\n", 1024, [](const TKivSettings& s) { return s.RowStrings == 1; },
         "row lines 0"},
        {"RowStrings=7\r\n", 1024, [](const TKivSettings& s) { return s.RowStrings == 1; },
         "row lines 7"},
        {"RowStrings=-2\r\n", 1024, [](const TKivSettings& s) { return s.RowStrings == 1; },
         "row lines negative"},
        {"RowStrings=3\r\n", 1024, [](const TKivSettings& s) { return s.RowStrings == 3; },
         "row lines 3"},
        {"CompactLayoutSelection=0\r\n", 800,
         [](const TKivSettings& s) { return s.CompactLayoutSelection; }, "compact on 800"},
        {"", 1024, [](const TKivSettings& s) { return !s.CompactLayoutSelection; },
         "compact default wide"},
        {"CompactLayoutSelection=1\r\n", 1024,
         [](const TKivSettings& s) { return s.CompactLayoutSelection; }, "compact read wide"},
        {"DocViewNumber=1\r\nDocViewNumber2=1\r\n", 1024,
         [](const TKivSettings& s) { return s.DocViewNumber && !s.DocViewNumber2; }, "circles win"},
        {"DocViewNumber=0\r\nDocViewNumber2=1\r\n", 1024,
         [](const TKivSettings& s) { return !s.DocViewNumber && s.DocViewNumber2; }, "numbers"},
        {"BookMarkView=1\r\n", 1024, [](const TKivSettings& s) { return !s.BookMarkView; },
         "threads strip hidden"},
        {"dfStyle=9\r\n", 1024, [](const TKivSettings& s) { return s.dfStyle == 9; }, "style bits"},
        {"dfStyle=$FF\r\n", 1024, [](const TKivSettings& s) { return s.dfStyle == 15; },
         "other style bits dropped"},
        {"AutoBackup=2\r\n", 1024, [](const TKivSettings& s) { return s.AutoBackup; },
         "boolean as integer"},
        {"OutlineView=yes\r\n", 1024, [](const TKivSettings& s) { return s.OutlineView; },
         "boolean not a number"},
    };
    for (const ReadCase& c : cases) {
        Write(std::string("[Settings]\r\n") + c.lines);
        IniFile ini(iniPath);
        EXPECT_TRUE(c.holds(ReadSettings(ini, c.screenWidth))) << c.what;
    }
}

TEST_F(SettingsTest, WrittenSettingsReadBack) {
    TKivSettings s;
    s.ScreenHxW = 768 * 1024;
    s.MainTop = 11;
    s.MainLeft = 22;
    s.MainHeight = 633;
    s.MainWidth = 777;
    s.CollectorTop = 44;
    s.CollectorLeft = 55;
    s.DefaultDateTime = 9;
    s.InterBaseView = false;
    s.BookMark2View = false;
    s.OutlineView = false;
    s.FullNavigationPath = true;
    s.PanelsLayout = 5;
    s.RowStrings = 2;
    s.SelectedColorScheme = 3;
    s.IconTitles = false;
    s.dfName = "Times New Roman";
    s.dfSize = 14;
    s.dfColor = 0x0000FF;
    s.dfStyle = 5;
    s.AutoBackup = true;
    s.NavArrows = false;
    s.AlwaysShowBars = true;
    s.Whitener = false;
    s.CompactLayoutSelection = true;
    s.BoxedTopicView = true;
    s.DocViewNumber = false;
    s.DocViewNumber2 = true;
    s.DocViewText = true;
    s.DocViewLaunch = true;
    s.DocViewSizer = true;
    s.AutoviewDelay = 1000;
    {
        IniFile ini(iniPath);
        WriteSettings(ini, s);
    }
    IniFile ini(iniPath);
    TKivSettings r = ReadSettings(ini, 1024);
    EXPECT_FALSE(ini.ValueExists("Settings", "AutoviewDelay"))
        << "the delay menu writes it, not the shut-down";
    r.AutoviewDelay = s.AutoviewDelay;
    EXPECT_EQ(r.ScreenHxW, s.ScreenHxW);
    EXPECT_EQ(r.MainTop, 11);
    EXPECT_EQ(r.MainLeft, 22);
    EXPECT_EQ(r.MainHeight, 633);
    EXPECT_EQ(r.MainWidth, 777);
    EXPECT_EQ(r.CollectorTop, 44);
    EXPECT_EQ(r.CollectorLeft, 55);
    EXPECT_EQ(r.DefaultDateTime, 9);
    EXPECT_FALSE(r.InterBaseView);
    EXPECT_FALSE(r.BookMark2View);
    EXPECT_FALSE(r.OutlineView);
    EXPECT_TRUE(r.FullNavigationPath);
    EXPECT_EQ(r.PanelsLayout, 5);
    EXPECT_EQ(r.RowStrings, 2);
    EXPECT_EQ(r.SelectedColorScheme, 3);
    EXPECT_FALSE(r.IconTitles);
    EXPECT_EQ(r.dfName, "Times New Roman");
    EXPECT_EQ(r.dfSize, 14);
    EXPECT_EQ(r.dfColor, 0x0000FF);
    EXPECT_EQ(r.dfStyle, 5);
    EXPECT_TRUE(r.AutoBackup);
    EXPECT_FALSE(r.NavArrows);
    EXPECT_TRUE(r.AlwaysShowBars);
    EXPECT_FALSE(r.Whitener);
    EXPECT_TRUE(r.CompactLayoutSelection);
    EXPECT_TRUE(r.BoxedTopicView);
    EXPECT_FALSE(r.DocViewNumber);
    EXPECT_TRUE(r.DocViewNumber2);
    EXPECT_TRUE(r.DocViewText);
    EXPECT_TRUE(r.DocViewLaunch);
    EXPECT_TRUE(r.DocViewSizer);
    // Booleans as "1"/"0", integers in decimal, as the Windows program writes them.
    EXPECT_EQ(ini.ReadString("Settings", "FullNavigationPath", ""), "1");
    EXPECT_EQ(ini.ReadString("Settings", "Whitener", ""), "0");
    EXPECT_EQ(ini.ReadString("Settings", "dfColor", ""), "255");
}

TEST_F(SettingsTest, WriteOrderOfAFreshFileWithTheBookmarksBetween) {
    TInterBase1 list;
    {
        IniFile ini(iniPath);
        WriteSettings(ini, TKivSettings{}, &list);
    }
    IniFile ini(iniPath);
    const std::vector<std::string> expected = {"ScreenHxW",
                                               "MainW_Top",
                                               "MainW_Left",
                                               "MainW_Height",
                                               "MainW_Width",
                                               "CollectorW_Top",
                                               "CollectorW_Left",
                                               "RowStrings",
                                               "SelectedColorScheme",
                                               "PanelsLayout",
                                               "BookMarkView",
                                               "BookMark2View",
                                               "InterBaseView",
                                               "OutlineView",
                                               "FullNavigationPath",
                                               "IconTitles",
                                               "dfName",
                                               "dfSize",
                                               "dfColor",
                                               "dfStyle",
                                               "AutoBackup",
                                               "NavArrows",
                                               "AlwaysShowBars",
                                               "DefaultDateTime",
                                               "Whitener",
                                               "CompactLayoutSelection",
                                               "BoxedTopicView",
                                               "DocViewNumber",
                                               "DocViewNumber2",
                                               "DocViewText",
                                               "DocViewLaunch",
                                               "DocViewSizer"};
    EXPECT_EQ(ini.ReadSection("Settings"), expected);
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Settings"}))
        << "an empty list writes no section";
}

// ---- geometry ----

struct GeometryCase {
    TKivSettings s;
    QRect main;
    QPoint collector;
    bool saved;
    const char* what;
};

TKivSettings Saved(int left, int top, int width, int height, int cLeft = 300, int cTop = 40,
                   int hxw = 768 * 1024) {
    TKivSettings s;
    s.ScreenHxW = hxw;
    s.MainLeft = left;
    s.MainTop = top;
    s.MainWidth = width;
    s.MainHeight = height;
    s.CollectorLeft = cLeft;
    s.CollectorTop = cTop;
    return s;
}

TEST(StartGeometry, Rules) {
    const QSize screen(1024, 768);
    const QRect work(0, 0, 1024, 768);
    const QList<QRect> screens{QRect(0, 0, 1024, 768)};
    const GeometryCase cases[] = {
        {TKivSettings{}, QRect(0, 0, 1024, 768), QPoint(1024 - 42 - 50, 50), false, "first start"},
        {Saved(20, 30, 700, 550), QRect(20, 30, 700, 550), QPoint(300, 40), true,
         "saved on this screen"},
        {Saved(20, 30, 700, 550, 300, 40, 600 * 800), QRect(0, 0, 1024, 768), QPoint(932, 50),
         false, "other resolution"},
        {Saved(5000, 30, 700, 550), QRect(0, 0, 1024, 768), QPoint(932, 50), false,
         "off every screen"},
        {Saved(30, -400, 700, 550), QRect(0, 0, 1024, 768), QPoint(932, 50), false,
         "title bar above the screen"},
        {Saved(-100, 30, 700, 550), QRect(-100, 30, 700, 550), QPoint(300, 40), true,
         "partly left of the screen"},
        {Saved(20, 30, 700, 550, 1020, 765), QRect(20, 30, 700, 550), QPoint(0, 0), true,
         "collector at the far edge"},
    };
    for (const GeometryCase& c : cases) {
        const TStartGeometry g = ResolveStartGeometry(c.s, screen, work, screens);
        EXPECT_EQ(g.Main, c.main) << c.what;
        EXPECT_EQ(g.Collector, c.collector) << c.what;
        EXPECT_EQ(g.Saved, c.saved) << c.what;
    }
}

// Values no window wrote: every edge of the result is representable and the window is
// reachable on the screen, whatever kiv.ini holds.
TEST(StartGeometry, HostileValuesAreBroughtToTheDesktop) {
    constexpr int kMin = std::numeric_limits<int>::min(), kMax = std::numeric_limits<int>::max();
    const QSize screen(1024, 768);
    const QRect work(0, 0, 1024, 768);
    const QList<QRect> screens{QRect(0, 0, 1024, 768)};
    struct Case {
        TKivSettings s;
        QRect main;
        QPoint collector;
        const char* what;
    };
    const QRect whole(0, 0, 1024, 768);
    const QPoint corner(1024 - 42 - 50, 50);
    const Case cases[] = {
        {Saved(0, 0, 700, kMin), whole, corner, "height the least int"},
        {Saved(0, 0, kMin, 550), whole, corner, "width the least int"},
        {Saved(0, 0, kMax, kMax), whole, QPoint(300, 40), "size the largest int"},
        {Saved(kMax, kMax, kMax, kMax), whole, corner, "everything the largest int"},
        {Saved(kMin, kMin, kMax, kMax), whole, corner, "far left and up, all over"},
        {Saved(kMax, 0, 700, 550), whole, corner, "left the largest int"},
        {Saved(kMin, 0, 700, 550), whole, corner, "left the least int"},
        {Saved(20, 30, 700, 550, kMax, kMin), QRect(20, 30, 700, 550), QPoint(0, 0),
         "collector far away"},
        {Saved(20, 30, 700, 550, kMin, kMax), QRect(20, 30, 700, 550), QPoint(0, 0),
         "collector far away the other way"},
        {Saved(20, 30, 700, 550, 300, 40, kMin), whole, corner, "screen product the least int"},
    };
    for (const Case& c : cases) {
        const TStartGeometry g = ResolveStartGeometry(c.s, screen, work, screens);
        EXPECT_EQ(g.Main, c.main) << c.what;
        EXPECT_EQ(g.Collector, c.collector) << c.what;
    }
}

TEST(StartGeometry, SecondScreenAndWorkArea) {
    const QList<QRect> screens{QRect(0, 0, 1024, 768), QRect(1024, 0, 1280, 1024)};
    // On the right-hand screen: kept, although the primary screen alone ends left of it.
    TStartGeometry g = ResolveStartGeometry(Saved(1100, 30, 700, 550, 2200, 40), QSize(1024, 768),
                                            QRect(0, 0, 1024, 768), screens);
    EXPECT_TRUE(g.Saved);
    EXPECT_EQ(g.Main, QRect(1100, 30, 700, 550));
    EXPECT_EQ(g.Collector, QPoint(2200, 40));
    // A first start fills the work area (a panel takes the top 24 pixels).
    g = ResolveStartGeometry(TKivSettings{}, QSize(1024, 768), QRect(0, 24, 1024, 744), screens);
    EXPECT_EQ(g.Main, QRect(0, 24, 1024, 744));
    EXPECT_EQ(g.Collector, QPoint(1024 - 42 - 50, 24 + 50));
}

TEST(StartGeometry, OnSomeScreen) {
    const QList<QRect> screens{QRect(0, 0, 1024, 768)};
    EXPECT_TRUE(OnSomeScreen(QRect(0, 0, 100, 100), screens));
    EXPECT_TRUE(OnSomeScreen(QRect(1024 - 40, 0, 300, 100), screens));
    EXPECT_FALSE(OnSomeScreen(QRect(1024 - 39, 0, 300, 100), screens));
    EXPECT_FALSE(OnSomeScreen(QRect(0, 768 - 9, 300, 100), screens));
    EXPECT_FALSE(OnSomeScreen(QRect(0, 0, 0, 0), screens));
    EXPECT_FALSE(OnSomeScreen(QRect(0, 0, 100, 100), {}));
}

// ---- bookmarked datastructures ----

TEST_F(SettingsTest, BookmarkedDatastructuresFilteredAtLoadAndRelativeAtSave) {
    const std::string dir = env.Dir();
    for (const char* f : {"a.kiv", "template.kiv", "notes.txt"}) WriteFileAtomic(dir + f, "x");
    MakeDirs(dir + "sub/");
    WriteFileAtomic(dir + "sub/b.KIV", "x");
    Write(
        "[BookMarked DBs]\r\n"
        "0=Alpha_~^_||a.kiv\r\n"
        "1=Gone_~^_||missing.kiv\r\n"
        "2=Tmpl_~^_||template.kiv\r\n"
        "3=Text_~^_" +
        dir +
        "notes.txt\r\n"
        "4=Again_~^_" +
        dir +
        "a.kiv\r\n"
        "5=NoMarker " +
        dir +
        "a.kiv\r\n"
        "6=Beta_~^_||sub/b.KIV\r\n");
    TInterBase1 list;
    {
        IniFile ini(iniPath);
        LoadBookMarkedDatastructures(ini, list);
    }
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.GetName(0), "Alpha");
    EXPECT_EQ(list.GetPath(0), dir + "a.kiv");
    EXPECT_EQ(list.GetName(1), "Beta");
    EXPECT_EQ(list.GetPath(1), dir + "sub/b.KIV");

    IniFile ini(iniPath);
    SaveBookMarkedDatastructures(ini, list);
    EXPECT_EQ(ini.ReadSection("BookMarked DBs"), (std::vector<std::string>{"0", "1"}));
    EXPECT_EQ(ini.ReadString("BookMarked DBs", "0", ""), "Alpha_~^_||a.kiv");
    EXPECT_EQ(ini.ReadString("BookMarked DBs", "1", ""), "Beta_~^_||sub/b.KIV");
}

}  // namespace
}  // namespace kiv
