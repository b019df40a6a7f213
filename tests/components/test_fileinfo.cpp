// File information: locks that make a file "in use", the version information of
// Windows executables and of our own program, and the desktop's default program.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QRegularExpression>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "components/FileInfo.h"
#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "platform/core/PeVersion.h"
#include "tests/XdgSandbox.h"
#include "tests/platform/core/PeImageBuilder.h"

using namespace kiv;

namespace {

class TempFolder {
public:
    TempFolder() {
        char tmpl[] = "/tmp/kiv-fileinfo-XXXXXX";
        if (!::mkdtemp(tmpl)) std::abort();
        dir_ = std::string(tmpl) + "/";
    }
    ~TempFolder() { RemoveTree(dir_); }
    std::string Write(const std::string& name, const std::string& bytes, mode_t mode = 0644) const {
        const std::string path = dir_ + name;
        WriteFileAtomic(path, bytes);
        ::chmod(path.c_str(), mode);
        return path;
    }
    const std::string& Dir() const { return dir_; }

private:
    std::string dir_;
};

QString Q(const std::string& s) { return QString::fromStdString(s); }

bool InUse(const std::string& path) { return TFileInfo(Q(path)).IsFileInUse(); }

int Lock(const std::string& path, short type, int how = F_OFD_SETLK) {
    const int fd = ::open(path.c_str(), type == F_WRLCK ? O_RDWR : O_RDONLY);
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    if (fd < 0 || ::fcntl(fd, how, &fl) != 0) ADD_FAILURE() << "cannot lock " << path;
    return fd;
}

}  // namespace

TEST(FileInfo, InUseMeansLockedByAnotherOpen) {
    TempFolder tmp;
    const std::string file = tmp.Write("a.txt", "abc");
    EXPECT_FALSE(InUse(tmp.Dir() + "missing.txt"));
    EXPECT_FALSE(InUse(file));

    struct Case {
        const char* what;
        short type;
        int how;
    };
    for (Case c :
         {Case{"write lock", F_WRLCK, F_OFD_SETLK}, Case{"read lock", F_RDLCK, F_OFD_SETLK},
          Case{"classic record lock", F_WRLCK, F_SETLK}}) {
        const int fd = Lock(file, c.type, c.how);
        EXPECT_TRUE(InUse(file)) << c.what;
        ::close(fd);
        EXPECT_FALSE(InUse(file)) << c.what << " released";
    }
    for (int how : {LOCK_EX, LOCK_SH}) {
        const int fd = ::open(file.c_str(), O_RDONLY);
        ASSERT_EQ(::flock(fd, how | LOCK_NB), 0);
        EXPECT_TRUE(InUse(file)) << (how == LOCK_EX ? "flock exclusive" : "flock shared");
        ::close(fd);
        EXPECT_FALSE(InUse(file));
    }
    {
        // A datastructure file held open by the program is in use.
        auto held = PosixBlockFile::Open(file, OpenMode::ReadWrite, true);
        EXPECT_TRUE(InUse(file));
    }
    EXPECT_FALSE(InUse(file));

    // Open, but unlocked, elsewhere: not in use; nor a file we may only read.
    const int plain = ::open(file.c_str(), O_RDWR);
    EXPECT_FALSE(InUse(file));
    ::close(plain);
    EXPECT_FALSE(InUse(tmp.Write("ro.txt", "read only", 0444)));
}

TEST(FileInfo, InUseByAnotherProcess) {
    TempFolder tmp;
    const std::string file = tmp.Write("b.txt", "abc");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int fd = ::open(file.c_str(), O_RDWR);
        struct flock fl {};
        fl.l_type = F_WRLCK;
        fl.l_whence = SEEK_SET;
        const char ok = fd >= 0 && ::fcntl(fd, F_SETLK, &fl) == 0 ? '1' : '0';
        (void)!::write(ready[1], &ok, 1);
        ::pause();
        ::_exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    EXPECT_EQ(ok, '1');
    EXPECT_TRUE(InUse(file));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_FALSE(InUse(file));
}

TEST(FileInfo, VersionInfoOfAWindowsExecutable) {
    TempFolder tmp;
    test::VersionInput input;
    input.fixed.FileType = 3;  // a sound driver
    input.fixed.FileSubtype = 9;
    input.fixed.FileFlagsMask = 0x3F;
    input.strings = {{"CompanyName", "Acme Corp."},       {"FileDescription", "  Acme Editor  "},
                     {"FileVersion", "2.1.3.4"},          {"InternalName", "acme"},
                     {"LegalCopyright", "(c) 2001 Acme"}, {"LegalTrademarks", "Acme(tm)"},
                     {"OriginalFilename", "ACME.EXE"},    {"ProductName", "Acme Suite"},
                     {"ProductVersion", "2.1"},           {"Comments", "none"},
                     {"SpecialBuild", "special"},         {"PrivateBuild", "private"}};
    const std::string exe = tmp.Write("acme.exe", test::PeImage(test::VersionInfo(input)));
    TFileVersionInfo v;
    TFileInfo(Q(exe)).GetVersionInfo(v);
    EXPECT_FALSE(v.FileTypeName.isEmpty());
    EXPECT_LE(v.FileTypeName.size(), 80);
    EXPECT_EQ(v.CompanyName, "Acme Corp.");
    EXPECT_EQ(v.FileDescription, "  Acme Editor  ");  // as stored: the caller trims
    EXPECT_EQ(v.FileVersion, "2.1.3.4");
    EXPECT_EQ(v.InternalName, "acme");
    EXPECT_EQ(v.LegalRights, "(c) 2001 Acme");
    EXPECT_EQ(v.LegalTrademarks, "Acme(tm)");
    EXPECT_EQ(v.OriginalFilename, "ACME.EXE");
    EXPECT_EQ(v.ProductName, "Acme Suite");
    EXPECT_EQ(v.ProductVersion, "2.1");
    EXPECT_EQ(v.Comments, "none");
    EXPECT_EQ(v.SpecialBuild, "special");
    EXPECT_EQ(v.PrivateBuild, "private");
    EXPECT_EQ(v.FileTypeCode, 14);

    // Each flag from its own bit, and only when the mask lets it through.
    struct Case {
        uint32_t bit;
        bool TFileVersionInfo::*field;
    };
    const Case flags[] = {{vsDebug, &TFileVersionInfo::Debug},
                          {vsPreRelease, &TFileVersionInfo::PreRelease},
                          {vsPatched, &TFileVersionInfo::Patched},
                          {vsPrivateBuild, &TFileVersionInfo::IsPrivateBuild},
                          {vsInfoInferred, &TFileVersionInfo::InfoInferred},
                          {vsSpecialBuild, &TFileVersionInfo::IsSpecialBuild}};
    for (const Case& c : flags) {
        for (uint32_t mask : {0x3Fu, 0x3Fu & ~c.bit}) {
            input.fixed.FileFlags = c.bit;
            input.fixed.FileFlagsMask = mask;
            const std::string path =
                tmp.Write("flags.exe", test::PeImage(test::VersionInfo(input)));
            TFileInfo(Q(path)).GetVersionInfo(v);
            for (const Case& other : flags)
                EXPECT_EQ(v.*other.field, other.bit == c.bit && mask == 0x3F)
                    << c.bit << " mask " << mask;
        }
    }
    FixedFileInfo fixed;
    EXPECT_TRUE(TFileInfo(Q(exe)).GetFixedFileInfo(fixed));
    EXPECT_EQ(fixed.FileSubtype, 9u);
}

TEST(FileInfo, FilesWithoutVersionGiveTheTypeNameOnly) {
    TempFolder tmp;
    for (const std::string& path :
         {tmp.Write("notes.txt", "just text\n"),
          tmp.Write("damaged.exe", "MZ" + std::string(100, 'x')),
          QCoreApplication::applicationFilePath().toStdString() + ".nothing"}) {
        TFileVersionInfo v;
        v.CompanyName = "stale";
        v.Debug = true;
        TFileInfo(Q(path)).GetVersionInfo(v);
        EXPECT_EQ(v.FileTypeName.isEmpty(), !FileExists(path)) << path;
        EXPECT_EQ(v.CompanyName, "");
        EXPECT_EQ(v.FileDescription, "");
        EXPECT_EQ(v.FileVersion, "");
        EXPECT_EQ(v.FileTypeCode, 0);
        EXPECT_FALSE(v.Debug || v.PreRelease || v.Patched || v.IsPrivateBuild || v.IsSpecialBuild ||
                     v.InfoInferred);
        FixedFileInfo fixed;
        EXPECT_FALSE(TFileInfo(Q(path)).GetFixedFileInfo(fixed));
        EXPECT_EQ(fixed.FileVersionMS, 0u);
    }
}

TEST(FileInfo, OurOwnExecutableHasTheBuildVersion) {
    const QString self = QCoreApplication::applicationFilePath();
    TFileVersionInfo v;
    TFileInfo(self).GetVersionInfo(v);
    EXPECT_EQ(v.ProductName, "KIV");
    EXPECT_EQ(v.FileTypeCode, 1);
    const auto m = QRegularExpression("^(\\d+)\\.(\\d+)\\.(\\d+)$").match(v.FileVersion);
    ASSERT_TRUE(m.hasMatch()) << v.FileVersion.toStdString();
    FixedFileInfo fixed;
    ASSERT_TRUE(TFileInfo(self).GetFixedFileInfo(fixed));
    EXPECT_EQ(fixed.FileVersionMS >> 16, m.captured(1).toUInt());
    EXPECT_EQ(fixed.FileVersionMS & 0xFFFF, m.captured(2).toUInt());
    EXPECT_EQ(fixed.FileVersionLS >> 16, m.captured(3).toUInt());
}

namespace {

// Runs in a fresh process: GLib reads the XDG folders once, at its first use.
int AssociationChecks() {
    TempFolder tmp;
    const std::string& root = tmp.Dir();
    if (!xdgtest::EnterXdgSandbox(root)) {
        std::fprintf(stderr, "no MIME database\n");
        return 2;
    }
    const std::string chosen =
        tmp.Write("bin/kiv-test-open", "#!/bin/sh\necho \"$1\" > \"$0.log\"\n", 0755);
    const std::string other = tmp.Write("bin/kiv-test-other", "#!/bin/sh\n", 0755);
    tmp.Write("data/applications/a-kiv-other.desktop",
              xdgtest::TextDesktopEntry("Other Editor", other));
    tmp.Write("data/applications/kiv-test-editor.desktop",
              xdgtest::TextDesktopEntry("KIV Test Editor", chosen));
    tmp.Write("config/mimeapps.list", xdgtest::TextDefault("kiv-test-editor.desktop"));

    const std::string txt = tmp.Write("notes.txt", "hello\n");
    const std::string unknown = tmp.Write("blob.kivtest", std::string("\0\1\2\3\xFF", 5));
    int failures = 0;
    auto expect = [&](const QString& got, const std::string& want, const char* what) {
        if (got.toStdString() == want) return;
        std::fprintf(stderr, "%s: got \"%s\", want \"%s\"\n", what, got.toUtf8().constData(),
                     want.c_str());
        ++failures;
    };
    expect(TFileInfo(Q(txt)).GetAssociatedExe(), chosen, "default for text/plain");
    TAssociatedApp app;
    TFileInfo(Q(txt)).GetAssociatedApp(app);
    expect(app.DesktopId, "kiv-test-editor.desktop", "desktop id");
    expect(app.Name, "KIV Test Editor", "name");
    expect(TFileInfo(Q(unknown)).GetAssociatedExe(), "", "a type nothing opens");
    expect(TFileInfo(Q(root + "missing.txt")).GetAssociatedExe(), "", "a missing file");
    return failures;
}

}  // namespace

TEST(FileInfo, AssociatedProgramIsTheDesktopDefault) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const int failures = AssociationChecks();
            std::fflush(stderr);
            ::_exit(failures);
        },
        ::testing::ExitedWithCode(0), "");
}
