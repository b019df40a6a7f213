// The version resource of Windows executables: found in PE32 and PE32+ images, read as
// VerQueryValue reads it, and refused when the image lies about its own layout.
#include <gtest/gtest.h>

#include "platform/core/BlockFile.h"
#include "platform/core/PeVersion.h"
#include "tests/platform/core/PeImageBuilder.h"

using namespace kiv;
using namespace kiv::test;

namespace {

VersionInput SampleInput() {
    VersionInput input;
    input.fixed.FileVersionMS = 0x00020001;
    input.fixed.FileVersionLS = 0x00030004;
    input.fixed.FileFlagsMask = 0x3F;
    input.fixed.FileFlags = vsDebug | vsSpecialBuild;
    input.fixed.FileType = 1;
    input.strings = {{"CompanyName", "Acme Corp."},
                     {"FileDescription",
                      "Gr\xC3\xBC\xC3\x9F"
                      "e \xF0\x9F\x98\x80 Editor"},
                     {"LegalCopyright", "(c) 2001"},
                     {"Comments", ""}};
    return input;
}

std::string Find(const std::string& image) {
    MemoryBlockFile f(image);
    return FindVersionResource(f);
}

}  // namespace

TEST(PeVersion, ReadsStringsAndFixedInfoOfBothImageKinds) {
    const std::string res = VersionInfo(SampleInput());
    for (bool pe64 : {false, true}) {
        SCOPED_TRACE(pe64 ? "PE32+" : "PE32");
        const std::string found = Find(PeImage(res, pe64));
        ASSERT_EQ(found, res);
        VersionResource v(found);
        FixedFileInfo fixed;
        ASSERT_TRUE(v.Fixed(fixed));
        EXPECT_EQ(fixed.FileVersionMS, 0x00020001u);
        EXPECT_EQ(fixed.FileVersionLS, 0x00030004u);
        EXPECT_EQ(fixed.FileType, 1u);
        uint16_t language = 0, codePage = 0;
        ASSERT_TRUE(v.Translation(language, codePage));
        EXPECT_EQ(language, 0x0409);
        EXPECT_EQ(codePage, 0x04B0);
        EXPECT_EQ(v.String("CompanyName"), "Acme Corp.");
        EXPECT_EQ(v.String("FileDescription"),
                  "Gr\xC3\xBC\xC3\x9F"
                  "e \xF0\x9F\x98\x80 Editor");
        // The names the program asks for differ in case from what compilers write.
        EXPECT_EQ(v.String("LegalCopyRight"), "(c) 2001");
        EXPECT_EQ(v.String("Comments"), "");
        EXPECT_EQ(v.String("ProductName"), "");  // not in the table
    }
}

TEST(PeVersion, MissingPartsGiveEmptyAnswers) {
    VersionInput noTranslation = SampleInput();
    noTranslation.withTranslation = false;
    VersionResource a(VersionInfo(noTranslation));
    EXPECT_EQ(a.String("CompanyName"), "");  // the strings are there, but no table is named
    std::string direct;
    EXPECT_TRUE(a.QueryText("\\StringFileInfo\\040904b0\\CompanyName", direct));
    EXPECT_EQ(direct, "Acme Corp.");

    VersionInput otherTable = SampleInput();
    otherTable.tableKey = "040704E4";  // the translation names a table that is not there
    EXPECT_EQ(VersionResource(VersionInfo(otherTable)).String("CompanyName"), "");

    VersionInput noFixed = SampleInput();
    noFixed.withFixed = false;
    FixedFileInfo fixed;
    EXPECT_FALSE(VersionResource(VersionInfo(noFixed)).Fixed(fixed));
    EXPECT_EQ(VersionResource(VersionInfo(noFixed)).String("CompanyName"), "Acme Corp.");

    // Not an executable, or one without resources.
    EXPECT_EQ(Find(""), "");
    EXPECT_EQ(Find("\x7F"
                   "ELF and so on"),
              "");
    std::string image = PeImage(VersionInfo(SampleInput()));
    PutU32(&image[PeLayout::kRaw + 16], 6);  // the root's one entry is of another type
    EXPECT_EQ(Find(image), "");
}

TEST(PeVersion, TruncatedImagesAreRefusedAtEveryLength) {
    const std::string image = PeImage(VersionInfo(SampleInput()));
    for (size_t n = 0; n < image.size(); ++n) EXPECT_EQ(Find(image.substr(0, n)), "") << n;
    EXPECT_NE(Find(image), "");
}

TEST(PeVersion, HostileOffsetsAreRefused) {
    PeLayout layout;
    const std::string good = PeImage(VersionInfo(SampleInput()), false, &layout);
    const size_t raw = PeLayout::kRaw;
    struct Case {
        const char* what;
        size_t at;
        uint32_t value;
        bool u16;
    };
    const Case cases[] = {
        {"PE header past the end", 0x3C, 0xFFFFFFF0u, false},
        {"no sections", PeLayout::kPeHeader + 6, 0, true},
        {"too many sections", PeLayout::kPeHeader + 6, 0xFFFF, true},
        {"optional header larger than the file", PeLayout::kPeHeader + 20, 0xFFFF, true},
        {"unknown optional header", PeLayout::kOptionalHeader, 0x0107, true},
        {"no resource directory slot", PeLayout::kOptionalHeader + 92, 2, false},
        {"resource RVA in no section", PeLayout::kOptionalHeader + 96 + 16, 0x9000, false},
        {"section bytes past the end", layout.sectionTable + 20, 0x7FFFFFF0u, false},
        {"section address wraps", layout.sectionTable + 12, 0xFFFFFF00u, false},
        {"huge entry counts", raw + 12, 0xFFFF, true},
        {"type directory past the section", raw + 20, 0x80000000u | 0x7FFFFFF0u, false},
        {"name level is no directory", raw + 20, PeLayout::kNameDir, false},
        {"language level points at itself", raw + PeLayout::kLanguageDir + 20,
         0x80000000u | PeLayout::kLanguageDir, false},
        {"data entry past the section", raw + PeLayout::kLanguageDir + 20, 0x10000, false},
        {"data RVA in no section", raw + PeLayout::kDataEntry, 0x50000, false},
        {"data size past the section", raw + PeLayout::kDataEntry + 4, 0x8000, false},
        {"data size beyond any version resource", raw + PeLayout::kDataEntry + 4, 0x7FFFFFFFu,
         false},
    };
    for (const Case& c : cases) {
        std::string image = good;
        if (c.u16) PutU16(&image[c.at], uint16_t(c.value));
        else PutU32(&image[c.at], c.value);
        EXPECT_EQ(Find(image), "") << c.what;
    }
}

TEST(PeVersion, DamagedBlocksEndTheWalkInsideTheirBounds) {
    const std::string res = VersionInfo(SampleInput());
    FixedFileInfo fixed;
    {
        std::string r = res;
        PutU16(&r[0], uint16_t(r.size() + 40));  // the root claims more than there is
        EXPECT_FALSE(VersionResource(r).Fixed(fixed));
        EXPECT_EQ(VersionResource(r).String("CompanyName"), "");
    }
    {
        // The first child (StringFileInfo) says it is empty: the walk stops there and the
        // translation table behind it is never reached.
        std::string r = res;
        const size_t child =
            40 + 52;  // header, "VS_VERSION_INFO" and its zero, padding, fixed info
        ASSERT_EQ(r.substr(child + 6, 4), std::string("S\0t\0", 4));
        PutU16(&r[child], 0);
        EXPECT_TRUE(VersionResource(r).Fixed(fixed));
        EXPECT_EQ(VersionResource(r).String("CompanyName"), "");
    }
    {
        // A key that never ends.
        std::string r(8, '\0');
        PutU16(&r[0], 8);
        r[6] = 'A';
        EXPECT_FALSE(VersionResource(r).Fixed(fixed));
    }
    {
        // A text value whose length runs past its block ends with the block.
        std::string t = TextBlock("CompanyName", "Acme");
        PutU16(&t[2], 0x4000);
        const std::string table = VersionBlock("040904b0", 1, "", 0, {t});
        std::string r = VersionBlock("VS_VERSION_INFO", 0, "", 0,
                                     {VersionBlock("StringFileInfo", 1, "", 0, {table})});
        std::string value;
        ASSERT_TRUE(VersionResource(r).QueryText("\\StringFileInfo\\040904b0\\CompanyName", value));
        EXPECT_EQ(value, "Acme");
    }
    {
        // An unpaired surrogate becomes U+FFFD.
        std::string v = Utf16Z("ab");
        PutU16(&v[2], 0xD800);
        std::string r = VersionBlock("VS_VERSION_INFO", 0, "", 0, {VersionBlock("X", 1, v, 3)});
        std::string value;
        ASSERT_TRUE(VersionResource(r).QueryText("X", value));
        EXPECT_EQ(value, "a\xEF\xBF\xBD");
    }
}

TEST(PeVersion, FileTypeCodes) {
    struct Case {
        uint32_t type, subtype;
        uint8_t code;
    };
    const Case cases[] = {
        {0, 0, 0},
        {1, 0, 1},
        {2, 0, 2},
        {7, 0, 3},
        {3, 0, 4},
        {3, 1, 6},
        {3, 2, 7},
        {3, 3, 8},
        {3, 4, 9},
        {3, 5, 10},
        {3, 6, 11},
        {3, 7, 12},
        {3, 8, 12},
        {3, 9, 14},
        {3, 10, 5},
        {4, 0, 15},
        {4, 1, 16},
        {4, 2, 17},
        {4, 3, 18},
        {5, 0, 19},
        // Codes of our own for what has none: the kind's "unknown".
        {6, 0, 0},
        {8, 0, 0},
        {3, 11, 4},
        {4, 4, 15},
        {1, 99, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FileTypeCode(c.type, c.subtype), c.code) << c.type << "/" << c.subtype;
}

TEST(PeVersion, FlagsCountOnlyWhenMaskedIn) {
    FixedFileInfo f;
    f.FileFlags =
        vsDebug | vsPreRelease | vsPatched | vsPrivateBuild | vsInfoInferred | vsSpecialBuild;
    f.FileFlagsMask = vsDebug | vsPatched | vsSpecialBuild;
    EXPECT_TRUE(VersionFlag(f, vsDebug));
    EXPECT_FALSE(VersionFlag(f, vsPreRelease));
    EXPECT_TRUE(VersionFlag(f, vsPatched));
    EXPECT_FALSE(VersionFlag(f, vsPrivateBuild));
    EXPECT_FALSE(VersionFlag(f, vsInfoInferred));
    EXPECT_TRUE(VersionFlag(f, vsSpecialBuild));
    f.FileFlagsMask = 0x3F;
    f.FileFlags = 0;
    EXPECT_FALSE(VersionFlag(f, vsDebug));
}
