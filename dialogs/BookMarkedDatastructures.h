#pragma once
// The bookmarked datastructures dialog ("Set Bookmarked Datastructures", TfrmAddDB): a
// working copy of the list of known datastructures (InterBase), one row per entry with its
// title (edited in place) and path; rows are added, deleted and reordered by dragging, and
// "- OK -" replaces the list, keeping every entry that stays with all its state.
#include <QDialog>
#include <QTreeWidget>
#include <functional>
#include <string>
#include <vector>

#include "platform/qt/Dialogs.h"

class QMenu;
class QStatusBar;

namespace kiv {

class TInterBase1;

struct TBookMarkRow {
    std::string Title;  // as stored in the list (the panels' caption encoding)
    std::string Path;
    bool operator==(const TBookMarkRow&) const = default;
};

// The title of an added file: its name without folder and without the last four characters.
std::string BookMarkTitleOfFile(const std::string& path);
// Two rows name one datastructure when their paths differ at most in case, or name one file.
bool SameBookMarkPath(const std::string& a, const std::string& b);
// The dragged row from is taken out and put at the index the row under the drop, to, had
// before; so a row dragged down lands after the target and one dragged up before it.
void MoveBookMarkRow(std::vector<TBookMarkRow>& rows, int from, int to);
// The list becomes the rows in order: later rows with a path already listed are dropped,
// titles are trimmed, an entry that stays is the same object (renamed), the others are new
// and those not listed go. The entry of openPath becomes current (0 when missing, none
// when openPath is empty), with no change event.
void ReplaceBookMarks(TInterBase1& base, const std::vector<TBookMarkRow>& rows,
                      const std::string& openPath);

// The list view: titles edit in place on request only; rows move by dragging.
class TAddDBList : public QTreeWidget {
    Q_OBJECT
public:
    explicit TAddDBList(QWidget* parent = nullptr);
    bool Editing() const { return state() == EditingState; }
    // The title being edited is stored and its editor closed.
    void FinishEditing();
    // A row was dropped over another one.
    std::function<void(int from, int to)> OnRowDropped;
    // Enter and Del while no title is edited (an open editor takes them itself).
    std::function<void()> OnEditKey;
    std::function<void()> OnDeleteKey;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void startDrag(Qt::DropActions supported) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    int dragged_ = -1;
};

class TfrmAddDB : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAddDB(TInterBase1& base, QWidget* parent = nullptr);

    // After OK replaced the list: the main window refills its tabs.
    std::function<void()> OnApplied;

    // The rows as they stand.
    std::vector<TBookMarkRow> Rows() const;
    int SelectedRow() const;
    void SelectRow(int i);

    void FormShow();
    void btnAddClick();
    void btnDeleteClick();
    void btnOKClick();
    void Edit1Click();
    // The drag of a row from onto row to.
    void DragRow(int from, int to);

    TAddDBList* lvAddDB = nullptr;
    TOpenDialog odAddDB;
    QMenu* pmManage = nullptr;
    QAction* Edit1 = nullptr;
    QAction* Delete1 = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
    QStatusBar* StatusBar1 = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void AppendRow(const TBookMarkRow& row);
    void SetRows(const std::vector<TBookMarkRow>& rows, int select);
    void UpdateStatus();

    TInterBase1& base_;
    std::string openPath_;
};

}  // namespace kiv
