#pragma once
// The two password windows of the open datastructure: "Set Password For Current
// Datastructure" (TfrmSetPassword) sets, changes or removes it, "Enter Password"
// (TfrmEnterPassword) asks for it while the main window is locked. Both work on the
// datastructure's bookmark: its password as stored (Windows-1252 bytes) and its accepted
// flag. A wrong password never gets past a disabled OK button; no message is shown for it.
#include <QDialog>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kiv {

class TBookMark;

// At most this many characters are typed into a password field.
constexpr int kPasswordFieldLength = 15;

// True when the typed text is the stored password (case-sensitive).
bool PasswordMatches(const QString& typed, const std::string& stored);

class TfrmSetPassword : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSetPassword(QWidget* parent = nullptr);

    // The bookmark OK changes; set before the window shows.
    void SetBookMark(std::shared_ptr<TBookMark> b) { bookMark_ = std::move(b); }
    // The stored form of a new password, or nullopt (after telling the user why) when it
    // cannot be stored; OK then keeps the window open and the password as it was.
    std::function<std::optional<std::string>(const QString& typed)> StoredForm;

    void FormShow();
    void edtOldChange();
    void edtNewChange();
    void cbxWithoutPasswordClick();
    void btnOKClick();

    QLabel* lblOld = nullptr;
    QLabel* lblNew = nullptr;
    QLabel* lblRepeat = nullptr;
    QLineEdit* edtOld = nullptr;
    QLineEdit* edtNew = nullptr;
    QLineEdit* edtRepeat = nullptr;
    QCheckBox* cbxWithoutPassword = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
    QLabel* imgLogo = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void EnableNew(bool on);
    std::shared_ptr<TBookMark> bookMark_;
};

class TfrmEnterPassword : public QDialog {
    Q_OBJECT
public:
    explicit TfrmEnterPassword(QWidget* parent = nullptr);

    void SetBookMark(std::shared_ptr<TBookMark> b) { bookMark_ = std::move(b); }
    // After OK marked the password accepted: the main window releases its lock.
    std::function<void()> PasswordAccepted;

    void FormShow();
    void edtPasswordChange();
    void btnOKClick();

    QLabel* lblPrompt = nullptr;
    QLineEdit* edtPassword = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    std::shared_ptr<TBookMark> bookMark_;
};

}  // namespace kiv
