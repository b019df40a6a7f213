// The fixed version record's texts: plain and build style, the flag words in their order,
// and a file without a record.
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "components/FixedVersionInfo.h"

namespace kiv::test {
namespace {

FixedFileInfo Fixed(uint32_t flags, uint32_t type = 1) {
    FixedFileInfo f;
    f.FileVersionMS = (2u << 16) | 0u;
    f.FileVersionLS = (3u << 16) | 17u;
    f.FileFlagsMask = 0x3F;
    f.FileFlags = flags;
    f.FileType = type;
    return f;
}

TEST(FixedVersionInfo, TheVersionTextsOf2_0_3_17) {
    struct Case {
        uint32_t flags;
        bool buildStyle;
        QString text;
    } cases[] = {
        {0, false, QStringLiteral("2.0.3.17")},
        {0, true, QStringLiteral("2.0 (Build 3.17)")},
        {vsDebug | vsPreRelease, false, QStringLiteral("2.0.3.17 (Pre-Release Debug build)")},
        {vsDebug | vsPreRelease, true, QStringLiteral("2.0 (Build 3.17) (Pre-Release Debug)")},
        {vsDebug, false, QStringLiteral("2.0.3.17 (Debug build)")},
        {vsPrivateBuild | vsSpecialBuild | vsDebug | vsPreRelease, true,
         QStringLiteral("2.0 (Build 3.17) (Pre-Release Debug Special Private)")},
        {vsPatched | vsInfoInferred, false, QStringLiteral("2.0.3.17")},  // no words of their own
    };
    for (const Case& c : cases)
        EXPECT_EQ(FlaggedVersionText(TFixedVersionInfo(Fixed(c.flags)), c.buildStyle), c.text)
            << c.flags;
    EXPECT_EQ(VersionText(TFixedVersionInfo(Fixed(vsDebug)), false), QStringLiteral("2.0.3.17"));
}

TEST(FixedVersionInfo, FieldsComeFromTheRecordAndAFlagCountsOnlyInTheMask) {
    FixedFileInfo f = Fixed(vsDebug | vsSpecialBuild, 2);
    f.FileFlagsMask = vsDebug;
    const TFixedVersionInfo v(f);
    EXPECT_EQ(v.Major, 2);
    EXPECT_EQ(v.Minor, 0);
    EXPECT_EQ(v.Release, 3);
    EXPECT_EQ(v.Build, 17);
    EXPECT_TRUE(v.IsLibrary);
    EXPECT_FALSE(v.IsApplication);
    EXPECT_TRUE(v.IsDebug);
    EXPECT_FALSE(v.IsSpecial) << "not in the mask";
}

TEST(FixedVersionInfo, AFileWithoutARecordIsVersionZeroWithoutFlags) {
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("plain.txt")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("MZ not really");
    f.close();
    for (const QString& name : {f.fileName(), dir.filePath(QStringLiteral("missing.exe"))}) {
        EXPECT_EQ(FileVersionText(name, false), QStringLiteral("0.0.0.0"));
        EXPECT_EQ(FileFlaggedVersionText(name, true), QStringLiteral("0.0 (Build 0.0)"));
        EXPECT_FALSE(FileIsDebug(name) || FileIsPreRelease(name) || FileIsSpecial(name) ||
                     FileIsPrivate(name));
        const TFixedVersionInfo v(name);
        EXPECT_FALSE(v.IsApplication || v.IsLibrary);
    }
}

}  // namespace
}  // namespace kiv::test
