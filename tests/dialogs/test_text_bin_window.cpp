// The text bin window: it hosts an editor above its status bar, hands it back when closed
// and draws the editor again when resized.
#include <QPointer>
#include <QStatusBar>
#include <QTest>
#include <QTextEdit>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include "dialogs/TextBinWindow.h"

namespace kiv::test {
namespace {

class PaintCounter : public QObject {
public:
    int Paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++Paints;
        return false;
    }
};

TEST(TextBinWindow, HostsTheEditorAboveTheStatusBarAndHandsItBackOnClose) {
    QWidget home;
    auto* editor = new QTextEdit(&home);
    TfrmTextBin w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("KIV Text Bin"));
    EXPECT_TRUE(w.windowFlags() & Qt::Tool);
    EXPECT_EQ(frmTextBin, &w);
    std::vector<QTextEdit*> handed;
    w.OnHide = [&](TfrmTextBin*, QTextEdit* e) {
        handed.push_back(e);
        if (e) e->setParent(&home);
    };
    w.HostEditor(editor);
    EXPECT_EQ(w.Editor(), editor);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_LT(editor->geometry().bottom(), w.StatusBar1->geometry().top())
        << "the status bar stays at the bottom";

    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_TRUE(w.isHidden());
    EXPECT_EQ(handed, std::vector<QTextEdit*>{editor});
    EXPECT_EQ(editor->parentWidget(), &home);
    EXPECT_EQ(w.Editor(), nullptr);
}

TEST(TextBinWindow, ResizingDrawsTheEditorAgain) {
    auto* editor = new QTextEdit;
    TfrmTextBin w;
    w.HostEditor(editor);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QCoreApplication::processEvents();
    PaintCounter counter;
    editor->viewport()->installEventFilter(&counter);
    w.resize(w.width() + 40, w.height() + 30);
    QCoreApplication::processEvents();
    EXPECT_GT(counter.Paints, 0);
    w.OnHide = nullptr;
}

TEST(TextBinWindow, TheEditorOutlivesTheWindow) {
    QPointer<QTextEdit> editor = new QTextEdit;
    {
        TfrmTextBin w;
        w.HostEditor(editor);
    }
    ASSERT_FALSE(editor.isNull()) << "the main window's editor never goes down with the window";
    EXPECT_EQ(frmTextBin, nullptr);
    delete editor.data();
}

}  // namespace
}  // namespace kiv::test
