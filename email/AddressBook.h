#pragma once
// The address book ("Select recepients:"): names and addresses kept in "address.lst" in
// the program folder, shown in a two-column grid, from which the user picks To and Cc
// recipients; "- OK -" stores the book and writes the chosen recipients into the send
// window's fields.
//
// "address.lst" is read and written by email/core/AddressBookText.
#include <QDialog>
#include <QPointer>
#include <QStringList>
#include <string>
#include <string_view>
#include <vector>

#include "email/core/AddressBookText.h"

class QLineEdit;
class QListWidget;
class QPushButton;
class QToolButton;

namespace kiv {

class TSortGrid;

// ---- the book's rules, without widgets ----

struct TAddressRow {
    QString Name, Address;
    bool operator==(const TAddressRow&) const = default;
};
// Whether the address has an "@" after its first character.
bool UsableAddress(const QString& address);
// The clean-up when the book is shown: a blank name becomes the address; a row without a
// usable address goes, except the last one left, which is emptied.
std::vector<TAddressRow> CleanAddressRows(std::vector<TAddressRow> rows);
// The recipients' lines joined into one field: "a; b; c".
QString JoinRecipientLines(const QStringList& lines);

class TfrmAddresses : public QDialog {
    Q_OBJECT
public:
    // bookPath: "address.lst" in the program folder.
    explicit TfrmAddresses(std::string bookPath, QWidget* parent = nullptr);
    ~TfrmAddresses() override;

    // The send window's fields that "- OK -" fills.
    QPointer<QLineEdit> TargetTo;
    QPointer<QLineEdit> TargetCc;

    TSortGrid* sgdAddresses = nullptr;  // two columns, sortable, multi-select
    QListWidget* lbxTo = nullptr;
    QListWidget* lbxCc = nullptr;
    QPushButton* btnTo = nullptr;
    QPushButton* btnCc = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
    QToolButton* SpeedButton1 = nullptr;  // "+"
    QToolButton* SpeedButton2 = nullptr;  // "x"

    // The book from the file, cleaned up (every time the window is shown).
    void ShowAddressBook();
    void SetAddressGridEditing(bool edit);
    bool AddressGridEditing() const;
    void btnToClick(QListWidget* target);
    // Stores the book and fills the send window's fields; a book that cannot be stored
    // is told and the window stays open.
    void btnOKClick();
    void btnCancelClick();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void lbxToKeyDown(QListWidget* list, int key);

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    std::string path_;
};

// The grid's file operations.
void LoadAddressBook(TSortGrid& grid, const std::string& path);
// Raises EFileError when the file cannot be written; what was stored before stays.
void SaveAddressBook(TSortGrid& grid, const std::string& path);

}  // namespace kiv
