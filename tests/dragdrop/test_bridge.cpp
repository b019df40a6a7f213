#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QUrl>
#include <QWidget>

#include "dragdrop/MimeBridge.h"
#include "dragdrop/QtDragDrop.h"
#include "dragdrop/core/ClipboardCodecs.h"
#include "dragdrop/core/FileFormats.h"
#include "dragdrop/core/TextFormats.h"

using namespace kiv;

namespace {

const char* const kNonAscii =
    "Gr\xC3\xBC\xC3\x9F"
    "e, caf\xC3\xA9 \xCE\xBD\xCE\xB1\xCE\xAF";

class Source : public TCustomDropMultiSource {
public:
    Source() {
        text = new TTextDataFormat(this);
        files = new TFileDataFormat(this);
    }
    TTextDataFormat* text;
    TFileDataFormat* files;
};

struct QtPorts : ::testing::Test {
    void SetUp() override { UseQtDragDrop(); }
    void TearDown() override {
        SetDefaultDragLoop(nullptr);
        SetDefaultClipboard(nullptr);
        QGuiApplication::clipboard()->clear();
    }
};

}  // namespace

TEST(MimeNames, TwinsUnderTheirOwnTypesTheRestUnderThePrivateName) {
    const std::pair<uint16_t, const char*> cases[] = {
        {CF_TEXT, "application/x-kiv-cf;name=\"CF_TEXT\""},
        {CF_HDROP, "application/x-kiv-cf;name=\"CF_HDROP\""},
        {RegisterClipboardFormat("text/uri-list"), "text/uri-list"},
        {RegisterClipboardFormat("text/plain;charset=utf-8"), "text/plain;charset=utf-8"},
        {RegisterClipboardFormat("FileGroupDescriptorW"),
         "application/x-kiv-cf;name=\"FileGroupDescriptorW\""},
        {RegisterClipboardFormat("Internet Message (rfc822/rfc1522)"),
         "application/x-kiv-cf;name=\"Internet Message (rfc822/rfc1522)\""},
    };
    for (auto [id, mime] : cases) {
        EXPECT_EQ(MimeNameOf(id).toStdString(), mime);
        EXPECT_EQ(FormatIdOfMime(QString::fromLatin1(mime)), id) << mime;
    }
    EXPECT_EQ(FormatIdOfMime("text/plain"), RegisterClipboardFormat("text/plain;charset=utf-8"));
}

TEST(ForeignData, UriListGivesTheLocalFilesOnly) {
    QMimeData mime;
    mime.setData("text/uri-list", "file:///tmp/a%20b.txt\r\nhttps://example.org/\r\n");
    TMimeDataObject data(&mime);
    TFileDataFormat files;
    ASSERT_TRUE(files.GetData(data));
    EXPECT_EQ(files.Files().Items(), (std::vector<std::string>{"/tmp/a b.txt"}));
    TTextDataFormat text;
    EXPECT_FALSE(text.GetData(data));
}

TEST(ForeignData, PlainTextAndHtml) {
    QMimeData mime;
    mime.setText(QString::fromUtf8(kNonAscii));
    mime.setHtml("<html><b>x</b></html>");
    TMimeDataObject data(&mime);
    TTextDataFormat text;
    ASSERT_TRUE(text.GetData(data));
    EXPECT_EQ(text.Text(), kNonAscii);
    TStgMedium m;
    EXPECT_EQ(data.GetData(TFormatEtc{CF_TEXT, 1, -1, TYMED_HGLOBAL}, m), DV_E_FORMATETC);
    EXPECT_EQ(data.SetData(TFormatEtc{CF_TEXT, 1, -1, TYMED_HGLOBAL}, m, true), E_NOTIMPL);
    std::unique_ptr<IEnumFormatEtc> e;
    ASSERT_EQ(data.EnumFormatEtc(DATADIR_GET, e), S_OK);
    std::vector<TFormatEtc> got;
    std::vector<uint16_t> ids;
    while (e->Next(1, got, nullptr) == S_OK) ids.push_back(got[0].cfFormat);
    EXPECT_EQ(ids, (std::vector<uint16_t>{RegisterClipboardFormat("text/plain;charset=utf-8"),
                                          RegisterClipboardFormat("text/html")}));
}

TEST(SourceMimeData, OffersTwinsAndPrivateFormatsWhileTheSourceLives) {
    auto s = std::make_unique<Source>();
    s->text->SetText(kNonAscii);
    s->files->Files().Assign({"/tmp/a b.txt"});
    TSourceMimeData mime(s->DataObjectRef());
    QStringList formats = mime.formats();
    for (const char* f : {"text/plain;charset=utf-8", "text/plain", "text/uri-list", "text/html",
                          "application/x-kiv-cf;name=\"CF_HDROP\"",
                          "application/x-kiv-cf;name=\"FileGroupDescriptorW\""})
        EXPECT_TRUE(formats.contains(f)) << f;
    EXPECT_EQ(formats.indexOf("text/plain;charset=utf-8") + 1, formats.indexOf("text/plain"));
    EXPECT_EQ(formats.removeDuplicates(), 0);
    EXPECT_EQ(mime.data("text/plain").toStdString(), kNonAscii);
    EXPECT_EQ(mime.text().toUtf8().toStdString(), kNonAscii);
    EXPECT_EQ(mime.data("text/uri-list").toStdString(), "file:///tmp/a%20b.txt\r\n");
    EXPECT_EQ(mime.urls(), QList<QUrl>{QUrl::fromLocalFile("/tmp/a b.txt")});
    EXPECT_EQ(mime.data("application/x-kiv-cf;name=\"CF_HDROP\"").toStdString(),
              ClipCodec::DropFilesBytes({"/tmp/a b.txt"}));

    // Inside the program the source itself is reached: formats without a twin, and writes.
    TMimeDataObject data(&mime);
    TStgMedium m;
    ASSERT_EQ(data.GetData(TFormatEtc{RegisterClipboardFormat("FileContents"), 1, 0, TYMED_ISTREAM},
                           m),
              S_OK);
    EXPECT_EQ(m.data, kNonAscii);
    TStgMedium effect{TYMED_HGLOBAL, ClipCodec::DWordBytes(DROPEFFECT_MOVE)};
    ASSERT_EQ(data.SetData(TFormatEtc{RegisterClipboardFormat("Performed DropEffect"), 1, -1,
                                      TYMED_HGLOBAL},
                           effect, true),
              S_OK);
    EXPECT_EQ(s->GetPerformedDropEffect(), DROPEFFECT_MOVE);

    s.reset();
    EXPECT_TRUE(mime.formats().isEmpty());
    EXPECT_TRUE(mime.data("text/plain").isEmpty());
    EXPECT_EQ(data.QueryGetData(TFormatEtc{CF_TEXT, 1, -1, TYMED_HGLOBAL}), DV_E_FORMATETC);
}

TEST_F(QtPorts, ClipboardCopyFlushAndEmpty) {
    QClipboard* board = QGuiApplication::clipboard();
    auto s = std::make_unique<Source>();
    s->text->SetText(kNonAscii);
    ASSERT_TRUE(s->CopyToClipboard());
    EXPECT_TRUE(DefaultClipboard()->IsCurrentClipboard(s.get()));
    EXPECT_EQ(board->text().toUtf8().toStdString(), kNonAscii);

    // Our own port reads back everything, the virtual file included.
    auto read = DefaultClipboard()->GetClipboard();
    ASSERT_TRUE(read);
    TVirtualFileStreamDataFormat scrap;
    ASSERT_TRUE(scrap.GetData(*read));
    EXPECT_EQ(scrap.FileNames(), (std::vector<std::string>{"Text scrap.txt"}));

    // A change renders what the clipboard held; the copy outlives the source.
    s->text->SetText("changed");
    EXPECT_FALSE(DefaultClipboard()->IsCurrentClipboard(s.get()));
    s.reset();
    EXPECT_EQ(board->text().toUtf8().toStdString(), kNonAscii);
    EXPECT_TRUE(board->mimeData()->hasFormat("application/x-kiv-cf;name=\"Preferred DropEffect\""));

    Source other;
    other.text->SetText("x");
    ASSERT_TRUE(other.CutToClipboard());
    other.EmptyClipboard();
    EXPECT_FALSE(board->mimeData() && board->mimeData()->hasText());
}

TEST_F(QtPorts, DragThroughQtEndsAtOnceUnderOffscreen) {
    Source s;
    s.text->SetText("x");
    std::vector<TDragResult> after;
    s.OnAfterDrop = [&](TCustomDropSource*, TDragResult r, bool) { after.push_back(r); };
    EXPECT_EQ(s.Execute(), drCancel);
    EXPECT_EQ(after, std::vector<TDragResult>{drCancel});
    EXPECT_EQ(s.GetPerformedDropEffect(), 0u);
}

TEST(WindowPoint, ChildWidgetsHaveNoFrame) {
    QWidget top;
    top.setGeometry(50, 60, 200, 100);
    QWidget child(&top);
    child.setGeometry(10, 20, 50, 50);
    top.show();
    EXPECT_EQ(WindowPointFromClient(&child, QPoint(3, 4)), QPoint(3, 4));
    EXPECT_EQ(WindowPointFromClient(&top, QPoint(0, 0)),
              top.geometry().topLeft() - top.frameGeometry().topLeft());
}
