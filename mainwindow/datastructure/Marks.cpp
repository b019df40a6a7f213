#include "mainwindow/datastructure/Marks.h"

namespace kiv {

namespace {
constexpr char kSeparatorBytes[16] = {1, 1, 1, 1, char(0xFE), char(0xFF), char(0xFF), char(0xFF),
                                      1, 1, 1, 1, 1,          1,          1,          1};

void LoadPart(std::string_view part, TQuickJump& list, const std::function<bool(TNavigator&)>& validate) {
    if (part.empty()) return;
    list.LoadFromString(part);
    if (!validate) return;
    for (int i = list.Count() - 1; i >= 0; --i)
        if (!validate(*list.Navigator(i))) list.Delete(i);
    if (list.CurrentIndex() >= list.Count()) list.SetCurrentIndex(list.Count() > 0 ? 0 : -1);
}
}  // namespace

const std::string_view kMarksListSeparator(kSeparatorBytes, sizeof kSeparatorBytes);

std::string SerializeMarks(const TQuickJump& threads, const TQuickJump& quickJumps) {
    std::string s = threads.SaveToString();
    s += kMarksListSeparator;
    s += quickJumps.SaveToString();
    return s;
}

void DeserializeMarks(std::string_view blob, TQuickJump& threads, TQuickJump& quickJumps,
                      const std::function<bool(TNavigator&)>& validate) {
    const size_t n = kMarksListSeparator.size();
    for (size_t off = 0; off + n <= blob.size(); off += n) {
        if (blob.substr(off, n) != kMarksListSeparator) continue;
        LoadPart(blob.substr(0, off), threads, validate);
        LoadPart(blob.substr(off + n), quickJumps, validate);
        return;
    }
}

}  // namespace kiv
