#pragma once
// What the Help menu's room offers the others: a place in the Help menu for their commands,
// and the about window put away.
#include <QList>

class QAction;

namespace kiv {

class IHelp {
public:
    virtual ~IHelp() = default;
    // Commands of another room in the Help menu, before "About..." with a separator between.
    virtual void AddHelpItems(const QList<QAction*>& items) = 0;
    // The about window, when it is open, closed.
    virtual void CloseAboutWindow() = 0;
};

}  // namespace kiv
