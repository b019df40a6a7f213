#include "components/FourthScroller.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <algorithm>

#include "platform/qt/Colors.h"

namespace kiv {

namespace {

constexpr int kHalfWidth = TFourthScroller::kWidth / 2;

// One half as a small push button with a triangle: raised, sunk (pressed) or with the
// embossed grey triangle of a disabled button.
QPixmap DrawHalf(bool forward, bool pressed, bool disabled) {
    QPixmap pm(kHalfWidth, TFourthScroller::kHeight);
    pm.fill(toQColor(clBtnFace));
    QPainter p(&pm);
    const int w = pm.width(), h = pm.height();
    auto hline = [&](int x1, int x2, int y, TColor c) {
        p.fillRect(x1, y, x2 - x1, 1, toQColor(c));
    };
    auto vline = [&](int x, int y1, int y2, TColor c) {
        p.fillRect(x, y1, 1, y2 - y1, toQColor(c));
    };
    if (pressed) {
        hline(0, w, 0, clBtnShadow);
        vline(0, 0, h, clBtnShadow);
        hline(0, w, h - 1, clBtnHighlight);
        vline(w - 1, 0, h, clBtnHighlight);
    } else {
        hline(0, w - 1, 0, clBtnHighlight);
        vline(0, 0, h - 1, clBtnHighlight);
        hline(0, w, h - 1, cl3DDkShadow);
        vline(w - 1, 0, h, cl3DDkShadow);
        hline(1, w - 1, h - 2, clBtnShadow);
        vline(w - 2, 1, h - 1, clBtnShadow);
    }
    // A triangle 4 pixels deep and 7 high, pointing back or forward.
    auto triangle = [&](int dx, int dy, TColor c) {
        const int cx = w / 2 + dx, cy = h / 2 + dy;
        for (int i = 0; i < 4; ++i) {
            const int x = forward ? cx - 2 + i : cx + 1 - i;
            vline(x, cy - 3 + i, cy + 4 - i, c);
        }
    };
    const int shift = pressed ? 1 : 0;
    if (disabled) {
        triangle(1, 1, clBtnHighlight);
        triangle(0, 0, clBtnShadow);
    } else {
        triangle(shift - (forward ? 0 : 1), shift - 1, clBtnText);
    }
    return pm;
}

}  // namespace

TFourthScroller::TFourthScroller(QWidget* parent) : QWidget(parent) {
    // The size is forced: every resize ends at 26 x 12.
    setFixedSize(kWidth, kHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QPixmap TFourthScroller::Bitmap(const QString& name) {
    const bool left = name.startsWith(QLatin1String("FTHSBLEFT"));
    const bool right = name.startsWith(QLatin1String("FTHSBRIGHT"));
    if (!left && !right) return {};
    const QString state = name.mid(left ? 9 : 10);
    if (state.isEmpty()) return DrawHalf(right, false, false);
    if (state == QLatin1String("DN")) return DrawHalf(right, true, false);
    if (state == QLatin1String("DIS")) return DrawHalf(right, false, true);
    return {};
}

void TFourthScroller::SetMin(int value) {
    if (value >= max_ || value == min_) return;
    min_ = value;
    ClampPosition();
}

void TFourthScroller::SetMax(int value) {
    if (value <= min_ || value == max_) return;
    max_ = value;
    ClampPosition();
}

// A narrowed range takes the position with it, quietly: the caller changed the range,
// the user did not scroll.
void TFourthScroller::ClampPosition() {
    position_ = std::clamp(position_, min_, max_);
    update();
}

void TFourthScroller::SetPosition(int value) {
    value = std::clamp(value, min_, max_);
    if (value == position_) return;
    position_ = value;
    update();
    if (OnClick) OnClick(this);
}

TFourthScroller::THalf TFourthScroller::HalfAt(QPoint p) const {
    if (!rect().contains(p)) return hNone;
    return p.x() < kHalfWidth ? hBack : hForward;
}

bool TFourthScroller::CanScroll(THalf h) const {
    return (h == hBack && position_ > min_) || (h == hForward && position_ < max_);
}

QString TFourthScroller::BitmapName(THalf h) const {
    QString name = h == hBack ? QStringLiteral("FTHSBLEFT") : QStringLiteral("FTHSBRIGHT");
    if (!CanScroll(h)) return name + QLatin1String("DIS");
    if (down_ && captured_ == h) return name + QLatin1String("DN");
    return name;
}

void TFourthScroller::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, Bitmap(BitmapName(hBack)));
    p.drawPixmap(width() / 2, 0, Bitmap(BitmapName(hForward)));
}

void TFourthScroller::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    const THalf h = HalfAt(e->position().toPoint());
    if (!CanScroll(h)) return;
    captured_ = h;  // Qt keeps the mouse with us until the release
    down_ = true;
    update();
}

void TFourthScroller::mouseMoveEvent(QMouseEvent* e) {
    if (captured_ == hNone) return;
    const bool inside = HalfAt(e->position().toPoint()) == captured_;
    if (inside != down_) {
        down_ = inside;
        update();
    }
}

void TFourthScroller::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || captured_ == hNone) return;
    const THalf h = captured_;
    const bool fire = down_;
    captured_ = hNone;
    down_ = false;
    update();
    if (fire) SetPosition(position_ + (h == hBack ? -change_ : change_));
}

}  // namespace kiv
