// The folder browser: its construction values, the flags' option bits, the roots' numbers,
// and OK and Cancel of a scripted dialog.
#include <gtest/gtest.h>

#include <QDir>
#include <memory>

#include "components/BrowseForFolder.h"
#include "platform/qt/FakeDialogs.h"

namespace kiv {
namespace {

TEST(BrowseForFolder, ConstructionValues) {
    TBrowseForFolder b;
    EXPECT_EQ(b.Caption, "Select Folder");
    EXPECT_EQ(b.StatusText, "Plase select folder");
    EXPECT_EQ(b.FolderName, "/");
    EXPECT_EQ(b.DisplayName(), "");
    EXPECT_EQ(b.Flags(), TBrowseFlags{});
    EXPECT_EQ(b.Root, bl_STANDART);
    EXPECT_EQ(b.Options(), 0u);
}

TEST(BrowseForFolder, FlagsSetAndClearTheirShellBits) {
    const struct {
        TBrowseFlag flag;
        uint32_t bit;
    } cases[] = {{bf_BrowseForComputer, 0x1000},
                 {bf_BrowseForPrinter, 0x2000},
                 {bf_DontGoBelowDomain, 0x0002},
                 {bf_statustext, 0x0004},
                 {bf_ReturnFSanceStors, 0x0008},
                 {bf_ReturnOnlyFSDIRS, 0x0001},
                 {bf_EditBox, 0x0010}};
    for (const auto& c : cases) {
        TBrowseForFolder b;
        b.SetFlags({c.flag});
        EXPECT_EQ(b.Options(), c.bit) << c.flag;
        EXPECT_EQ(b.Flags(), TBrowseFlags{c.flag}) << c.flag;
        b.SetFlags({});
        EXPECT_EQ(b.Options(), 0u) << c.flag;
    }
    TBrowseForFolder b;
    b.SetFlags({bf_EditBox, bf_statustext, bf_ReturnOnlyFSDIRS});
    EXPECT_EQ(b.Options(), 0x0015u);
    EXPECT_TRUE(b.Flags().Has(bf_EditBox));
    EXPECT_FALSE(b.Flags().Has(bf_BrowseForPrinter));
}

TEST(BrowseForFolder, RootsAreTheShellsSpecialFolderNumbers) {
    const struct {
        TBrowseLocation location;
        int number;
    } cases[] = {{bl_STANDART, -1},
                 {bl_CUSTOM, -1},
                 {bl_DESKTOP, 0},
                 {bl_PROGRAMS, 2},
                 {bl_CONTROLS, 3},
                 {bl_PRINTERS, 4},
                 {bl_PERSONAL, 5},
                 {bl_FAVORITES, 6},
                 {bl_STARTUP, 7},
                 {bl_RECENT, 8},
                 {bl_SENDTO, 9},
                 {bl_BITBUCKET, 10},
                 {bl_STARTMENU, 11},
                 {bl_DESKTOPDIRECTORY, 16},
                 {bl_DRIVES, 17},
                 {bl_NETWORK, 18},
                 {bl_NETHOOD, 19},
                 {bl_FONTS, 20},
                 {bl_TEMPLATES, 21},
                 {bl_COMMON_STARTMENU, 22},
                 {bl_COMMON_PROGRAMS, 23},
                 {bl_COMMON_STARTUP, 24},
                 {bl_COMMON_DESKTOPDIRECTORY, 25},
                 {bl_APPDATA, 26},
                 {bl_PRINTHOOD, 27}};
    for (const auto& c : cases) EXPECT_EQ(SpecialFolderNumber(c.location), c.number) << c.location;
    EXPECT_EQ(SpecialFolderPath(bl_DRIVES), "/");
    EXPECT_EQ(SpecialFolderPath(bl_NETWORK), "");
}

TEST(BrowseForFolder, OkTakesTheFolderAndCancelKeepsIt) {
    auto fake = std::make_unique<FakeDialogs>();
    FakeDialogs& d = *fake;
    ScopedDialogs scope(std::move(fake));
    d.AnswerFolder(QStringLiteral("/home/me/my.docs"));
    d.AnswerFolder(std::nullopt);

    TBrowseForFolder b;
    ASSERT_TRUE(b.Execute());
    EXPECT_EQ(b.FolderName, "/home/me/my.docs");
    EXPECT_EQ(b.DisplayName(), "my.docs");
    EXPECT_EQ(b.Options(), kBrowseValidate);  // validation is always on
    ASSERT_EQ(d.FolderRequests.size(), 1u);
    EXPECT_EQ(d.FolderRequests[0].Title, "Select Folder");
    EXPECT_EQ(d.FolderRequests[0].InitialDir, "/");
    EXPECT_EQ(d.FolderRequests[0].StatusText, "");  // no status line without bf_statustext
    EXPECT_EQ(d.FolderRequests[0].Root, "");

    b.SetFlags({bf_statustext});
    b.Root = bl_CUSTOM;
    b.CustomRoot = QStringLiteral("/home/me");
    EXPECT_FALSE(b.Execute());
    EXPECT_EQ(b.FolderName, "/home/me/my.docs");
    EXPECT_EQ(b.DisplayName(), "my.docs");
    ASSERT_EQ(d.FolderRequests.size(), 2u);
    EXPECT_EQ(d.FolderRequests[1].InitialDir, "/home/me/my.docs");
    EXPECT_EQ(d.FolderRequests[1].StatusText, "Plase select folder");
    EXPECT_EQ(d.FolderRequests[1].Root, "/home/me");

    // bl_STANDART keeps the root in force.
    b.Root = bl_STANDART;
    d.AnswerFolder(QStringLiteral("/"));
    ASSERT_TRUE(b.Execute());
    EXPECT_EQ(d.FolderRequests[2].Root, "/home/me");
    EXPECT_EQ(b.DisplayName(), "/");
}

}  // namespace
}  // namespace kiv
