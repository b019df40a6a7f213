#pragma once
// The find dialog of the rich-text editors ("Search Text Card ..."): the text, Match case,
// Whole word and the direction; Find Next asks the owner to search, closing tells it.
#include <QDialog>
#include <functional>

#include "engine/core/Search.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTextEdit;

namespace kiv {

class TFindDialog : public QDialog {
    Q_OBJECT
public:
    explicit TFindDialog(QWidget* parent);

    QString FindText() const;
    void SetFindText(const QString& text);
    TFindOptions Options() const;
    bool Up() const;

    std::function<void(TFindDialog* Sender)> OnFind;
    std::function<void(TFindDialog* Sender)> OnClose;
    int Tag = 0;

    QLineEdit* edFindText = nullptr;
    QCheckBox* cbMatchCase = nullptr;
    QCheckBox* cbWholeWord = nullptr;
    QRadioButton* rbUp = nullptr;
    QRadioButton* rbDown = nullptr;
    QPushButton* btnFind = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    void done(int r) override;
};

// Finds in a rich-text editor by the rules of the search (Unicode case, whole words) and
// selects the hit, scrolled into view. Down: the first hit from the end of the selection
// on; up: the last hit that begins before the selection. Several needles: the nearest hit
// of any. False, the selection kept, when there is none.
bool FindInEditor(QTextEdit* editor, const std::vector<QString>& needles,
                  const TFindOptions& options, bool up);

}  // namespace kiv
