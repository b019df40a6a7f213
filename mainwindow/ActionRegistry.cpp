#include "mainwindow/ActionRegistry.h"

#include <QObject>
#include <stdexcept>

namespace kiv {

void TActionRegistry::Collect() {
    if (!root_) throw std::logic_error("actions collected before the window exists");
    actions_.clear();
    for (KivAction* a : root_->findChildren<KivAction*>()) {
        const QString name = a->objectName();
        if (name.isEmpty()) continue;
        auto [it, fresh] = actions_.emplace(name, a);
        if (!fresh && it->second != a)
            throw std::logic_error("two actions are named " + name.toStdString());
    }
}

KivAction* TActionRegistry::Find(const QString& name) const {
    if (!root_) throw std::logic_error("actions looked up before the window exists");
    if (const auto it = actions_.find(name); it != actions_.end()) return it->second;
    // Made after the last look: taken once it is there.
    KivAction* a = root_->findChild<KivAction*>(name);
    if (a) actions_.emplace(name, a);
    return a;
}

KivAction& TActionRegistry::Get(const QString& name) const {
    KivAction* a = Find(name);
    if (!a) throw std::logic_error("no action is named " + name.toStdString());
    return *a;
}

}  // namespace kiv
