#pragma once
// The files autoregistration window ("Files autoregistration"): the user picks a folder,
// optionally only some file types, scans it (counting what would be registered) and
// registers it: a topic for the folder follows the current topic of the active panel, with
// one linked topic per file and sub-folder below it.
//
// Counting and building run on the GUI thread; pending events run between their steps (at
// most every ProgressMs), so "- Stop -" and the counts stay live. While busy the window
// refuses to close, and choosing, scanning and registering are ignored. While the window is
// shown the main window is disabled. The window sees the main window only through the
// hooks below.
#include <QDialog>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "components/BrowseForFolder.h"
#include "engine/core/FileRegistration.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kiv {

class TKivStringGrid;

// A folder as typed, made absolute: "~" stands for the home folder, and a relative folder is
// taken from the home folder too (where the folder browser starts), never from the working
// folder the program happens to run in; the links made from it then open from anywhere.
QString AbsoluteFolder(const QString& typed, const QString& home);

class TfrmFilesRegistration : public QDialog {
    Q_OBJECT
public:
    explicit TfrmFilesRegistration(QWidget* parent = nullptr);
    ~TfrmFilesRegistration() override;

    // ---- what the window needs from the main window ----
    std::function<TKivStringGrid*()> CurrentGrid;  // the active outline panel, or null
    QPointer<QWidget> MainForm;                    // disabled while the window is shown
    // Runs work with the main window's busy gate held; without it the work just runs.
    std::function<void(const std::function<void()>& work)> RunBusy;
    int ProgressMs = 30;

    // Where folders are listed (the disk unless a test puts its own).
    void SetFolderSource(std::unique_ptr<TFolderSource> source);

    // ---- components ----
    QLineEdit* edtPath = nullptr;
    QPushButton* btnSetDir = nullptr;
    TBrowseForFolder bfDir;
    QCheckBox* cbxWithSubDirs = nullptr;
    QCheckBox* cbxHtmlTitles = nullptr;
    QGroupBox* gbFileTypes = nullptr;
    QRadioButton* rbAllFiles = nullptr;
    QRadioButton* rbSelectedFiles = nullptr;
    QLineEdit* edtFileTypes = nullptr;
    QLabel* lblExample = nullptr;
    QLabel* lblExampleTypes = nullptr;
    QLabel* lblFoundFiles = nullptr;  // the count of the last scan
    QLabel* lblRegistered = nullptr;  // topics created so far
    QLabel* lblSkipped = nullptr;     // folders skipped by the last scan or build; hidden when none
    QPushButton* btnTestDir = nullptr;
    QPushButton* btnRegisterFiles = nullptr;
    QPushButton* btnStop = nullptr;  // enabled while counting and building
    QPushButton* btnClose = nullptr;

    // ---- state ----
    bool Busy() const { return busy_; }
    const std::string& Path() const { return path_; }
    const std::vector<std::string>& Types() const { return types_; }

    // ---- handlers ----
    void btnSetDirClick();
    void btnTestDirClick();
    void btnRegisterFilesClick();
    void btnStopClick() { stop_ = true; }
    void btnCloseClick();
    void edtPathChange();
    void rbAllFilesClick();
    void FormShow();
    void FormHide();

    // Esc and "- Close -" hide the window; not while busy.
    void reject() override;

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void BuildComponents();
    void BuildTypeList();
    TRegistrationOptions Options() const;
    TRegistrationHooks Hooks();
    // The count of Scan, with the busy flag and the hour-glass; the found count. stopped:
    // "- Stop -" ended the count.
    int Scan(bool& stopped);
    void Build(TKivStringGrid& grid, TFileRegistrar& registrar);
    void ShowSkipped(int skipped);
    void Busied(const std::function<void()>& work);

    std::unique_ptr<TFolderSource> source_;
    std::string path_;
    std::vector<std::string> types_;
    bool busy_ = false;
    bool stop_ = false;
};

}  // namespace kiv
