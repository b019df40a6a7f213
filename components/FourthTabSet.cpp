#include "components/FourthTabSet.h"

#include <QContextMenuEvent>
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeySequence>
#include <QMenu>
#include <QMouseEvent>
#include <QShortcutEvent>
#include <algorithm>

#include "components/FourthScroller.h"
#include "platform/core/KivError.h"

namespace kiv {

namespace {

// The accelerator of a caption: the character after a single "&" ("&&" is a literal
// ampersand); a null character when there is none.
QChar AcceleratorOf(const QString& caption) {
    for (int i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != QLatin1Char('&')) continue;
        if (caption[i + 1] != QLatin1Char('&')) return caption[i + 1];
        ++i;
    }
    return {};
}

}  // namespace

// ---- margins and tab list -------------------------------------------------------------

void TFourthTabSetMargins::Store(int& field, int value) {
    if (field == value) return;
    field = value;
    owner_->Changed();
}

const QString& TFourthTabList::operator[](int index) const {
    CheckIndex(index, Count());
    if (!onDemand_) return items_[index];
    auto it = made_.find(index);
    if (it == made_.end()) it = made_.emplace(index, text_ ? text_(index) : QString()).first;
    return it->second;
}

QStringList TFourthTabList::Strings() const {
    if (!onDemand_) return items_;
    QStringList all;
    all.reserve(Count());
    for (int i = 0; i < Count(); ++i) all.append((*this)[i]);
    return all;
}

void TFourthTabList::MakeAll() {
    if (!onDemand_) return;
    QStringList all = Strings();
    EndOnDemand();
    items_.swap(all);
}

void TFourthTabList::EndOnDemand() {
    onDemand_ = false;
    demandCount_ = 0;
    text_ = nullptr;
    made_.clear();
}

void TFourthTabList::SetMadeOnDemand(int count, TTabText text) {
    items_.clear();
    made_.clear();
    onDemand_ = true;
    demandCount_ = std::max(0, count);
    text_ = std::move(text);
    owner_->tabIndex_ = std::min(owner_->tabIndex_, Count() - 1);
    owner_->TabsChanged();
}

void TFourthTabList::Remake(int index) {
    CheckIndex(index, Count());
    if (!onDemand_) return;
    made_.erase(index);
    owner_->Changed();
}

void TFourthTabList::CheckIndex(int index, int count) const {
    if (index < 0 || index >= count)
        throw EKivError("List index out of bounds (" + std::to_string(index) + ")");
}

int TFourthTabList::IndexOf(const QString& s) const {
    for (int i = 0; i < Count(); ++i)
        if ((*this)[i].compare(s, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

void TFourthTabList::Put(int index, const QString& s) {
    CheckIndex(index, Count());
    if (onDemand_) made_[index] = s;
    else items_[index] = s;
    owner_->TabsChanged();
}

int TFourthTabList::Add(const QString& s) {
    MakeAll();
    items_.append(s);
    owner_->TabsChanged();
    return Count() - 1;
}

void TFourthTabList::Insert(int index, const QString& s) {
    CheckIndex(index, Count() + 1);
    MakeAll();
    items_.insert(index, s);
    if (index <= owner_->tabIndex_) ++owner_->tabIndex_;
    owner_->TabsChanged();
}

void TFourthTabList::AddStrings(const QStringList& list) {
    ++owner_->updateCount_;
    MakeAll();
    items_.append(list);
    --owner_->updateCount_;
    owner_->TabsChanged();
}

void TFourthTabList::Delete(int index) {
    CheckIndex(index, Count());
    MakeAll();
    items_.removeAt(index);
    const bool selectedGone = index == owner_->tabIndex_;
    owner_->tabIndex_ = std::min(owner_->tabIndex_, Count() - 1);
    owner_->TabsChanged();
    if (selectedGone && owner_->OnClick) owner_->OnClick(owner_);
}

void TFourthTabList::Clear() {
    if (Count() == 0 && !onDemand_ && owner_->tabIndex_ == -1) return;
    items_.clear();
    EndOnDemand();
    owner_->tabIndex_ = -1;
    owner_->TabsChanged();
}

// ---- the strip ------------------------------------------------------------------------

TFourthTabSet::TFourthTabSet(QWidget* parent)
    : QWidget(parent),
      options_(this),
      margins_(this),
      tabs_(this),
      scroller_(new TFourthScroller(this)) {
    resize(185, 21);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);  // OnMouseMove fires without a button held
    scroller_->hide();
    scroller_->move(scroller_->x(), 5);
    scroller_->OnClick = [this](TFourthScroller* s) {
        if (!inLayout_) SetFirstIndex(s->Position());
    };
}

TFourthTabSet::~TFourthTabSet() = default;

void TFourthTabSet::Changed() {
    layoutDirty_ = true;
    if (updateCount_ == 0) update();
}

void TFourthTabSet::TabsChanged() {
    Changed();
    if (updateCount_ == 0) GrabAccelerators();
}

void TFourthTabSet::SetAutoScroll(bool v) {
    if (autoScroll_ == v) return;
    autoScroll_ = v;
    scroller_->hide();
    Changed();
}

void TFourthTabSet::SetDisabledTabs(const QStringList& list) {
    disabledTabs_ = list;
    Changed();
}

void TFourthTabSet::SetOrientation(TFourthTabSetOrientation v) {
    orientation_ = v;
    Changed();
}

void TFourthTabSet::SetStyle(TFourthTabStyle v) {
    style_ = v;
    Changed();
}

void TFourthTabSet::SetTabHeight(int v) {
    tabHeightSetting_ = v;
    Changed();
}

void TFourthTabSet::SetTabs(const QStringList& list) {
    tabs_.EndOnDemand();
    tabs_.items_ = list;
    TabsChanged();
    SetTabIndex(-1);
    if (tabs_.Count() > 0) SetTabIndex(0);
    // An owner that refused both changes still gets an index within the new list.
    tabIndex_ = std::min(tabIndex_, tabs_.Count() - 1);
}

bool TFourthTabSet::TabEnabled(int index) const {
    if (index < 0 || index >= tabs_.Count()) return true;
    if (disabledTabs_.isEmpty()) return true;
    const QString& caption = tabs_[index];
    return std::none_of(disabledTabs_.begin(), disabledTabs_.end(), [&](const QString& d) {
        return d.compare(caption, Qt::CaseInsensitive) == 0;
    });
}

void TFourthTabSet::SetTabIndex(int v) {
    if (v == tabIndex_) return;
    if (v < -1 || v >= tabs_.Count()) throw EKivError("Tab index out of bounds");
    if (!TabEnabled(v)) return;
    bool allow = true;
    if (OnChange) OnChange(this, v, allow);
    // A handler that refilled the strip may have taken the tab away.
    if (!allow || v >= tabs_.Count()) return;
    EnsureLayout();  // what changed before is laid out before this tab is brought into view
    tabIndex_ = v;
    fixPending_ = true;
    Changed();
    if (OnClick) OnClick(this);
}

int TFourthTabSet::VisibleTabs() {
    EnsureLayout();
    return visibleTabs_;
}

int TFourthTabSet::FirstIndex() {
    EnsureLayout();
    return firstIndex_;
}

void TFourthTabSet::SetFirstIndex(int v) {
    v = std::clamp(v, 0, std::max(0, tabs_.Count() - 1));
    if (v == firstIndex_) return;
    firstIndex_ = v;
    Changed();
}

std::vector<TFourthTabSet::TTabPos> TFourthTabSet::TabPositions() {
    EnsureLayout();
    return positions_;
}

int TFourthTabSet::ComputedTabHeight() const {
    if (style_ == tsOwnerDraw) return tabHeightSetting_;
    return margins_.textTop_ + margins_.textBottom_ + QFontInfo(font()).pixelSize() + 3;
}

// ---- layout ---------------------------------------------------------------------------

void TFourthTabSet::DrawTab(QPainter& TabCanvas, const QRect& R, int Index, bool Selected) {
    if (OnDrawTab) OnDrawTab(this, TabCanvas, R, Index, Selected);
}

void TFourthTabSet::MeasureTab(int Index, int& TabWidth) {
    if (OnMeasureTab) OnMeasureTab(this, Index, TabWidth);
}

int TFourthTabSet::TabWidth(int index) {
    QFont f = font();
    if (options_.boldSelected_) f.setBold(true);
    int w =
        QFontMetrics(f).horizontalAdvance(tabs_[index]) + margins_.textLeft_ + margins_.textRight_;
    if (style_ == tsOwnerDraw) MeasureTab(index, w);
    return w;
}

int TFourthTabSet::TabSpan(int index) { return TabEnabled(index) ? TabWidth(index) + kTabGap : 0; }

int TFourthTabSet::StartX() const { return margins_.start_ + kTabGap; }
int TFourthTabSet::EndX() const { return width() - margins_.end_; }

int TFourthTabSet::CalcTabPositions(int start, int stop, int first, std::vector<TTabPos>* out) {
    if (out) out->clear();
    int x = start, index = first;
    while (x < stop && index < tabs_.Count()) {
        if (!TabEnabled(index)) {
            // Takes no space; drawing and clicking pass over it.
            if (out) out->push_back(out->empty() ? TTabPos{int16_t(x), 0} : out->back());
            ++index;
            continue;
        }
        const int left = x, w = TabWidth(index);
        x += w + kTabGap;
        if (x > stop) break;
        if (out) out->push_back({int16_t(left), int16_t(w)});
        ++index;
    }
    return index - first;
}

// A hidden strip gets its resize event only when shown: its width is compared too.
void TFourthTabSet::EnsureLayout() {
    if (layoutDirty_ || layoutWidth_ != width()) UpdateLayout();
}

// The row runs from StartX to EndX; when the tabs do not all fit it ends before the
// scroller (its width and 4 pixels), and bringing a tab into view uses that same end.
void TFourthTabSet::UpdateLayout() {
    if (inLayout_) return;
    inLayout_ = true;
    layoutDirty_ = false;
    layoutWidth_ = width();
    tabHeight_ = ComputedTabHeight();
    firstIndex_ = std::clamp(firstIndex_, 0, std::max(0, tabs_.Count() - 1));
    const int start = StartX();
    int stop = EndX();
    bool scroll = false;
    auto layout = [&] {
        stop = EndX();
        visibleTabs_ = CalcTabPositions(start, stop, firstIndex_, &positions_);
        scroll = autoScroll_ && visibleTabs_ < tabs_.Count();
        if (scroll) {
            stop -= scroller_->width() + 4;
            visibleTabs_ = CalcTabPositions(start, stop, firstIndex_, &positions_);
        }
    };
    layout();
    if (fixPending_) {
        fixPending_ = false;
        const int before = firstIndex_;
        FixTabPos(stop);
        if (firstIndex_ != before) layout();
    }
    if (scroll) {
        scroller_->move(width() - scroller_->width() - 2, 5);
        scroller_->SetMin(0);
        scroller_->SetMax(tabs_.Count() - visibleTabs_);
        scroller_->SetPosition(firstIndex_);
        scroller_->show();
    } else {
        scroller_->hide();
    }
    inLayout_ = false;
}

void TFourthTabSet::FixTabPos(int stop) {
    // A list replaced under a selection not yet moved (SetTabs) has nothing to bring in.
    if (tabIndex_ < 0 || tabIndex_ >= tabs_.Count()) return;
    if (tabIndex_ < firstIndex_) {
        firstIndex_ = tabIndex_;
        return;
    }
    if (tabIndex_ < firstIndex_ + visibleTabs_) return;
    // Walk back from the selected tab while the tabs up to it fit in the row.
    int avail = stop - StartX(), first = tabIndex_;
    for (int i = tabIndex_; i >= 0; --i) {
        avail -= TabSpan(i);
        if (avail < 0) break;
        first = i;
    }
    firstIndex_ = first;
}

void TFourthTabSet::resizeEvent(QResizeEvent*) {
    const int count = tabs_.Count();
    if (count > 1) {
        const int n = CalcTabPositions(StartX(), EndX(), 0, nullptr);
        if (n > visibleTabs_ || n == count) firstIndex_ = count - n;
        fixPending_ = true;
    }
    Changed();
}

void TFourthTabSet::changeEvent(QEvent* e) {
    if (e->type() == QEvent::FontChange) Changed();
    QWidget::changeEvent(e);
}

// ---- mouse and keys -------------------------------------------------------------------

int TFourthTabSet::BandY(int y) const { return orientation_ == toTop ? height() - 1 - y : y; }

TFourthTabSet::TMouseButton TFourthTabSet::ButtonOf(Qt::MouseButton b) {
    return b == Qt::RightButton ? mbRight : b == Qt::MiddleButton ? mbMiddle : mbLeft;
}

void TFourthTabSet::mousePressEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    EnsureLayout();
    const int y = BandY(p.y());
    if (e->button() == Qt::LeftButton && y >= 0 && y <= tabHeight_) {
        // A tab's edges are drawn 4 pixels out; the top half slants in by one.
        const int extra = y < tabHeight_ / 2 ? 3 : 4;
        for (int i = 0; i < int(positions_.size()); ++i) {
            const int index = firstIndex_ + i;
            const TTabPos& t = positions_[i];
            if (!TabEnabled(index)) continue;
            if (p.x() >= t.Left - extra && p.x() <= t.Left + t.Width + extra) {
                SetTabIndex(index);
                break;
            }
        }
    }
    if (OnMouseDown) OnMouseDown(this, ButtonOf(e->button()), ShiftStateOf(e), p.x(), p.y());
}

void TFourthTabSet::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    if (OnMouseMove) OnMouseMove(this, ShiftStateOf(e), p.x(), p.y());
}

void TFourthTabSet::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    if (OnMouseUp) OnMouseUp(this, ButtonOf(e->button()), ShiftStateOf(e), p.x(), p.y());
}

QMenu* TFourthTabSet::PopupMenu() const { return popupMenu_; }
void TFourthTabSet::SetPopupMenu(QMenu* menu) { popupMenu_ = menu; }

void TFourthTabSet::contextMenuEvent(QContextMenuEvent* e) {
    if (!popupMenu_) return QWidget::contextMenuEvent(e);
    popupMenu_->popup(e->globalPos());
}

int TFourthTabSet::TabAtPos(QPoint p) {
    if (p.y() < 0 || p.y() >= height()) return -1;
    EnsureLayout();
    for (int i = 0; i < int(positions_.size()); ++i) {
        const TTabPos& t = positions_[i];
        if (TabEnabled(firstIndex_ + i) && p.x() >= t.Left && p.x() <= t.Left + t.Width) return i;
    }
    return -1;
}

bool TFourthTabSet::DialogChar(QChar key) {
    if (tabs_.onDemand_) return false;
    for (int i = 0; i < tabs_.Count(); ++i) {
        const QChar a = AcceleratorOf(tabs_.items_[i]);
        if (a.isNull() || a.toUpper() != key.toUpper()) continue;
        if (i != tabIndex_) SetTabIndex(i);
        return true;
    }
    return false;
}

// Alt and the accelerator of a caption reach the strip from anywhere in its window.
void TFourthTabSet::GrabAccelerators() {
    for (const auto& [id, key] : accelerators_) releaseShortcut(id);
    accelerators_.clear();
    if (tabs_.onDemand_) return;
    for (const QString& caption : tabs_.items_) {
        const QChar a = AcceleratorOf(caption).toUpper();
        if (a.isNull() || std::any_of(accelerators_.begin(), accelerators_.end(),
                                      [&](const auto& g) { return g.second == a; }))
            continue;
        accelerators_.emplace_back(grabShortcut(QKeySequence::mnemonic(caption)), a);
    }
}

bool TFourthTabSet::event(QEvent* e) {
    if (e->type() == QEvent::Shortcut) {
        const int id = static_cast<QShortcutEvent*>(e)->shortcutId();
        for (const auto& [grabbed, key] : accelerators_)
            if (grabbed == id) return DialogChar(key);
    }
    return QWidget::event(e);
}

}  // namespace kiv
