// The sort grid's looks: the cell format asked from the owner, the drawing of cells
// (selection and format colours, shortened headers with the sort arrow, check boxes, list
// and ellipsis buttons, bevels), the bitmaps, proportional scroll bars and the widening of
// the last column.
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>
#include <QScrollBar>

#include "components/SortGrid.h"
#include "platform/core/Rounding.h"

namespace kiv {

namespace {

QPixmap MakeButton(int w, int h) {
    QPixmap pm(w, h);
    pm.fill(toQColor(clBtnFace));
    QPainter p(&pm);
    p.fillRect(QRect(0, 0, w, 1), toQColor(clBtnHighlight));
    p.fillRect(QRect(0, 0, 1, h), toQColor(clBtnHighlight));
    p.fillRect(QRect(0, h - 1, w, 1), toQColor(clBtnShadow));
    p.fillRect(QRect(w - 1, 0, 1, h), toQColor(clBtnShadow));
    return pm;
}

}  // namespace

QPixmap SortGridBitmap(const char* Name) {
    const QByteArray name(Name);
    if (name == "UP" || name == "DOWN") {
        QPixmap pm(8, 7);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(Qt::NoPen);
        p.setBrush(toQColor(clBtnShadow));
        // One row of pixels per line, so the triangle is crisp at this size.
        for (int y = 0; y < 4; ++y) {
            const int row = name == "UP" ? 1 + y : 5 - y;
            p.fillRect(QRect(3 - y, row, 2 + 2 * y, 1), toQColor(clBlack));
        }
        return pm;
    }
    if (name == "CHECKED" || name == "UNCHECKED") {
        QPixmap pm(10, 10);
        pm.fill(toQColor(clWindow));
        QPainter p(&pm);
        p.setPen(toQColor(clBtnShadow));
        p.drawRect(0, 0, 9, 9);
        if (name == "CHECKED") {
            p.setPen(QPen(toQColor(clWindowText), 2));
            p.drawLine(2, 5, 4, 7);
            p.drawLine(4, 7, 8, 2);
        }
        return pm;
    }
    if (name == "COMBOBOX") {
        QPixmap pm = MakeButton(16, 16);
        QPainter p(&pm);
        for (int y = 0; y < 4; ++y)
            p.fillRect(QRect(4 + y, 6 + y, 8 - 2 * y, 1), toQColor(clBtnText));
        return pm;
    }
    if (name == "ELLIPSIS") {
        QPixmap pm = MakeButton(16, 16);
        QPainter p(&pm);
        for (int i = 0; i < 3; ++i) p.fillRect(QRect(3 + 4 * i, 10, 2, 2), toQColor(clBtnText));
        return pm;
    }
    return QPixmap();
}

QString ShortenHeaderText(const QString& Text, int Available,
                          const std::function<int(const QString&)>& Width) {
    if (Width(Text) <= Available) return Text;
    QString t = Text.size() >= 2 ? Text.left(Text.size() - 2) + ".." : QStringLiteral("..");
    while (Width(t) > Available && t.size() >= 4) t.remove(t.size() - 3, 1);
    return t;
}

bool ParseRowFormat(const QString& Text, TFontSetting& Format) {
    const QStringList parts = Text.split(',');
    if (parts.size() != 5) return false;
    TFontSetting f;
    if (!TryStringToColor(parts[0].trimmed().toStdString(), f.FontColor)) return false;
    f.Bold = parts[1].trimmed() == "1";
    f.Italic = parts[2].trimmed() == "1";
    f.Underline = parts[3].trimmed() == "1";
    if (!TryStringToColor(parts[4].trimmed().toStdString(), f.BackgroundColor)) return false;
    f.InUse = true;
    Format = f;
    return true;
}

// ---- Cell format ----

TCellFormat TSortGrid::GetCellFormat(int ACol, int ARow) {
    TCellFormat f;
    TFormatOptions& o = f.FormatOptions;
    o.Font.Font = font();
    const TGridRect sel = Selection();
    TGridDrawState state;
    if (sel.Contains(ACol, ARow)) state |= gdSelected;
    if (IsActiveControl() && ACol == Col() && ARow == Row()) state |= gdFocused;
    o.Brush.Color = ARow < FixedRows() ? FixedColor() : Color();
    o.Font.Color = clWindowText;
    o.Font.Bold = font().bold();
    o.Font.Italic = font().italic();
    o.Font.Underline = font().underline();
    o.AlignmentHorz = alignmentHorz_;
    o.AlignmentVert = alignmentVert_;
    o.Bevel = bevelStyle_;
    switch (bevelStyle_) {
    case cbRaised:
        o.HighlightColor = clBtnHighlight;
        o.ShadowColor = clBtnShadow;
        break;
    case cbLowered:
        o.HighlightColor = clBtnShadow;
        o.ShadowColor = clBtnHighlight;
        break;
    default: o.HighlightColor = o.ShadowColor = clWindow; break;
    }
    if (OnGetCellFormat)
        OnGetCellFormat(this, ACol, ARow, state, o, f.CheckBox, f.Combobox, f.Ellipsis);
    return f;
}

int TSortGrid::HeaderTextShift(int ACol) const { return SortArrowShown(ACol) ? 11 : 0; }

bool TSortGrid::SortArrowShown(int ACol) const {
    return sortOptions_.CanSort && ACol == sortOptions_.SortCol;
}

// ---- Drawing ----

void TSortGrid::DrawCell(int ACol, int ARow, const QRect& ARect, TGridDrawState AState) {
    QPainter* p = Canvas();
    if (!p) return;
    if (ARow >= 1 && (NowUpdating() || hideRows_)) {
        p->fillRect(ARect, toQColor(Color()));
        TDrawGrid::DrawCell(ACol, ARow, ARect, AState);
        return;
    }
    TCellFormat cf = GetCellFormat(ACol, ARow);
    TFormatOptions& o = cf.FormatOptions;
    TColor brush = o.Brush.Color, ink = o.Font.Color;
    bool bold = o.Font.Bold, italic = o.Font.Italic, underline = o.Font.Underline;
    if (ARow >= 1) {
        const TGridRect sel = Selection();
        const bool inRange =
            Options().Contains(goRangeSelect) && ARow >= sel.Top && ARow <= sel.Bottom;
        const bool multi = multiSelect_ && RowSelected(ARow) && !Options().Contains(goEditing);
        TFontSetting rowFormat;
        const bool hasRowFormat = ParseRowFormat(Cells(ColCount(), ARow), rowFormat);
        if (inRange || multi) {
            brush = clHighlight;
            ink = clHighlightText;
        } else if (!hasRowFormat && size_t(ACol) < colFormats_.size() &&
                   colFormats_[size_t(ACol)].InUse) {
            const TFontSetting& c = colFormats_[size_t(ACol)];
            brush = c.BackgroundColor;
            ink = c.FontColor;
            bold = c.Bold;
            italic = c.Italic;
            underline = c.Underline;
        } else if (hasRowFormat) {
            brush = rowFormat.BackgroundColor;
            ink = rowFormat.FontColor;
            bold = rowFormat.Bold;
            italic = rowFormat.Italic;
            underline = rowFormat.Underline;
        }
    }
    p->save();
    p->setClipRect(ARect, Qt::IntersectClip);
    if (DefaultDrawing()) p->fillRect(ARect, toQColor(brush));
    QFont f = o.Font.Font;
    f.setBold(bold);
    f.setItalic(italic);
    f.setUnderline(underline);
    p->setFont(f);
    p->setPen(toQColor(ink));
    const QFontMetrics fm(f);
    const int cw = ARect.width(), ch = ARect.height();

    QString text = Cells(ACol, ARow);
    const bool sortedHeader = ARow == 0 && SortArrowShown(ACol);
    if (ARow == 0) {
        const int avail = ColWidths(ACol) - 1 - HeaderTextShift(ACol);
        text = ShortenHeaderText(text, avail,
                                 [&fm](const QString& s) { return fm.horizontalAdvance(s); });
    }
    if (!cf.CheckBox && !o.HideText && !text.isEmpty()) {
        const int tw = fm.horizontalAdvance(text), th = fm.height();
        int x = 2, y = 2;
        if (o.AlignmentHorz == taRightJustify) x = cw - tw - 2;
        else if (o.AlignmentHorz == taCenter) x = (cw - tw) / 2;
        if (o.AlignmentVert == taBottomJustify) y = ch - th - 3;
        else if (o.AlignmentVert == taMiddle) y = (ch - th) / 2;
        if (sortedHeader) x += HeaderTextShift(ACol);
        p->drawText(QPoint(ARect.left() + x, ARect.top() + y + fm.ascent()), text);
    }
    if (sortedHeader) {
        const QPixmap& arrow = sortOptions_.SortDirection == sdAscending ? arrowUp_ : arrowDown_;
        const int w = std::min(8, cw - 3);
        if (w > 0)
            p->drawPixmap(QRect(ARect.left() + 3, ARect.top() + RowHeights(0) / 2 - 4, w, 7),
                          arrow);
    }
    if (cf.CheckBox) {
        const QPixmap& box = Cells(ACol, ARow) == QLatin1String("true") ? checked_ : unchecked_;
        const int w = std::min(10, cw - 1);
        if (w > 0)
            p->drawPixmap(QRect(ARect.left() + (cw - w) / 2, ARect.top() + RowHeights(ARow) / 2 - 5,
                                w, 10),
                          box);
    }
    const bool currentRow = ARow == Row() && ARow >= 1;
    const QPixmap* button = nullptr;
    if (cf.Combobox && currentRow && (ACol == Col() || EditorMode())) button = &comboButton_;
    else if (cf.Ellipsis && currentRow && ACol != Col()) button = &ellipsisButton_;
    if (button) {
        const int w = std::min(16, cw);
        p->drawPixmap(QRect(ARect.right() + 1 - w, ARect.top(), w, ch), *button);
    }
    if (o.Bevel != cbNone && ARow >= 1) {
        const QColor light = toQColor(o.HighlightColor), shadow = toQColor(o.ShadowColor);
        if (Options().Contains(goFixedVertLine)) {
            p->fillRect(QRect(ARect.right(), ARect.top(), 1, ch), shadow);
            p->fillRect(QRect(ARect.left(), ARect.top(), 1, ch), light);
        }
        if (Options().Contains(goFixedHorzLine)) {
            p->fillRect(QRect(ARect.left(), ARect.bottom(), cw, 1), shadow);
            p->fillRect(QRect(ARect.left(), ARect.top(), cw, 1), light);
        }
    }
    p->restore();
    TDrawGrid::DrawCell(ACol, ARow, ARect, AState);
}

// ---- Check boxes ----

void TSortGrid::SetChecked(int ACol, int ARow, bool State) {
    if (!GetCellFormat(ACol, ARow).CheckBox) return;
    SetCells(ACol, ARow, State ? QStringLiteral("true") : QString());
    InvalidateRow(ARow);
    if (OnSetChecked) OnSetChecked(this, ACol, ARow, State);
}

bool TSortGrid::IsChecked(int ACol, int ARow) {
    return GetCellFormat(ACol, ARow).CheckBox && Cells(ACol, ARow) == QLatin1String("true");
}

// ---- Column widths and scroll bars ----

void TSortGrid::AutoSizeCol(int ACol, bool ResizeHidden) {
    if (ACol < 0 || ACol >= ColCount()) return;
    if (!ResizeHidden && ColWidths(ACol) == -1) return;
    const QFontMetrics fm(font());
    int widest = 0;
    bool any = false;
    for (int r = 0; r < RowCount(); ++r) {
        const QString t = Cells(ACol, r);
        if (t.isEmpty()) continue;
        any = true;
        int w = fm.horizontalAdvance(t);
        if (r == 0 && SortArrowShown(ACol)) w += 12;
        widest = std::max(widest, w);
    }
    SetColWidths(ACol, any ? widest + fm.horizontalAdvance(QStringLiteral("X"))
                           : fm.horizontalAdvance(QStringLiteral("xx")));
}

void TSortGrid::UpdateProportionalScrollBars() {
    if (!proportionalScrollBars_) return;
    QScrollBar* v = verticalScrollBar();
    const double vr = double(v->maximum() - v->minimum() + 1);
    v->setPageStep(std::max<int>(1, int(RoundHalfEven((VisibleRowCount() + 1) /
                                                      double(std::max(1, RowCount())) * vr))));
    QScrollBar* h = horizontalScrollBar();
    const double hr = double(h->maximum() - h->minimum() + 1);
    h->setPageStep(std::max<int>(1, int(RoundHalfEven(VisibleColCount() /
                                                      double(std::max(1, ColCount())) * hr))));
}

void TSortGrid::FillLastColumn() {
    if (ColCount() < 1) return;
    const int first = LeftCol();
    // Every column from the left one to the last must be visible.
    if (first + VisibleColCount() - 1 < ColCount() - 1) return;
    int others = 0;
    int visible = 0;
    for (int c = 0; c < ColCount() - 1; ++c) {
        if (c >= FixedCols() && c < first) continue;
        if (ColWidths(c) < 0) continue;
        others += ColWidths(c);
        ++visible;
    }
    ++visible;  // the last column
    const int w = ClientWidth() - others - (visible + 3);
    if (w > 0 && ColWidths(ColCount() - 1) >= 0) SetColWidths(ColCount() - 1, w);
}

void TSortGrid::resizeEvent(QResizeEvent* e) {
    TMyStringGrid::resizeEvent(e);
    FillLastColumn();
    Invalidate();
    UpdateProportionalScrollBars();
}

}  // namespace kiv
