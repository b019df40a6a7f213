// The bookmarked datastructures dialog and the list operations it rests on.
#include "dialogs/BookMarkedDatastructures.h"

#include <QBoxLayout>
#include <QDragMoveEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <memory>

#include "engine/core/Navigation.h"
#include "platform/core/KivStrings.h"
#include "platform/core/LegacyText.h"
#include "platform/core/SamePath.h"

namespace kiv {

namespace {

constexpr int kTitleWidth = 200;
constexpr int kPathWidth = 350;
constexpr int kMinWidth = 400;

QString Shown(const std::string& stored) { return QString::fromUtf8(LegacyText::Decode(stored)); }
std::string Stored(const QString& text) { return LegacyText::Encode(text.toStdString()); }

QPushButton* Button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

}  // namespace

// ---- the list operations ----

std::string BookMarkTitleOfFile(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    name.resize(name.size() > 4 ? name.size() - 4 : 0);
    return name;
}

bool SameBookMarkPath(const std::string& a, const std::string& b) {
    return SameText(a, b) || SamePath(a, b);
}

void MoveBookMarkRow(std::vector<TBookMarkRow>& rows, int from, int to) {
    const int n = int(rows.size());
    if (from < 0 || from >= n || to < 0 || to >= n || from == to) return;
    const TBookMarkRow row = rows[size_t(from)];
    rows.erase(rows.begin() + from);
    rows.insert(rows.begin() + to, row);
}

void ReplaceBookMarks(TInterBase1& base, const std::vector<TBookMarkRow>& rows,
                      const std::string& openPath) {
    std::vector<TBookMarkRow> listed;
    for (const TBookMarkRow& r : rows) {
        bool known = false;
        for (const TBookMarkRow& l : listed) known = known || SameBookMarkPath(l.Path, r.Path);
        if (!known) listed.push_back({Trim(r.Title), r.Path});
    }
    // Entries that stay keep their object, with its open stores and trails.
    std::vector<TBookMarkPtr> kept(listed.size());
    for (size_t i = 0; i < listed.size(); ++i) {
        for (int j = 0; j < base.Count(); ++j) {
            if (!SameBookMarkPath(base.GetPath(j), listed[i].Path)) continue;
            kept[i] = base.BookMark(j);
            break;
        }
    }
    base.Clear();
    for (size_t i = 0; i < listed.size(); ++i) {
        const int at = base.Add(listed[i].Path);
        if (kept[i]) base.SetBookMark(at, kept[i]);
        base.SetName(at, listed[i].Title);
    }
    int current = -1;
    for (int i = 0; i < base.Count() && current < 0; ++i)
        if (SameBookMarkPath(base.GetPath(i), openPath)) current = i;
    // With nothing open no entry becomes current.
    base.SetCurrentIndex(current >= 0 ? current : openPath.empty() ? -1 : 0);
}

// ---- the list view ----

TAddDBList::TAddDBList(QWidget* parent) : QTreeWidget(parent) {
    setObjectName(QStringLiteral("lvAddDB"));
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
}

void TAddDBList::FinishEditing() {
    if (!Editing()) return;
    if (auto* editor = viewport()->findChild<QLineEdit*>()) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void TAddDBList::keyPressEvent(QKeyEvent* e) {
    const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    if (!Editing() && (enter || e->key() == Qt::Key_Delete)) {
        if (enter && OnEditKey) OnEditKey();
        if (!enter && OnDeleteKey) OnDeleteKey();
        e->accept();
        return;
    }
    QTreeWidget::keyPressEvent(e);
}

void TAddDBList::startDrag(Qt::DropActions supported) {
    dragged_ = currentIndex().row();
    QTreeWidget::startDrag(supported);
    dragged_ = -1;
}

void TAddDBList::dragMoveEvent(QDragMoveEvent* e) {
    // Only over a row, which becomes the selected one.
    QTreeWidgetItem* over = e->source() == this ? itemAt(e->position().toPoint()) : nullptr;
    if (!over) {
        e->ignore();
        return;
    }
    setCurrentItem(over);
    e->setDropAction(Qt::CopyAction);
    e->accept();
}

void TAddDBList::dropEvent(QDropEvent* e) {
    QTreeWidgetItem* over = e->source() == this ? itemAt(e->position().toPoint()) : nullptr;
    if (!over || dragged_ < 0) {
        e->ignore();
        return;
    }
    // The view must not move or remove anything itself: the rows are rebuilt.
    e->setDropAction(Qt::CopyAction);
    e->accept();
    if (OnRowDropped) OnRowDropped(dragged_, indexOfTopLevelItem(over));
}

// ---- the dialog ----

TfrmAddDB::TfrmAddDB(TInterBase1& base, QWidget* parent) : QDialog(parent), base_(base) {
    setObjectName(QStringLiteral("frmAddDB"));
    setWindowTitle(QStringLiteral("Set Bookmarked Datastructures"));
    setMinimumWidth(kMinWidth);
    lvAddDB = new TAddDBList(this);
    lvAddDB->setHeaderLabels(
        {QStringLiteral("Datastructure Title"), QStringLiteral("Path To Datastructure")});
    lvAddDB->header()->setStretchLastSection(false);
    lvAddDB->header()->resizeSection(0, kTitleWidth);
    lvAddDB->header()->resizeSection(1, kPathWidth);
    lvAddDB->OnRowDropped = [this](int from, int to) { DragRow(from, to); };
    connect(lvAddDB, &QTreeWidget::itemDoubleClicked, this, [this] { Edit1Click(); });
    connect(lvAddDB, &QTreeWidget::itemChanged, this, [this] { UpdateStatus(); });

    odAddDB.Filter = QStringLiteral("KIV DataStructure (*.kiv)|*.kiv");
    odAddDB.DefaultExt = QStringLiteral(".kiv");
    odAddDB.FileMustExist = true;

    // The keys shown in the popup are the list's own: while a title is edited, Enter and Del
    // go to its editor.
    lvAddDB->OnEditKey = [this] { Edit1Click(); };
    lvAddDB->OnDeleteKey = [this] { btnDeleteClick(); };
    pmManage = new QMenu(lvAddDB);
    pmManage->setObjectName(QStringLiteral("pmManage"));
    Edit1 = pmManage->addAction(QStringLiteral("Edit"));
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    Delete1 = pmManage->addAction(QStringLiteral("Delete "));
    Delete1->setObjectName(QStringLiteral("Delete1"));
    Delete1->setShortcut(QKeySequence(Qt::Key_Delete));
    for (QAction* a : {Edit1, Delete1}) a->setShortcutContext(Qt::WidgetShortcut);
    connect(Edit1, &QAction::triggered, this, [this] { Edit1Click(); });
    connect(Delete1, &QAction::triggered, this, [this] { btnDeleteClick(); });
    lvAddDB->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lvAddDB, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { pmManage->popup(lvAddDB->viewport()->mapToGlobal(p)); });

    btnAdd = Button(this, "btnAdd", QStringLiteral("- Add -"));
    btnDelete = Button(this, "btnDelete", QStringLiteral("- Delete -"));
    btnOK = Button(this, "btnOK", QStringLiteral("- OK -"));
    btnCancel = Button(this, "btnCancel", QStringLiteral("- Cancel -"));
    connect(btnAdd, &QPushButton::clicked, this, [this] { btnAddClick(); });
    connect(btnDelete, &QPushButton::clicked, this, [this] { btnDeleteClick(); });
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setSizeGripEnabled(false);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {btnAdd, btnDelete}) buttons->addWidget(b);
    buttons->addStretch();
    for (QPushButton* b : {btnOK, btnCancel}) buttons->addWidget(b);
    auto* box = new QVBoxLayout(this);
    box->addWidget(lvAddDB);
    box->addLayout(buttons);
    box->addWidget(StatusBar1);
    resize(kTitleWidth + kPathWidth + 40, 320);
}

std::vector<TBookMarkRow> TfrmAddDB::Rows() const {
    std::vector<TBookMarkRow> rows;
    for (int i = 0; i < lvAddDB->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* it = lvAddDB->topLevelItem(i);
        rows.push_back({Stored(it->text(0)), it->data(1, Qt::UserRole).toString().toStdString()});
    }
    return rows;
}

int TfrmAddDB::SelectedRow() const {
    QTreeWidgetItem* it = lvAddDB->currentItem();
    return it && it->isSelected() ? lvAddDB->indexOfTopLevelItem(it) : -1;
}

void TfrmAddDB::SelectRow(int i) {
    if (QTreeWidgetItem* it = lvAddDB->topLevelItem(i)) {
        lvAddDB->setCurrentItem(it);
        it->setSelected(true);
    }
}

void TfrmAddDB::AppendRow(const TBookMarkRow& row) {
    auto* it = new QTreeWidgetItem(lvAddDB);
    it->setText(0, Shown(row.Title));
    const QString path = QString::fromStdString(row.Path);
    it->setText(1, path);
    it->setData(1, Qt::UserRole, path);
    it->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable |
                 Qt::ItemIsDragEnabled);
}

void TfrmAddDB::SetRows(const std::vector<TBookMarkRow>& rows, int select) {
    lvAddDB->clear();
    for (const TBookMarkRow& r : rows) AppendRow(r);
    SelectRow(select);
    UpdateStatus();
}

void TfrmAddDB::UpdateStatus() {
    StatusBar1->showMessage(QString::number(lvAddDB->topLevelItemCount()) +
                            QStringLiteral(" items"));
}

void TfrmAddDB::FormShow() {
    openPath_ = base_.GetPath(base_.CurrentIndex());
    std::vector<TBookMarkRow> rows;
    for (int i = 0; i < base_.Count(); ++i) rows.push_back({base_.GetName(i), base_.GetPath(i)});
    SetRows(rows, -1);
}

void TfrmAddDB::btnAddClick() {
    if (!odAddDB.Execute()) return;
    const std::string path = odAddDB.FileName.toStdString();
    AppendRow({LegacyText::Encode(BookMarkTitleOfFile(path)), path});
    UpdateStatus();
}

void TfrmAddDB::btnDeleteClick() {
    if (lvAddDB->Editing()) return;
    const int i = SelectedRow();
    if (i < 0) return;
    if (SameBookMarkPath(Rows()[size_t(i)].Path, openPath_)) {
        MessageDlg(QStringLiteral("It Is Not Possible To Delete Opened Datastructure"),
                   MsgType::Information, MsgButtons::OK);
        return;
    }
    delete lvAddDB->takeTopLevelItem(i);
    const int count = lvAddDB->topLevelItemCount();
    if (count > 0) SelectRow(i < count ? i : i - 1);
    UpdateStatus();
}

void TfrmAddDB::Edit1Click() {
    if (lvAddDB->Editing()) return;
    if (QTreeWidgetItem* it = lvAddDB->currentItem()) lvAddDB->editItem(it, 0);
}

void TfrmAddDB::DragRow(int from, int to) {
    std::vector<TBookMarkRow> rows = Rows();
    if (from < 0 || to < 0 || from >= int(rows.size()) || to >= int(rows.size())) return;
    MoveBookMarkRow(rows, from, to);
    SetRows(rows, to);
}

void TfrmAddDB::btnOKClick() {
    lvAddDB->FinishEditing();
    ReplaceBookMarks(base_, Rows(), openPath_);
    if (OnApplied) OnApplied();
    accept();
}

void TfrmAddDB::showEvent(QShowEvent* e) {
    FormShow();
    QDialog::showEvent(e);
}

void TfrmAddDB::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        reject();
        e->accept();
        return;
    }
    // Enter belongs to the list (title editing), not to a default button.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

}  // namespace kiv
