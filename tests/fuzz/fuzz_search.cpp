// Search over arbitrary input: keywords from any text, a walk over arbitrary outline and
// card files. No crash or hang; keywords are never empty and are already upper case; a
// hit's trail ends at the item it names.
//
// Input: u8 flags, u16 keyword-text length, the keyword text, u32 outline length, the
// outline file's bytes, the card file's bytes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/core/NestFunctions.h"
#include "engine/core/Search.h"
#include "platform/core/BlockFile.h"
#include "platform/core/KivError.h"
#include "platform/core/KivStrings.h"
#include "platform/core/UnicodeText.h"

using namespace kiv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const uint8_t flags = data[0];
    const size_t textLength = std::min<size_t>(GetU16(data + 1), size - 3);
    const std::string text(reinterpret_cast<const char*>(data + 3), textLength);
    size_t at = 3 + textLength;

    TSearchRequest r;
    r.Keywords = SearchKeywords(text, flags & 1);
    for (const std::string& k : r.Keywords)
        if (k.empty() || UnicodeText::UpperCaseUtf8(k) != k) std::abort();

    // The same text as a text card and as a caption, against the keywords.
    const TSearchKeywords keywords(r.Keywords);
    const TTopicMatch m = MatchTopic(keywords, flags & 2, &text, &text);
    if (m.Title < 0 || size_t(m.Title) > keywords.Count() || size_t(m.Text) > keywords.Count())
        std::abort();

    if (at + 4 > size || r.Keywords.empty()) return 0;
    const size_t outlineLength = std::min<size_t>(GetU32(data + at), size - at - 4);
    at += 4;
    MemoryBlockFile outline(std::string(reinterpret_cast<const char*>(data + at), outlineLength));
    MemoryBlockFile cards(std::string(reinterpret_cast<const char*>(data + at + outlineLength),
                                      size - at - outlineLength));
    r.AndMode = flags & 2;
    r.InTitle = flags & 4;
    r.InText = flags & 8;
    r.Index = (flags & 16) ? int(flags >> 5) : -1;
    r.StartNest = ReadRootNest(&outline);
    TSearchEvents e;
    e.OnStep = [](size_t tested) { return tested < 20000; };  // shared sub-trees can multiply paths
    e.OnHit = [&](const TSearchHit& hit) {
        if (hit.TrailCount() == 0) std::abort();
        TNestItem item;
        const TNode last = hit.TrailNode(hit.TrailCount() - 1);
        if (!GetNestItem(&outline, last.ParentNest, int(last.Index), item) ||
            !(item == last.Item()))
            std::abort();
    };
    try {
        RunSearch(&outline, &cards, r, e);
    } catch (const EKivError&) {
        // A damaged file.
    }
    return 0;
}
