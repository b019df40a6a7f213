// Colours in Windows order, their names, and system colours from the palette.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>

#include "platform/core/KivError.h"
#include "platform/qt/Colors.h"

using namespace kiv;

TEST(Colors, NamesAndNumbersBothWays) {
    struct Case {
        TColor value;
        const char* text;
    };
    const Case cases[] = {
        {clBlack, "clBlack"},
        {clMaroon, "clMaroon"},
        {clRed, "clRed"},
        {clBlue, "clBlue"},
        {clYellow, "clYellow"},
        {clWhite, "clWhite"},
        {clSilver, "clSilver"},
        {clMoneyGreen, "clMoneyGreen"},
        {clCream, "clCream"},
        {clBtnFace, "clBtnFace"},
        {clWindow, "clWindow"},
        {clWindowText, "clWindowText"},
        {clHighlight, "clHighlight"},
        {clInfoBk, "clInfoBk"},
        {cl3DDkShadow, "cl3DDkShadow"},
        {clNone, "clNone"},
        {clDefault, "clDefault"},
        {0x0000FE, "$000000FE"},
        {0xECF3F4, "$00ECF3F4"},
        {TColor(0xFF000005u), "$FF000005"},  // the later system-colour form keeps its value
        {TColor(0x80000019u), "$80000019"},  // index 25 has no name
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ColorToString(c.value), c.text) << c.text;
        EXPECT_EQ(StringToColor(c.text), c.value) << c.text;
    }
    EXPECT_EQ(clRed, 0x0000FF);
    EXPECT_EQ(clBtnFace, TColor(0x8000000Fu));
    EXPECT_EQ(clWindow, TColor(0x80000005u));
}

TEST(Colors, StringToColorReadsWhatTheLibraryRead) {
    struct Case {
        const char* text;
        bool ok;
        TColor value;
    };
    const Case cases[] = {
        {"CLRED", true, clRed},
        {"clbtnface", true, clBtnFace},
        {"255", true, 255},
        {"-1", true, -1},
        {"$80000005", true, clWindow},
        {"0x00FF00", true, clLime},
        {"$FFFFFFFF", true, -1},
        {"$100000000", false, 0},
        {"0xFFFFFFFF", true, -1},
        {"$000000001", true, 1},
        {"-$10", true, -16},
        {"$", false, 0},
        {"clRose", false, 0},
        {"", false, 0},
        {"12px", false, 0},
    };
    for (const auto& c : cases) {
        TColor v = 0;
        EXPECT_EQ(TryStringToColor(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
    try {
        StringToColor("clRose");
        FAIL() << "no exception";
    } catch (const EKivError& e) {
        EXPECT_STREQ(e.what(), "'clRose' is not a valid integer value");
    }
}

TEST(Colors, WindowsOrderToQColorAndBack) {
    EXPECT_EQ(toQColor(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(toQColor(0xFF0000), QColor(0, 0, 255));
    EXPECT_EQ(toQColor(0x00FFFF), QColor(255, 255, 0));
    EXPECT_EQ(toQColor(0xECF3F4), QColor(0xF4, 0xF3, 0xEC));
    EXPECT_EQ(fromQColor(QColor(1, 2, 3)), 0x030201);
    EXPECT_EQ(fromQColor(QColor::fromHsv(0, 255, 255)), clRed);
    for (TColor c : {0x000000, 0x123456, 0xFFFFFF, 0x0000FE}) EXPECT_EQ(fromQColor(toQColor(c)), c);
    EXPECT_EQ(toQColor(clNone).alpha(), 0);
    EXPECT_FALSE(toQColor(clDefault).isValid());
}

TEST(Colors, SystemColoursFollowThePalette) {
    const QPalette saved = QApplication::palette();
    QPalette p = saved;
    int n = 0;
    auto distinct = [&n] {
        ++n;
        return QColor(n * 7 % 256, n * 31 % 256, n * 59 % 256);
    };
    const QPalette::ColorRole roles[] = {QPalette::Window,      QPalette::WindowText,
                                         QPalette::Base,        QPalette::Text,
                                         QPalette::Button,      QPalette::ButtonText,
                                         QPalette::Light,       QPalette::Midlight,
                                         QPalette::Dark,        QPalette::Shadow,
                                         QPalette::Highlight,   QPalette::HighlightedText,
                                         QPalette::ToolTipBase, QPalette::ToolTipText,
                                         QPalette::Link};
    for (auto r : roles)
        for (auto g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            p.setColor(g, r, distinct());
    QApplication::setPalette(p);

    struct Case {
        TColor color;
        QPalette::ColorGroup group;
        QPalette::ColorRole role;
    };
    const Case cases[] = {
        {clWindow, QPalette::Active, QPalette::Base},
        {clWindowText, QPalette::Active, QPalette::Text},
        {clBtnFace, QPalette::Active, QPalette::Button},
        {clBtnText, QPalette::Active, QPalette::ButtonText},
        {clBtnShadow, QPalette::Active, QPalette::Dark},
        {clBtnHighlight, QPalette::Active, QPalette::Light},
        {cl3DDkShadow, QPalette::Active, QPalette::Shadow},
        {cl3DLight, QPalette::Active, QPalette::Midlight},
        {clHighlight, QPalette::Active, QPalette::Highlight},
        {clHighlightText, QPalette::Active, QPalette::HighlightedText},
        {clInactiveCaption, QPalette::Inactive, QPalette::Highlight},
        {clGrayText, QPalette::Disabled, QPalette::Text},
        {clInfoBk, QPalette::Active, QPalette::ToolTipBase},
        {clInfoText, QPalette::Active, QPalette::ToolTipText},
        {clHotLight, QPalette::Active, QPalette::Link},
        {clMenu, QPalette::Active, QPalette::Window},
        {clMenuText, QPalette::Active, QPalette::WindowText},
        {clAppWorkSpace, QPalette::Active, QPalette::Dark},
        {TColor(0xFF00000Fu), QPalette::Active, QPalette::Button},  // the 0xFF form
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toQColor(c.color), p.color(c.group, c.role)) << ColorToString(c.color);
        EXPECT_EQ(ColorToRGB(c.color), fromQColor(p.color(c.group, c.role)))
            << ColorToString(c.color);
    }
    EXPECT_EQ(ColorToRGB(0x123456), 0x123456);
    EXPECT_EQ(toQColor(TColor(0x80000019u)), QColor(Qt::black));
    QApplication::setPalette(saved);
}
