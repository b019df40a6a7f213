// sortgridshot OUT.png: a sort grid with a sorted column (its arrow), a shortened header,
// check-box, list and ellipsis cells, a row format and a bevel, shown in a window and saved
// as a picture, for looking at the grid's drawing.
#include <QApplication>
#include <QImage>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdio>

#include "components/SortGrid.h"

using namespace kiv;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: sortgridshot OUT.png\n");
        return 2;
    }
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("KIV sort grid");
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* grid = new TSortGrid(&window);
    grid->setFixedSize(560, 200);
    layout->addWidget(grid);

    grid->SetColCount(5);
    grid->SetRowCount(6);
    const QStringList header{"Name", "Address of the mailbox", "On", "Kind", "Notes"};
    const int widths[] = {110, 110, 40, 120, 150};
    for (int c = 0; c < 5; ++c) {
        grid->SetCells(c, 0, header[c]);
        grid->SetColWidths(c, widths[c]);
    }
    const char* rows[][5] = {
        {"Mia Berg", "mia@example.org", "true", "Friend", "met at the lake"},
        {"Anton Roth", "anton@example.net", "", "Work", ""},
        {"Lena Vogt", "lena@example.com", "true", "Family", "birthday in May"},
        {"Jonas Weber", "jonas@example.org", "", "Work", "call back"},
        {"Clara Stein", "clara@example.net", "true", "Friend", ""},
    };
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 5; ++c) grid->SetCells(c, r + 1, QString::fromUtf8(rows[r][c]));
    grid->SetCells(5, 3, "clRed,1,0,0,clYellow");  // row format of "Lena Vogt" before sorting
    grid->SetOptions(grid->Options() | goEditing | goColSizing);
    grid->OnGetCellFormat = [](TSortGrid*, int col, int row, TGridDrawState, TFormatOptions& f,
                               bool& check, bool& combo, bool& ellipsis) {
        if (row < 1) return;
        check = col == 2;
        combo = col == 3;
        ellipsis = col == 4;
        if (col == 1) f.Bevel = cbLowered;
        if (col == 1) f.HighlightColor = clBtnShadow, f.ShadowColor = clBtnHighlight;
    };
    grid->SortOptions().SortDirection = sdAscending;
    grid->SortByColumn(0);
    grid->SelectCell(3, 2, true);

    window.show();
    window.activateWindow();
    grid->setFocus();
    int rc = 1;
    QTimer::singleShot(500, [&] {
        grid->setFocus();
        QCoreApplication::processEvents();
        rc = window.grab().toImage().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
        app.quit();
    });
    app.exec();
    return rc;
}
