#pragma once
// Files autoregistration in the main window: the command acRegisterFiles
// ("Autoregister files...") in the File menu shows the registration window, made at its
// first use, which builds linked topics for a folder into the active panel.
//
// The feature is owned by the window as a child object. The registration window is a window
// of its own, not the main window's child: the main window is disabled while it is shown,
// and a child would be disabled with it.
#include <QObject>
#include <memory>

class QAction;

namespace kiv {

class IWindowContext;
class KivAction;
class TfrmFilesRegistration;

class TAutoRegistration : public QObject {
    Q_OBJECT
public:
    // A child of the context's window.
    explicit TAutoRegistration(IWindowContext& ctx);
    ~TAutoRegistration() override;
    // The command into the File menu.
    void BuildComponents();

    void acRegisterFilesExecute();
    void acRegisterFilesUpdate();
    // The window, or null before the command first ran.
    TfrmFilesRegistration* Window() const { return frm_.get(); }

    KivAction* acRegisterFiles = nullptr;

private:
    IWindowContext& ctx_;
    std::unique_ptr<TfrmFilesRegistration> frm_;
};

}  // namespace kiv
