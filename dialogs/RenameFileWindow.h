#pragma once
// The rename window: renames a linked file on disk inside its folder. It is modal and
// works on what it was opened for; the opener learns of a rename that succeeded through
// OnRenamed, with the tag it gave (a topic row, or a launch card row above 1000000).
#include <QDialog>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kiv {

// What a rename came to. Renamed only when the file now has the new path and the old one
// is gone; every other outcome leaves the disk as it was.
enum class TRenameOutcome { Unchanged, Renamed, Failed };

// Renames oldPath to newName (trimmed) in the same folder, never over an existing file:
// the check and the rename are one step. Nothing happens for an empty name or the same
// name in any letter case. On failure message holds what to tell the user.
TRenameOutcome RenameFileNoReplace(const QString& oldPath, const QString& newName, QString& newPath,
                                   QString& message);

class TfrmRenameFile : public QDialog {
    Q_OBJECT
public:
    explicit TfrmRenameFile(QWidget* parent = nullptr);

    // Fills the window for a file and a tag and shows it modally.
    void Execute(const QString& oldPath, int tag);
    // The same without showing: the fields, ready for btnOKClick.
    void Prepare(const QString& oldPath, int tag);

    // After a rename that succeeded.
    std::function<void(int tag, const QString& oldPath, const QString& newPath)> OnRenamed;

    // "- OK -": closes, then renames and reports a failure.
    void btnOKClick();

    QLabel* lblOldFileName = nullptr;
    QLineEdit* edtNewFileName = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnClose = nullptr;

private:
    int tag_ = 0;
};

}  // namespace kiv
