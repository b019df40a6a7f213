#pragma once
// The screen as the class library's global object offered it: its size and the one
// application-wide cursor, set by assignment (crHourGlass ... crDefault) rather than by
// Qt's push and pop.
#include <QCursor>
#include <QSize>
#include <optional>

class QWidget;

namespace kiv {

enum TCursor : int {
    crDefault = 0,
    crArrow = -2,
    crIBeam = -4,
    crHourGlass = -11,
    crHandPoint = -21,
};

// The Qt shape of a cursor; crDefault gives the arrow.
QCursor ToQCursor(TCursor c);
// A control's own cursor; crDefault returns it to its parent's.
void SetControlCursor(QWidget* w, TCursor c);

class Screen {
public:
    // Assigning any cursor but crDefault shows it over every window until crDefault is
    // assigned; assigning the same cursor twice needs one crDefault, not two. We own one
    // level of Qt's override stack and change it in place.
    static TCursor Cursor();
    static void SetCursor(TCursor c);

    // The primary screen in pixels (the geometry rule of the settings compares its
    // height x width). Tests pin it with SetSizeForTests.
    static int Width();
    static int Height();
    static QSize Size();
    static void SetSizeForTests(std::optional<QSize> size);
};

}  // namespace kiv
