// The meta-data card: a sortable grid of tags and values, shown and hidden as a bin. Its
// rows are kept nowhere.
#include <QMainWindow>
#include <QMenu>

#include "components/SortGrid.h"
#include "mainwindow/ComponentBuild.h"
#include "mainwindow/WindowContext.h"
#include "mainwindow/WindowSkeleton.h"
#include "mainwindow/bins/BinsInterface.h"
#include "mainwindow/topics/TopicCommands.h"

namespace kiv {

namespace {

const QStringList& MetaTags() {
    static const QStringList tags{"Title",       "Subject",  "Keywords",    "Author",
                                  "Contributor", "ListTest", "CheckboxTest"};
    return tags;
}

}  // namespace

void TTopicCommands::BuildMetaCard() {
    QMainWindow* w = &ctx_.Window();
    acShowMetaCard = Action(w, "acShowMetaCard", QStringLiteral("Meta-Data Card"), true);
    acShowMetaCard->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    acShowMetaCard->setVisible(false);  // hidden and disabled until it is wanted
    acShowMetaCard->SetEnabled(false);
    acShowMetaCard->OnExecute = [this](KivAction*) { acShowMetaCardExecute(); };
    w->addAction(acShowMetaCard);
    ctx_.Skeleton().View1->addAction(acShowMetaCard);

    sgdMeta = Named(new TSortGrid(), "sgdMeta");
    sgdMeta->SetColCount(2);
    sgdMeta->SetCells(0, 0, QStringLiteral("Tag"));
    sgdMeta->SetCells(1, 0, QStringLiteral("Value"));
    sgdMeta->OnGetCellFormat = [this](TSortGrid*, int col, int row, TGridDrawState,
                                      TFormatOptions& f, bool& checkBox, bool& combo, bool&) {
        if (row == 0) {
            f.AlignmentHorz = taCenter;
            f.Font.Color = 0x800000;  // navy
            return;
        }
        const QString tag = sgdMeta->Cells(0, row);
        combo = col == 0 || tag == QLatin1String("ListTest");
        checkBox = col == 1 && tag == QLatin1String("CheckboxTest");
    };
    sgdMeta->OnGetComboBox = [](TSortGrid*, int, int, QStringList& items, int&, int&, bool&) {
        items = MetaTags();
    };
    pnlMetaCard = FloatingPanel(w, "pnlMetaCard", QStringLiteral("Meta-Data Card"), sgdMeta);
    binsColumn_->AdoptFloatingPanel(pnlMetaCard, acShowMetaCard);
    ctx_.AddFloatingPanel(pnlMetaCard, 250);
}

void TTopicCommands::acShowMetaCardExecute() {
    // Shown in front when hidden, hidden when shown, as the bins' panels.
    if (pnlMetaCard->isHidden()) {
        pnlMetaCard->show();
        pnlMetaCard->raise();
    } else {
        pnlMetaCard->hide();
    }
    acShowMetaCard->SetChecked(!pnlMetaCard->isHidden());
}

void TTopicCommands::HideMetaCard() {
    if (pnlMetaCard) pnlMetaCard->hide();
    if (acShowMetaCard) acShowMetaCard->SetChecked(false);
}

void TTopicCommands::SetMetaCardEnabled(bool on) {
    if (pnlMetaCard) pnlMetaCard->setEnabled(on);
}

}  // namespace kiv
