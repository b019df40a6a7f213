#pragma once
// The default date-time window ("Set Default Date-Time"): the present moment in each
// date-time style the insert command knows, the default one selected; OK makes the
// selected style the default.
#include <QDialog>
#include <functional>

class QListWidget;
class QPushButton;

namespace kiv {

class TfrmDefaultDateTime : public QDialog {
    Q_OBJECT
public:
    // The styles offered, in list order.
    static constexpr int kCodes[] = {2, 3, 5, 6, 7, 9, 10, 11, 12};

    explicit TfrmDefaultDateTime(QWidget* parent = nullptr);

    // The text of a style for the present moment (the insert command's formatter).
    std::function<QString(int code)> Format;
    // The default style now, read on show; the first entry is selected when it is none of ours.
    std::function<int()> CurrentCode;
    // After OK, with the style chosen.
    std::function<void(int code)> OnChosen;

    // Fills the list as showing does.
    void FillList();
    // The style of the selected entry (the first when none is selected).
    int SelectedCode() const;
    void btnOKClick();

    QListWidget* lbxDateTime = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
};

}  // namespace kiv
