// Save As of an editor: the extension decides (and is checked first), a bare name becomes
// ".txt", the file is replaced whole or not at all, and a read-only file is refused.
#include <gtest/gtest.h>

#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <sys/stat.h>

#include "platform/core/AppPaths.h"
#include "platform/core/BlockFile.h"
#include "platform/qt/EditorFile.h"
#include "platform/qt/TestHarness.h"

using namespace kiv;

namespace {

class EditorFile : public ::testing::Test {
protected:
    EditorFile() {
        QTextCursor c(&doc);
        c.insertText(QString::fromUtf8("Caf\xC3\xA9 \xE2\x82\xAC 1"));
        c.insertBlock();
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        c.insertText("second", bold);
        c.insertText(QString(QChar::LineSeparator) + "broken");
    }

    // Saves through the dialog answering name; returns what SaveEditorAs returned.
    QString Save(const QString& name) {
        env.Dialogs().AnswerSave(name);
        return SaveEditorAs(doc, dialog);
    }
    QString At(const std::string& name) const { return QString::fromStdString(env.Dir() + name); }

    // The names in the test's folder.
    std::vector<std::string> Files() const {
        std::vector<std::string> out;
        for (const std::string& n : FolderEntries(env.Dir()))
            if (n[0] != '.') out.push_back(n);
        return out;
    }

    TestEnvironment env;
    QTextDocument doc;
    TSaveDialog dialog;
};

TEST_F(EditorFile, TheExtensionChoosesTheFormWithoutRegardToCase) {
    struct Case {
        const char* path;
        TEditorFileKind kind;
        const char* withDefault;
    };
    const Case cases[] = {
        {"/a/out.txt", TEditorFileKind::PlainText, "/a/out.txt"},
        {"/a/OUT.TXT", TEditorFileKind::PlainText, "/a/OUT.TXT"},
        {"/a/out.Rtf", TEditorFileKind::RichText, "/a/out.Rtf"},
        {"/a/out.doc", TEditorFileKind::Unsupported, "/a/out.doc"},
        {"/a/out", TEditorFileKind::Unsupported, "/a/out.txt"},
        {"/a.b/out", TEditorFileKind::Unsupported,
         "/a.b/out.txt"},  // a dot in a folder is no extension
        {"/a/out.txt.bak", TEditorFileKind::Unsupported, "/a/out.txt.bak"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EditorFileKindOf(c.path), c.kind) << c.path;
        EXPECT_EQ(WithDefaultExtension(c.path), c.withDefault) << c.path;
    }
}

TEST_F(EditorFile, TextIsUtf8WithoutByteOrderMarkOneLineEndPerLine) {
    EXPECT_EQ(DocumentTextFile(doc), "Caf\xC3\xA9 \xE2\x82\xAC 1\nsecond\nbroken\n");
    QTextDocument empty;
    EXPECT_EQ(DocumentTextFile(empty), "");
    // Pictures give nothing in plain text.
    QTextCursor c(&doc);
    c.movePosition(QTextCursor::End);
    c.insertText(QString(QChar::ObjectReplacementCharacter) + "\n");
    EXPECT_EQ(DocumentTextFile(doc), "Caf\xC3\xA9 \xE2\x82\xAC 1\nsecond\nbroken\n");
}

TEST_F(EditorFile, SaveAsWritesTxtOrRtfAndABareNameAsTxt) {
    EXPECT_EQ(Save(At("out")), At("out.txt"));
    EXPECT_EQ(ReadWholeFile(env.Dir() + "out.txt"), DocumentTextFile(doc));
    EXPECT_EQ(Save(At("Out.RTF")), At("Out.RTF"));
    const std::string rtf = ReadWholeFile(env.Dir() + "Out.RTF");
    EXPECT_EQ(rtf.rfind("{\\rtf1", 0), 0u);
    EXPECT_NE(rtf.find("Caf\\u233?"), std::string::npos);
    EXPECT_NE(rtf.find("\\b second"), std::string::npos);
    EXPECT_TRUE(env.Dialogs().Messages.empty());
    ASSERT_EQ(env.Dialogs().SaveRequests.size(), 2u);
    EXPECT_TRUE(env.Dialogs().SaveRequests[1].FileName.isEmpty());
    EXPECT_EQ(Files(), (std::vector<std::string>{"Out.RTF", "out.txt"}));
}

TEST_F(EditorFile, AnotherExtensionIsRefusedWithAMessageAndNothingIsWritten) {
    WriteFileAtomic(env.Dir() + "keep.doc", "old");
    EXPECT_TRUE(Save(At("keep.doc")).isEmpty());
    EXPECT_EQ(ReadWholeFile(env.Dir() + "keep.doc"), "old");
    ASSERT_EQ(env.Dialogs().Messages.size(), 1u);
    EXPECT_EQ(env.Dialogs().Messages[0].Type, MsgType::Error);
    EXPECT_TRUE(env.Dialogs().Messages[0].Text.contains(".txt or .rtf"));
    EXPECT_EQ(Files(), (std::vector<std::string>{"keep.doc"}));
}

TEST_F(EditorFile, AnExistingFileIsReplacedWholeAndNothingIsLeftBeside) {
    WriteFileAtomic(env.Dir() + "out.txt", std::string(100000, 'x'));
    ::chmod((env.Dir() + "out.txt").c_str(), 0640);
    EXPECT_FALSE(Save(At("out.txt")).isEmpty());
    EXPECT_EQ(ReadWholeFile(env.Dir() + "out.txt"), DocumentTextFile(doc));
    struct stat st {};
    ASSERT_EQ(::stat((env.Dir() + "out.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "the replaced file keeps its mode";
    EXPECT_EQ(Files(), (std::vector<std::string>{"out.txt"}));
}

TEST_F(EditorFile, AReadOnlyFileIsNotReplaced) {
    WriteFileAtomic(env.Dir() + "locked.rtf", "old");
    ::chmod((env.Dir() + "locked.rtf").c_str(), 0444);
    EXPECT_TRUE(Save(At("locked.rtf")).isEmpty());
    EXPECT_EQ(ReadWholeFile(env.Dir() + "locked.rtf"), "old");
    ASSERT_EQ(env.Dialogs().Messages.size(), 1u);
    EXPECT_EQ(env.Dialogs().Messages[0].Text, "Can't delete " + At("locked.rtf"));
}

TEST_F(EditorFile, AWriteThatFailsIsReportedOnceAndCancelDoesNothing) {
    EXPECT_TRUE(Save(At("missing/out.txt")).isEmpty());
    ASSERT_EQ(env.Dialogs().Messages.size(), 1u);
    EXPECT_EQ(env.Dialogs().Messages[0].Type, MsgType::Error);
    EXPECT_TRUE(env.Dialogs().Messages[0].Text.contains("missing/out.txt"));
    EXPECT_TRUE(Files().empty());

    env.Dialogs().CancelSave();
    EXPECT_TRUE(SaveEditorAs(doc, dialog).isEmpty());
    EXPECT_EQ(env.Dialogs().Messages.size(), 1u);
}

}  // namespace
