// The hover label: a link look only with HotTrack, its events always.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEnterEvent>

#include "components/HotLabel.h"

using namespace kiv;

namespace {
void Enter(QWidget& w) {
    QEnterEvent e(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QCoreApplication::sendEvent(&w, &e);
}
void Leave(QWidget& w) {
    QEvent e(QEvent::Leave);
    QCoreApplication::sendEvent(&w, &e);
}
}  // namespace

TEST(HotLabel, LooksLikeALinkOnlyWhileHot) {
    THotLabel label;
    label.setText("Threads");
    QPalette p = label.palette();
    p.setColor(QPalette::WindowText, QColor(0, 128, 0));
    label.setPalette(p);
    EXPECT_FALSE(label.HotTrack());
    int enters = 0, leaves = 0;
    label.OnMouseEnter = [&](THotLabel* s) {
        EXPECT_EQ(s, &label);
        ++enters;
    };
    label.OnMouseLeave = [&](THotLabel*) { ++leaves; };
    auto colour = [&] { return label.palette().color(QPalette::WindowText); };

    Enter(label);  // without HotTrack: the events, and the look unchanged
    EXPECT_FALSE(label.font().underline());
    EXPECT_EQ(colour(), QColor(0, 128, 0));
    EXPECT_NE(label.cursor().shape(), Qt::PointingHandCursor);
    Leave(label);
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(leaves, 1);

    label.SetHotTrack(true);
    Enter(label);
    EXPECT_TRUE(label.font().underline());
    EXPECT_EQ(colour(), QColor(0, 0, 255));
    EXPECT_EQ(label.cursor().shape(), Qt::PointingHandCursor);
    Leave(label);
    EXPECT_FALSE(label.font().underline());
    EXPECT_EQ(colour(), QColor(0, 128, 0));                     // the saved colour is back
    EXPECT_EQ(label.cursor().shape(), Qt::PointingHandCursor);  // shows only over the label
    EXPECT_EQ(enters, 2);
    EXPECT_EQ(leaves, 2);
}
