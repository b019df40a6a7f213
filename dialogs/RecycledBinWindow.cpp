#include "dialogs/RecycledBinWindow.h"

#include <QApplication>
#include <QBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>

#include "platform/core/LegacyText.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/ExceptionGuard.h"

namespace kiv {

namespace {

template <class W>
W* Named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

}  // namespace

TfrmRecycledBin::TfrmRecycledBin(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmRecycledBin"));
    setWindowTitle(QStringLiteral("KIV Recycle Bin"));
    resize(420, 420);
    auto* all = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    imgBin = Named(new QLabel(this), "imgBin");
    imgBin->setPixmap(style()->standardIcon(QStyle::SP_TrashIcon).pixmap(32, 32));
    top->addWidget(imgBin);
    pnlReccBin = Named(new QLabel(QStringLiteral("Topics that can be restored to their original "
                                                 "locations."),
                                  this),
                       "pnlReccBin");
    pnlReccBin->setWordWrap(true);
    top->addWidget(pnlReccBin, 1);
    all->addLayout(top);
    lbxRBin = Named(new QListWidget(this), "lbxRBin");
    all->addWidget(lbxRBin, 1);
    pnlLostBin =
        Named(new QLabel(QStringLiteral("Topics from lost branches - restore in current KIV panel"),
                         this),
              "pnlLostBin");
    all->addWidget(pnlLostBin);
    lbxLostBin = Named(new QListWidget(this), "lbxLostBin");
    all->addWidget(lbxLostBin, 1);
    auto* buttons = new QHBoxLayout;
    struct TButton {
        QPushButton** button;
        const char* name;
        const char* caption;
        const char* hint;
        void (TfrmRecycledBin::*click)();
    };
    const TButton defs[] = {
        {&btnRestore, "btnRestore", "restore", "Restore Topic(s)",
         &TfrmRecycledBin::btnRestoreClick},
        {&btnMoveToSelPanel, "btnMoveToSelPanel", "put...", "Put Topic In Focused KIV Panel",
         &TfrmRecycledBin::btnMoveToSelPanelClick},
        {&btnSelectAll, "btnSelectAll", "select all", "Select All",
         &TfrmRecycledBin::btnSelectAllClick},
        {&btnUnselectAll, "btnUnselectAll", "unselect all", "Unselect All",
         &TfrmRecycledBin::btnUnselectAllClick},
        {&btnDelete, "btnDelete", "delete", "Delete Topic(s) From Recycled Bin (Del)",
         &TfrmRecycledBin::btnDeleteClick},
    };
    for (const TButton& b : defs) {
        QPushButton* p = Named(new QPushButton(QString::fromLatin1(b.caption), this), b.name);
        p->setToolTip(QString::fromLatin1(b.hint));
        p->setAutoDefault(false);
        // Reached by Tab from a list; a click leaves the focus in the list the button acts on.
        p->setFocusPolicy(Qt::TabFocus);
        const auto click = b.click;
        connect(p, &QPushButton::clicked, this,
                [this, click] { GuardCall([&] { (this->*click)(); }); });
        buttons->addWidget(p);
        *b.button = p;
    }
    all->addLayout(buttons);
    StatusBar = Named(new QStatusBar(this), "StatusBar");
    StatusBar->setSizeGripEnabled(false);
    all->addWidget(StatusBar);
    for (QListWidget* l : {lbxRBin, lbxLostBin}) {
        l->setSelectionMode(QAbstractItemView::ExtendedSelection);
        l->installEventFilter(this);
    }
    for (QLabel* l : {pnlReccBin, pnlLostBin}) l->installEventFilter(this);
    // From the upper list Tab goes to its buttons first, the lower list comes last.
    QWidget* order[] = {lbxRBin,        btnRestore, btnMoveToSelPanel, btnSelectAll,
                        btnUnselectAll, btnDelete,  lbxLostBin};
    for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
    focused_ = lbxRBin;
}

TfrmRecycledBin::~TfrmRecycledBin() = default;

QString TfrmRecycledBin::LineOf(TRecycledBin& bin, int i) {
    TCards cards;
    cards.SetCardFile(CardFile);
    return QString::fromStdString(LegacyText::Decode(bin.ItemCaption(i, cards)));
}

void TfrmRecycledBin::FillLists() {
    lbxRBin->clear();
    lbxLostBin->clear();
    if (Recycled)
        for (int i = 0; i < Recycled->Count(); ++i) lbxRBin->addItem(LineOf(*Recycled, i));
    if (Lost)
        for (int i = 0; i < Lost->Count(); ++i) lbxLostBin->addItem(LineOf(*Lost, i));
}

void TfrmRecycledBin::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    GuardCall([this] {
        FillLists();
        if (lbxRBin->count() > 0) {
            lbxRBin->setCurrentRow(std::clamp(lbxRBin->currentRow(), 0, lbxRBin->count() - 1));
            lbxRBin->setFocus(Qt::OtherFocusReason);
        }
        ListEntered(lbxRBin->count() > 0 || lbxLostBin->count() == 0 ? lbxRBin : lbxLostBin);
    });
}

void TfrmRecycledBin::hideEvent(QHideEvent* e) {
    QDialog::hideEvent(e);
    lbxRBin->clear();
    lbxLostBin->clear();
}

void TfrmRecycledBin::ListEntered(QListWidget* list) {
    focused_ = list;
    btnRestore->setEnabled(list == lbxRBin);
    StatusBar->showMessage(QString::number(list->count()) + QStringLiteral(" items"));
}

bool TfrmRecycledBin::eventFilter(QObject* watched, QEvent* e) {
    bool eaten = false;
    GuardCall([&] {
        if (e->type() == QEvent::MouseButtonPress) {
            if (watched == pnlReccBin) lbxRBin->setFocus(Qt::MouseFocusReason);
            if (watched == pnlLostBin) lbxLostBin->setFocus(Qt::MouseFocusReason);
        }
        auto* list = qobject_cast<QListWidget*>(watched);
        if (!list) return;
        if (e->type() == QEvent::FocusIn) {
            const auto reason = static_cast<QFocusEvent*>(e)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                ListEntered(list);
        } else if (e->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(e);
            if (key->key() == Qt::Key_Delete) {
                btnDelete->click();
                eaten = true;
            } else if (key->key() == Qt::Key_A && key->modifiers() == Qt::ControlModifier) {
                btnSelectAll->click();
                eaten = true;
            }
        }
    });
    return eaten;
}

std::vector<int> TfrmRecycledBin::SelectedRows(QListWidget* list) const {
    std::vector<int> rows;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->isSelected()) rows.push_back(i);
    return rows;
}

void TfrmRecycledBin::RemoveLine(QListWidget* list, int i) { delete list->takeItem(i); }

void TfrmRecycledBin::Finish(bool changed) {
    if (changed && OnStoresChanged) OnStoresChanged();
    StatusBar->showMessage(QString::number(focused_->count()) + QStringLiteral(" items"));
    if (lbxRBin->count() > 0) {
        const int at = std::clamp(lbxRBin->currentRow(), 0, lbxRBin->count() - 1);
        lbxRBin->setCurrentRow(at, QItemSelectionModel::ClearAndSelect);
    }
}

void TfrmRecycledBin::TakeStored(QListWidget* list, TRecycledBin& bin,
                                 const std::vector<int>& rows) {
    ChangeStoredBins(*Recycled, *Lost, [&] { TakeEntries(bin, rows); });
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) RemoveLine(list, *it);
}

void TfrmRecycledBin::btnRestoreClick() {
    if (!Recycled || !Lost || !NestFile || focused_ != lbxRBin) return;
    bool changed = false;
    for (int i = 0; i < lbxRBin->count();) {
        if (!lbxRBin->item(i)->isSelected()) {
            ++i;
            continue;
        }
        const QString line = lbxRBin->item(i)->text();
        TCards cards;
        cards.SetCardFile(CardFile);
        TNavigator trail;
        TRestoreResult r;
        try {
            r = RestoreEntry(NestFile, cards, *Recycled, i, *Lost, &trail);
        } catch (...) {
            // The entry and its line stay; the panels show what the outline holds.
            if (OnRestoreFailed) OnRestoreFailed();
            Finish(changed);
            throw;
        }
        RemoveLine(lbxRBin, i);
        changed = true;
        if (r.Restored) {
            if (OnRestored) OnRestored(r, trail);
        } else {
            MessageDlg(QString::fromStdString(LostPathWarning(line.toStdString())),
                       MsgType::Warning, MsgButtons::OK);
            lbxLostBin->addItem(line);
        }
    }
    Finish(changed);
}

void TfrmRecycledBin::btnMoveToSelPanelClick() {
    if (!Recycled || !Lost || !NestFile) return;
    for (auto [list, bin] : {std::pair{lbxRBin, Recycled}, std::pair{lbxLostBin, Lost}}) {
        if (focused_ != list) continue;
        const std::vector<int> rows = SelectedRows(list);
        if (rows.empty()) continue;
        // Into the panel first, out of the stored bins second: a crash between leaves the
        // topics in both. One already in the tree is not put there again.
        TCards cards;
        cards.SetCardFile(CardFile);
        std::vector<TRecycledRecord> records;
        for (int row : rows) records.push_back(bin->GetItem(row));
        const std::vector<TStandingTopic> standing = FindStandingTopics(NestFile, cards, records);
        TItemArray items;
        for (size_t k = 0; k < records.size(); ++k)
            if (!standing[k].Found) items.push_back(records[k].Item());
        if (!items.empty() && (!OnPut || !OnPut(items))) return;
        NestFile->Sync();
        TakeStored(list, *bin, rows);
        Finish(true);
        return;
    }
}

void TfrmRecycledBin::btnDeleteClick() {
    if (!Recycled || !Lost || !NestFile || !focused_) return;
    const std::vector<int> rows = SelectedRows(focused_);
    if (!rows.empty()) TakeStored(focused_, focused_ == lbxRBin ? *Recycled : *Lost, rows);
    Finish(!rows.empty());
}

void TfrmRecycledBin::btnSelectAllClick() {
    if (focused_) focused_->selectAll();
}

void TfrmRecycledBin::btnUnselectAllClick() {
    if (focused_) focused_->clearSelection();
}

}  // namespace kiv
