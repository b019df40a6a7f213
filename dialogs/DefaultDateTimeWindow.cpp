#include "dialogs/DefaultDateTimeWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <iterator>

#include "platform/qt/ExceptionGuard.h"

namespace kiv {

TfrmDefaultDateTime::TfrmDefaultDateTime(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmDefaultDateTime"));
    setWindowTitle(QStringLiteral("Set Default Date-Time"));
    auto* top = new QVBoxLayout(this);
    top->addWidget(new QLabel(QStringLiteral("Select Default Date-Time:"), this));
    lbxDateTime = new QListWidget(this);
    lbxDateTime->setObjectName(QStringLiteral("lbxDateTime"));
    lbxDateTime->setMinimumSize(300, 170);
    top->addWidget(lbxDateTime);
    auto* buttons = new QHBoxLayout;
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    top->addLayout(buttons);
    connect(btnOK, &QPushButton::clicked, this, [this] { GuardCall([this] { btnOKClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(lbxDateTime, &QListWidget::itemDoubleClicked, this,
            [this] { GuardCall([this] { btnOKClick(); }); });
}

void TfrmDefaultDateTime::FillList() {
    lbxDateTime->clear();
    const int current = CurrentCode ? CurrentCode() : 0;
    int selected = 0;
    for (int i = 0; i < int(std::size(kCodes)); ++i) {
        lbxDateTime->addItem(Format ? Format(kCodes[i]) : QString::number(kCodes[i]));
        if (kCodes[i] == current) selected = i;
    }
    lbxDateTime->setCurrentRow(selected);
}

int TfrmDefaultDateTime::SelectedCode() const {
    const int row = lbxDateTime->currentRow();
    return kCodes[row >= 0 && row < int(std::size(kCodes)) ? row : 0];
}

void TfrmDefaultDateTime::btnOKClick() {
    const int code = SelectedCode();
    accept();
    if (OnChosen) OnChosen(code);
}

void TfrmDefaultDateTime::showEvent(QShowEvent* e) {
    GuardCall([this] { FillList(); });
    QDialog::showEvent(e);
}

}  // namespace kiv
