// Painting the grid: lines, then the cells of the four areas (fixed corner, fixed rows,
// fixed columns, scrolling cells), each cell through DrawCell with the painter in Canvas().
// With DefaultDrawing the grid fills each cell first (highlight for selected cells) and
// frames fixed cells and the focused cell, as the Windows grid did.
#include <QPaintEvent>
#include <QPainter>

#include "platform/qt/Grids.h"

namespace kiv {

namespace {
// Flags for the raised edges of fixed cells.
constexpr int kEdgeVert = 1;
constexpr int kEdgeHorz = 2;

void DrawFocusFrame(QPainter& p, const QRect& r, const QColor& c) {
    p.save();
    p.setPen(QPen(c, 1, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.restore();
}
}  // namespace

void TCustomGrid::paintEvent(QPaintEvent* e) {
    QPainter p(viewport());
    struct Restore {
        TCustomGrid* g;
        ~Restore() { g->canvas_ = nullptr; }
    } restore{this};
    canvas_ = &p;
    paintRegion_ = e->region();
    Paint();
}

void TCustomGrid::Paint() {
    QPainter& p = *canvas_;
    const Axis h = HorzAxis(), v = VertAxis();
    const QColor bg = toQColor(color_);
    const QColor fixedBg = toQColor(fixedColor_);
    p.fillRect(viewport()->rect(), bg);

    if (h.lineWidth > 0 || v.lineWidth > 0) {
        const QColor fixedLine = toQColor(clBlack);
        const QColor line = toQColor(ColorToRGB(color_) == clSilver ? clGray : clSilver);
        const bool fh = options_.Contains(goFixedHorzLine), fv = options_.Contains(goFixedVertLine);
        DrawLines(p, h, v, 0, 0, 0, 0, h.fixedBoundary, v.fixedBoundary, fh, fv, fixedLine,
                  fixedBg);
        DrawLines(p, h, v, topLeft_.X, 0, h.fixedBoundary, 0, h.gridBoundary, v.fixedBoundary, fh,
                  fv, fixedLine, fixedBg);
        DrawLines(p, h, v, 0, topLeft_.Y, 0, v.fixedBoundary, h.fixedBoundary, v.gridBoundary, fh,
                  fv, fixedLine, fixedBg);
        DrawLines(p, h, v, topLeft_.X, topLeft_.Y, h.fixedBoundary, v.fixedBoundary, h.gridBoundary,
                  v.gridBoundary, options_.Contains(goHorzLine), options_.Contains(goVertLine),
                  line, bg);
    }

    const TGridRect sel = Selection();
    const bool active = IsActiveControl();
    DrawArea(p, h, v, 0, 0, 0, 0, h.fixedBoundary, v.fixedBoundary, fixedColor_, gdFixed, sel,
             active);
    DrawArea(p, h, v, topLeft_.X, 0, h.fixedBoundary, 0, h.gridBoundary, v.fixedBoundary,
             fixedColor_, gdFixed, sel, active);
    DrawArea(p, h, v, 0, topLeft_.Y, 0, v.fixedBoundary, h.fixedBoundary, v.gridBoundary,
             fixedColor_, gdFixed, sel, active);
    DrawArea(p, h, v, topLeft_.X, topLeft_.Y, h.fixedBoundary, v.fixedBoundary, h.gridBoundary,
             v.gridBoundary, color_, TGridDrawState(), sel, active);

    if (options_.Contains(goRowSelect) && defaultDrawing_ && active) {
        QRect box;
        for (int c = std::max(sel.Left, topLeft_.X);
             c <= sel.Right && c <= h.lastFullVisibleCell + 1; ++c)
            for (int r = std::max(sel.Top, topLeft_.Y);
                 r <= sel.Bottom && r <= v.lastFullVisibleCell + 1; ++r)
                box |= CellRect(c, r);
        if (!box.isEmpty()) DrawFocusFrame(p, box, toQColor(clHighlightText));
    }
    DrawIndicators(p, h, v);
}

void TCustomGrid::DrawLines(QPainter& p, const Axis& h, const Axis& v, int firstCol, int firstRow,
                            int startX, int startY, int stopX, int stopY, bool horzLines,
                            bool vertLines, const QColor& onColor, const QColor& offColor) {
    if (stopX <= startX || stopY <= startY) return;
    if (h.lineWidth > 0) {
        const QColor& c = vertLines ? onColor : offColor;
        int x = startX;
        for (int col = firstCol; col < colCount_ && x < stopX; ++col) {
            if (h.Hidden(col)) continue;
            x += h.Extent(col);
            p.fillRect(QRect(x, startY, h.lineWidth, stopY - startY), c);
            x += h.lineWidth;
        }
    }
    if (v.lineWidth > 0) {
        const QColor& c = horzLines ? onColor : offColor;
        int y = startY;
        for (int row = firstRow; row < rowCount_ && y < stopY; ++row) {
            if (v.Hidden(row)) continue;
            y += v.Extent(row);
            p.fillRect(QRect(startX, y, stopX - startX, v.lineWidth), c);
            y += v.lineWidth;
        }
    }
}

void TCustomGrid::DrawArea(QPainter& p, const Axis& h, const Axis& v, int firstCol, int firstRow,
                           int startX, int startY, int stopX, int stopY, TColor areaColor,
                           TGridDrawState include, const TGridRect& sel, bool active) {
    if (stopX <= startX || stopY <= startY) return;
    // Cells of an area never paint over another area (scrolled cells over fixed ones).
    const QRect area(startX, startY, (stopX < h.viewExtent ? h.viewExtent : stopX) - startX,
                     (stopY < v.viewExtent ? v.viewExtent : stopY) - startY);
    const bool fixedArea = include.Contains(gdFixed);
    const QRect clip = fixedArea ? QRect(startX, startY, stopX - startX, stopY - startY) : area;
    const bool editorShown = editorMode_ && editor_ && editor_->isVisible();
    const QColor cellColor = toQColor(areaColor);
    const QColor text = toQColor(clWindowText);
    int edges = 0;
    if (options_.Contains(goFixedVertLine)) edges |= kEdgeVert;
    if (options_.Contains(goFixedHorzLine)) edges |= kEdgeHorz;
    p.save();
    p.setClipRect(clip);
    int y = startY;
    for (int row = firstRow; row < rowCount_ && y < stopY; ++row) {
        if (v.Hidden(row)) continue;
        const int rh = v.Extent(row);
        int x = startX;
        for (int col = firstCol; col < colCount_ && x < stopX; ++col) {
            if (h.Hidden(col)) continue;
            const int cw = h.Extent(col);
            const QRect where(x, y, cw, rh);
            x += cw + h.lineWidth;
            if (cw <= 0 || rh <= 0 || !paintRegion_.intersects(where)) continue;
            TGridDrawState state = include;
            const bool focused = active && row == current_.Y && col == current_.X;
            if (focused) state |= gdFocused;
            if (sel.Contains(col, row)) state |= gdSelected;
            if (focused && options_.Contains(goEditing) && editorShown)
                continue;  // the editor covers it
            QColor fill = cellColor, ink = text;
            if (state.Contains(gdSelected) && (!focused || options_.Contains(goDrawFocusSelected) ||
                                               options_.Contains(goRowSelect))) {
                fill = toQColor(clHighlight);
                ink = toQColor(clHighlightText);
            }
            p.save();
            p.setFont(font());
            if (defaultDrawing_) p.fillRect(where, fill);
            p.setPen(ink);
            p.setBrush(fill);
            DrawCell(col, row, where, state);
            p.restore();
            if (defaultDrawing_ && fixedArea && edges) {
                const QColor light = toQColor(clBtnHighlight), shadow = toQColor(clBtnShadow);
                if (edges & kEdgeVert) {
                    p.fillRect(QRect(where.left(), where.top(), 1, where.height()), light);
                    p.fillRect(QRect(where.right(), where.top(), 1, where.height()), shadow);
                }
                if (edges & kEdgeHorz) {
                    p.fillRect(QRect(where.left(), where.top(), where.width(), 1), light);
                    p.fillRect(QRect(where.left(), where.bottom(), where.width(), 1), shadow);
                }
            }
            const bool showsEditorAlways =
                options_.Contains(goEditing) && options_.Contains(goAlwaysShowEditor);
            if (defaultDrawing_ && focused && !showsEditorAlways && !options_.Contains(goRowSelect))
                DrawFocusFrame(p, where, ink);
        }
        y += rh + v.lineWidth;
    }
    p.restore();
}

void TCustomGrid::DrawIndicators(QPainter& p, const Axis& h, const Axis& v) {
    const QColor ink = toQColor(clBlack);
    switch (gridState_) {
    case gsColSizing: p.fillRect(QRect(sizingPos_, 0, 1, ClientHeight()), ink); break;
    case gsRowSizing: p.fillRect(QRect(0, sizingPos_, ClientWidth(), 1), ink); break;
    case gsRowMoving:
    case gsColMoving: {
        const bool rows = gridState_ == gsRowMoving;
        if (movePos_ < 0 || movePos_ == moveIndex_) break;
        const Axis& a = rows ? v : h;
        int start, end;
        if (!AxisSpan(a, movePos_, start, end)) break;
        // The moved row lands after the target when it comes from above, else before it.
        const int at = movePos_ > moveIndex_ ? std::min(end, a.viewExtent - 2) : start;
        if (rows) p.fillRect(QRect(0, at, ClientWidth(), 2), ink);
        else p.fillRect(QRect(at, 0, 2, ClientHeight()), ink);
        break;
    }
    default: break;
    }
}

}  // namespace kiv
