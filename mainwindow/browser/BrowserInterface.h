#pragma once
// What the other rooms of the main window ask of the embedded browser: its list of visited
// addresses, kept in "kiv.ini" section "VisitedLinks".
namespace kiv {

class IBrowser {
public:
    virtual ~IBrowser() = default;
    // At the settings' load and save.
    virtual void LoadVisitedLinks() = 0;
    virtual void SaveVisitedLinks() = 0;
};

}  // namespace kiv
