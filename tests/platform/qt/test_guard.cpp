// Exceptions from event handlers end in one error box and leave no state behind.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <functional>

#include "platform/core/KivError.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/KeyPreview.h"
#include "platform/qt/KivAction.h"
#include "platform/qt/TestHarness.h"

using namespace kiv;

namespace {

const char* const kMessage = "Datastructure is corrupted, wrong nest address";

// What long work sets around itself; a failure must put all of it back.
struct Work {
    QWidget* window = nullptr;
    bool loading = false;
    int runs = 0;
    void Fail() {
        ++runs;
        FlagGuard busy(Busy);
        FlagGuard load(loading);
        CursorGuard hourGlass;
        DisabledWindowGuard disabled(window);
        throw EKivError(kMessage);
    }
};

class GuardTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.setObjectName("frmTest");
        auto* layout = new QVBoxLayout(&window);
        edit = new QLineEdit(&window);
        edit->setObjectName("edtText");
        layout->addWidget(edit);
        work.window = &window;
    }

    void ExpectOneErrorBoxAndNothingSet() {
        ASSERT_EQ(env.Dialogs().Messages.size(), 1u);
        const MessageBoxRequest& box = env.Dialogs().Messages[0];
        EXPECT_EQ(box.Text, QString(kMessage) + ".");
        EXPECT_EQ(box.Type, MsgType::Error);
        EXPECT_EQ(box.Buttons, MsgButtons::OK);
        EXPECT_EQ(box.Caption, "KIV");
        EXPECT_FALSE(Busy);
        EXPECT_FALSE(work.loading);
        EXPECT_EQ(Screen::Cursor(), crDefault);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_TRUE(window.isEnabled());
    }

    TestEnvironment env;
    QWidget window;
    QLineEdit* edit = nullptr;
    Work work;
};

void SendKey(QWidget* to, int key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(to, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(to, &release);
}

class ThrowingKeys : public QWidget {
public:
    std::function<void()> onKey;

protected:
    void keyPressEvent(QKeyEvent*) override { onKey(); }
};

class ThrowingTimer : public QObject {
public:
    std::function<void()> onTimer;
    int id = 0;

protected:
    void timerEvent(QTimerEvent*) override {
        killTimer(id);
        onTimer();
    }
};

class ThrowingPaint : public QWidget {
public:
    std::function<void()> onPaint;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        onPaint();
    }
};

}  // namespace

TEST_F(GuardTest, KeyPreviewHandler) {
    KeyPreviewHandlers h;
    h.OnKeyDown = [&](QWidget*, Word&, TShiftState) { work.Fail(); };
    KeyPreview::Install(&window, h);
    SendKey(edit, Qt::Key_A, "a");
    ExpectOneErrorBoxAndNothingSet();
    EXPECT_EQ(edit->text(), "");  // the failed key went no further
    EXPECT_EQ(work.runs, 1);
}

TEST_F(GuardTest, ControlKeyHandlerCaughtByTheApplication) {
    ThrowingKeys w;
    w.onKey = [&] { work.Fail(); };
    SendKey(&w, Qt::Key_Down);
    ExpectOneErrorBoxAndNothingSet();
}

TEST_F(GuardTest, TimerThroughGuardCallAndThroughTheApplication) {
    bool completed = true;
    QTimer::singleShot(0, &window, [&] { completed = GuardCall([&] { work.Fail(); }); });
    for (int i = 0; i < 50 && work.runs == 0; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_FALSE(completed);
    ExpectOneErrorBoxAndNothingSet();

    env.Dialogs().Clear();
    ThrowingTimer t;
    t.onTimer = [&] { work.Fail(); };
    t.id = t.startTimer(0);
    for (int i = 0; i < 50 && work.runs == 1; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(work.runs, 2);
    ExpectOneErrorBoxAndNothingSet();
}

TEST_F(GuardTest, Paint) {
    ThrowingPaint w;
    w.resize(50, 20);
    w.onPaint = [&] { work.Fail(); };
    w.grab();                                     // one paint
    EXPECT_TRUE(env.Dialogs().Messages.empty());  // not inside the paint
    w.grab();                                     // fails again before the box shows: still one box
    QCoreApplication::processEvents();
    EXPECT_EQ(work.runs, 2);
    ExpectOneErrorBoxAndNothingSet();
}

// While the error box is open a repaint fails again; the user still sees one box.
TEST_F(GuardTest, FailingRepaintUnderTheOpenBoxAddsNoSecondBox) {
    class RepaintingDialogs : public FakeDialogs {
    public:
        std::function<void()> whileOpen;
        int MessageBox(const MessageBoxRequest& r) override {
            int answer = FakeDialogs::MessageBox(r);
            if (whileOpen) whileOpen();
            return answer;
        }
    };
    auto dialogs = std::make_unique<RepaintingDialogs>();
    RepaintingDialogs* fake = dialogs.get();
    ScopedDialogs scoped(std::move(dialogs));
    ThrowingPaint w;
    w.resize(50, 20);
    w.onPaint = [&] { work.Fail(); };
    fake->whileOpen = [&] { w.grab(); };
    w.grab();
    QCoreApplication::processEvents();
    EXPECT_EQ(work.runs, 2);
    ASSERT_EQ(fake->Messages.size(), 1u);
    EXPECT_FALSE(Busy);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    // The next failure, after the box was closed, is shown again.
    fake->whileOpen = nullptr;
    w.grab();
    QCoreApplication::processEvents();
    EXPECT_EQ(fake->Messages.size(), 2u);
}

TEST_F(GuardTest, ActionTriggeredByTheUserAndExecutedByCode) {
    KivAction a("Go", &window);
    a.OnExecute = [&](KivAction*) { work.Fail(); };
    a.trigger();
    ExpectOneErrorBoxAndNothingSet();
    // Called from code, the exception reaches the caller, as it did on Windows.
    EXPECT_THROW(a.Execute(), EKivError);
    EXPECT_EQ(env.Dialogs().Messages.size(), 1u);
}

TEST(ExceptionBoxText, AddsAFullStopUnlessTheTextEndsInPunctuationUpToIt) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"Disk full", "Disk full."},
        {"Disk full.", "Disk full."},
        {"Can't find this branch, may it was deleted!",
         "Can't find this branch, may it was deleted!"},
        {"Cannot open (locked)", "Cannot open (locked)"},
        {"Why?", "Why?."},
        {"Rowsize too small", "Rowsize too small."},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ExceptionBoxText(c.in), QString(c.out)) << c.in;
}

TEST(Guards, RestorePreviousValuesNotDefaults) {
    bool flag = true;
    {
        FlagGuard g(flag, false);
        EXPECT_FALSE(flag);
    }
    EXPECT_TRUE(flag);

    Screen::SetCursor(crHandPoint);
    {
        CursorGuard g;
        EXPECT_EQ(Screen::Cursor(), crHourGlass);
    }
    EXPECT_EQ(Screen::Cursor(), crHandPoint);
    Screen::SetCursor(crDefault);

    QWidget parent;
    QWidget child(&parent);
    child.setEnabled(false);
    {
        DisabledWindowGuard g(&child);
        DisabledWindowGuard p(&parent);
        EXPECT_FALSE(parent.isEnabled());
    }
    EXPECT_TRUE(parent.isEnabled());
    EXPECT_FALSE(child.isEnabled());  // it was disabled before and stays so
    {
        auto* gone = new QWidget;
        DisabledWindowGuard g(gone);
        delete gone;  // the guard survives its window
    }
}
