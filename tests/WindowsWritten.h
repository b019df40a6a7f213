#pragma once
// Datastructures laid out as the Windows program writes them: text in Windows-1252 bytes,
// paths with "\" separators and in whatever letter case the user typed, "||" for the
// program folder. The file format is ours; only the stored bytes are the Windows program's.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "engine/core/Cards.h"
#include "engine/core/DatastructureFiles.h"
#include "engine/core/NestFunctions.h"
#include "engine/core/TreeText.h"
#include "platform/core/LegacyText.h"

namespace kiv::test {

// The Windows-1252 bytes of a UTF-8 text that Windows-1252 holds.
inline std::string Cp1252(std::string_view utf8) {
    std::string out;
    EXPECT_TRUE(LegacyText::Utf8ToCp1252(utf8, out)) << utf8;
    return out;
}

// A path as the Windows program stores it: Windows-1252, "\" between the names.
inline std::string WindowsPath(std::string_view utf8) {
    std::string p = Cp1252(utf8);
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

// A launch card line: target, the character 1, title (both stored bytes).
inline std::string WindowsLink(std::string_view target, std::string_view title) {
    return std::string(target) + '\x01' + std::string(title) + "\r\n";
}

struct TWindowsTopic {
    std::string Caption;   // UTF-8; stored in Windows-1252
    std::string Launch;    // the launch card's bytes, as they stand
    std::string External;  // the external datastructure's stored path; the topic links out
};

// A closed datastructure holding the topics at its top level, and the text bin card
// (password, 0x01, text bin) as given.
inline void WriteWindowsDatastructure(const std::string& path,
                                      const std::vector<TWindowsTopic>& topics,
                                      std::string_view textBinCard = {}) {
    std::string tree;
    for (size_t i = 0; i < topics.size(); ++i) tree += "t" + std::to_string(i) + " ";
    MakeTreePair(path, tree);
    {
        TTreePairFiles files = OpenTreePair(path, true);
        TItemArray items;
        ReadNestItems(files.kiv.get(), ReadRootNest(files.kiv.get()), items);
        ASSERT_EQ(items.size(), topics.size());
        TCards cards;
        cards.SetCardFile(files.dsc.get());
        for (size_t i = 0; i < topics.size(); ++i) {
            TNestItem item = items[i];
            ASSERT_TRUE(cards.StoreCard(item.CardDir, kCardCaption, Cp1252(topics[i].Caption)));
            if (!topics[i].Launch.empty()) {
                ASSERT_TRUE(cards.StoreCard(item.CardDir, kCardLaunch, topics[i].Launch));
            }
            if (!topics[i].External.empty()) {
                ASSERT_TRUE(cards.StoreCard(item.CardDir, kCardExternal, topics[i].External));
                item.ChildNest = kExternalNest;
            }
            ASSERT_TRUE(SetNestItem(files.kiv.get(), ReadRootNest(files.kiv.get()), int(i), item));
        }
        if (!textBinCard.empty()) {
            TDBCards db;
            db.SetCardFile(files.dsc.get());
            db.LoadDirAddress();
            ASSERT_TRUE(db.WriteCard(kDBCardTextBin, textBinCard));
        }
    }
    PackDatastructure(path);
}

}  // namespace kiv::test
