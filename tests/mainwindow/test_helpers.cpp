// The main window's small routines that other windows call.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSizeGrip>
#include <QWidget>

#include "mainwindow/MainHelpers.h"
#include "platform/core/BlockFile.h"
#include "platform/qt/TestHarness.h"

namespace kiv {
namespace {

TEST(Helpers, FontStyleBits) {
    EXPECT_EQ(FontStylesToBits(fsBold | fsStrikeOut), 9);
    EXPECT_EQ(BitsToFontStyles(6), TFontStyles(fsItalic | fsUnderline));
    EXPECT_EQ(BitsToFontStyles(0x40 | 0x80 | 1), fsBold) << "other bits are ignored";
    QFont f;
    ApplyFontStyles(f, fsItalic | fsStrikeOut);
    EXPECT_EQ(StylesOf(f), TFontStyles(fsItalic | fsStrikeOut));
}

TEST(Helpers, StoredTextAndWidgetText) {
    EXPECT_EQ(StoredToText("a\r\nb\rc\nd"), QStringLiteral("a\nb\nc\nd"));
    EXPECT_EQ(TextToStored(QStringLiteral("a\nb")), "a\r\nb");
    EXPECT_EQ(TextToStored(QStringLiteral("caf\u00e9")), "caf\xe9") << "Windows-1252 where it fits";
    EXPECT_EQ(StoredToText("caf\xe9"), QStringLiteral("caf\u00e9"));
}

TEST(Helpers, OpenDataFileLocksOthersOut) {
    TestEnvironment env;
    const std::string path = env.Dir() + "x.kiv";
    EXPECT_EQ(OpenDataFile(path), nullptr) << "missing";
    WriteFileAtomic(path, "12345678");
    auto f = OpenDataFile(path);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->Size(), 8u);
    EXPECT_EQ(OpenDataFile(path), nullptr) << "held by the first opener";
    f.reset();
    EXPECT_NE(OpenDataFile(path), nullptr);
}

TEST(Helpers, APanelMadeSizeableGetsAGripInItsCorner) {
    QWidget window;
    window.resize(400, 400);
    auto* panel = new QWidget(&window);
    panel->setObjectName(QStringLiteral("pnlTextBin"));
    panel->setGeometry(10, 80, 200, 279);
    MakePanelSizeable(panel);
    MakePanelSizeable(panel);  // once is enough
    EXPECT_EQ(panel->findChildren<QSizeGrip*>().size(), 1);
    EXPECT_EQ(panel->height(), 278);
    EXPECT_TRUE(panel->windowFlags() & Qt::SubWindow);
    QSizeGrip* g = panel->findChild<QSizeGrip*>();
    EXPECT_EQ(g->geometry().bottomRight(), QPoint(199, 277));
    window.show();
    panel->resize(300, 200);
    QCoreApplication::processEvents();
    QSizeGrip* grip = panel->findChild<QSizeGrip*>();
    EXPECT_EQ(grip->geometry().bottomRight(), QPoint(299, 199));
    EXPECT_GT(GetFontTextHeight(panel, QFont(QStringLiteral("DejaVu Sans"), 12)),
              GetFontTextHeight(panel, QFont(QStringLiteral("DejaVu Sans"), 6)));
}

TEST(Helpers, ImageIndexOnAnAction) {
    QObject a;
    EXPECT_EQ(ImageIndex(&a), -1);
    SetImageIndex(&a, 19);
    EXPECT_EQ(ImageIndex(&a), 19);
}

}  // namespace
}  // namespace kiv
