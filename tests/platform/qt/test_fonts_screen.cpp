// Font-name substitution, the screen cursor and the screen size.
#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QWidget>

#include "platform/core/BlockFile.h"
#include "platform/qt/Fonts.h"
#include "platform/qt/Screen.h"
#include "platform/qt/TestHarness.h"

using namespace kiv;

TEST(Fonts, StoredNamesDrawWithInstalledFamilies) {
    for (const char* name : {"MS Sans Serif", "Arial", "Times New Roman", "Courier New", "Tahoma",
                             "Verdana", "Small Fonts", "Wingdings", "ms sans serif"}) {
        QString family = SubstituteFontName(name);
        EXPECT_TRUE(QFontDatabase::hasFamily(family)) << name << " -> " << family.toStdString();
    }
    EXPECT_EQ(SubstituteFontName("DejaVu Sans"), "DejaVu Sans");  // installed: kept
    EXPECT_EQ(SubstituteFontName("dejavu sans"), "DejaVu Sans");
    EXPECT_TRUE(QFontInfo(FontFromStored("Courier New", 10)).fixedPitch());
    EXPECT_FALSE(QFontInfo(FontFromStored("Arial", 10)).fixedPitch());
    EXPECT_EQ(SubstituteFontName("Some Font Nobody Has"),
              "Some Font Nobody Has");  // left to fontconfig

    QFont f = FontFromStored("Arial", 12, fsBold | fsStrikeOut);
    EXPECT_TRUE(f.bold());
    EXPECT_FALSE(f.italic());
    EXPECT_TRUE(f.strikeOut());
    EXPECT_EQ(f.pointSize(), 12);
    EXPECT_EQ(StylesOf(f), fsBold | fsStrikeOut);
}

TEST(Screen, CursorIsAssignedNotStacked) {
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    Screen::SetCursor(crHourGlass);
    Screen::SetCursor(crHourGlass);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    Screen::SetCursor(crHandPoint);  // changed in place, not pushed
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::PointingHandCursor);
    Screen::SetCursor(crDefault);  // one assignment ends it
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Screen::Cursor(), crDefault);
    Screen::SetCursor(crDefault);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // Someone else's override below ours survives ours.
    QGuiApplication::setOverrideCursor(QCursor(Qt::CrossCursor));
    Screen::SetCursor(crHourGlass);
    Screen::SetCursor(crDefault);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
    QGuiApplication::restoreOverrideCursor();

    QWidget parent;
    QWidget w(&parent);
    SetControlCursor(&w, crHandPoint);
    EXPECT_EQ(w.cursor().shape(), Qt::PointingHandCursor);
    SetControlCursor(&w, crDefault);
    EXPECT_FALSE(w.testAttribute(Qt::WA_SetCursor));  // the parent's cursor again
}

TEST(Screen, SizeIsInjectable) {
    QSize real = Screen::Size();
    EXPECT_FALSE(real.isEmpty());
    {
        TestEnvironment env(QSize(800, 600));
        EXPECT_EQ(Screen::Width(), 800);
        EXPECT_EQ(Screen::Height(), 600);
        env.SetScreenSize(QSize(1920, 1080));
        EXPECT_EQ(Screen::Width() * Screen::Height(), 1920 * 1080);
    }
    EXPECT_EQ(Screen::Size(), real);
}

TEST(TestEnvironment, GivesEachTestItsOwnProgramFolder) {
    std::string first;
    {
        TestEnvironment env;
        first = AppDir();
        EXPECT_EQ(first, env.Dir());
        EXPECT_TRUE(DirExists(first));
        EXPECT_EQ(&GetDialogs(), &env.Dialogs());
    }
    EXPECT_FALSE(DirExists(first));
    TestEnvironment again;
    EXPECT_NE(AppDir(), first);
}
