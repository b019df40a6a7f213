#include "dialogs/AddUrlLinkWindow.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/qt/ExceptionGuard.h"

namespace kiv {

TfrmAddUrlLink::TfrmAddUrlLink(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAddUrlLink"));
    setWindowTitle(QStringLiteral("Add URL Link"));
    auto* grid = new QGridLayout(this);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit1->setMinimumWidth(320);
    grid->addWidget(new QLabel(QStringLiteral("URL:"), this), 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Title:"), this), 1, 0);
    grid->addWidget(Edit2, 1, 1);
    auto* buttons = new QHBoxLayout;
    btnOK = new QPushButton(QStringLiteral("- OK -"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel = new QPushButton(QStringLiteral("- Cancel -"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    // Enter is handled by the window: no button is the dialog's default.
    for (QPushButton* b : {btnOK, btnCancel}) b->setAutoDefault(false);
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    grid->addLayout(buttons, 2, 0, 1, 2);
    connect(btnOK, &QPushButton::clicked, this, [this] { GuardCall([this] { btnOKClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString TfrmAddUrlLink::LinkLine(const QString& url, const QString& title) {
    const QString u = url.trimmed();
    if (u.isEmpty()) return {};
    const QString t = title.trimmed();
    return u + QChar(1) + (t.isEmpty() ? u : t);
}

void TfrmAddUrlLink::btnOKClick() {
    const QString line = LinkLine(Edit1->text(), Edit2->text());
    if (line.isEmpty()) return;
    accept();
    if (OnAdd) OnAdd(line);
}

void TfrmAddUrlLink::showEvent(QShowEvent* e) {
    Edit1->clear();
    Edit2->clear();
    Edit1->setFocus();
    QDialog::showEvent(e);
}

void TfrmAddUrlLink::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        GuardCall([this] { btnOKClick(); });
        return;  // consumed, even when nothing was added
    }
    QDialog::keyPressEvent(e);  // Esc closes
}

}  // namespace kiv
