// The clipboard against a real X server: text our source offers is read by xclip, and text
// xclip offers is read by our clipboard port, both with letters beyond ASCII. The programs
// on the X side are the kivclip tool (our source and port under xcb) and xclip.
#include "tests/dragdrop/X11Fixture.h"

namespace {

const QString kOurs = QString::fromUtf8(
    "Gr\xC3\xBC\xC3\x9F"
    "e aus K\xC3\xB6ln \xE2\x80\x93 caf\xC3\xA9, \xCE\xBD\xCE\xB1\xCE\xAF");
const QString kTheirs = QString::fromUtf8(
    "\xC3\x84rger \xC3\xBC"
    "ber \xC3\x9F \xE2\x82\xAC \xCF\x88");

using X11Clipboard = kiv::test::X11Fixture;

}  // namespace

TEST_F(X11Clipboard, OurTextIsReadByXclip) {
    QProcess& put = Start(kivclip_, {"put", kOurs});
    WaitForReady(put);
    EXPECT_EQ(Run("xclip", {"-o", "-selection", "clipboard"}), kOurs);
    EXPECT_EQ(Run("xclip", {"-o", "-selection", "clipboard", "-t", "text/plain;charset=utf-8"}),
              kOurs);
    const QString targets = Run("xclip", {"-o", "-selection", "clipboard", "-t", "TARGETS"});
    EXPECT_TRUE(targets.contains("UTF8_STRING")) << targets.toStdString();
    EXPECT_TRUE(targets.contains("application/x-kiv-cf;name=\"CF_TEXT\"")) << targets.toStdString();
}

TEST_F(X11Clipboard, XclipTextIsReadByOurPortAndTakesTheClipboardFromUs) {
    QProcess& put = Start(kivclip_, {"put", "ours before"});
    WaitForReady(put);
    const QString file = runtime_->filePath("theirs.txt");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(kTheirs.toUtf8());
    }
    Start("xclip", {"-quiet", "-selection", "clipboard", "-i", file});
    // Our source learns that the clipboard went to another program and lets go.
    EXPECT_TRUE(put.waitForFinished(10000));
    QString got;
    for (int i = 0; i < 50 && got != kTheirs; ++i) {
        got = Run(kivclip_, {"get"});
        if (got != kTheirs) QThread::msleep(100);
    }
    EXPECT_EQ(got, kTheirs);
}

// What another X program reads of our link by the names it asks for, as a browser (UTF-16
// text/x-moz-url, the address on its first line) and a file manager (text/uri-list) do.
// A drag serves the same names through the same conversion.
TEST_F(X11Clipboard, OurLinkIsReadAsABrowserAndAFileManagerReadIt) {
    QProcess& put = Start(kivclip_, {"put-link", "http://kiv.example/dom?a=1", "Dom"});
    WaitForReady(put);
    const QString targets = Run("xclip", {"-o", "-selection", "clipboard", "-t", "TARGETS"});
    EXPECT_TRUE(targets.contains("text/uri-list")) << targets.toStdString();
    EXPECT_TRUE(targets.contains("text/x-moz-url")) << targets.toStdString();
    EXPECT_EQ(Run("xclip", {"-o", "-selection", "clipboard", "-t", "text/uri-list"}),
              "http://kiv.example/dom?a=1\r\n");
    QProcess& moz = Start("xclip", {"-o", "-selection", "clipboard", "-t", "text/x-moz-url"});
    ASSERT_TRUE(moz.waitForFinished(10000));
    const QByteArray bytes = moz.readAllStandardOutput();
    ASSERT_FALSE(bytes.isEmpty()) << "a browser asking for text/x-moz-url gets the link";
    ASSERT_EQ(bytes.size() % 2, 0);
    const QString text =
        QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
    EXPECT_EQ(text.split('\n').first().trimmed(), "http://kiv.example/dom?a=1")
        << text.toStdString();
}
