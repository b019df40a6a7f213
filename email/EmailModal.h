#pragma once
// What the e-mail windows share: naming components, showing a window modally (through a runner that tests
// replace, so that no test runs a modal loop), the Del key of their lists, and the
// dashed buttons.
#include <QString>
#include <QStringList>
#include <functional>

class QDialog;
class QListWidget;
class QPushButton;

class QWidget;

namespace kiv {

using TModalRunner = std::function<int(QDialog& window)>;
// Shows the window modally and returns its result.
int ShowModal(QDialog& window);
// Puts a runner in place of the modal loop; returns the one it replaces (null: exec()).
TModalRunner SetModalRunner(TModalRunner runner);

// Del in a list: every selected line goes (with the entry of the same row in parallel,
// when given); then the line at the old current index is selected, the last line when
// that index is past the end, line 0 when there was none. Nothing without a selection.
void DeleteSelectedLines(QListWidget& list, QStringList* parallel = nullptr);

// The component with its name as objectName.
template <class W>
W* Named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QPushButton* DashButton(QWidget* parent, const char* name, const QString& caption);

}  // namespace kiv
