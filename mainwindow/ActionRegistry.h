#pragma once
// Every command of the main window by its name (the action's objectName), so that menus,
// tool bars and the key map reach a feature's command without reaching the feature.
#include <QString>
#include <map>

#include "platform/qt/KivAction.h"

class QObject;

namespace kiv {

class TActionRegistry {
public:
    // The actions are those under root (the window and what it owns); one is found from the
    // moment it is made, so a room may look another's up while the window is built.
    void Attach(QObject& root) { root_ = &root; }
    // When the window is built: every action under root taken at once; two with one name are
    // a fault of the program.
    void Collect();
    // The action of that name, or null when there is none (yet).
    KivAction* Find(const QString& name) const;
    // The action of that name; a missing one is a fault of the program and says so.
    KivAction& Get(const QString& name) const;

private:
    QObject* root_ = nullptr;
    mutable std::map<QString, KivAction*> actions_;
};

}  // namespace kiv
