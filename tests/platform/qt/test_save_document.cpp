// A document saved as ".txt" or ".rtf": the extension decides before anything is touched,
// the old file stays until the new one is complete, plain text is UTF-8 without BOM.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QTextCursor>
#include <QTextDocument>

#include "platform/core/BlockFile.h"
#include "platform/qt/RtfDocument.h"
#include "platform/qt/SaveDocument.h"
#include "platform/qt/TestHarness.h"

namespace kiv {
namespace {

class SaveDocumentTest : public ::testing::Test {
protected:
    TestEnvironment env;
    QTextDocument doc;

    void SetUp() override {
        QTextCursor c(&doc);
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        c.insertText(QStringLiteral("Größe "));
        c.insertText(QStringLiteral("bold"), bold);
        c.insertBlock();
        c.insertText(QStringLiteral("line two"), QTextCharFormat());
    }
    QString Path(const char* name) const { return QString::fromStdString(env.Dir()) + QString::fromLatin1(name); }
    std::string Read(const QString& path) const { return ReadWholeFile(path.toStdString()); }
    bool Exists(const QString& path) const { return QFileInfo::exists(path); }
    QStringList Entries() const { return QDir(QString::fromStdString(env.Dir())).entryList(QDir::Files | QDir::Hidden); }
};

TEST_F(SaveDocumentTest, TheExtensionChoosesTheKind) {
    struct Case {
        const char* path;
        TDocumentFileKind kind;
        const char* withDefault;
    } cases[] = {
        {"/a/x.txt", TDocumentFileKind::PlainText, "/a/x.txt"}, {"/a/x.TXT", TDocumentFileKind::PlainText, "/a/x.TXT"},
        {"/a/x.Rtf", TDocumentFileKind::RichText, "/a/x.Rtf"},  {"/a/x.doc", TDocumentFileKind::Other, "/a/x.doc"},
        {"/a/x", TDocumentFileKind::PlainText, "/a/x.txt"},     {"/a.b/x", TDocumentFileKind::PlainText, "/a.b/x.txt"},
        {"/a/x.", TDocumentFileKind::Other, "/a/x."},           {"/a/x.txt.bak", TDocumentFileKind::Other, "/a/x.txt.bak"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DocumentFileKindOf(QString::fromLatin1(c.path)), c.kind) << c.path;
        EXPECT_EQ(WithDefaultTextExtension(QString::fromLatin1(c.path)), QString::fromLatin1(c.withDefault)) << c.path;
    }
}

TEST_F(SaveDocumentTest, PlainTextIsUtf8WithoutBomOneLineEndPerParagraph) {
    const TSaveDocumentResult r = SaveDocument(doc, Path("card"));
    ASSERT_TRUE(r.Saved) << r.Message.toStdString();
    EXPECT_EQ(r.Path, Path("card.txt"));
    EXPECT_EQ(Read(Path("card.txt")), "Gr\xC3\xB6\xC3\x9F" "e bold\nline two\n");
    EXPECT_EQ(Entries(), QStringList{QStringLiteral("card.txt")}) << "no temporary file is left";
}

TEST_F(SaveDocumentTest, RichTextReadsBackWithItsFormatting) {
    ASSERT_TRUE(SaveDocument(doc, Path("card.rtf")).Saved);
    const std::string rtf = Read(Path("card.rtf"));
    EXPECT_EQ(rtf.rfind("{\\rtf1", 0), 0u);
    QTextDocument back;
    LoadRichText(back, rtf);
    EXPECT_EQ(back.toPlainText(), doc.toPlainText());
    QTextCursor c(&back);
    c.setPosition(8);  // inside "bold"
    EXPECT_EQ(c.charFormat().fontWeight(), QFont::Bold);
}

TEST_F(SaveDocumentTest, AnotherExtensionWritesNothingAndDeletesNothing) {
    WriteFileAtomic(Path("x.doc").toStdString(), "old");
    const TSaveDocumentResult r = SaveDocument(doc, Path("x.doc"));
    EXPECT_FALSE(r.Saved);
    EXPECT_FALSE(r.Message.isEmpty());
    EXPECT_EQ(Read(Path("x.doc")), "old");
    EXPECT_EQ(Entries(), QStringList{QStringLiteral("x.doc")});
    const TSaveDocumentResult fresh = SaveDocument(doc, Path("y.doc"));
    EXPECT_FALSE(fresh.Saved);
    EXPECT_FALSE(Exists(Path("y.doc")));
}

TEST_F(SaveDocumentTest, WhatMayNotBeReplacedIsKept) {
    QDir().mkpath(Path("folder.txt"));
    const TSaveDocumentResult onFolder = SaveDocument(doc, Path("folder.txt"));
    EXPECT_FALSE(onFolder.Saved);
    EXPECT_EQ(onFolder.Message, QStringLiteral("Can't delete ") + Path("folder.txt"));
    EXPECT_TRUE(QFileInfo(Path("folder.txt")).isDir());
    if (::geteuid() == 0) return;  // root may change a read-only file
    WriteFileAtomic(Path("ro.txt").toStdString(), "old");
    ::chmod(Path("ro.txt").toLocal8Bit().constData(), 0444);
    const TSaveDocumentResult r = SaveDocument(doc, Path("ro.txt"));
    EXPECT_FALSE(r.Saved);
    EXPECT_EQ(r.Message, QStringLiteral("Can't delete ") + Path("ro.txt"));
    EXPECT_EQ(Read(Path("ro.txt")), "old");
}

TEST_F(SaveDocumentTest, AFailedWriteSaysWhyAndLeavesTheOldFile) {
    WriteFileAtomic(Path("card.rtf").toStdString(), "old");
    TSaveDocumentResult r;
    {
        // Writes past 8 bytes fail, as on a full disk.
        rlimit old{};
        ::getrlimit(RLIMIT_FSIZE, &old);
        const sighandler_t handler = ::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 8;
        ::setrlimit(RLIMIT_FSIZE, &small);
        r = SaveDocument(doc, Path("card.rtf"));
        ::setrlimit(RLIMIT_FSIZE, &old);
        ::signal(SIGXFSZ, handler);
    }
    EXPECT_FALSE(r.Saved);
    EXPECT_TRUE(r.Message.startsWith(QStringLiteral("Can't save ") + Path("card.rtf") + QStringLiteral(": ")))
        << r.Message.toStdString();
    EXPECT_GT(r.Message.size(), (QStringLiteral("Can't save ") + Path("card.rtf") + QStringLiteral(": ")).size());
    EXPECT_EQ(Read(Path("card.rtf")), "old");
    EXPECT_EQ(Entries(), QStringList{QStringLiteral("card.rtf")}) << "no temporary file is left";
}

}  // namespace
}  // namespace kiv
