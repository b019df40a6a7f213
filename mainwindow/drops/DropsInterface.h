#pragma once
// What other features ask of the drops.

class QWidget;

namespace kiv {

class KivAction;

class IDrops {
public:
    // Shows a hidden card or bin panel in front, or hides a shown one; the command follows.
    virtual void ShowBinPanel(QWidget* panel, KivAction* action) = 0;

protected:
    ~IDrops() = default;
};

}  // namespace kiv
