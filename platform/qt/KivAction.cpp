#include "platform/qt/KivAction.h"

#include <QActionEvent>
#include <QActionGroup>
#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <vector>

#include "platform/qt/ExceptionGuard.h"

namespace kiv {

bool Busy = false;

namespace {
std::vector<KivAction*> g_actions;
constexpr int kIdleIntervalMs = 100;
constexpr const char* kMenuHooked = "kivActionUpdateHooked";
}  // namespace

// Drives the update pass and the busy gate for shortcuts.
class ActionUpdater : public QObject {
public:
    static ActionUpdater* Get() {
        static QPointer<ActionUpdater> instance;
        if (!instance && QCoreApplication::instance())
            instance = new ActionUpdater(QCoreApplication::instance());
        return instance;
    }

    void Schedule() {
        if (scheduled_) return;
        scheduled_ = true;
        QTimer::singleShot(0, this, [this] {
            scheduled_ = false;
            KivAction::UpdateAll();
        });
    }

    static void UpdateMenu(QMenu* menu) {
        std::vector<QPointer<KivAction>> actions;
        for (QAction* a : menu->actions())
            if (auto* k = qobject_cast<KivAction*>(a)) actions.emplace_back(k);
        for (auto& a : actions)
            if (a) a->UpdateGuarded();
    }

    bool eventFilter(QObject* watched, QEvent* e) override {
        switch (e->type()) {
        case QEvent::Shortcut:
            if (Busy) return true;
            break;
        case QEvent::ActionAdded:
            if (auto* menu = qobject_cast<QMenu*>(watched)) {
                auto* ae = static_cast<QActionEvent*>(e);
                if (qobject_cast<KivAction*>(ae->action()) &&
                    !menu->property(kMenuHooked).toBool()) {
                    menu->setProperty(kMenuHooked, true);
                    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu] { UpdateMenu(menu); });
                }
            }
            break;
        default: break;
        }
        return false;
    }

private:
    explicit ActionUpdater(QObject* parent) : QObject(parent) {
        QCoreApplication::instance()->installEventFilter(this);
        timer_.setInterval(kIdleIntervalMs);
        QObject::connect(&timer_, &QTimer::timeout, this, [] { KivAction::UpdateAll(); });
        timer_.start();
        if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
            QObject::connect(app, &QApplication::focusChanged, this, [this] { Schedule(); });
    }

    QTimer timer_;
    bool scheduled_ = false;
};

KivAction::KivAction(QObject* parent) : KivAction(QString(), parent) {}

KivAction::KivAction(const QString& text, QObject* parent) : QAction(text, parent) {
    g_actions.push_back(this);
    QObject::connect(this, &QAction::triggered, this, [this] { Triggered(); });
    ActionUpdater::Get();
}

KivAction::~KivAction() {
    g_actions.erase(std::remove(g_actions.begin(), g_actions.end(), this), g_actions.end());
}

void KivAction::SetChecked(bool checked) {
    if (checked && !isCheckable()) setCheckable(true);
    if (checked && GroupIndex > 0) {
        for (KivAction* a : g_actions)
            if (a != this && a->GroupIndex == GroupIndex && a->parent() == parent() &&
                a->isChecked())
                a->QAction::setChecked(false);
    }
    QAction::setChecked(checked);
}

bool KivAction::Update() {
    if (Busy) return false;
    if (!OnUpdate) return false;
    OnUpdate(this);
    return true;
}

void KivAction::UpdateGuarded() {
    if (GuardCall([this] { Update(); })) updateFailed_ = false;
    else updateFailed_ = true;
}

bool KivAction::Execute() {
    if (Busy) return true;
    ActionUpdater* updater = ActionUpdater::Get();
    Update();
    if (!isEnabled()) return false;
    if (AutoCheck && !(isChecked() && GroupIndex > 0)) SetChecked(!isChecked());
    if (updater) updater->Schedule();  // after each command, also one that fails
    if (!OnExecute) return false;
    updateFailed_ = false;
    OnExecute(this);
    return true;
}

void KivAction::Triggered() {
    // Qt has toggled a checkable action before telling us; the class library had not.
    if (isCheckable() && !actionGroup()) QAction::setChecked(!isChecked());
    GuardCall([&] { Execute(); });
}

bool KivAction::event(QEvent* e) {
    if (e->type() == QEvent::Shortcut) {
        if (Busy) return true;
        // A shortcut asks the Update handler first, so a stale enabled state cannot run it.
        if (!GuardCall([this] { Update(); })) return true;
        if (!isEnabled()) return true;
    }
    return QAction::event(e);
}

void KivAction::UpdateAll() {
    if (Busy) return;
    std::vector<QPointer<KivAction>> actions(g_actions.begin(), g_actions.end());
    for (auto& a : actions) {
        if (!a || !a->OnUpdate || a->updateFailed_) continue;
        if (auto* owner = qobject_cast<QWidget*>(a->parent()); owner && owner->window()->isHidden())
            continue;
        a->UpdateGuarded();
    }
}

void KivAction::ScheduleUpdate() {
    if (ActionUpdater* u = ActionUpdater::Get()) u->Schedule();
}

}  // namespace kiv
