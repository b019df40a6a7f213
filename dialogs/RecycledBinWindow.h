#pragma once
// The Recycled Bin's window ("KIV Recycle Bin"): the two stores of removed topics of the
// open datastructure, the deleted ones (upper list, restored to their old places) and those
// of lost branches (lower list, put into the active panel). Lines and store entries
// correspond by index at all times. The window holds no data: the lists are filled from the
// stores when it is shown and emptied when it is hidden.
#include <QDialog>
#include <functional>

#include "engine/core/TopicEdits.h"

class QLabel;
class QListWidget;
class QPushButton;
class QStatusBar;

namespace kiv {

class TfrmRecycledBin : public QDialog {
    Q_OBJECT
public:
    explicit TfrmRecycledBin(QWidget* parent = nullptr);
    ~TfrmRecycledBin() override;

    // The stores and the open pair they belong to; set before the window is shown.
    TRecycledBin* Recycled = nullptr;
    TRecycledBin* Lost = nullptr;
    BlockFile* NestFile = nullptr;
    BlockFile* CardFile = nullptr;
    // A topic went back to its place (trail: the checked trail down to it).
    std::function<void(const TRestoreResult& result, TNavigator& trail)> OnRestored;
    // A restore failed on the way: the outline may differ from what the panels show.
    std::function<void()> OnRestoreFailed;
    // Topics to append to the active outline panel; false when the panel took none (their
    // entries then stay).
    std::function<bool(const TItemArray& items)> OnPut;
    // An entry left a store or joined one.
    std::function<void()> OnStoresChanged;

    void btnRestoreClick();
    void btnMoveToSelPanelClick();
    void btnSelectAllClick();
    void btnUnselectAllClick();
    void btnDeleteClick();
    // Entering a list: "restore" only for the upper one; the status bar counts its lines.
    void ListEntered(QListWidget* list);
    // The list the buttons act on: the one entered last (the upper one at first).
    QListWidget* FocusedList() const { return focused_; }

    QLabel* pnlReccBin = nullptr;
    QListWidget* lbxRBin = nullptr;
    QLabel* pnlLostBin = nullptr;
    QListWidget* lbxLostBin = nullptr;
    QPushButton* btnRestore = nullptr;
    QPushButton* btnMoveToSelPanel = nullptr;
    QPushButton* btnSelectAll = nullptr;
    QPushButton* btnUnselectAll = nullptr;
    QPushButton* btnDelete = nullptr;
    QLabel* imgBin = nullptr;
    QStatusBar* StatusBar = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void FillLists();
    QString LineOf(TRecycledBin& bin, int i);
    // Status text, reselection and the stores' picture after a change.
    void Finish(bool changed);
    std::vector<int> SelectedRows(QListWidget* list) const;
    void RemoveLine(QListWidget* list, int i);
    // The entries of those rows (ascending) leave bin and the stored bins, then their
    // lines leave list; a failing store keeps entries and lines.
    void TakeStored(QListWidget* list, TRecycledBin& bin, const std::vector<int>& rows);

    QListWidget* focused_ = nullptr;
};

}  // namespace kiv
