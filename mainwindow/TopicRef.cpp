#include "mainwindow/TopicRef.h"

#include <exception>

#include "engine/core/Navigation.h"
#include "engine/panels/KivStringGrid.h"
#include "mainwindow/MainHelpers.h"
#include "platform/core/KivStrings.h"

namespace kiv {

TTopicRef TTopicRef::Of(TKivStringGrid* grid, int row) {
    if (!grid || !grid->IsRowValid(row)) return {};
    TNester& m = *grid->Nester;
    return {grid, row, m.ParentNest(row), m.CardDir(row), m.Cards().CardFile()};
}

bool TTopicRef::Is(TKivStringGrid* grid, int row) const {
    if (!grid || Grid != grid || !grid->IsRowValid(row) ||
        grid->Nester->Cards().CardFile() != CardFile || grid->Nester->ParentNest(row) != ParentNest)
        return false;
    return CardDir != 0 ? grid->Nester->CardDir(row) == CardDir : row == Row;
}

int TTopicRef::FindRow() const {
    if (!Grid) return -1;
    if (Is(Grid, Row)) return Row;
    if (CardDir == 0) return -1;
    for (int r = 0; r < Grid->Nester->RowCount(); ++r)
        if (Is(Grid, r)) return r;
    return -1;
}

void TTopicRef::StoredAt(int row) {
    Row = row;
    CardDir = Grid->Nester->CardDir(row);
}

bool WriteTopicCard(TKivStringGrid* grid, int row, uint8_t kind, std::string_view text,
                    QString& failure) {
    failure.clear();
    try {
        return grid->Nester->Cards().WriteRowCard(kind, row, text);
    } catch (const std::exception& ex) {
        failure = QString::fromUtf8(ex.what());
        return false;
    }
}

QString TopicCaptionForMessage(TKivStringGrid* grid, int row) {
    const std::string caption = Trim(LineBreaksToBlanks(grid->Nester->Caption(row)));
    return caption.empty() ? QString::fromLatin1(kUntitled) : StoredToText(caption);
}

QString UnstoredCardForMessage(const QString& card, TKivStringGrid* grid, int row,
                               const QString& failure) {
    return QStringLiteral("%1 of \"%2\" could not be stored%3.")
        .arg(card, TopicCaptionForMessage(grid, row),
             failure.isEmpty() ? QString() : QStringLiteral(": ") + failure);
}

}  // namespace kiv
