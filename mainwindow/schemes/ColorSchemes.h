#pragma once
// Colour schemes in the main window: the menu "Display Schemes" (rebuilt each time it
// opens, the applied scheme checked, "Customize.." at its end), ApplyColorScheme, which
// gives the panels and the navigation path a stored scheme's colours and font, and the
// editor window "Customize Display Schemes", made at its first use.
//
// The feature is owned by the window as a child object; the applied scheme's number lives
// with the settings (CurrentSchemeIndex), which store it.
#include <QObject>
#include <memory>
#include "mainwindow/Published.h"
#include "mainwindow/navpath/NavigationPathInterface.h"
#include "mainwindow/collector/CollectorInterface.h"
#include "mainwindow/settings/WindowSettingsInterface.h"

class QAction;
class QMenu;

namespace kiv {

class IWindowContext;
class TfrmColorScheme;

class TColorSchemes : public QObject {
    Q_OBJECT
public:
    // A child of the context's window.
    explicit TColorSchemes(IWindowContext& ctx);
    ~TColorSchemes() override;
    // The menu into the Settings menu.
    void BuildComponents();

    // Applies scheme n of "kiv.ini"; an unreadable one gives the defaults and number 0.
    void ApplyColorScheme(int n);
    // The scheme the settings name, at start.
    void ApplyStartScheme();
    void FillSchemesMenu();
    void ShowEditor();
    // The editor, or null before it was first shown.
    TfrmColorScheme* Editor() const { return editor_.get(); }

    QMenu* ColorScheme1 = nullptr;  // "Display Schemes"
    QAction* N23 = nullptr;         // "Customize.."

private:
    IWindowContext& ctx_;
    TNeed<IWindowSettings> windowSettings_;
    TNeed<INavigationPath> nav_;
    TNeed<ICollector> collector_;
    std::unique_ptr<TfrmColorScheme> editor_;
};

}  // namespace kiv
