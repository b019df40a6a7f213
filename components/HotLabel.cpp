#include "components/HotLabel.h"

#include "platform/qt/Colors.h"
#include "platform/qt/Screen.h"

namespace kiv {

THotLabel::THotLabel(QWidget* parent) : QLabel(parent) {}

void THotLabel::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    if (hotTrack_ && !hot_) {
        hot_ = true;
        QFont f = font();
        f.setUnderline(true);
        setFont(f);
        SetControlCursor(this, crHandPoint);
        saved_ = palette();
        QPalette p = saved_;
        p.setColor(foregroundRole(), toQColor(clBlue));
        setPalette(p);
    }
    if (OnMouseEnter) OnMouseEnter(this);
}

void THotLabel::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    // The hand pointer stays: it shows only over the label anyway.
    if (hot_) {
        hot_ = false;
        QFont f = font();
        f.setUnderline(false);
        setFont(f);
        setPalette(saved_);
    }
    if (OnMouseLeave) OnMouseLeave(this);
}

}  // namespace kiv
