#pragma once
// The add-web-link window ("Add URL Link"): an address and a title, made into one link line
// (address, character 1, title) for the current topic. It sees the main window only
// through OnAdd.
#include <QDialog>
#include <functional>

class QLineEdit;
class QPushButton;

namespace kiv {

class TfrmAddUrlLink : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAddUrlLink(QWidget* parent = nullptr);

    // The link line for an address and a title, both trimmed; an empty title becomes the
    // address. Empty when the address is blank.
    static QString LinkLine(const QString& url, const QString& title);

    // With the link line, after "- OK -" closed the window.
    std::function<void(const QString& line)> OnAdd;

    // "- OK -" (and Enter in either field): nothing without an address.
    void btnOKClick();

    QLineEdit* Edit1 = nullptr;  // "URL:"
    QLineEdit* Edit2 = nullptr;  // "Title:"
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
};

}  // namespace kiv
