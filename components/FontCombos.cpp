#include "components/FontCombos.h"

#include <QFontDatabase>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/core/KivStrings.h"
#include "platform/qt/Fonts.h"

namespace kiv {

const char* const kScalableFontSizes[16] = {"8",  "9",  "10", "11", "12", "14", "16", "18",
                                            "20", "22", "24", "26", "28", "36", "48", "72"};

namespace {

const QString kDefaultPreview = QStringLiteral("AaBbYyZz");
// The largest size the rich-text editor takes.
constexpr int kMaxFontSize = 1638;

QStringList& FontList() {
    static QStringList list;
    return list;
}

// "Nimbus Sans [urw]" -> "Nimbus Sans": the foundry is no part of a face name.
QString WithoutFoundry(const QString& family) {
    const qsizetype at = family.lastIndexOf(QLatin1String(" ["));
    return at > 0 && family.endsWith(QLatin1Char(']')) ? family.left(at) : family;
}

QString SelectedTextOf(QWidget* edit) {
    QString s;
    if (auto* e = qobject_cast<QLineEdit*>(edit)) s = e->selectedText();
    else if (auto* t = qobject_cast<QTextEdit*>(edit)) s = t->textCursor().selectedText();
    else if (auto* p = qobject_cast<QPlainTextEdit*>(edit)) s = p->textCursor().selectedText();
    // Paragraph and line separators of a selection spanning lines.
    s.replace(QChar(0x2029), QLatin1Char(' ')).replace(QChar(0x2028), QLatin1Char(' '));
    return s;
}

// Styles that open a list box as a menu over the current item (Fusion) ignore the
// number of rows to show; this one drops the list below the box, as Windows does.
class DropDownListStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ComboBox_Popup) return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

// ---- the shared list ----

void RebuildSharedFontList() {
    QStringList names;
    for (const QString& family : QFontDatabase::families()) {
        // Generic names ("Serif", "Monospace") are no faces and do not count.
        const QString face = WithoutFoundry(family);
        if (!QFontDatabase::isPrivateFamily(family) && IsScalableFont(face)) names << face;
    }
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    names.erase(std::unique(names.begin(), names.end(),
                            [](const QString& a, const QString& b) {
                                return a.compare(b, Qt::CaseInsensitive) == 0;
                            }),
                names.end());
    FontList() = names;
}

const QStringList& SharedFontList() {
    if (FontList().isEmpty()) RebuildSharedFontList();
    return FontList();
}

bool IsScalableFont(const QString& storedName) {
    const QString family = SubstituteFontName(storedName);
    return QFontDatabase::hasFamily(family) && QFontDatabase::isSmoothlyScalable(family);
}

// ---- size box ----

TFontSizeComboBox::TFontSizeComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);  // "1" must stay 1, not complete to 10
    connect(this, &QComboBox::activated, this, &TFontSizeComboBox::Picked);
    connect(lineEdit(), &QLineEdit::editingFinished, this, &TFontSizeComboBox::Typed);
}

void TFontSizeComboBox::SetFontName(const QString& Value) {
    fontName_ = Value;
    Rebuild();
}

void TFontSizeComboBox::Rebuild() {
    const QString text = currentText();
    QSignalBlocker block(this);
    clear();
    if (!fontName_.isEmpty()) {
        if (QScreen* s = screen()) pixelsPerInch_ = qRound(s->logicalDotsPerInchY());
        if (IsScalableFont(fontName_)) {
            for (const char* size : kScalableFontSizes) addItem(QString::fromLatin1(size));
        } else {
            // A bitmap family: only its own sizes, ascending.
            const QString family = SubstituteFontName(fontName_);
            QList<int> sizes =
                QFontDatabase::hasFamily(family) ? QFontDatabase::pointSizes(family) : QList<int>();
            std::sort(sizes.begin(), sizes.end());
            sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
            for (int size : sizes)
                if (size > 0) addItem(QString::number(size));
        }
    }
    setCurrentIndex(findText(text));
    setEditText(text);
    lastText_ = text;
}

int TFontSizeComboBox::ShowSize(int points) {
    int index = findText(QString::number(points));
    for (int i = 0; index < 0 && i < count(); ++i)
        if (itemText(i).toInt() >= points) index = i;
    if (index < 0) index = count() - 1;
    QSignalBlocker block(this);
    setCurrentIndex(index);
    if (index < 0) setEditText(QString::number(points));
    lastText_ = currentText();
    return index < 0 ? points : itemText(index).toInt();
}

int TFontSizeComboBox::Size() const {
    int64_t v = 0;
    const std::string text = currentText().trimmed().toStdString();
    // Decimal digits only: "$10" and "0x10" are integers to the ini reader, not sizes.
    const bool digits = !text.empty() && std::all_of(text.begin(), text.end(),
                                                     [](char c) { return c >= '0' && c <= '9'; });
    if (!digits || text.size() > 6 || !TryStrToInt(text, v) || v < 1 || v > kMaxFontSize) return 0;
    return int(v);
}

void TFontSizeComboBox::Picked(int index) {
    if (index < 0) return;
    // Qt also reports a typed size that matches an item as activated.
    if (lineEdit()->isModified()) return Typed();
    lineEdit()->setModified(false);
    lastText_ = itemText(index);
    if (OnClick) OnClick(this);
    if (OnChange) OnChange(this);
}

void TFontSizeComboBox::Typed() {
    if (!lineEdit()->isModified()) return;
    lineEdit()->setModified(false);
    const QString text = currentText().trimmed();
    QSignalBlocker block(this);
    if (Size() == 0) {  // no size: back to the last one shown
        setCurrentIndex(findText(lastText_));
        setEditText(lastText_);
        return;
    }
    setCurrentIndex(findText(text));
    setEditText(text);
    lastText_ = text;
    block.unblock();
    if (OnChange) OnChange(this);
}

// ---- preview window ----

TPForm::TPForm(QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("PForm"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    Panel1 = new QLabel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setAutoFillBackground(true);
    QFont f = FontFromStored(QStringLiteral("MS Sans Serif"), 0, fsBold);
    f.setPixelSize(32);
    Panel1->setFont(f);
    layout->addWidget(Panel1);
    resize(263, 76);
}

void TPForm::SetColor(const QColor& c) {
    QPalette p = Panel1->palette();
    p.setColor(QPalette::Window, c);
    Panel1->setPalette(p);
}

// ---- font-name box ----

class FontItemDelegate : public QStyledItemDelegate {
public:
    explicit FontItemDelegate(TWPopOutFntCBox* box) : QStyledItemDelegate(box), box_(box) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        const QRect& r = option.rect;
        p->save();
        p->fillRect(r, option.palette.brush(selected ? QPalette::Highlight : QPalette::Base));
        p->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        p->setFont(option.font);
        p->drawText(r.adjusted(4, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                    index.data(Qt::DisplayRole).toString());
        if (box_->moveUsedToTop_ && index.row() == box_->lastUsed_) {
            // Two lines under the last font chosen: the used fonts end here.
            for (int fromBottom : {3, 1}) {
                const int y = r.y() + r.height() - fromBottom;
                p->drawLine(r.left(), y, r.right(), y);
            }
        }
        p->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        return {option.rect.width(), QFontMetrics(option.font).height() + 4};
    }

private:
    TWPopOutFntCBox* box_;
};

TWPopOutFntCBox::TWPopOutFntCBox(QWidget* parent) : QComboBox(parent) {
    auto* style = new DropDownListStyle;  // follows the application's style
    style->setParent(this);
    setStyle(style);
    setItemDelegate(new FontItemDelegate(this));
    setMaxVisibleItems(8);
    preview_ = new TPForm(this);
    preview_->resize(popUpWidth_, popUpHeight_);
    preview_->SetColor(toQColor(clWhite));
    FillItems();
    connect(this, &QComboBox::activated, this, &TWPopOutFntCBox::Chosen);
    connect(this, &QComboBox::highlighted, this, &TWPopOutFntCBox::Highlighted);
}

TWPopOutFntCBox::~TWPopOutFntCBox() = default;

void TWPopOutFntCBox::FillItems() {
    RebuildSharedFontList();
    {
        QSignalBlocker block(this);
        clear();
        addItems(SharedFontList());
    }
    SetFontName(fontName_);
}

void TWPopOutFntCBox::SetFontName(const QString& Value) {
    fontName_ = Value;
    const int index = findText(Value, Qt::MatchFixedString);
    {
        QSignalBlocker block(this);
        setCurrentIndex(index);
    }
    setPlaceholderText(index < 0 ? Value : QString());
    QFont f = preview_->Panel1->font();
    f.setFamily(SubstituteFontName(Value));
    preview_->Panel1->setFont(f);
}

void TWPopOutFntCBox::SetPreviewText(const QString& Value) {
    previewText_ = Value;
    preview_->Panel1->setText(Value);
}

void TWPopOutFntCBox::SetPopUpWidth(int Value) {
    popUpWidth_ = Value;
    preview_->resize(popUpWidth_, popUpHeight_);
}

void TWPopOutFntCBox::SetPopUpHeight(int Value) {
    popUpHeight_ = Value;
    preview_->resize(popUpWidth_, popUpHeight_);
}

QPoint TWPopOutFntCBox::PreviewPosition(const QRect& boxOnScreen, const QSize& preview,
                                        const QRect& screen) {
    QPoint at(boxOnScreen.x() + boxOnScreen.width(), boxOnScreen.y() + boxOnScreen.height());
    if (at.x() + preview.width() > screen.x() + screen.width())
        at.setX(boxOnScreen.x() - preview.width());
    if (at.y() + preview.height() > screen.y() + screen.height())
        at.setY(boxOnScreen.y() - preview.height());
    return at;
}

void TWPopOutFntCBox::showPopup() {
    droppedDown_ = true;
    if (attachedEdit_) {
        const QString selected = SelectedTextOf(attachedEdit_);
        SetPreviewText(selected.isEmpty() ? kDefaultPreview : selected);
    }
    if (count() == 0) FillItems();
    QComboBox::showPopup();
    if (OnDropDown) OnDropDown(this);
    const QRect box(mapToGlobal(QPoint(0, 0)), size());
    const QRect screenRect =
        screen() ? screen()->geometry() : QRect(box.topLeft(), QSize(1 << 20, 1 << 20));
    preview_->move(PreviewPosition(box, preview_->size(), screenRect));
    Highlighted(currentIndex());
    preview_->show();
}

void TWPopOutFntCBox::hidePopup() {
    QComboBox::hidePopup();
    droppedDown_ = false;
    preview_->hide();
    // Qt reports the item picked in the list just after closing it; whichever order the
    // platform uses, a choice arriving now came from the list.
    closingUp_ = true;
    QTimer::singleShot(0, this, [this] { closingUp_ = false; });
}

void TWPopOutFntCBox::Highlighted(int index) {
    if (index < 0) return;
    QFont f = preview_->Panel1->font();
    f.setFamily(SubstituteFontName(itemText(index)));
    preview_->Panel1->setFont(f);
    preview_->SetColor(palette().color(QPalette::ToolTipBase));
    if (previewText_.isEmpty()) preview_->Panel1->setText(kDefaultPreview);
}

void TWPopOutFntCBox::Chosen(int index) {
    const bool fromList = droppedDown_ || closingUp_;
    closingUp_ = false;
    if (index < 0) return;
    if (fromList && moveUsedToTop_ && index > 0) {
        const QString face = itemText(index);
        {
            QSignalBlocker block(this);
            removeItem(index);
            insertItem(0, face);
            setCurrentIndex(0);
        }
        if (index > lastUsed_) ++lastUsed_;
        index = 0;
    }
    SetFontName(itemText(index));
    if (OnClick) OnClick(this);
    if (OnChange) OnChange(this);
}

void TWPopOutFntCBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QComboBox::mouseDoubleClickEvent(event);
    if (OnDblClick) OnDblClick(this);
}

}  // namespace kiv
