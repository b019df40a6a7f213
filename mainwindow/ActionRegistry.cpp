#include "mainwindow/ActionRegistry.h"

#include <QObject>
#include <stdexcept>

namespace kiv {

void TActionRegistry::Collect(QObject& root) {
    actions_.clear();
    for (KivAction* a : root.findChildren<KivAction*>()) {
        const QString name = a->objectName();
        if (name.isEmpty()) continue;
        auto [it, fresh] = actions_.emplace(name, a);
        if (!fresh && it->second != a)
            throw std::logic_error("two actions are named " + name.toStdString());
    }
    collected_ = true;
}

KivAction* TActionRegistry::Find(const QString& name) const {
    if (!collected_) throw std::logic_error("actions looked up before the window is built");
    const auto it = actions_.find(name);
    return it == actions_.end() ? nullptr : it->second;
}

KivAction& TActionRegistry::Get(const QString& name) const {
    KivAction* a = Find(name);
    if (!a) throw std::logic_error("no action is named " + name.toStdString());
    return *a;
}

}  // namespace kiv
