#pragma once
// The about window: the program's name and version, the build of the running executable,
// the about text (credits for this program and the libraries it links), and links to the
// web site, the e-mail address and the latest version. It sees the main window only
// through the hooks.
#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;
class QTextEdit;

namespace kiv {

class THotLabel;

class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kWebSite = "https://kiv.example.org/";
    static constexpr const char* kEmail = "support@kiv.example.org";

    explicit TfrmAbout(QWidget* parent = nullptr);

    // The text from the first "(" of a flagged build-style version text, empty without one.
    static QString BuildLabel(const QString& flaggedVersion);

    // Opens a link (the main window's link launcher).
    std::function<void(const QString& link)> LaunchLink;
    // After the web site was opened.
    std::function<void()> OnWebSiteOpened;
    // The main window's get-latest-version command.
    std::function<void()> GetLatestVersion;

    void lblWebSiteClick();
    void lblEmailClick();
    void lblLatestClick();

    QLabel* imgLogo = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblBuild = nullptr;
    QTextEdit* reAbout = nullptr;
    THotLabel* lblWebSite = nullptr;
    THotLabel* lblEmail = nullptr;
    THotLabel* lblLatest = nullptr;
    QPushButton* btnOK = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
};

}  // namespace kiv
