// The about window: caption, labels, the about text from the resource, and the links.
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>

#include "components/FixedVersionInfo.h"
#include "components/HotLabel.h"
#include "dialogs/AboutWindow.h"

namespace kiv::test {
namespace {

TEST(AboutWindow, CaptionLabelsAndTheBuildOfTheRunningProgram) {
    TfrmAbout w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("About  KIV 2.0"));
    EXPECT_EQ(w.lblVersion->text(), QStringLiteral("KIV 2.0"));
    EXPECT_EQ(w.btnOK->text(), QStringLiteral("- OK -"));
    EXPECT_EQ(w.lblLatest->text(), QStringLiteral("Get the latest version"));
    const QString flagged = FileFlaggedVersionText(QCoreApplication::applicationFilePath(), true);
    ASSERT_TRUE(flagged.contains(QStringLiteral("(Build "))) << flagged.toStdString();
    EXPECT_EQ(w.lblBuild->text(), flagged.mid(flagged.indexOf(QLatin1Char('('))));
    EXPECT_TRUE(w.lblBuild->text().startsWith(QStringLiteral("(Build ")));

    const QString text = w.reAbout->toPlainText();
    for (const char* library : {"Qt", "libcurl", "GLib", "GIO", "ICU", "GoogleTest"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(library))) << library;
    EXPECT_TRUE(w.reAbout->isReadOnly());
    EXPECT_FALSE(text.contains(QStringLiteral("\\rtf"))) << "read as rich text, not shown as code";
}

TEST(AboutWindow, TheBuildLabelIsTheTextFromTheFirstBracket) {
    EXPECT_EQ(TfrmAbout::BuildLabel(QStringLiteral("2.0 (Build 3.17) (Pre-Release Debug)")),
              QStringLiteral("(Build 3.17) (Pre-Release Debug)"));
    EXPECT_EQ(TfrmAbout::BuildLabel(QStringLiteral("2.0.3.17")), QString());
}

TEST(AboutWindow, TheLabelsOpenTheirLinksAndClose) {
    TfrmAbout w;
    QStringList opened;
    int siteHooks = 0, latest = 0;
    w.LaunchLink = [&](const QString& link) { opened << link; };
    w.OnWebSiteOpened = [&] { ++siteHooks; };
    w.GetLatestVersion = [&] { ++latest; };
    for (THotLabel* l : {w.lblWebSite, w.lblEmail, w.lblLatest}) {
        w.show();
        QTest::mouseClick(l, Qt::LeftButton);
        EXPECT_FALSE(w.isVisible()) << l->objectName().toStdString();
    }
    EXPECT_EQ(opened,
              (QStringList{QString::fromLatin1(TfrmAbout::kWebSite),
                           QStringLiteral("mailto:") + QString::fromLatin1(TfrmAbout::kEmail)}));
    EXPECT_EQ(siteHooks, 1);
    EXPECT_EQ(latest, 1);
    w.show();
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible());
}

}  // namespace
}  // namespace kiv::test
