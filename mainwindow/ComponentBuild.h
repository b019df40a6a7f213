#pragma once
// Small builders the frame and the features make their components with: each component
// gets its name as objectName, layouts have no margins.
#include <QAction>
#include <QBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QToolButton>
#include <QWidget>

#include "platform/qt/KivAction.h"

namespace kiv {

template <class W>
W* Named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

inline QWidget* Panel(QWidget* parent, const char* name) {
    return Named(new QWidget(parent), name);
}

inline KivAction* Action(QObject* owner, const char* name, const QString& caption,
                         bool checkable = false) {
    auto* a = Named(new KivAction(caption, owner), name);
    if (checkable) a->setCheckable(true);
    return a;
}

inline QAction* Item(QObject* owner, const char* name, const QString& caption,
                     bool checkable = false) {
    auto* a = Named(new QAction(caption, owner), name);
    if (checkable) a->setCheckable(true);
    return a;
}

// The glyphs of the pane buttons that maximize a pane or give the room back.
inline constexpr const char* kMaximizeGlyph = "MaximizeOutliner";
inline constexpr const char* kNormalGlyph = "NormalOutliner";

// A pane button's glyph, its name kept on the button.
inline void SetPaneGlyph(QToolButton* b, const char* glyph) {
    b->setProperty("Glyph", QString::fromLatin1(glyph));
    const bool maximize = QString::fromLatin1(glyph) == QLatin1String(kMaximizeGlyph);
    b->setIcon(b->style()->standardIcon(maximize ? QStyle::SP_TitleBarNormalButton
                                                 : QStyle::SP_TitleBarMaxButton));
}

inline QVBoxLayout* VBox(QWidget* w) {
    auto* l = new QVBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    return l;
}

inline QHBoxLayout* HBox(QWidget* w) {
    auto* l = new QHBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    return l;
}

// A floating panel: a header line with its caption over its content.
inline QWidget* FloatingPanel(QWidget* parent, const char* name, const QString& caption,
                              QWidget* content) {
    QWidget* p = Panel(parent, name);
    p->setAutoFillBackground(true);
    auto* l = VBox(p);
    auto* header = new QLabel(caption, p);
    header->setObjectName(QString::fromLatin1(name) + QStringLiteral("Header"));
    header->setFixedHeight(18);
    header->setStyleSheet(QStringLiteral(
        "background: palette(highlight); color: palette(highlighted-text); padding-left: 4px;"));
    l->addWidget(header);
    content->setParent(p);
    l->addWidget(content, 1);
    p->hide();
    return p;
}

}  // namespace kiv
