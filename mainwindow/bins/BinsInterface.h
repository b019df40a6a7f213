#pragma once
// What other features ask of the bins.

class QWidget;

namespace kiv {

class KivAction;

class IBins {
public:
    virtual ~IBins() = default;
    // A floating panel of another feature joins the bins': its header moves it, its close
    // button hides it and unchecks the command that shows it.
    virtual void AdoptFloatingPanel(QWidget* panel, KivAction* showCommand) = 0;
};

}  // namespace kiv
