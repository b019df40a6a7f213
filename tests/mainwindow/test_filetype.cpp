// The ".kiv" file type for the desktop: written under the XDG data folder, only when it
// changed, and never a reason for the start to fail.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "mainwindow/filetype/FileType.h"
#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "platform/qt/TestHarness.h"

namespace kiv {
namespace {

ino_t Inode(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

class FileTypeTest : public ::testing::Test {
protected:
    TestEnvironment env;
    std::string old = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
    std::string data = env.Dir() + "share";
    void SetUp() override { ::setenv("XDG_DATA_HOME", data.c_str(), 1); }
    void TearDown() override { ::setenv("XDG_DATA_HOME", old.c_str(), 1); }
};

TEST_F(FileTypeTest, WritesThePackageAndTheEntryOnce) {
    const std::string exe = "/opt/kiv app/kiv";
    ASSERT_TRUE(RegisterKivFileType(exe));
    const std::string mime = data + "/mime/packages/kiv.xml",
                      entry = data + "/applications/kiv.desktop";
    const std::string xml = ReadWholeFile(mime);
    EXPECT_NE(xml.find("<mime-type type=\"application/x-kiv\">"), std::string::npos);
    EXPECT_NE(xml.find("<glob pattern=\"*.kiv\"/>"), std::string::npos);
    const std::string desktop = ReadWholeFile(entry);
    EXPECT_NE(desktop.find("\nExec=\"/opt/kiv app/kiv\" %f\n"), std::string::npos) << desktop;
    EXPECT_NE(desktop.find("\nMimeType=application/x-kiv;\n"), std::string::npos);

    // Unchanged: not written again (a write would replace the file).
    const ino_t a = Inode(mime), b = Inode(entry);
    ASSERT_TRUE(RegisterKivFileType(exe));
    EXPECT_EQ(Inode(mime), a);
    EXPECT_EQ(Inode(entry), b);

    // The program moved: the entry follows, the package stays.
    ASSERT_TRUE(RegisterKivFileType("/usr/bin/kiv"));
    EXPECT_EQ(Inode(mime), a);
    EXPECT_NE(ReadWholeFile(entry).find("\nExec=\"/usr/bin/kiv\" %f\n"), std::string::npos);
}

TEST_F(FileTypeTest, FailureIsReportedNotThrown) {
    WriteFileAtomic(data, "a file where the folder should be");
    bool ok = true;
    EXPECT_NO_THROW(ok = RegisterKivFileType("/usr/bin/kiv"));
    EXPECT_FALSE(ok);
    ::setenv("XDG_DATA_HOME", "relative/ignored", 1);
    const std::string home = XdgDataHome();
    EXPECT_TRUE(home.empty() || home.rfind("/.local/share/") == home.size() - 14) << home;
}

TEST(DesktopExec, Quoting) {
    const std::pair<const char*, const char*> cases[] = {
        {"/usr/bin/kiv", "\"/usr/bin/kiv\""}, {"/a b/kiv", "\"/a b/kiv\""},
        {"/a\"b/kiv", "\"/a\\\\\"b/kiv\""},   {"/a$b/kiv", "\"/a\\\\$b/kiv\""},
        {"/a\\b/kiv", "\"/a\\\\\\\\b/kiv\""}, {"/100%/kiv", "\"/100%%/kiv\""},
    };
    for (const auto& [path, quoted] : cases) EXPECT_EQ(DesktopExecQuote(path), quoted) << path;
}

}  // namespace
}  // namespace kiv
