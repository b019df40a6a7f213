#pragma once
// The two-arrow scroller of the tab strip: a fixed 26 x 12 control whose left half
// scrolls back and right half forward, by Change, within Min..Max.
#include <QWidget>
#include <functional>

namespace kiv {

class TFourthScroller : public QWidget {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(TFourthScroller* Sender)>;

    static constexpr int kWidth = 26;
    static constexpr int kHeight = 12;

    explicit TFourthScroller(QWidget* parent = nullptr);

    int Min() const { return min_; }
    // Accepted only below Max.
    void SetMin(int value);
    int Max() const { return max_; }
    // Accepted only above Min.
    void SetMax(int value);
    int Position() const { return position_; }
    // Clamped to Min..Max; a changed position repaints and fires OnClick.
    void SetPosition(int value);
    int Change() const { return change_; }
    void SetChange(int value) { change_ = value; }

    TNotifyEvent OnClick;

    // The pictures of a half: "FTHSBLEFT", "FTHSBLEFTDN", "FTHSBLEFTDIS" and the same
    // with "RIGHT"; a null pixmap for any other name.
    static QPixmap Bitmap(const QString& name);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    enum THalf { hNone, hBack, hForward };

    THalf HalfAt(QPoint p) const;
    bool CanScroll(THalf h) const;
    QString BitmapName(THalf h) const;
    void ClampPosition();

    int min_ = 0;
    int max_ = 0;
    int position_ = 0;
    int change_ = 1;
    THalf captured_ = hNone;  // the half a press started on
    bool down_ = false;       // shown pressed: the pointer is still inside that half
};

}  // namespace kiv
