// Key preview: Windows key codes, the held-key rule, consuming and changing keys.
#include <gtest/gtest.h>

#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <vector>

#include "platform/qt/KeyPreview.h"
#include "platform/qt/TestHarness.h"
#include "platform/qt/WidgetState.h"
#include "platform/qt/WinKeys.h"

using namespace kiv;

namespace {

// The main window's key flags, run as the topic commands run them: once per key press.
struct KeyState {
    bool KeyIsDown = false;
    bool KeyCommandDone = false;
    int downs = 0, ups = 0, commands = 0;
    std::vector<std::pair<Word, TShiftState>> log;

    KeyPreviewHandlers Handlers() {
        KeyPreviewHandlers h;
        h.OnKeyDown = [this](QWidget*, Word& key, TShiftState shift) {
            ++downs;
            log.emplace_back(key, shift);
            KeyIsDown = true;
            if (!KeyCommandDone) {
                ++commands;
                KeyCommandDone = KeyIsDown;
            }
        };
        h.OnKeyUp = [this](QWidget*, Word&, TShiftState) {
            ++ups;
            KeyIsDown = false;
            KeyCommandDone = false;
        };
        return h;
    }
};

class CountReleases : public QObject {
public:
    int releases = 0, presses = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::KeyRelease) ++releases;
        if (e->type() == QEvent::KeyPress) ++presses;
        return false;
    }
};

void Send(QWidget* to, QEvent::Type t, int key, bool autoRepeat,
          Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
    QKeyEvent e(t, key, mods, text, autoRepeat);
    QCoreApplication::sendEvent(to, &e);
}

class KeyPreviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&window);
        edit = new QLineEdit(&window);
        label = new QLabel("label", &window);
        layout->addWidget(edit);
        layout->addWidget(label);
        KeyPreview::Install(&window, state.Handlers());
    }

    TestEnvironment env;
    QWidget window;
    QLineEdit* edit = nullptr;
    QLabel* label = nullptr;
    KeyState state;
};

}  // namespace

TEST(WinKeys, QtKeysGetTheWindowsCodes) {
    struct Case {
        int qt;
        Qt::KeyboardModifiers mods;
        Word vk;
    };
    const Case cases[] = {
        {Qt::Key_A, Qt::NoModifier, 'A'},
        {Qt::Key_W, Qt::ControlModifier, 'W'},
        {Qt::Key_7, Qt::NoModifier, '7'},
        {Qt::Key_7, Qt::KeypadModifier, VK_NUMPAD0 + 7},
        {Qt::Key_F3, Qt::NoModifier, VK_F3},
        {Qt::Key_Left, Qt::NoModifier, 37},
        {Qt::Key_Up, Qt::NoModifier, 38},
        {Qt::Key_Right, Qt::NoModifier, 39},
        {Qt::Key_Down, Qt::NoModifier, 40},
        {Qt::Key_Clear, Qt::KeypadModifier, 12},
        {Qt::Key_Alt, Qt::AltModifier, 18},
        {Qt::Key_Control, Qt::ControlModifier, 17},
        {Qt::Key_Shift, Qt::ShiftModifier, 16},
        {Qt::Key_Return, Qt::NoModifier, 13},
        {Qt::Key_Enter, Qt::KeypadModifier, 13},
        {Qt::Key_Escape, Qt::NoModifier, 27},
        {Qt::Key_PageUp, Qt::NoModifier, 33},
        {Qt::Key_PageDown, Qt::NoModifier, 34},
        {Qt::Key_End, Qt::NoModifier, 35},
        {Qt::Key_Home, Qt::KeypadModifier, 36},
        {Qt::Key_Insert, Qt::NoModifier, 45},
        {Qt::Key_Delete, Qt::NoModifier, 46},
        {Qt::Key_Tab, Qt::NoModifier, 9},
        {Qt::Key_Backtab, Qt::ShiftModifier, 9},
        {Qt::Key_Space, Qt::NoModifier, 32},
        {Qt::Key_Backspace, Qt::NoModifier, 8},
        {Qt::Key_Plus, Qt::KeypadModifier, VK_ADD},
        {Qt::Key_Minus, Qt::NoModifier, VK_OEM_MINUS},
        {Qt::Key_Semicolon, Qt::NoModifier, VK_OEM_1},
        {Qt::Key_Exclam, Qt::ShiftModifier, '1'},
        {Qt::Key_VolumeUp, Qt::NoModifier, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(WinKeyFromQt(c.qt, c.mods), c.vk) << std::hex << c.qt;
    for (Word vk :
         {Word('A'), Word('0'), VK_F1, VK_LEFT, VK_DOWN, VK_CLEAR, VK_RETURN, VK_DELETE, VK_NEXT})
        EXPECT_EQ(WinKeyFromQt(QtKeyFromWin(vk)), vk) << vk;

    EXPECT_EQ(ShiftStateFromModifiers(Qt::ControlModifier), TShiftState(ssCtrl));
    EXPECT_EQ(ShiftStateFromModifiers(Qt::ShiftModifier | Qt::ControlModifier | Qt::KeypadModifier),
              ssShift | ssCtrl);
    EXPECT_EQ(ShiftStateFromModifiers(Qt::AltModifier | Qt::ShiftModifier | Qt::ControlModifier),
              TShiftState(ssShift) | ssAlt | ssCtrl);
    EXPECT_TRUE(ShiftStateFromModifiers(Qt::NoModifier).Empty());
}

// X11 repeats a held key as release-press pairs marked auto-repeat.
TEST_F(KeyPreviewTest, HeldKeyIsOnePress) {
    CountReleases seen;
    edit->installEventFilter(&seen);
    Send(edit, QEvent::KeyPress, Qt::Key_Down, false);
    for (int i = 0; i < 3; ++i) {
        Send(edit, QEvent::KeyRelease, Qt::Key_Down, true);
        Send(edit, QEvent::KeyPress, Qt::Key_Down, true);
    }
    Send(edit, QEvent::KeyRelease, Qt::Key_Down, false);
    EXPECT_EQ(state.commands, 1);
    EXPECT_EQ(state.downs, 4);  // Windows repeats key-downs
    EXPECT_EQ(state.ups, 1);
    EXPECT_FALSE(state.KeyIsDown);
    EXPECT_EQ(seen.presses, 4);
    EXPECT_EQ(seen.releases, 1);  // the control never sees the auto-repeat releases
    for (const auto& [key, shift] : state.log) {
        EXPECT_EQ(key, VK_DOWN);
        EXPECT_TRUE(shift.Empty());
    }

    // A second press after the release is a new press.
    Send(edit, QEvent::KeyPress, Qt::Key_Down, false);
    Send(edit, QEvent::KeyRelease, Qt::Key_Down, false);
    EXPECT_EQ(state.commands, 2);
}

// The same through the window, as the platform delivers real key events.
TEST_F(KeyPreviewTest, HeldKeyThroughTheWindow) {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    QWindow* w = window.windowHandle();
    qt_handleKeyEvent(w, QEvent::KeyPress, Qt::Key_X, Qt::ShiftModifier, "X", false);
    for (int i = 0; i < 3; ++i) {
        qt_handleKeyEvent(w, QEvent::KeyRelease, Qt::Key_X, Qt::ShiftModifier, "X", true);
        qt_handleKeyEvent(w, QEvent::KeyPress, Qt::Key_X, Qt::ShiftModifier, "X", true);
    }
    qt_handleKeyEvent(w, QEvent::KeyRelease, Qt::Key_X, Qt::ShiftModifier, "X", false);
    EXPECT_EQ(state.commands, 1);
    EXPECT_EQ(state.downs, 4);
    EXPECT_EQ(state.ups, 1);
    EXPECT_EQ(edit->text(), "XXXX");
    ASSERT_FALSE(state.log.empty());
    EXPECT_EQ(state.log[0].first, 'X');
    EXPECT_EQ(state.log[0].second, TShiftState(ssShift));
}

TEST_F(KeyPreviewTest, AnIgnoredKeyPassedToTheParentsIsPreviewedOnce) {
    // A label takes no keys; Qt hands the event on to its parent window.
    Send(label, QEvent::KeyPress, Qt::Key_Right, false);
    Send(label, QEvent::KeyRelease, Qt::Key_Right, false);
    EXPECT_EQ(state.downs, 1);
    EXPECT_EQ(state.ups, 1);
}

TEST_F(KeyPreviewTest, KeyZeroConsumesAndAChangedKeyGoesOn) {
    KeyPreviewHandlers h;
    h.OnKeyDown = [](QWidget*, Word& key, TShiftState shift) {
        if (key == VK_MENU) key = 0;                    // Alt is consumed
        if (key == 'Q' && shift.Empty()) key = VK_END;  // a key made into another
    };
    h.OnKeyPress = [](QWidget*, QChar& c) {
        if (c == QChar('\r') || c == QChar('z')) c = QChar(0);  // no character, as for Enter
        if (c == QChar('a')) c = QChar('b');
    };
    KeyPreview::Install(&window, h);  // replaces the handlers
    CountReleases seen;
    edit->installEventFilter(&seen);
    int returns = 0;
    QObject::connect(edit, &QLineEdit::returnPressed, [&] { ++returns; });

    Send(edit, QEvent::KeyPress, Qt::Key_Alt, false, Qt::AltModifier);
    EXPECT_EQ(seen.presses, 0);
    Send(edit, QEvent::KeyPress, Qt::Key_A, false, Qt::NoModifier, "a");
    Send(edit, QEvent::KeyPress, Qt::Key_Z, false, Qt::NoModifier, "z");
    EXPECT_EQ(edit->text(), "b");
    Send(edit, QEvent::KeyPress, Qt::Key_Return, false, Qt::NoModifier, "\r");
    EXPECT_EQ(returns, 1);  // the key-down still reaches the control, only the character is gone
    edit->setCursorPosition(0);
    Send(edit, QEvent::KeyPress, Qt::Key_Q, false, Qt::NoModifier, "q");
    EXPECT_EQ(edit->cursorPosition(), 1);  // Q became End and typed nothing
    EXPECT_EQ(edit->text(), "b");
}

TEST_F(KeyPreviewTest, OtherWindowsAndAutoRepeatReleasesOfUnpreviewedWindows) {
    QDialog dialog;
    auto* field = new QLineEdit(&dialog);
    CountReleases seen;
    field->installEventFilter(&seen);
    Send(field, QEvent::KeyPress, Qt::Key_K, false, Qt::NoModifier, "k");
    Send(field, QEvent::KeyRelease, Qt::Key_K, true);
    Send(field, QEvent::KeyPress, Qt::Key_K, true, Qt::NoModifier, "k");
    Send(field, QEvent::KeyRelease, Qt::Key_K, false);
    EXPECT_EQ(state.downs, 0);  // the main window's preview does not see another window's keys
    EXPECT_EQ(field->text(), "kk");
    EXPECT_EQ(seen.releases, 1);

    KeyPreview::Remove(&window);
    Send(edit, QEvent::KeyPress, Qt::Key_M, false, Qt::NoModifier, "m");
    EXPECT_EQ(state.downs, 0);
    EXPECT_EQ(edit->text(), "m");
}

TEST(WidgetState, VisibleIsTheControlsOwnFlagAndFocusReasons) {
    QWidget parent;
    QWidget child(&parent);
    EXPECT_TRUE(isShown(&child));  // shown within a parent that is hidden
    EXPECT_FALSE(child.isVisible());
    child.hide();
    EXPECT_FALSE(isShown(&child));
    EXPECT_FALSE(isShown(nullptr));

    struct Case {
        Qt::FocusReason reason;
        bool counts;
    };
    const Case cases[] = {
        {Qt::MouseFocusReason, true},    {Qt::TabFocusReason, true},
        {Qt::BacktabFocusReason, true},  {Qt::OtherFocusReason, true},
        {Qt::ShortcutFocusReason, true}, {Qt::ActiveWindowFocusReason, false},
        {Qt::PopupFocusReason, false},
    };
    for (const auto& c : cases) {
        QFocusEvent in(QEvent::FocusIn, c.reason), out(QEvent::FocusOut, c.reason);
        EXPECT_EQ(IsEnterOrExit(&in), c.counts) << c.reason;
        EXPECT_EQ(IsEnterOrExit(&out), c.counts) << c.reason;
    }
}
