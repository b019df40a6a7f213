#include "email/EmailModal.h"

#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <QStringList>
#include <algorithm>
#include <vector>

namespace kiv {

namespace {
TModalRunner& Runner() {
    static TModalRunner runner;
    return runner;
}
}  // namespace

int ShowModal(QDialog& window) {
    if (Runner()) return Runner()(window);
    return window.exec();
}

TModalRunner SetModalRunner(TModalRunner runner) {
    TModalRunner previous = std::move(Runner());
    Runner() = std::move(runner);
    return previous;
}

void DeleteSelectedLines(QListWidget& list, QStringList* parallel) {
    std::vector<int> rows;
    for (const QListWidgetItem* item : list.selectedItems()) rows.push_back(list.row(item));
    if (rows.empty()) return;
    const int index = list.currentRow();
    std::sort(rows.rbegin(), rows.rend());
    for (int r : rows) {
        delete list.takeItem(r);
        if (parallel && r < parallel->size()) parallel->removeAt(r);
    }
    if (list.count() == 0) return;
    const int select = index < 0 ? 0 : std::min(index, list.count() - 1);
    list.clearSelection();
    list.setCurrentRow(select);
    list.item(select)->setSelected(true);
}

QPushButton* DashButton(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

}  // namespace kiv
