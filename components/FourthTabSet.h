#pragma once
// A one-row tab strip drawn entirely by itself, off-screen and then copied: its own
// colours, margins and flat styles, tabs disabled by caption, optional measuring by the
// owner, and a two-arrow scroller at the right end when the tabs do not fit.
//
// Events are std::function members fired only when set, sender first. Setting TabIndex
// in code asks OnChange and fires OnClick as a click does: owners that refill a strip
// guard their handlers themselves.
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

#include "platform/qt/Colors.h"
#include "platform/qt/WinKeys.h"

class QMenu;
class QPainter;

namespace kiv {

class TFourthTabSet;
class TFourthScroller;

enum TFourthTabSetFlatStyle { fsNoFlat, fsMiddleFlat, fsFullFlat };
enum TFourthTabSetOrientation { toBottom, toTop };
enum TFourthTabStyle { tsStandard, tsOwnerDraw };

// The strip's colours and drawing choices; a changed value repaints the strip.
class TFourthTabSetOptions {
public:
    TColor BackgroundColor() const { return background_; }
    void SetBackgroundColor(TColor v) { Store(background_, v); }
    TColor LightColor() const { return light_; }
    void SetLightColor(TColor v) { Store(light_, v); }
    TColor HighlightColor() const { return highlight_; }
    void SetHighlightColor(TColor v) { Store(highlight_, v); }
    TColor ShadowColor() const { return shadow_; }
    void SetShadowColor(TColor v) { Store(shadow_, v); }
    TColor DarkShadowColor() const { return darkShadow_; }
    void SetDarkShadowColor(TColor v) { Store(darkShadow_, v); }
    TFourthTabSetFlatStyle FlatStyle() const { return flatStyle_; }
    void SetFlatStyle(TFourthTabSetFlatStyle v) { Store(flatStyle_, v); }
    TColor SeparatorColor() const { return separator_; }
    void SetSeparatorColor(TColor v) { Store(separator_, v); }
    TColor UnSelectedColor() const { return unselected_; }
    void SetUnSelectedColor(TColor v) { Store(unselected_, v); }
    TColor FaceColor() const { return face_; }
    void SetFaceColor(TColor v) { Store(face_, v); }
    bool BoldSelectedTab() const { return boldSelected_; }
    void SetBoldSelectedTab(bool v) { Store(boldSelected_, v); }
    bool SeparatorOnSide() const { return separatorOnSide_; }
    void SetSeparatorOnSide(bool v) { Store(separatorOnSide_, v); }

private:
    friend class TFourthTabSet;
    explicit TFourthTabSetOptions(TFourthTabSet* owner) : owner_(owner) {}
    template <class T>
    void Store(T& field, T value);

    TFourthTabSet* owner_;
    TColor background_ = clBtnShadow;
    TColor light_ = cl3DLight;
    TColor highlight_ = clBtnHighlight;
    TColor shadow_ = clBtnShadow;
    TColor darkShadow_ = cl3DDkShadow;
    TFourthTabSetFlatStyle flatStyle_ = fsMiddleFlat;
    TColor separator_ = clBtnFace;
    TColor unselected_ = clBtnHighlight;
    TColor face_ = clBtnFace;
    bool boldSelected_ = false;
    bool separatorOnSide_ = true;
};

// The strip's margins in pixels; a changed value repaints the strip.
class TFourthTabSetMargins {
public:
    int StartMargin() const { return start_; }
    void SetStartMargin(int v) { Store(start_, v); }
    int EndMargin() const { return end_; }
    void SetEndMargin(int v) { Store(end_, v); }
    int EdgeHeight() const { return edge_; }
    void SetEdgeHeight(int v) { Store(edge_, v); }
    int TextTopMargin() const { return textTop_; }
    void SetTextTopMargin(int v) { Store(textTop_, v); }
    int TextBottomMargin() const { return textBottom_; }
    void SetTextBottomMargin(int v) { Store(textBottom_, v); }
    int TextLeftMargin() const { return textLeft_; }
    void SetTextLeftMargin(int v) { Store(textLeft_, v); }
    int TextRightMargin() const { return textRight_; }
    void SetTextRightMargin(int v) { Store(textRight_, v); }

private:
    friend class TFourthTabSet;
    explicit TFourthTabSetMargins(TFourthTabSet* owner) : owner_(owner) {}
    void Store(int& field, int value);

    TFourthTabSet* owner_;
    int start_ = 5;
    int end_ = 5;
    int edge_ = 1;
    int textTop_ = 3;
    int textBottom_ = 3;
    int textLeft_ = 2;
    int textRight_ = 0;
};

// The captions of a strip. Every change repaints it; inserting at or before the selected
// tab keeps the same tab selected; deleting keeps TabIndex within the list and, when the
// selected tab went, fires the strip's OnClick; clearing leaves no tab selected.
//
// A long list can be made on demand: Count tabs whose captions are asked for only when a
// tab is laid out, drawn or read, so the strip costs what it shows. Put and Remake change
// one made caption; Add, Insert, Delete and AddStrings make every caption first; Clear and
// SetTabs end it. Captions made on demand take part in no accelerators.
class TFourthTabList {
public:
    using TTabText = std::function<QString(int index)>;

    int Count() const { return onDemand_ ? demandCount_ : int(items_.size()); }
    const QString& operator[](int index) const;
    // Every caption (made ones included).
    QStringList Strings() const;
    int IndexOf(const QString& s) const;

    void Put(int index, const QString& s);
    int Add(const QString& s);
    void Insert(int index, const QString& s);
    // Adds many, painting once.
    void AddStrings(const QStringList& list);
    void Delete(int index);
    void Clear();
    // count tabs, caption i made by text(i) when first needed; painting once.
    void SetMadeOnDemand(int count, TTabText text);
    bool MadeOnDemand() const { return onDemand_; }
    // How many captions were made on demand so far (0 for an ordinary list).
    int MadeCount() const { return int(made_.size()); }
    // Forgets the caption of a tab made on demand, so it is made again when next needed.
    void Remake(int index);

private:
    friend class TFourthTabSet;
    explicit TFourthTabList(TFourthTabSet* owner) : owner_(owner) {}
    void CheckIndex(int index, int count) const;
    // Ends the on-demand mode, every caption made.
    void MakeAll();
    // Ends it, forgetting every caption.
    void EndOnDemand();

    TFourthTabSet* owner_;
    QStringList items_;
    bool onDemand_ = false;
    int demandCount_ = 0;
    TTabText text_;
    mutable std::unordered_map<int, QString> made_;
};

class TFourthTabSet : public QWidget {
    Q_OBJECT
public:
    enum TMouseButton { mbLeft, mbRight, mbMiddle };
    // One laid-out tab: its left edge and width.
    struct TTabPos {
        int16_t Left;
        int16_t Width;
    };

    using TNotifyEvent = std::function<void(TFourthTabSet* Sender)>;
    using TTabChangeEvent =
        std::function<void(TFourthTabSet* Sender, int NewTab, bool& AllowChange)>;
    using TDrawTabEvent = std::function<void(TFourthTabSet* Sender, QPainter& TabCanvas,
                                             const QRect& R, int Index, bool Selected)>;
    using TMeasureTabEvent = std::function<void(TFourthTabSet* Sender, int Index, int& TabWidth)>;
    using TMouseEvent = std::function<void(TFourthTabSet* Sender, TMouseButton Button,
                                           TShiftState Shift, int X, int Y)>;
    using TMouseMoveEvent =
        std::function<void(TFourthTabSet* Sender, TShiftState Shift, int X, int Y)>;

    // Tabs follow each other at their width plus this.
    static constexpr int kTabGap = 9;

    explicit TFourthTabSet(QWidget* parent = nullptr);
    ~TFourthTabSet() override;

    bool AutoScroll() const { return autoScroll_; }
    void SetAutoScroll(bool v);
    // Captions of the tabs that are disabled (compared without regard to case): they take
    // no space, are not drawn and cannot be selected.
    const QStringList& DisabledTabs() const { return disabledTabs_; }
    void SetDisabledTabs(const QStringList& list);
    TFourthTabSetOptions& Options() { return options_; }
    TFourthTabSetMargins& Margins() { return margins_; }
    TFourthTabSetOrientation Orientation() const { return orientation_; }
    void SetOrientation(TFourthTabSetOrientation v);
    QMenu* PopupMenu() const;
    void SetPopupMenu(QMenu* menu);
    TFourthTabStyle Style() const { return style_; }
    void SetStyle(TFourthTabStyle v);
    // The tab height with tsOwnerDraw.
    int TabHeight() const { return tabHeightSetting_; }
    void SetTabHeight(int v);
    TFourthTabList& Tabs() { return tabs_; }
    // Copies the captions; TabIndex goes to -1 and then to 0 when there is a tab.
    void SetTabs(const QStringList& list);
    int TabIndex() const { return tabIndex_; }
    // Raises EKivError("Tab index out of bounds") below -1 or at or past the tab count.
    // A disabled tab, or a change OnChange refuses, leaves the selection as it is;
    // otherwise the tab is stored, brought into view, OnClick fires and the strip repaints.
    void SetTabIndex(int v);

    // Tabs laid out by the latest layout, counted from FirstIndex.
    int VisibleTabs();
    int FirstIndex();
    void SetFirstIndex(int v);
    // The laid-out tabs from FirstIndex (a disabled one repeats the entry before it, or
    // has width 0 at the place it would start when it comes first).
    std::vector<TTabPos> TabPositions();
    // The height of a tab as drawn: from the font and text margins, or TabHeight.
    int ComputedTabHeight() const;
    bool TabEnabled(int index) const;
    // Position, counted from FirstIndex, of the enabled laid-out tab whose span holds x;
    // -1 when none does or the point lies above or below the strip.
    int TabAtPos(QPoint p);
    // A dialog character that is the accelerator ("&x") of a tab caption selects that tab
    // and is consumed.
    bool DialogChar(QChar key);
    TFourthScroller* Scroller() const { return scroller_; }

    TNotifyEvent OnClick;
    TTabChangeEvent OnChange;
    TDrawTabEvent OnDrawTab;  // kept for owners; the strip draws every tab itself
    TMeasureTabEvent OnMeasureTab;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;

protected:
    virtual void DrawTab(QPainter& TabCanvas, const QRect& R, int Index, bool Selected);
    virtual void MeasureTab(int Index, int& TabWidth);

    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    friend class TFourthTabSetOptions;
    friend class TFourthTabSetMargins;
    friend class TFourthTabList;
    class Painter;

    // Something that changes the layout or the look: lay out again, repaint.
    void Changed();
    void TabsChanged();
    int TabWidth(int index);
    // The space a tab takes in the row: its width and the gap, 0 when disabled.
    int TabSpan(int index);
    // Lays out from first between start and stop into out (when given); returns the
    // number of tabs laid out.
    int CalcTabPositions(int start, int stop, int first, std::vector<TTabPos>* out);
    int StartX() const;
    int EndX() const;
    void EnsureLayout();
    void UpdateLayout();
    // Brings the selected tab into view for a row ending at stop.
    void FixTabPos(int stop);
    void Paint(QPainter& p, int bitmapHeight);
    // The y of a point in the strip's own drawing, where the tabs hang from the top.
    int BandY(int y) const;
    void GrabAccelerators();
    static TMouseButton ButtonOf(Qt::MouseButton b);

    TFourthTabSetOptions options_;
    TFourthTabSetMargins margins_;
    TFourthTabList tabs_;
    QStringList disabledTabs_;
    bool autoScroll_ = true;
    TFourthTabSetOrientation orientation_ = toBottom;
    TFourthTabStyle style_ = tsStandard;
    int tabHeightSetting_ = 20;
    int tabIndex_ = -1;
    int firstIndex_ = 0;
    int visibleTabs_ = 0;
    int tabHeight_ = 0;
    std::vector<TTabPos> positions_;
    bool fixPending_ = false;  // bring the selected tab into view at the next layout
    bool layoutDirty_ = true;
    int layoutWidth_ = -1;
    bool inLayout_ = false;
    int updateCount_ = 0;  // TFourthTabList::AddStrings paints once
    TFourthScroller* scroller_;
    QPointer<QMenu> popupMenu_;
    std::vector<std::pair<int, QChar>> accelerators_;  // shortcut id, its character
};

template <class T>
void TFourthTabSetOptions::Store(T& field, T value) {
    if (field == value) return;
    field = value;
    owner_->Changed();
}

}  // namespace kiv
