// The text card when its store fails: the text stays in the editor with its own topic and
// modified, the user is told once, and no other card is loaded over it.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QLabel>
#include <QTextEdit>

#include "tests/mainwindow/WindowFixture.h"

namespace kiv::wintest {
namespace {

// Writes past the card file's present end fail (as on a full disk) while it is held.
class FileSizeLimit {
public:
    explicit FileSizeLimit(const std::string& path) {
        struct stat st {};
        ::stat(path.c_str(), &st);
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = rlim_t(st.st_size);
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        ::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    sighandler_t oldHandler_ = SIG_DFL;
};

using TextCard = WindowFixture;

TEST_F(TextCard, AFailedStoreKeepsTheTextWithItsTopicAndTellsTheUserOnce) {
    MakeJoined(Home() + "FirstKivDB.kiv", "a b c");
    TForm1* f = Start();
    TKivStringGrid* g = f->Panels().sgdFirst;
    QTextEdit* e = f->TextCard().txtSimpleText;
    ASSERT_EQ(g->CurrentRow(), 0);
    const QString text = QStringLiteral("written about a ") + QString(40000, QLatin1Char('x')) + QStringLiteral(" end");
    e->setPlainText(text);
    e->document()->setModified(true);
    QCoreApplication::processEvents();
    {
        FileSizeLimit full(Home() + "FirstKivDB.dsc");
        ClickRow(g, 1);
        EXPECT_EQ(g->CurrentRow(), 1);
        ASSERT_EQ(Dialogs().Messages.size(), 1u) << Dialogs().MessageTexts().join("|").toStdString();
        EXPECT_TRUE(Dialogs().Messages[0].Text.contains(QStringLiteral("\"a\" could not be stored")))
            << Dialogs().Messages[0].Text.toStdString();
        EXPECT_EQ(e->toPlainText(), text) << "the text is not replaced by b's card";
        EXPECT_TRUE(e->document()->isModified());
        EXPECT_EQ(f->TextCard().lblCurDescr->text(), QStringLiteral("a")) << "the caption names the text's topic";
        // Still failing: no second box, and c's card is not loaded over the text either.
        ClickRow(g, 2);
        EXPECT_EQ(Dialogs().Messages.size(), 1u);
        EXPECT_EQ(e->toPlainText(), text);
        EXPECT_TRUE(e->document()->isModified());
        EXPECT_FALSE(g->Nester->HasText(2));
    }
    // With room again the next topic change stores the text to a, and c's card is shown.
    ClickRow(g, 1);
    EXPECT_FALSE(e->document()->isModified());
    EXPECT_TRUE(g->Nester->HasText(0));
    EXPECT_FALSE(g->Nester->HasText(1));
    EXPECT_EQ(e->toPlainText(), QString()) << "b's empty card";
    ClickRow(g, 0);
    EXPECT_EQ(e->toPlainText(), text);
    EXPECT_EQ(Dialogs().Messages.size(), 1u);
    Stop();
    const TJoinedContent c = ReadJoined(Home() + "FirstKivDB.kiv");
    ASSERT_EQ(c.TextCards.size(), 3u);
    EXPECT_NE(c.TextCards[0].find(" end"), std::string::npos);
    EXPECT_EQ(c.TextCards[1], "");
    EXPECT_EQ(c.TextCards[2], "");
}

}  // namespace
}  // namespace kiv::wintest
