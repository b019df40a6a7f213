// Actions: the busy gate, the class library's execute sequence, the update pass.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMenu>
#include <QShortcut>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <stdexcept>

#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/KivAction.h"
#include "platform/qt/TestHarness.h"

using namespace kiv;

namespace {

class ActionTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&window);
        first = new QLineEdit(&window);
        second = new QLineEdit(&window);
        layout->addWidget(first);
        layout->addWidget(second);
        action = new KivAction("Go", &window);
        action->setShortcut(QKeySequence(Qt::Key_F7));
        window.addAction(action);
        action->OnExecute = [this](KivAction*) { ++executed; };
        action->OnUpdate = [this](KivAction* a) {
            ++updated;
            a->SetEnabled(enableOnUpdate);
        };
    }

    void ShowActive() {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        first->setFocus();
    }

    TestEnvironment env;
    QWidget window;
    QLineEdit* first = nullptr;
    QLineEdit* second = nullptr;
    KivAction* action = nullptr;
    int executed = 0, updated = 0;
    bool enableOnUpdate = true;
};

}  // namespace

TEST_F(ActionTest, BusySwallowsExecutionUpdatesAndShortcuts) {
    ShowActive();
    int plainShortcut = 0;
    QShortcut other(QKeySequence(Qt::CTRL | Qt::Key_R), &window);
    QObject::connect(&other, &QShortcut::activated, [&] { ++plainShortcut; });
    {
        FlagGuard busy(Busy);
        updated = 0;                     // showing the window ran update passes
        EXPECT_TRUE(action->Execute());  // handled: swallowed
        action->trigger();
        EXPECT_FALSE(action->Update());
        KivAction::UpdateAll();
        QTest::keyClick(first, Qt::Key_F7);
        QTest::keyClick(first, Qt::Key_R, Qt::ControlModifier);
        EXPECT_EQ(executed, 0);
        EXPECT_EQ(updated, 0);
        EXPECT_EQ(plainShortcut, 0);
        EXPECT_EQ(first->text(), "");  // a swallowed shortcut is not typed either
    }
    QTest::keyClick(first, Qt::Key_F7);
    QTest::keyClick(first, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(executed, 1);
    EXPECT_EQ(plainShortcut, 1);
    action->trigger();
    EXPECT_EQ(executed, 2);
    EXPECT_TRUE(env.Dialogs().Messages.empty());
}

TEST_F(ActionTest, ExecuteAsksUpdateFirstAndDoesNothingWhenDisabled) {
    enableOnUpdate = false;
    EXPECT_FALSE(action->Execute());
    action->trigger();
    EXPECT_EQ(executed, 0);
    EXPECT_GE(updated, 1);
    // A shortcut too: the stale enabled state does not run it.
    ShowActive();
    action->SetEnabled(true);
    QTest::keyClick(first, Qt::Key_F7);
    EXPECT_EQ(executed, 0);
    enableOnUpdate = true;
    EXPECT_TRUE(action->Execute());
    EXPECT_EQ(executed, 1);
    KivAction bare("No handler", &window);
    EXPECT_FALSE(bare.Execute());
}

TEST_F(ActionTest, HandlersSeeTheCheckStateFromBeforeTheClick) {
    std::vector<bool> seen;
    KivAction toggle("Always On Top", &window);
    toggle.SetChecked(false);
    toggle.setCheckable(true);
    toggle.OnExecute = [&](KivAction* a) {
        seen.push_back(a->Checked());
        a->SetChecked(!a->Checked());  // the handler toggles its own check mark
    };
    toggle.trigger();
    toggle.trigger();
    EXPECT_EQ(seen, (std::vector<bool>{false, true}));
    EXPECT_FALSE(toggle.Checked());

    KivAction automatic("Icon Titles", &window);
    automatic.AutoCheck = true;
    automatic.OnExecute = [&](KivAction* a) { seen.push_back(a->Checked()); };
    seen.clear();
    automatic.trigger();
    automatic.Execute();
    EXPECT_EQ(seen, (std::vector<bool>{true, false}));
}

TEST_F(ActionTest, GroupIndexMakesARadioGroupOfOneOwner) {
    KivAction a("1/4 sec.", &window), b("1/2 sec.", &window);
    QWidget otherOwner;
    KivAction c("elsewhere", &otherOwner);
    for (KivAction* x : {&a, &b, &c}) {
        x->GroupIndex = 3;
        x->AutoCheck = true;
        x->OnExecute = [](KivAction*) {};
    }
    a.SetChecked(true);
    c.SetChecked(true);
    b.trigger();
    EXPECT_FALSE(a.Checked());
    EXPECT_TRUE(b.Checked());
    EXPECT_TRUE(c.Checked());  // another owner's group
    b.trigger();
    EXPECT_TRUE(b.Checked());  // the checked one of a group stays checked
}

TEST_F(ActionTest, UpdatePassRunsAfterACommandOnFocusChangeAndBeforeAMenuShows) {
    ShowActive();
    QCoreApplication::processEvents();

    updated = 0;
    action->trigger();  // Execute asks Update once itself
    int afterExecute = updated;
    QCoreApplication::processEvents();
    EXPECT_GT(updated, afterExecute);

    updated = 0;
    second->setFocus();
    QCoreApplication::processEvents();
    EXPECT_GE(updated, 1);

    QWidget hidden;
    KivAction onHidden("Hidden window's", &hidden);
    int hiddenUpdates = 0;
    onHidden.OnUpdate = [&](KivAction*) { ++hiddenUpdates; };
    KivAction::UpdateAll();
    EXPECT_EQ(hiddenUpdates, 0);  // the idle pass skips hidden windows
    QMenu menu;
    menu.addAction(&onHidden);
    emit menu.aboutToShow();
    EXPECT_EQ(hiddenUpdates, 1);  // a menu about to show updates its own items

    // With nothing else going on, the idle timer asks again and again.
    updated = 0;
    EXPECT_TRUE(QTest::qWaitFor([&] { return updated >= 2; }, 30000));
}

TEST_F(ActionTest, AFailingUpdateHandlerIsShownOnceNotOnEveryIdlePass) {
    window.show();
    action->OnUpdate = [](KivAction*) { throw std::runtime_error("update failed"); };
    KivAction::UpdateAll();
    KivAction::UpdateAll();
    // An action beside it counts the idle passes that went by.
    KivAction probe("Probe", &window);
    int passes = 0;
    probe.OnUpdate = [&](KivAction*) { ++passes; };
    EXPECT_TRUE(QTest::qWaitFor([&] { return passes >= 3; }, 30000));
    EXPECT_EQ(env.Dialogs().MessageTexts(), QStringList{"update failed."});
    // A menu shows its items' state afresh: asked again there.
    QMenu menu;
    menu.addAction(action);
    emit menu.aboutToShow();
    EXPECT_EQ(env.Dialogs().Messages.size(), 2u);
}
