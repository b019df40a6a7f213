#include "engine/core/RecycledBin.h"

#include "engine/core/NesterError.h"
#include "platform/core/KivStrings.h"

namespace kiv {

static const std::string kNewFormMarker(kRecycledMarkerSize, '\xFF');

void TRecycledBin::Add(const TRecycledRecord& record) { records_.push_back(record); }

TRecycledRecord TRecycledBin::GetItem(int i) const {
    return (i >= 0 && i < Count()) ? records_[size_t(i)] : TRecycledRecord{};
}

void TRecycledBin::Delete(int i) {
    if (i < 0 || i >= Count()) return;
    records_.erase(records_.begin() + i);
    if (i < Trails.Count()) Trails.Delete(i);
}

void TRecycledBin::Clear() {
    while (Count() > 0) Delete(Count() - 1);
    Trails.Clear();
}

int TRecycledBin::IndexOf(const TRecycledRecord& r) const {
    for (int i = 0; i < Count(); ++i) {
        const TRecycledRecord& e = records_[size_t(i)];
        if (e == r || (r.CardDir != 0 && e.CardDir == r.CardDir) ||
            (r.ChildNest != 0 && e.ChildNest == r.ChildNest))
            return i;
    }
    return -1;
}

std::string TRecycledBin::ItemCaption(int i, TCards& cards) const {
    std::string text;
    if (i >= 0 && i < Count()) cards.ReadCard(kCardCaption, records_[size_t(i)].CardDir, text);
    size_t mark = text.find('\x01');
    if (mark != std::string::npos && mark < 10) text.erase(0, mark + 1);
    return ShortCaption(text, kShortCaptionLength);
}

std::string TRecycledBin::SaveToString() const {
    if (Trails.Count() == 0) {
        std::string s;
        s.reserve(records_.size() * kRecycledRecordSize);
        for (const TRecycledRecord& r : records_) {
            AppendU32(s, r.ParentNest);
            AppendU32(s, r.CardDir);
            AppendU32(s, r.ChildNest);
        }
        return s;
    }
    return kNewFormMarker + Trails.SaveToString();
}

void TRecycledBin::LoadFromString(std::string_view text) {
    Clear();
    if (text.empty()) return;
    if (text.substr(0, kRecycledMarkerSize) != kNewFormMarker) {
        const size_t n = text.size() / kRecycledRecordSize;
        for (size_t k = 0; k < n; ++k) {
            const char* p = text.data() + k * kRecycledRecordSize;
            records_.push_back({GetU32(p), GetU32(p + 4), GetU32(p + 8)});
        }
        return;
    }
    Trails.LoadFromString(text.substr(kRecycledMarkerSize));
    for (int t = 0; t < Trails.Count(); ++t) {
        TNavigatorPtr nav = Trails.Navigator(t);
        TNode last = nav->GetNode(nav->LastIndex());
        records_.push_back({last.ParentNest, last.CardDir, last.ChildNest});
    }
}

TRecycledBin& RecycledBin() {
    static TRecycledBin bin;
    return bin;
}

TRecycledBin& LostBin() {
    static TRecycledBin bin;
    return bin;
}

namespace {
std::function<void()>& StoreWriter() {
    static std::function<void()> writer;
    return writer;
}
}  // namespace

void SetRecycledStoreWriter(std::function<void()> writer) { StoreWriter() = std::move(writer); }

void StoreRecycledBins() {
    if (StoreWriter()) StoreWriter()();
}

void ChangeStoredBins(TRecycledBin& recycled, TRecycledBin& lost,
                      const std::function<void()>& change) {
    const std::string recycledBefore = recycled.SaveToString(), lostBefore = lost.SaveToString();
    try {
        change();
        StoreRecycledBins();
    } catch (...) {
        recycled.LoadFromString(recycledBefore);
        lost.LoadFromString(lostBefore);
        // One of the two cards may have been stored: both go back (should that fail too,
        // an entry is in both bins, which loses nothing).
        try {
            StoreRecycledBins();
        } catch (...) {
        }
        throw;
    }
}

void WriteRecycledCards(TDBCards& db) {
    if (!db.CardFile()) return;
    if (!db.WriteCard(kDBCardLostBin, LostBin().SaveToString()))
        throw ENesterError(
            "Datastructure is corrupted, its card directory has no room for the lost branches");
    db.CardFile()->Sync();
    if (!db.WriteCard(kDBCardRecycled, RecycledBin().SaveToString()))
        throw ENesterError(
            "Datastructure is corrupted, its card directory has no room for the Recycled Bin");
    db.CardFile()->Sync();
}

}  // namespace kiv
