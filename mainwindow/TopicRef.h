#pragma once
// A topic of a panel that a card pane shows, found again after its row moved: by its card
// directory once it has one, else only by its row; never in another datastructure. And the
// one guarded write of a row's card the panes use.
#include <QString>
#include <cstdint>
#include <string_view>

namespace kiv {

class TKivStringGrid;

struct TTopicRef {
    TKivStringGrid* Grid = nullptr;
    int Row = -1;
    uint32_t ParentNest = 0;
    uint32_t CardDir = 0;
    const void* CardFile = nullptr;  // of the datastructure it belongs to

    // The topic of that row; empty when the row does not exist.
    static TTopicRef Of(TKivStringGrid* grid, int row);
    bool Is(TKivStringGrid* grid, int row) const;
    // Its row now; -1 when it is gone.
    int FindRow() const;
    // After a store to its row: the row and the directory it may have been given.
    void StoredAt(int row);
};

// Stores the card of the row. False when nothing was stored; failure then holds the
// error's text, if one was raised.
bool WriteTopicCard(TKivStringGrid* grid, int row, uint8_t kind, std::string_view text,
                    QString& failure);
// The topic's caption on one line, or "[untitled]", for messages.
QString TopicCaptionForMessage(TKivStringGrid* grid, int row);
// The sentence telling that a card (as "The text card") of the row's topic could not be
// stored, with the reason when there is one.
QString UnstoredCardForMessage(const QString& card, TKivStringGrid* grid, int row,
                               const QString& failure);

}  // namespace kiv
