// The add-web-link window: the link line it builds, when it adds nothing, and the keys.
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <gtest/gtest.h>

#include "dialogs/AddUrlLinkWindow.h"

namespace kiv::test {
namespace {

TEST(AddUrlLink, TheLinkLineIsTheTrimmedAddressAndTitle) {
    struct Case {
        const char* url;
        const char* title;
        QString line;  // "" nothing added
    } cases[] = {
        {"  http://x.org/ ", "", QStringLiteral("http://x.org/\x01http://x.org/")},
        {"http://x.org/", "   ", QStringLiteral("http://x.org/\x01http://x.org/")},
        {" http://x.org/a ", " The A ", QStringLiteral("http://x.org/a\x01The A")},
        {"", "title", QString()},
        {"   ", "title", QString()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TfrmAddUrlLink::LinkLine(QString::fromUtf8(c.url), QString::fromUtf8(c.title)),
                  c.line)
            << c.url;
}

TEST(AddUrlLink, OkAddsOneLineAndClosesEnterTooAndShowingEmptiesTheFields) {
    TfrmAddUrlLink w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Add URL Link"));
    EXPECT_EQ(w.btnOK->text(), QStringLiteral("- OK -"));
    EXPECT_EQ(w.btnCancel->text(), QStringLiteral("- Cancel -"));
    QStringList added;
    w.OnAdd = [&](const QString& line) { added << line; };

    w.show();
    w.Edit1->setText(QStringLiteral("  "));
    w.btnOK->click();
    EXPECT_TRUE(added.isEmpty()) << "no address: nothing";
    EXPECT_TRUE(w.isVisible()) << "and the window stays";

    w.Edit1->setText(QStringLiteral(" http://x.org/ "));
    w.Edit2->setText(QStringLiteral("X"));
    QTest::keyClick(w.Edit2, Qt::Key_Return);
    EXPECT_EQ(added, QStringList{QStringLiteral("http://x.org/\x01X")});
    EXPECT_FALSE(w.isVisible());

    w.show();
    EXPECT_EQ(w.Edit1->text(), QString());
    EXPECT_EQ(w.Edit2->text(), QString());
    w.Edit1->setText(QStringLiteral("http://y.org/"));
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(added.size(), 1) << "Esc adds nothing";
}

}  // namespace
}  // namespace kiv::test
