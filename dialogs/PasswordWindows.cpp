// The set-password and enter-password windows.
#include "dialogs/PasswordWindows.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>

#include "engine/core/Navigation.h"
#include "platform/core/LegacyText.h"

namespace kiv {

namespace {

// What is typed shows as "*", whatever the style would draw.
class StarStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* ret) const override {
        if (hint == SH_LineEdit_PasswordCharacter) return '*';
        return QProxyStyle::styleHint(hint, option, widget, ret);
    }
};

QLineEdit* PasswordField(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    auto* style = new StarStyle;
    style->setParent(e);
    e->setStyle(style);
    e->setEchoMode(QLineEdit::Password);
    e->setMaxLength(kPasswordFieldLength);
    return e;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

// Enter clicks OK when it is enabled and Esc closes; both keys are consumed.
bool OkOrClose(QDialog& d, QKeyEvent* e, QPushButton* ok) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        if (ok->isEnabled()) ok->click();
    } else if (e->key() == Qt::Key_Escape) {
        d.reject();
    } else {
        return false;
    }
    e->accept();
    return true;
}

}  // namespace

bool PasswordMatches(const QString& typed, const std::string& stored) {
    return LegacyText::Encode(typed.toStdString()) == stored;
}

// ---- set ----

TfrmSetPassword::TfrmSetPassword(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSetPassword"));
    setWindowTitle(QStringLiteral("Set Password For Current Datastructure"));
    auto* grid = new QGridLayout;
    lblOld = new QLabel(QStringLiteral("Old Password:"), this);
    lblNew = new QLabel(QStringLiteral("New Password:"), this);
    lblRepeat = new QLabel(QStringLiteral("Repeat New Password:"), this);
    edtOld = PasswordField(this, "edtOld");
    edtNew = PasswordField(this, "edtNew");
    edtRepeat = PasswordField(this, "edtRepeat");
    cbxWithoutPassword = new QCheckBox(QStringLiteral("Without Password"), this);
    cbxWithoutPassword->setObjectName(QStringLiteral("cbxWithoutPassword"));
    imgLogo = new QLabel(this);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setPixmap(QApplication::windowIcon().pixmap(32, 32));
    imgLogo->setVisible(!QApplication::windowIcon().isNull());
    grid->addWidget(imgLogo, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(lblOld, 0, 1);
    grid->addWidget(edtOld, 0, 2);
    grid->addWidget(lblNew, 1, 1);
    grid->addWidget(edtNew, 1, 2);
    grid->addWidget(lblRepeat, 2, 1);
    grid->addWidget(edtRepeat, 2, 2);
    grid->addWidget(cbxWithoutPassword, 3, 2);
    btnOK = Button(this, "btnOK", QStringLiteral("- OK -"));
    btnCancel = Button(this, "btnCancel", QStringLiteral("- Cancel -"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* box = new QVBoxLayout(this);
    box->addLayout(grid);
    box->addLayout(buttons);
    // Wide enough for the caption in a window manager's title bar.
    setMinimumWidth(400);
    connect(edtOld, &QLineEdit::textChanged, this, [this] { edtOldChange(); });
    connect(edtNew, &QLineEdit::textChanged, this, [this] { edtNewChange(); });
    connect(edtRepeat, &QLineEdit::textChanged, this, [this] { edtNewChange(); });
    connect(cbxWithoutPassword, &QCheckBox::clicked, this, [this] { cbxWithoutPasswordClick(); });
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmSetPassword::EnableNew(bool on) {
    for (QWidget* w : {static_cast<QWidget*>(lblNew), static_cast<QWidget*>(edtNew),
                       static_cast<QWidget*>(lblRepeat), static_cast<QWidget*>(edtRepeat)})
        w->setEnabled(on);
}

void TfrmSetPassword::FormShow() {
    btnOK->setEnabled(false);
    // Emptied without the change handlers: what they enable is set just below.
    for (QLineEdit* e : {edtOld, edtNew, edtRepeat}) {
        const QSignalBlocker quiet(e);
        e->clear();
    }
    cbxWithoutPassword->setChecked(false);
    const bool hasPassword = bookMark_ && !bookMark_->Password.empty();
    lblOld->setEnabled(hasPassword);
    edtOld->setEnabled(hasPassword);
    EnableNew(!hasPassword);
    cbxWithoutPassword->setEnabled(!hasPassword);
    (hasPassword ? edtOld : edtNew)->setFocus();
}

void TfrmSetPassword::edtOldChange() {
    const bool match = bookMark_ && PasswordMatches(edtOld->text(), bookMark_->Password);
    EnableNew(match);
    // Once the old password was right, removing it stays offered.
    if (match) cbxWithoutPassword->setEnabled(true);
}

void TfrmSetPassword::edtNewChange() {
    btnOK->setEnabled(!edtNew->text().isEmpty() && edtNew->text() == edtRepeat->text());
}

void TfrmSetPassword::cbxWithoutPasswordClick() {
    btnOK->setEnabled(cbxWithoutPassword->isChecked());
}

void TfrmSetPassword::btnOKClick() {
    if (!btnOK->isEnabled() || !bookMark_) return;
    std::string stored;
    if (!cbxWithoutPassword->isChecked()) {
        std::optional<std::string> form =
            StoredForm
                ? StoredForm(edtNew->text())
                : std::optional<std::string>(LegacyText::Encode(edtNew->text().toStdString()));
        if (!form) return;
        stored = std::move(*form);
    }
    bookMark_->Password = stored;
    bookMark_->PasswordAccepted = true;
    accept();
}

void TfrmSetPassword::showEvent(QShowEvent* e) {
    FormShow();
    QDialog::showEvent(e);
}

void TfrmSetPassword::keyPressEvent(QKeyEvent* e) {
    if (!OkOrClose(*this, e, btnOK)) QDialog::keyPressEvent(e);
}

// ---- enter ----

TfrmEnterPassword::TfrmEnterPassword(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmEnterPassword"));
    setWindowTitle(QStringLiteral("Enter Password"));
    lblPrompt = new QLabel(
        QStringLiteral(
            "This datastructure is password protected, please enter password for access: "),
        this);
    lblPrompt->setWordWrap(true);
    edtPassword = PasswordField(this, "edtPassword");
    btnOK = Button(this, "btnOK", QStringLiteral("OK"));
    btnCancel = Button(this, "btnCancel", QStringLiteral("Cancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* box = new QVBoxLayout(this);
    box->addWidget(lblPrompt);
    box->addWidget(edtPassword);
    box->addLayout(buttons);
    setMinimumWidth(320);
    connect(edtPassword, &QLineEdit::textChanged, this, [this] { edtPasswordChange(); });
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmEnterPassword::FormShow() {
    {
        const QSignalBlocker quiet(edtPassword);
        edtPassword->clear();
    }
    btnOK->setEnabled(false);
    edtPassword->setFocus();
}

void TfrmEnterPassword::edtPasswordChange() {
    btnOK->setEnabled(bookMark_ && PasswordMatches(edtPassword->text(), bookMark_->Password));
}

void TfrmEnterPassword::btnOKClick() {
    if (!btnOK->isEnabled() || !bookMark_) return;
    bookMark_->PasswordAccepted = true;
    if (PasswordAccepted) PasswordAccepted();
    accept();
}

void TfrmEnterPassword::showEvent(QShowEvent* e) {
    FormShow();
    QDialog::showEvent(e);
}

void TfrmEnterPassword::keyPressEvent(QKeyEvent* e) {
    if (!OkOrClose(*this, e, btnOK)) QDialog::keyPressEvent(e);
}

}  // namespace kiv
