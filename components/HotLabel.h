#pragma once
// A label that looks like a link while the mouse is over it.
#include <QLabel>
#include <QPalette>
#include <functional>

namespace kiv {

class THotLabel : public QLabel {
    Q_OBJECT

public:
    using TNotifyEvent = std::function<void(THotLabel* Sender)>;

    explicit THotLabel(QWidget* parent = nullptr);

    // While hot the text is underlined and blue and the cursor is the hand pointer.
    bool HotTrack() const { return hotTrack_; }
    void SetHotTrack(bool Value) { hotTrack_ = Value; }

    // Fire whether or not HotTrack is on.
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool hotTrack_ = false;
    bool hot_ = false;
    QPalette saved_;  // the colours before the label turned blue
};

}  // namespace kiv
