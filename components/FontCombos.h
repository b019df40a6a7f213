#pragma once
// The font bar's two boxes: font sizes for one font, and font names with a preview of
// each face beside the open list and the fonts chosen last at its top. Stored names
// ("MS Sans Serif", "Arial") are kept as they are and drawn through the substitution of
// the platform layer.
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <functional>

#include "platform/qt/Colors.h"

namespace kiv {

// The one sorted list of scalable font families of the program (no duplicates), filled
// on first use. Families come without their foundry ("Nimbus Sans", not "Nimbus Sans
// [urw]").
const QStringList& SharedFontList();
void RebuildSharedFontList();
// Whether the family that draws a stored name scales to any size.
bool IsScalableFont(const QString& storedName);

// The sizes offered for every scalable font.
extern const char* const kScalableFontSizes[16];

// A font size box: editable, listing the sizes of its font. Only the user changes the
// text's size: picking an item or typing a size and pressing Enter (or leaving the box)
// fires OnChange; rebuilding the list or showing a size fires nothing.
class TFontSizeComboBox : public QComboBox {
    Q_OBJECT

public:
    using TNotifyEvent = std::function<void(TFontSizeComboBox* Sender)>;

    explicit TFontSizeComboBox(QWidget* parent = nullptr);

    QString FontName() const { return fontName_; }
    // Stores the name and rebuilds the list; the item equal to the text stays selected.
    void SetFontName(const QString& Value);
    // The screen's vertical pixels per inch at the last rebuild.
    int PixelsPerInch() const { return pixelsPerInch_; }

    // Shows a size: its item when listed, else the first larger one, else the last;
    // returns the size shown (the wanted one when the list is empty).
    int ShowSize(int points);
    // The size in the text, or 0 when it holds no size.
    int Size() const;

    TNotifyEvent OnChange;  // the user picked or typed a size
    TNotifyEvent OnClick;   // the user picked an item

private:
    void Rebuild();
    void Picked(int index);
    void Typed();

    QString fontName_;
    int pixelsPerInch_ = 96;
    QString lastText_;  // what a typed text that is no size goes back to
};

// The preview window beside the open list of font names.
class TPForm : public QWidget {
    Q_OBJECT

public:
    explicit TPForm(QWidget* parent = nullptr);
    QLabel* Panel1;
    void SetColor(const QColor& c);
};

class TWPopOutFntCBox : public QComboBox {
    Q_OBJECT

public:
    using TNotifyEvent = std::function<void(TWPopOutFntCBox* Sender)>;

    explicit TWPopOutFntCBox(QWidget* parent = nullptr);
    ~TWPopOutFntCBox() override;

    // The chosen font; setting it selects its item (none when it is not installed, and
    // the box then shows the name) and sets the preview font.
    QString FontName() const { return fontName_; }
    void SetFontName(const QString& Value);
    // Empty shows "AaBbYyZz".
    QString PreviewText() const { return previewText_; }
    void SetPreviewText(const QString& Value);
    int PopUpWidth() const { return popUpWidth_; }
    void SetPopUpWidth(int Value);
    int PopUpHeight() const { return popUpHeight_; }
    void SetPopUpHeight(int Value);
    bool MoveUsedToTop() const { return moveUsedToTop_; }
    void SetMoveUsedToTop(bool Value) { moveUsedToTop_ = Value; }
    // A line or text edit; its selection, when there is one, is the preview text.
    QWidget* AttachedEdit() const { return attachedEdit_; }
    void SetAttachedEdit(QWidget* Value) { attachedEdit_ = Value; }
    int DropDownCount() const { return maxVisibleItems(); }
    void SetDropDownCount(int Value) { setMaxVisibleItems(Value); }

    // The last of the fonts moved to the top (-1 while none was chosen).
    int LastUsedIndex() const { return lastUsed_; }
    bool DroppedDown() const { return droppedDown_; }
    TPForm* Preview() const { return preview_; }

    // Where the preview goes for a box at boxOnScreen: below its right corner, or to the
    // left of the box and above it where the screen ends.
    static QPoint PreviewPosition(const QRect& boxOnScreen, const QSize& preview,
                                  const QRect& screen);

    void showPopup() override;
    void hidePopup() override;

    TNotifyEvent OnChange;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnDropDown;

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    friend class FontItemDelegate;
    void FillItems();
    void Chosen(int index);
    void Highlighted(int index);

    QString fontName_ = QStringLiteral("MS Sans Serif");
    QString previewText_;
    int popUpWidth_ = 300;
    int popUpHeight_ = 75;
    bool moveUsedToTop_ = true;
    QPointer<QWidget> attachedEdit_;
    int lastUsed_ = -1;
    bool droppedDown_ = false;
    bool closingUp_ = false;  // the list just closed: a choice now came from it
    TPForm* preview_ = nullptr;
};

}  // namespace kiv
