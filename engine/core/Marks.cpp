#include "engine/core/Marks.h"

#include "engine/core/Cards.h"
#include "engine/core/OutlineEdits.h"
#include "platform/core/KivStrings.h"
#include "platform/core/LegacyText.h"

namespace kiv {

namespace {
constexpr char kSeparatorBytes[16] = {1, 1, 1, 1, char(0xFE), char(0xFF), char(0xFF), char(0xFF),
                                      1, 1, 1, 1, 1,          1,          1,          1};

// Loads a part into the list and deletes what validate refuses; returns how many went.
int LoadPart(std::string_view part, TQuickJump& list,
             const std::function<bool(TNavigator&)>& validate) {
    if (part.size() < kNodeRecordSize) return 0;
    list.LoadFromString(part);
    if (!validate) return 0;
    int dropped = 0;
    for (int i = list.Count() - 1; i >= 0; --i)
        if (!validate(*list.Navigator(i))) {
            list.Delete(i);
            ++dropped;
        }
    if (list.CurrentIndex() >= list.Count()) list.SetCurrentIndex(list.Count() > 0 ? 0 : -1);
    return dropped;
}
}  // namespace

const std::string_view kMarksListSeparator(kSeparatorBytes, sizeof kSeparatorBytes);

std::string SerializeMarks(const TQuickJump& threads, const TQuickJump& quickJumps) {
    std::string s = threads.SaveToString();
    s += kMarksListSeparator;
    s += quickJumps.SaveToString();
    return s;
}

TMarksRead DeserializeMarks(std::string_view blob, TQuickJump& threads, TQuickJump& quickJumps,
                            const std::function<bool(TNavigator&)>& validate) {
    TMarksRead r;
    const size_t n = kMarksListSeparator.size();
    for (size_t off = 0; off + n <= blob.size(); off += n) {
        if (blob.substr(off, n) != kMarksListSeparator) continue;
        r.Split = true;
        r.ThreadsDropped = LoadPart(blob.substr(0, off), threads, validate);
        // A damaged tail shorter than a record is left out.
        std::string_view rest = blob.substr(off + n);
        r.QuickJumpsDropped = LoadPart(rest.substr(0, rest.size() / n * n), quickJumps, validate);
        break;
    }
    return r;
}

std::string TrailCaptions(const TNavigator& trail) {
    std::string s;
    for (int i = 0; i < trail.Count(); ++i) {
        if (i) s += " / ";
        const std::string c = trail.GetCaption(i);
        s += LegacyText::Decode(ShortCaption(c, c.size()));
    }
    return s;
}

std::string DumpMarks(BlockFile* nestFile, BlockFile* cardFile) {
    TDBCards db;
    db.SetCardFile(cardFile);
    db.LoadDirAddress();
    std::string blob;
    db.ReadCard(kDBCardMarks, blob);
    TCards cards;
    cards.SetCardFile(cardFile);
    TQuickJump threads, quickJumps;
    const TMarksRead r = DeserializeMarks(blob, threads, quickJumps, [&](TNavigator& t) {
        return ValidateTrail(nestFile, cards, t);
    });
    std::string out;
    auto list = [&](const char* title, const TQuickJump& marks, int dropped) {
        out += title;
        out += '\n';
        for (int i = 0; i < marks.Count(); ++i)
            out += "  " + IntToStr(i) + ". " + TrailCaptions(*marks.Navigator(i)) + '\n';
        if (dropped) out += "  dropped: " + IntToStr(dropped) + '\n';
    };
    list("Threads", threads, r.ThreadsDropped);
    list("QuickJumps", quickJumps, r.QuickJumpsDropped);
    return out;
}

}  // namespace kiv
