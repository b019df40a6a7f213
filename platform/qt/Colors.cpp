#include "platform/qt/Colors.h"

#include <QGuiApplication>
#include <QPalette>
#include <cstdio>

#include "platform/core/IniFile.h"
#include "platform/core/KivError.h"
#include "platform/core/KivStrings.h"

namespace kiv {

namespace {

struct ColorName {
    TColor value;
    const char* name;
};

// The class library's table, in its order.
constexpr ColorName kNames[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"},
    {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"},
    {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"},
    {clMenu, "clMenu"},
    {clMenuBar, "clMenuBar"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuText, "clMenuText"},
    {clNone, "clNone"},
    {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"},
};

struct SystemRole {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// Windows colour index -> palette entry. Index 25 has no colour on Windows either.
constexpr int kSystemCount = 31;
constexpr SystemRole kNoRole{QPalette::Active, QPalette::NoRole};
constexpr SystemRole kSystem[kSystemCount] = {
    {QPalette::Active, QPalette::Button},             // 0 scroll bar
    {QPalette::Active, QPalette::Window},             // 1 desktop
    {QPalette::Active, QPalette::Highlight},          // 2 active caption
    {QPalette::Inactive, QPalette::Highlight},        // 3 inactive caption
    {QPalette::Active, QPalette::Window},             // 4 menu
    {QPalette::Active, QPalette::Base},               // 5 window
    {QPalette::Active, QPalette::Shadow},             // 6 window frame
    {QPalette::Active, QPalette::WindowText},         // 7 menu text
    {QPalette::Active, QPalette::Text},               // 8 window text
    {QPalette::Active, QPalette::HighlightedText},    // 9 caption text
    {QPalette::Active, QPalette::Window},             // 10 active border
    {QPalette::Active, QPalette::Window},             // 11 inactive border
    {QPalette::Active, QPalette::Dark},               // 12 application work space
    {QPalette::Active, QPalette::Highlight},          // 13 highlight
    {QPalette::Active, QPalette::HighlightedText},    // 14 highlight text
    {QPalette::Active, QPalette::Button},             // 15 button face
    {QPalette::Active, QPalette::Dark},               // 16 button shadow
    {QPalette::Disabled, QPalette::Text},             // 17 grey text
    {QPalette::Active, QPalette::ButtonText},         // 18 button text
    {QPalette::Inactive, QPalette::HighlightedText},  // 19 inactive caption text
    {QPalette::Active, QPalette::Light},              // 20 button highlight
    {QPalette::Active, QPalette::Shadow},             // 21 3D dark shadow
    {QPalette::Active, QPalette::Midlight},           // 22 3D light
    {QPalette::Active, QPalette::ToolTipText},        // 23 info text
    {QPalette::Active, QPalette::ToolTipBase},        // 24 info background
    kNoRole,                                          // 25
    {QPalette::Active, QPalette::Link},               // 26 hot light
    {QPalette::Active, QPalette::Highlight},          // 27 gradient active caption
    {QPalette::Inactive, QPalette::Highlight},        // 28 gradient inactive caption
    {QPalette::Active, QPalette::Highlight},          // 29 menu highlight
    {QPalette::Active, QPalette::Window},             // 30 menu bar
};

QPalette AppPalette() { return QGuiApplication::palette(); }

}  // namespace

QColor toQColor(TColor c) {
    if (c == clNone) return QColor(Qt::transparent);
    if (c == clDefault) return QColor();
    if (IsSystemColor(c)) {
        int index = int(uint32_t(c) & 0xFF);
        if (index >= kSystemCount || kSystem[index].role == QPalette::NoRole)
            return QColor(Qt::black);
        return AppPalette().color(kSystem[index].group, kSystem[index].role);
    }
    uint32_t v = uint32_t(c);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

TColor fromQColor(const QColor& c) {
    QColor rgb = c.toRgb();
    return TColor(uint32_t(rgb.red()) | uint32_t(rgb.green()) << 8 | uint32_t(rgb.blue()) << 16);
}

TColor ColorToRGB(TColor c) {
    if (!IsSystemColor(c)) return c;
    return fromQColor(toQColor(c));
}

bool ColorToIdent(TColor c, std::string& name) {
    for (const auto& n : kNames)
        if (n.value == c) {
            name = n.name;
            return true;
        }
    return false;
}

bool IdentToColor(std::string_view name, TColor& c) {
    for (const auto& n : kNames)
        if (SameText(name, n.name)) {
            c = n.value;
            return true;
        }
    return false;
}

std::string ColorToString(TColor c) {
    std::string name;
    if (ColorToIdent(c, name)) return name;
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%08X", unsigned(uint32_t(c)));
    return buf;
}

bool TryStringToColor(std::string_view s, TColor& c) {
    if (IdentToColor(s, c)) return true;
    int32_t v;
    if (!TryIniInteger(s, v)) return false;
    c = TColor(v);
    return true;
}

TColor StringToColor(std::string_view s) {
    TColor c;
    if (!TryStringToColor(s, c))
        throw EKivError("'" + std::string(s) + "' is not a valid integer value");
    return c;
}

}  // namespace kiv
