#include "mainwindow/MainHelpers.h"

#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QSizeGrip>
#include <QTimer>
#include <QVariant>
#include <QWidget>
#include <exception>

#include "platform/core/LegacyText.h"

namespace kiv {

std::unique_ptr<PosixBlockFile> OpenDataFile(const std::string& path) {
    try {
        return PosixBlockFile::Open(path, OpenMode::ReadWrite, true);
    } catch (const std::exception&) {
        return nullptr;
    }
}

void MakePanelSizeable(QWidget* panel) {
    if (!panel || panel->findChild<QSizeGrip*>(QString(), Qt::FindDirectChildrenOnly)) return;
    panel->setWindowFlag(Qt::SubWindow, true);
    auto* grip = new QSizeGrip(panel);
    grip->setObjectName(panel->objectName() + QStringLiteral("Grip"));
    grip->resize(grip->sizeHint());
    // Keep the grip in the corner whatever size the panel takes.
    struct Corner : QObject {
        QSizeGrip* g;
        Corner(QObject* p, QSizeGrip* grip) : QObject(p), g(grip) {}
        bool eventFilter(QObject* o, QEvent* e) override {
            if (e->type() == QEvent::Resize) {
                auto* w = static_cast<QWidget*>(o);
                g->move(w->width() - g->width(), w->height() - g->height());
                g->raise();
            }
            return false;
        }
    };
    panel->installEventFilter(new Corner(panel, grip));
    panel->resize(panel->width(), panel->height() - 1);
    grip->move(panel->width() - grip->width(), panel->height() - grip->height());
}

int GetFontTextHeight(const QWidget* control, const QFont& font) {
    QFont f = font;
    if (control) f.resolve(control->font());
    return QFontMetrics(f).height();
}

int FontStylesToBits(TFontStyles styles) {
    return styles & (fsBold | fsItalic | fsUnderline | fsStrikeOut);
}

TFontStyles BitsToFontStyles(int bits) {
    return TFontStyles(bits & (fsBold | fsItalic | fsUnderline | fsStrikeOut));
}

void ApplyFontStyles(QFont& font, TFontStyles styles) {
    font.setBold(styles & fsBold);
    font.setItalic(styles & fsItalic);
    font.setUnderline(styles & fsUnderline);
    font.setStrikeOut(styles & fsStrikeOut);
}

QString StoredToText(std::string_view stored) {
    QString t = QString::fromStdString(LegacyText::Decode(stored));
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

std::string TextToStored(const QString& text) {
    QString t = text;
    t.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    t.replace(QChar::LineSeparator, QLatin1Char('\n'));
    t.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return LegacyText::Encode(t.toStdString());
}

void SetImageIndex(QObject* action, int index) {
    if (action) action->setProperty("ImageIndex", index);
}

int ImageIndex(const QObject* action) {
    if (!action) return -1;
    QVariant v = action->property("ImageIndex");
    return v.isValid() ? v.toInt() : -1;
}

}  // namespace kiv

namespace kiv {

QString ReplaceCaptionVerb(const QString& caption, const QString& verb) {
    const qsizetype blank = caption.indexOf(QLatin1Char(' '));
    return blank < 0 ? verb : verb + caption.mid(blank);
}

}  // namespace kiv

namespace kiv {

namespace {
constexpr int kFreeLookEveryMs = 50;
}  // namespace

void RunWhenFree(QObject* owner, std::function<bool()> busy, std::function<void()> fn) {
    if (!busy()) {
        fn();
        return;
    }
    QTimer::singleShot(kFreeLookEveryMs, owner,
                       [owner, busy = std::move(busy), fn = std::move(fn)]() mutable {
                           RunWhenFree(owner, std::move(busy), std::move(fn));
                       });
}

}  // namespace kiv
