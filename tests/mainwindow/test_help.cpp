// The Help menu's room: the menu last on the menu bar with the other rooms' help commands
// before "About...", and the about window whose links open through the desktop.
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>

#include "components/HotLabel.h"
#include "dialogs/AboutWindow.h"
#include "mainwindow/help/Help.h"
#include "tests/mainwindow/RecordingShell.h"
#include "tests/mainwindow/WindowFixture.h"

namespace kiv::wintest {
namespace {

class Help : public WindowFixture {
protected:
    TRecordedShell shell;
    THelp* H = nullptr;

    void Open() {
        MakeJoined(Home() + "FirstKivDB.kiv", "t");
        H = Start()->findChild<THelp*>();
        ASSERT_TRUE(H);
    }
};

TEST_F(Help, TheMenuComesLastWithTheHelpCommandsBeforeAbout) {
    Open();
    const QList<QAction*> bar = H->Help1->parentWidget()->actions();
    ASSERT_FALSE(bar.isEmpty());
    EXPECT_EQ(bar.last(), H->Help1->menuAction());
    EXPECT_EQ(H->Help1->title(), QStringLiteral("&Help"));
    QStringList items;
    for (QAction* a : H->Help1->actions())
        items << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
    EXPECT_EQ(items, (QStringList{QStringLiteral("acHelp"), QStringLiteral("acGetLastVersion"),
                                  QStringLiteral("KIVHomepage1"), QStringLiteral("-"),
                                  QStringLiteral("About1")}));
}

TEST_F(Help, AboutInTheHelpMenuOpensTheWebSiteThroughTheDesktop) {
    Open();
    ASSERT_TRUE(H->Help1->actions().contains(H->About1));
    EXPECT_EQ(H->About1->text(), QStringLiteral("About..."));
    QTimer::singleShot(0, H->frmAbout, [&] {
        EXPECT_TRUE(H->frmAbout->isVisible());
        QTest::mouseClick(H->frmAbout->lblWebSite, Qt::LeftButton);
    });
    H->About1->trigger();
    EXPECT_FALSE(H->frmAbout->isVisible());
    ASSERT_EQ(shell->Calls.size(), 1u);
    EXPECT_EQ(shell->Calls[0].Target, QString::fromLatin1(TfrmAbout::kWebSite));
}

}  // namespace
}  // namespace kiv::wintest
