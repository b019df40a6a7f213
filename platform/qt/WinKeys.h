#pragma once
// Windows virtual-key codes and the shift-state set, as the key and mouse handlers of
// our windows and grids receive them. Qt keys are translated by WinKeyFromQt.
#include <cstdint>

#include <Qt>

class QKeyEvent;
class QMouseEvent;
class QWheelEvent;

namespace kiv {

using Word = uint16_t;

// Virtual-key codes (the Windows values; letters and digits are their ASCII codes).
constexpr Word VK_LBUTTON = 0x01;
constexpr Word VK_RBUTTON = 0x02;
constexpr Word VK_CANCEL = 0x03;
constexpr Word VK_MBUTTON = 0x04;
constexpr Word VK_BACK = 0x08;
constexpr Word VK_TAB = 0x09;
constexpr Word VK_CLEAR = 0x0C;
constexpr Word VK_RETURN = 0x0D;
constexpr Word VK_SHIFT = 0x10;
constexpr Word VK_CONTROL = 0x11;
constexpr Word VK_MENU = 0x12;  // Alt
constexpr Word VK_PAUSE = 0x13;
constexpr Word VK_CAPITAL = 0x14;
constexpr Word VK_ESCAPE = 0x1B;
constexpr Word VK_SPACE = 0x20;
constexpr Word VK_PRIOR = 0x21;  // Page Up
constexpr Word VK_NEXT = 0x22;   // Page Down
constexpr Word VK_END = 0x23;
constexpr Word VK_HOME = 0x24;
constexpr Word VK_LEFT = 0x25;
constexpr Word VK_UP = 0x26;
constexpr Word VK_RIGHT = 0x27;
constexpr Word VK_DOWN = 0x28;
constexpr Word VK_SNAPSHOT = 0x2C;
constexpr Word VK_INSERT = 0x2D;
constexpr Word VK_DELETE = 0x2E;
constexpr Word VK_HELP = 0x2F;
constexpr Word VK_LWIN = 0x5B;
constexpr Word VK_RWIN = 0x5C;
constexpr Word VK_APPS = 0x5D;
constexpr Word VK_NUMPAD0 = 0x60;  // .. VK_NUMPAD9 = 0x69
constexpr Word VK_MULTIPLY = 0x6A;
constexpr Word VK_ADD = 0x6B;
constexpr Word VK_SEPARATOR = 0x6C;
constexpr Word VK_SUBTRACT = 0x6D;
constexpr Word VK_DECIMAL = 0x6E;
constexpr Word VK_DIVIDE = 0x6F;
constexpr Word VK_F1 = 0x70;  // .. VK_F24 = 0x87
constexpr Word VK_F2 = 0x71;
constexpr Word VK_F3 = 0x72;
constexpr Word VK_F4 = 0x73;
constexpr Word VK_F5 = 0x74;
constexpr Word VK_F6 = 0x75;
constexpr Word VK_F7 = 0x76;
constexpr Word VK_F8 = 0x77;
constexpr Word VK_F9 = 0x78;
constexpr Word VK_F10 = 0x79;
constexpr Word VK_F11 = 0x7A;
constexpr Word VK_F12 = 0x7B;
constexpr Word VK_NUMLOCK = 0x90;
constexpr Word VK_SCROLL = 0x91;
constexpr Word VK_OEM_1 = 0xBA;       // ;:
constexpr Word VK_OEM_PLUS = 0xBB;    // =+
constexpr Word VK_OEM_COMMA = 0xBC;   // ,<
constexpr Word VK_OEM_MINUS = 0xBD;   // -_
constexpr Word VK_OEM_PERIOD = 0xBE;  // .>
constexpr Word VK_OEM_2 = 0xBF;       // /?
constexpr Word VK_OEM_3 = 0xC0;       // `~
constexpr Word VK_OEM_4 = 0xDB;       // [{
constexpr Word VK_OEM_5 = 0xDC;       // \|
constexpr Word VK_OEM_6 = 0xDD;       // ]}
constexpr Word VK_OEM_7 = 0xDE;       // '"

// The set of modifier keys and mouse buttons held, as the class library passes it.
// Key events carry only ssShift, ssAlt and ssCtrl; mouse events also the buttons.
enum TShiftStateFlag : uint8_t {
    ssShift = 0x01,
    ssAlt = 0x02,
    ssCtrl = 0x04,
    ssLeft = 0x08,
    ssRight = 0x10,
    ssMiddle = 0x20,
    ssDouble = 0x40,
};

class TShiftState {
public:
    constexpr TShiftState() = default;
    constexpr TShiftState(TShiftStateFlag f) : bits_(f) {}
    static constexpr TShiftState FromBits(uint8_t b) {
        TShiftState s;
        s.bits_ = b;
        return s;
    }

    constexpr bool Contains(TShiftStateFlag f) const { return (bits_ & f) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr uint8_t Bits() const { return bits_; }
    // The keyboard part only (Shift, Alt, Ctrl): "no modifier" tests compare this.
    constexpr TShiftState Keys() const { return FromBits(bits_ & (ssShift | ssAlt | ssCtrl)); }

    constexpr TShiftState& operator|=(TShiftState o) {
        bits_ |= o.bits_;
        return *this;
    }
    constexpr TShiftState& operator-=(TShiftState o) {
        bits_ &= uint8_t(~o.bits_);
        return *this;
    }
    friend constexpr TShiftState operator|(TShiftState a, TShiftState b) { return a |= b; }
    friend constexpr TShiftState operator-(TShiftState a, TShiftState b) { return a -= b; }
    friend constexpr bool operator==(TShiftState a, TShiftState b) { return a.bits_ == b.bits_; }

private:
    uint8_t bits_ = 0;
};

constexpr TShiftState operator|(TShiftStateFlag a, TShiftStateFlag b) {
    return TShiftState(a) | TShiftState(b);
}

// The Windows key code of a Qt key; 0 when Windows has none.
Word WinKeyFromQt(int qtKey, Qt::KeyboardModifiers mods = Qt::NoModifier);
// The Windows key code of a key event (keypad digits become VK_NUMPAD0..9).
Word WinKeyOf(const QKeyEvent* e);
// The Qt key of a Windows key code (for synthesising key events); Qt::Key_unknown when none.
int QtKeyFromWin(Word vk);

TShiftState ShiftStateFromModifiers(Qt::KeyboardModifiers mods);
TShiftState ShiftStateOf(const QKeyEvent* e);
// Modifiers plus the buttons held; ssDouble for a double click.
TShiftState ShiftStateOf(const QMouseEvent* e);
TShiftState ShiftStateOf(const QWheelEvent* e);

}  // namespace kiv
