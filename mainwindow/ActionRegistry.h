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
    // Takes every action under root (the window and what it owns); two with one name are a
    // fault of the program.
    void Collect(QObject& root);
    bool Collected() const { return collected_; }
    // The action of that name, or null when there is none.
    KivAction* Find(const QString& name) const;
    // The action of that name; a missing one is a fault of the program and says so.
    KivAction& Get(const QString& name) const;

private:
    std::map<QString, KivAction*> actions_;
    bool collected_ = false;
};

}  // namespace kiv
