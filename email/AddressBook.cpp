#include "email/AddressBook.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <exception>

#include "components/SortGrid.h"
#include "email/EmailModal.h"
#include "email/MailMessage.h"
#include "platform/core/BlockFile.h"
#include "platform/core/KivStrings.h"
#include "platform/core/LegacyText.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/ExceptionGuard.h"

namespace kiv {

// ---- the book's rules ----

bool UsableAddress(const QString& address) { return address.indexOf(QLatin1Char('@')) >= 1; }

std::vector<TAddressRow> CleanAddressRows(std::vector<TAddressRow> rows) {
    for (size_t r = 0; r < rows.size();) {
        if (QString::fromStdString(Trim(rows[r].Name.toStdString())).isEmpty())
            rows[r].Name = rows[r].Address;
        if (UsableAddress(rows[r].Address)) {
            ++r;
        } else if (rows.size() > 1) {
            rows.erase(rows.begin() + long(r));
        } else {
            rows[r] = {};
            ++r;
        }
    }
    return rows;
}

QString JoinRecipientLines(const QStringList& lines) {
    QString out;
    for (const QString& line : lines) {
        if (!out.trimmed().isEmpty()) out += QStringLiteral("; ");
        out += line;
    }
    return out;
}

// ---- the grid's file ----

void LoadAddressBook(TSortGrid& grid, const std::string& path) {
    grid.SetRowCount(2);
    if (!FileExists(path)) return;
    for (const TAddressLine& line : ParseAddressBook(ReadWholeFile(path), grid.ColCount())) {
        QStringList texts;
        for (const std::string& f : line.Fields) texts << QString::fromStdString(f);
        if (line.Index < 2) grid.SetRows(line.Index, texts);
        else grid.AddRow(texts);
    }
}

void SaveAddressBook(TSortGrid& grid, const std::string& path) {
    std::vector<std::vector<std::string>> rows;
    for (int r = 0; r < grid.RowCount(); ++r) {
        std::vector<std::string> row;
        for (int c = 0; c < grid.ColCount(); ++c) row.push_back(grid.Cells(c, r).toStdString());
        rows.push_back(std::move(row));
    }
    WriteFileAtomic(path, FormatAddressBook(rows));
}

// ---- the window ----

TfrmAddresses::TfrmAddresses(std::string bookPath, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), path_(std::move(bookPath)) {
    setObjectName(QStringLiteral("frmAddresses"));
    setWindowTitle(QStringLiteral("Select recepients:"));
    sgdAddresses = Named(new TSortGrid(this), "sgdAddresses");
    sgdAddresses->SetColCount(2);
    sgdAddresses->SetRowCount(2);
    sgdAddresses->SetDefaultColWidth(150);
    sgdAddresses->SetDefaultRowHeight(18);
    TSortOptions& sort = sgdAddresses->SortOptions();
    sort.CanSort = true;
    sort.SortCaseSensitive = false;
    sort.SortCol = 0;
    sort.SortDirection = sdAscending;
    sgdAddresses->SetCells(0, 0, QStringLiteral("Name"));
    sgdAddresses->SetCells(1, 0, QStringLiteral("email"));
    sgdAddresses->OnKeyPress = [this](TCustomGrid*, QChar&) { SetAddressGridEditing(true); };
    sgdAddresses->OnMouseDown = [this](TCustomGrid*, TCustomGrid::TMouseButton, TShiftState, int,
                                       int) { SetAddressGridEditing(false); };
    SetAddressGridEditing(false);
    lbxTo = Named(new QListWidget(this), "lbxTo");
    lbxCc = Named(new QListWidget(this), "lbxCc");
    for (QListWidget* l : {lbxTo, lbxCc}) {
        l->setSelectionMode(QAbstractItemView::ExtendedSelection);
        l->installEventFilter(this);
    }
    btnTo = DashButton(this, "btnTo", QStringLiteral("To: >"));
    btnCc = DashButton(this, "btnCc", QStringLiteral("Cc: >"));
    btnOK = DashButton(this, "btnOK", QStringLiteral("- OK -"));
    btnCancel = DashButton(this, "btnCancel", QStringLiteral("- Cancel -"));
    connect(btnTo, &QPushButton::clicked, this,
            [this] { GuardCall([this] { btnToClick(lbxTo); }); });
    connect(btnCc, &QPushButton::clicked, this,
            [this] { GuardCall([this] { btnToClick(lbxCc); }); });
    connect(btnOK, &QPushButton::clicked, this, [this] { GuardCall([this] { btnOKClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
    SpeedButton1 = Named(new QToolButton(this), "SpeedButton1");
    SpeedButton1->setText(QStringLiteral("+"));
    SpeedButton1->setToolTip(QStringLiteral("Add recipient"));
    SpeedButton2 = Named(new QToolButton(this), "SpeedButton2");
    SpeedButton2->setText(QStringLiteral("x"));
    SpeedButton2->setToolTip(QStringLiteral("Delete Recipient"));
    connect(SpeedButton1, &QToolButton::clicked, this,
            [this] { GuardCall([this] { SpeedButton1Click(); }); });
    connect(SpeedButton2, &QToolButton::clicked, this,
            [this] { GuardCall([this] { SpeedButton2Click(); }); });

    auto* left = new QVBoxLayout;
    auto* tools = new QHBoxLayout;
    tools->addWidget(SpeedButton1);
    tools->addWidget(SpeedButton2);
    tools->addStretch();
    left->addLayout(tools);
    left->addWidget(sgdAddresses, 1);
    auto* right = new QVBoxLayout;
    const auto pick = [&](QPushButton* button, QListWidget* list) {
        auto* row = new QHBoxLayout;
        row->addWidget(button, 0, Qt::AlignTop);
        row->addWidget(list, 1);
        right->addLayout(row, 1);
    };
    pick(btnTo, lbxTo);
    pick(btnCc, lbxCc);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 3);
    top->addLayout(right, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* l = new QVBoxLayout(this);
    l->addLayout(top, 1);
    l->addLayout(buttons);
    resize(620, 360);
}

TfrmAddresses::~TfrmAddresses() = default;

void TfrmAddresses::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!e->spontaneous()) GuardCall([this] { ShowAddressBook(); });
}

void TfrmAddresses::ShowAddressBook() {
    TSortGrid& g = *sgdAddresses;
    g.Clear();
    LoadAddressBook(g, path_);
    g.SetCells(0, 0, QStringLiteral("Name"));
    g.SetCells(1, 0, QStringLiteral("email"));
    std::vector<TAddressRow> rows;
    for (int r = 1; r < g.RowCount(); ++r) rows.push_back({g.Cells(0, r), g.Cells(1, r)});
    rows = CleanAddressRows(std::move(rows));
    g.BeginUpdate();
    g.SetRowCount(int(rows.size()) + 1);
    for (size_t i = 0; i < rows.size(); ++i) g.SetRows(int(i) + 1, {rows[i].Name, rows[i].Address});
    g.EndUpdate();
}

void TfrmAddresses::SetAddressGridEditing(bool edit) {
    TSortGrid& g = *sgdAddresses;
    if (edit) {
        g.SetOptions((g.Options() - goRowSelect - goRangeSelect) | goEditing);
        g.SetMultiSelect(false);
    } else {
        g.SetOptions((g.Options() - goEditing) | goRowSelect | goRangeSelect);
        g.SetMultiSelect(true);
    }
    g.Invalidate();
}

bool TfrmAddresses::AddressGridEditing() const {
    return sgdAddresses->Options().Contains(goEditing);
}

void TfrmAddresses::btnToClick(QListWidget* target) {
    TSortGrid& g = *sgdAddresses;
    for (int r = 1; r < g.RowCount(); ++r) {
        if (!g.RowSelected(r) || !UsableAddress(g.Cells(1, r))) continue;
        const QString line = QString::fromStdString(
            mail::MailboxText(g.Cells(0, r).toStdString(), g.Cells(1, r).toStdString()));
        if (target->findItems(line, Qt::MatchExactly).isEmpty()) target->addItem(line);
    }
}

void TfrmAddresses::btnOKClick() {
    try {
        SaveAddressBook(*sgdAddresses, path_);
    } catch (const std::exception& e) {
        MessageDlg(QString::fromStdString(e.what()), MsgType::Error, MsgButtons::OK);
        return;
    }
    if (lbxTo->count() == 0 && lbxCc->count() == 0) btnToClick(lbxTo);
    const auto lines = [](QListWidget* list) {
        QStringList out;
        for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
        return out;
    };
    if (TargetTo) TargetTo->setText(JoinRecipientLines(lines(lbxTo)));
    if (TargetCc) TargetCc->setText(JoinRecipientLines(lines(lbxCc)));
    accept();
}

void TfrmAddresses::btnCancelClick() { QDialog::reject(); }

void TfrmAddresses::SpeedButton1Click() {
    TSortGrid& g = *sgdAddresses;
    g.SetRowCount(g.RowCount() + 1);
    SetAddressGridEditing(true);
    g.SelectCell(0, g.RowCount() - 1, true);
    g.setFocus();
}

void TfrmAddresses::SpeedButton2Click() {
    TSortGrid& g = *sgdAddresses;
    if (g.Row() < 1) return;
    g.BeginUpdate();
    g.DeleteRow(g.Row());
    g.EndUpdate();
}

void TfrmAddresses::lbxToKeyDown(QListWidget* list, int key) {
    if (key == Qt::Key_Delete) DeleteSelectedLines(*list);
}

bool TfrmAddresses::eventFilter(QObject* watched, QEvent* e) {
    if ((watched == lbxTo || watched == lbxCc) && e->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(e)->key() == Qt::Key_Delete) {
        GuardCall([&] { lbxToKeyDown(static_cast<QListWidget*>(watched), Qt::Key_Delete); });
        return true;
    }
    return QDialog::eventFilter(watched, e);
}

}  // namespace kiv
