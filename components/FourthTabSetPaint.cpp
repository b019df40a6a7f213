// Painting of the tab strip: everything goes into an off-screen pixmap first, so the
// strip never flickers, and the pixmap is copied to the screen in one piece.
//
// Coordinates follow the Windows canvas: a rectangle (l, t, r, b) leaves out its right
// column and bottom row, and a line leaves out its end point. With toBottom the edge line
// runs along the top and the tabs hang below it; toTop mirrors every row about the strip's
// height.
#include <QPainter>
#include <QPixmap>
#include <algorithm>

#include "components/FourthTabSet.h"

namespace kiv {

class TFourthTabSet::Painter {
public:
    Painter(QPainter& p, int height, bool mirrored) : p_(p), h_(height), mirrored_(mirrored) {}

    void Fill(int l, int t, int r, int b, TColor c) {
        if (r <= l || b <= t) return;
        const QRect rect = Rect(l, t, r, b);
        p_.fillRect(rect, toQColor(c));
    }
    // From (x1, y) up to, not including, x2.
    void HLine(int x1, int x2, int y, TColor c) {
        Fill(std::min(x1, x2), y, std::max(x1, x2), y + 1, c);
    }
    // From (x, y1) up to, not including, y2.
    void VLine(int x, int y1, int y2, TColor c) {
        Fill(x, std::min(y1, y2), x + 1, std::max(y1, y2), c);
    }
    // Centred across, against the edge line, clipped to its rectangle.
    void Text(int l, int t, int r, int b, const QString& s, const QColor& color,
              const QFont& font) {
        if (r <= l || b <= t) return;
        p_.setFont(font);
        p_.setPen(color);
        const int v = mirrored_ ? Qt::AlignBottom : Qt::AlignTop;
        p_.drawText(Rect(l, t, r, b), Qt::AlignHCenter | v | Qt::TextSingleLine, s);
    }

private:
    QRect Rect(int l, int t, int r, int b) const {
        if (mirrored_) {
            const int top = h_ - b, bottom = h_ - t;
            return QRect(l, top, r - l, bottom - top);
        }
        return QRect(l, t, r - l, b - t);
    }

    QPainter& p_;
    int h_;
    bool mirrored_;
};

void TFourthTabSet::paintEvent(QPaintEvent*) {
    UpdateLayout();
    const int bitmapHeight = std::max(height(), tabHeight_ + 5);
    QPixmap bitmap(width(), bitmapHeight);
    {
        QPainter p(&bitmap);
        p.setFont(font());
        Paint(p, bitmapHeight);
    }
    QPainter(this).drawPixmap(0, 0, bitmap);
}

void TFourthTabSet::Paint(QPainter& p, int bitmapHeight) {
    const TFourthTabSetOptions& o = options_;
    const bool top = orientation_ == toTop;
    const bool noFlat = o.flatStyle_ == fsNoFlat;
    // toTop mirrors about the strip's own height, so that its edge stays on screen.
    Painter c(p, top ? height() : bitmapHeight, top);
    const int E = margins_.edge_, T = tabHeight_, w = width();

    c.Fill(0, 0, w, bitmapHeight, o.background_);
    for (int y = 0; y < E; ++y) c.HLine(0, w, y, o.face_);
    c.HLine(0, w, E, top ? o.highlight_ : o.darkShadow_);
    if (noFlat) c.HLine(0, w, E - 1, top ? o.light_ : o.shadow_);

    QFont selectedFont = font();
    if (o.boldSelected_) selectedFont.setBold(true);
    const QColor fontColor = palette().color(QPalette::WindowText);
    const TColor closing = top ? o.highlight_ : o.darkShadow_;

    int lastEnabled = tabs_.Count() - 1;
    while (lastEnabled >= 0 && !TabEnabled(lastEnabled)) --lastEnabled;
    bool firstDrawn = true;
    for (int i = 0; i < int(positions_.size()); ++i) {
        const int index = firstIndex_ + i;
        if (!TabEnabled(index)) continue;
        const int L = positions_[i].Left, W = positions_[i].Width;
        const QString& caption = tabs_[index];
        if (index == tabIndex_) {
            c.Fill(L - 4, E - 1, L + W + 4, E - 1 + T, o.face_);
            c.Text(L + margins_.textLeft_, E + margins_.textTop_, L + W, E - 1 + T, caption,
                   fontColor, selectedFont);
            c.VLine(L - 4, E, T + E - 1, o.highlight_);
            if (noFlat) c.VLine(L - 3, E, T + E - 1, o.light_);
            // Turned towards the light with toTop, away from it with toBottom.
            c.HLine(L - 3, L + W + 4, T + E - 1, top ? o.highlight_ : o.darkShadow_);
            c.VLine(L + W + 4, E, T + E - 1, o.darkShadow_);
            if (o.flatStyle_ != fsFullFlat)
                c.HLine(L - 4, L + W + 4, T + E - 2, top ? o.light_ : o.shadow_);
            if (noFlat) c.VLine(L + W + 3, E, T + E - 1, o.shadow_);
        } else {
            c.Text(L + margins_.textLeft_, E + margins_.textTop_, L + W, T + E - 1, caption,
                   toQColor(o.unselected_), font());
            if (firstDrawn && o.separatorOnSide_) c.VLine(L - 5, E + 3, E + T - 3, o.separator_);
            if (index != lastEnabled || o.separatorOnSide_)
                c.VLine(L + W + 5, E + 3, E + T - 3, o.separator_);
            c.HLine(L, L + W, E, closing);
        }
        firstDrawn = false;
    }
}

}  // namespace kiv
