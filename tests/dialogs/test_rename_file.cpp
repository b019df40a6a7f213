// Renaming a linked file: the checks and their messages in order, no overwriting, and a
// failure that leaves the disk as it was.
#include <sys/file.h>

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <tuple>
#include <gtest/gtest.h>

#include "dialogs/RenameFileWindow.h"
#include "platform/qt/FakeDialogs.h"

namespace kiv::test {
namespace {

class RenameFile : public ::testing::Test {
protected:
    QTemporaryDir dir;
    FakeDialogs* dialogs = nullptr;
    std::unique_ptr<ScopedDialogs> scope;

    void SetUp() override {
        auto d = std::make_unique<FakeDialogs>();
        dialogs = d.get();
        scope = std::make_unique<ScopedDialogs>(std::move(d));
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
    QString Make(const QString& name, const QByteArray& bytes = "hello") const {
        QFile f(Path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
    static QByteArray Read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
};

TEST_F(RenameFile, RenamesInsideTheFolderAndTellsTheOpenerWithItsTag) {
    const QString a = Make(QStringLiteral("a.txt"));
    TfrmRenameFile w;
    EXPECT_EQ(w.btnOK->text(), QStringLiteral("- OK -"));
    EXPECT_EQ(w.btnClose->text(), QStringLiteral("- Close -"));
    EXPECT_TRUE(w.isModal());
    std::vector<std::tuple<int, QString, QString>> renamed;
    w.OnRenamed = [&](int tag, const QString& from, const QString& to) {
        renamed.emplace_back(tag, from, to);
    };
    w.Prepare(a, 1000002);
    EXPECT_EQ(w.lblOldFileName->text(), a);
    EXPECT_EQ(w.edtNewFileName->text(), QStringLiteral("a.txt"));
    w.edtNewFileName->setText(QStringLiteral("  b.txt "));
    w.btnOKClick();
    EXPECT_FALSE(QFile::exists(a));
    EXPECT_EQ(Read(Path(QStringLiteral("b.txt"))), "hello");
    ASSERT_EQ(renamed.size(), 1u);
    EXPECT_EQ(renamed[0], std::make_tuple(1000002, a, Path(QStringLiteral("b.txt"))));
    EXPECT_TRUE(dialogs->Messages.empty());
}

TEST_F(RenameFile, EachRefusalHasItsMessageAndChangesNothing) {
    const QString a = Make(QStringLiteral("a.txt"), "A");
    const QString b = Make(QStringLiteral("b.txt"), "B");
    const QString gone = Path(QStringLiteral("gone.txt"));
    const QString locked = Make(QStringLiteral("locked.txt"), "L");
    const int fd = ::open(QFile::encodeName(locked).constData(), O_RDWR);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    struct Case {
        QString from, to;
        TRenameOutcome outcome;
        QString message;
    } cases[] = {
        {a, QString(), TRenameOutcome::Unchanged, {}},
        {a, QStringLiteral("   "), TRenameOutcome::Unchanged, {}},
        {a, QStringLiteral("A.TXT"), TRenameOutcome::Unchanged, {}},
        {gone, QStringLiteral("new.txt"), TRenameOutcome::Failed,
         QStringLiteral("Error! There is not ") + gone},
        {a, QStringLiteral("b.txt"), TRenameOutcome::Failed,
         QStringLiteral("Can't rename. File ") + b + QStringLiteral(" already exists.")},
        {locked, QStringLiteral("free.txt"), TRenameOutcome::Failed,
         QStringLiteral("Can't rename. File ") + locked +
             QStringLiteral(" is used with other application.")},
        {a, QStringLiteral("../out.txt"), TRenameOutcome::Failed,
         QStringLiteral("Can't rename. \"../out.txt\" is not a file name.")},
    };
    for (const Case& c : cases) {
        QString newPath, message;
        EXPECT_EQ(RenameFileNoReplace(c.from, c.to, newPath, message), c.outcome)
            << c.to.toStdString();
        EXPECT_EQ(message, c.message);
    }
    ::close(fd);
    EXPECT_EQ(Read(a), "A");
    EXPECT_EQ(Read(b), "B");
    EXPECT_EQ(Read(locked), "L");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 3);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("../out.txt"))));
}

TEST_F(RenameFile, TheWindowShowsAFailureOnceAndTellsTheOpenerNothing) {
    const QString a = Make(QStringLiteral("a.txt"), "A");
    const QString b = Make(QStringLiteral("b.txt"), "B");
    TfrmRenameFile w;
    int renamed = 0;
    w.OnRenamed = [&](int, const QString&, const QString&) { ++renamed; };
    w.Prepare(a, 0);
    w.edtNewFileName->setText(QStringLiteral("b.txt"));
    w.btnOKClick();
    EXPECT_EQ(dialogs->MessageTexts(), QStringList{QStringLiteral("Can't rename. File ") + b +
                                                   QStringLiteral(" already exists.")});
    EXPECT_EQ(renamed, 0);
    EXPECT_EQ(Read(a), "A");
    EXPECT_EQ(Read(b), "B");
}

}  // namespace
}  // namespace kiv::test
