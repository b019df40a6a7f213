#pragma once
// The components' grid family: the platform's custom, draw and string grids with a bulk
// update. Between BeginUpdate and EndUpdate the grid shows the hour-glass, does not paint,
// and defers the work of count changes (extents, clamping, scroll range, SizeChanged) to
// EndUpdate, which runs it once. Updates do not nest: a second BeginUpdate only repeats the
// steps and the first EndUpdate ends the update.
#include "platform/qt/Grids.h"

namespace kiv {

template <class Base>
class TMyGrid : public Base {
public:
    using TNotifyEvent = TCustomGrid::TNotifyEvent;

    explicit TMyGrid(QWidget* parent = nullptr);
    ~TMyGrid() override;

    // True between BeginUpdate and EndUpdate.
    bool NowUpdating() const { return nowUpdating_; }
    // Hour-glass, painting off, then OnBeginUpdate. The grid stays in place (its layout
    // does not reflow and it keeps the focus); nothing of it is painted until EndUpdate.
    virtual void BeginUpdate();
    // The deferred size change (its notification reports the counts from before the
    // update), then painting on, the cursor back and NowUpdating false; these also when the
    // size change fails, whose failure is passed on.
    virtual void EndUpdate();

    // Fired at the start of every BeginUpdate.
    TNotifyEvent OnBeginUpdate;

protected:
    bool SizeChangeDeferred() const override { return nowUpdating_; }
    // A column of width -1 keeps it when a sizing drag of its border ends.
    void MouseUp(TCustomGrid::TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    void Unlock();

    bool nowUpdating_ = false;
    bool cursorSet_ = false;
    bool locked_ = false;
    bool updatesWereEnabled_ = true;
    bool hadFocus_ = false;
    int oldColCount_ = 0;
    int oldRowCount_ = 0;
};

extern template class TMyGrid<TCustomGrid>;
extern template class TMyGrid<TDrawGrid>;
extern template class TMyGrid<TStringGrid>;

using TMyCustomGrid = TMyGrid<TCustomGrid>;
// Publishes the grid's properties and events with the class library's defaults.
using TMyDrawGrid = TMyGrid<TDrawGrid>;
// Cell texts and objects, kept past the counts.
using TMyStringGrid = TMyGrid<TStringGrid>;

}  // namespace kiv
