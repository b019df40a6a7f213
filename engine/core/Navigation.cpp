#include "engine/core/Navigation.h"

#include <algorithm>

#include "platform/core/KivStrings.h"
#include "platform/core/LegacyText.h"
#include "platform/core/SamePath.h"

namespace kiv {

// ---- captions ----

std::string LineBreaksToBlanks(std::string_view text) {
    std::string s(text);
    for (char& c : s)
        if (c == '\r' || c == '\n') c = ' ';
    return s;
}

std::string ShortCaption(std::string_view text, size_t n) {
    std::string s;
    if (text.size() > n) {
        size_t cut = n;
        // A caption stored as UTF-8 is cut before a character, not inside one.
        if (LegacyText::HasNonAscii(text) && LegacyText::IsValidUtf8(text))
            while (cut > 0 && (uint8_t(text[cut]) & 0xC0) == 0x80) --cut;
        s.assign(text.substr(0, cut));
        s += "...";
    } else {
        s.assign(text);
    }
    s = Trim(LineBreaksToBlanks(s));
    if (s.empty()) s = kUntitled;
    return s;
}

// ---- TNavigator ----

void TNavigator::Add(uint32_t parentNest, uint32_t index, bool fire, std::string_view caption,
                     const TNestItem& item) {
    nodes_.push_back({parentNest, index, item.CardDir, item.ChildNest, std::string(caption)});
    if (fire && OnNodeAdded) OnNodeAdded(this);
}

void TNavigator::Insert(int position, uint32_t parentNest, bool fire, std::string_view caption,
                        const TNestItem& item, uint32_t index) {
    position = std::clamp(position, 0, Count());
    nodes_.insert(nodes_.begin() + position,
                  TNode{parentNest, index, item.CardDir, item.ChildNest, std::string(caption)});
    if (fire && OnNodeAdded) OnNodeAdded(this);
}

void TNavigator::Delete(int i) {
    if (Valid(i)) nodes_.erase(nodes_.begin() + i);
}

void TNavigator::DeleteFrom(int i) {
    if (i >= 0 && i < Count()) nodes_.erase(nodes_.begin() + i, nodes_.end());
    if (OnNodesDeleted) OnNodesDeleted(this);
}

void TNavigator::Clear() { nodes_.clear(); }

TNode TNavigator::GetNode(int i) const { return Valid(i) ? nodes_[size_t(i)] : TNode{}; }

void TNavigator::SetNode(int i, const TNode& node) {
    if (Valid(i)) nodes_[size_t(i)] = node;
}

std::string TNavigator::GetCaption(int i) const {
    return Valid(i) ? nodes_[size_t(i)].Caption : std::string();
}

void TNavigator::SetCaption(int i, std::string_view text) {
    if (Valid(i)) nodes_[size_t(i)].Caption.assign(text);
}

std::string TNavigator::GetShortCaption(int i) const {
    if (!Valid(i)) return {};
    return ShortCaption(nodes_[size_t(i)].Caption, kShortCaptionLength);
}

void TNavigator::Assign(const TNavigator& other) {
    if (&other == this) return;
    ThreadTitle = other.ThreadTitle;
    nodes_ = other.nodes_;
    hoisted_ = other.hoisted_;
}

// ---- TQuickJump ----

TNavigatorPtr TQuickJump::Navigator(int i) const {
    if (i < 0 || i >= Count()) return nullptr;
    if (!maker_) return list_[size_t(i)];
    TNavigatorPtr& nav = made_[i];
    if (!nav) {
        nav = std::make_shared<TNavigator>();
        maker_(i, *nav);
    }
    return nav;
}

void TQuickJump::SetMadeOnDemand(int count, TMakeTrail make) {
    list_.clear();
    made_.clear();
    madeCount_ = std::max(0, count);
    maker_ = make ? std::move(make) : [](int, TNavigator&) {};
}

void TQuickJump::MakeAll() {
    if (!maker_) return;
    std::vector<TNavigatorPtr> all(static_cast<size_t>(madeCount_));
    for (int i = 0; i < madeCount_; ++i) all[size_t(i)] = Navigator(i);
    maker_ = nullptr;
    made_.clear();
    madeCount_ = 0;
    list_.swap(all);
}

TNavigatorPtr TQuickJump::AddNavigator() {
    MakeAll();
    list_.push_back(std::make_shared<TNavigator>());
    if (current_ < 0 || current_ >= Count()) current_ = 0;
    return list_.back();
}

TNavigatorPtr TQuickJump::InsertNavigator(int i) {
    MakeAll();
    i = std::clamp(i, 0, Count());
    auto nav = std::make_shared<TNavigator>();
    list_.insert(list_.begin() + i, nav);
    if (i <= current_) ++current_;
    return nav;
}

void TQuickJump::Delete(int i) {
    if (i < 0 || i >= Count()) return;
    MakeAll();
    list_.erase(list_.begin() + i);
    if (i == current_) current_ = list_.empty() ? -1 : 0;
    else if (i < current_) --current_;
}

void TQuickJump::Clear() {
    maker_ = nullptr;
    made_.clear();
    madeCount_ = 0;
    list_.clear();
    current_ = -1;
}

std::string TQuickJump::TargetCaption(int i) const {
    TNavigatorPtr nav = Navigator(i);
    if (!nav || nav->Count() == 0) return {};
    return nav->GetShortCaption(nav->LastIndex());
}

static const std::string kTrailSeparator(kNodeRecordSize, '\x01');

std::string TQuickJump::SaveToString() const {
    std::string s;
    for (int i = 0; i < Count(); ++i) {
        const TNavigatorPtr nav = Navigator(i);
        for (int k = 0; k < nav->Count(); ++k) {
            TNode n = nav->GetNode(k);
            AppendU32(s, n.ParentNest);
            AppendU32(s, n.Index);
            AppendU32(s, n.CardDir);
            AppendU32(s, n.ChildNest);
        }
        s += kTrailSeparator;
    }
    return s;
}

void TQuickJump::LoadFromString(std::string_view text) {
    if (text.empty()) return;
    // Whole records only: a damaged tail shorter than a record is ignored.
    const size_t records = text.size() / kNodeRecordSize;
    Clear();
    TNavigatorPtr trail = AddNavigator();
    for (size_t r = 0; r < records; ++r) {
        std::string_view rec = text.substr(r * kNodeRecordSize, kNodeRecordSize);
        if (rec == kTrailSeparator) {
            if (trail->Count() > 0) trail = AddNavigator();
            continue;
        }
        const char* p = rec.data();
        trail->Add(GetU32(p), GetU32(p + 4), true, kStoredCaption,
                   TNestItem{GetU32(p + 8), GetU32(p + 12)});
    }
    if (trail->Count() == 0) Delete(Count() - 1);
}

// ---- TBookMark ----

void TBookMark::SetCardFile(BlockFile* f) {
    cardFile_ = f;
    Cards.SetCardFile(f);
}

void TBookMark::SetHoisted(bool hoisted) {
    if (!hoisted) HoistStack.Clear();
}

// ---- TInterBase1 ----

static std::string NameOfPath(const std::string& path) {
    size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.find('.');
    if (dot != std::string::npos) name.resize(dot);
    return name;
}

int TInterBase1::Add(const std::string& path) {
    auto b = std::make_shared<TBookMark>();
    b->Path = path;
    b->Name = NameOfPath(path);
    list_.push_back(std::move(b));
    return Count() - 1;
}

void TInterBase1::Open(const std::string& path) {
    int i = IndexOfPath(path);
    if (i < 0) i = Add(path);
    Select(i);
}

void TInterBase1::Select(int i) {
    if (!Valid(i)) return;
    current_ = i;
    // The handler may change the list; the path is taken first.
    std::string path = list_[size_t(i)]->Path;
    if (OnCurrentChanged) OnCurrentChanged(this, path);
}

int TInterBase1::CurrentIndex() {
    if (!Valid(current_)) current_ = -1;
    return current_;
}

int TInterBase1::IndexOfPath(const std::string& path) const {
    for (int i = 0; i < Count(); ++i)
        if (SamePath(list_[size_t(i)]->Path, path)) return i;
    return -1;
}

TBookMarkPtr TInterBase1::BookMark(int i) const { return Valid(i) ? list_[size_t(i)] : nullptr; }

TBookMarkPtr TInterBase1::SetBookMark(int i, TBookMarkPtr b) {
    if (!Valid(i)) return b;
    std::swap(list_[size_t(i)], b);
    return b;
}

std::string TInterBase1::GetPath(int i) const {
    return Valid(i) ? list_[size_t(i)]->Path : std::string();
}

std::string TInterBase1::GetName(int i) const {
    return Valid(i) ? list_[size_t(i)]->Name : std::string();
}

void TInterBase1::SetName(int i, const std::string& name) {
    if (Valid(i)) list_[size_t(i)]->Name = name;
}

void TInterBase1::Delete(int i) {
    if (Valid(i)) list_.erase(list_.begin() + i);
}

void TInterBase1::Clear() {
    list_.clear();
    current_ = -1;
}

// ---- the run's globals ----

const TNavigatorPtr& Navigator() {
    static const TNavigatorPtr nav = std::make_shared<TNavigator>();
    return nav;
}

TInterBase1& InterBase() {
    static TInterBase1 base;
    return base;
}

}  // namespace kiv
