// The graphic card: images added, measured, drawn, hinted, deleted and stored as card kind 3
// of their topic, read back (also when written the Windows way), refused for locked topics,
// and large, broken or metafile images shown without stopping the others.
#include <QClipboard>
#include <QFile>
#include <QMimeData>
#include <QUrl>
#include <QtEndian>

#include "mainwindow/MainHelpers.h"
#include "mainwindow/graphiccard/GrManager.h"
#include "mainwindow/graphiccard/GraphicCard.h"
#include "mainwindow/graphiccard/ImageFiles.h"
#include "platform/qt/Grids.h"
#include "tests/mainwindow/WindowFixture.h"

namespace kiv::wintest {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

void WriteBytes(const QString& path, const QByteArray& bytes) {
    MakeDirs(path.left(path.lastIndexOf(QLatin1Char('/')) + 1).toStdString());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A picture of one colour, in the format its name says.
void WriteImage(const QString& path, QSize size, QColor colour) {
    MakeDirs(path.left(path.lastIndexOf(QLatin1Char('/')) + 1).toStdString());
    QImage img(size, QImage::Format_RGB32);
    img.fill(colour);
    ASSERT_TRUE(img.save(path)) << path.toStdString();
}

template <class T>
void Put(QByteArray& b, int at, T v) {
    qToLittleEndian<T>(v, b.data() + at);
}

// A 1-bit BMP of that size: a large picture that is quick to write.
QByteArray MonoBmp(int w, int h) {
    const int stride = (w + 31) / 32 * 4;
    QByteArray b(62 + stride * h, '\0');
    b[0] = 'B';
    b[1] = 'M';
    Put<quint32>(b, 2, quint32(b.size()));
    Put<quint32>(b, 10, 62);
    Put<quint32>(b, 14, 40);
    Put<qint32>(b, 18, w);
    Put<qint32>(b, 22, h);
    Put<quint16>(b, 26, 1);
    Put<quint16>(b, 28, 1);
    Put<quint32>(b, 46, 2);
    Put<quint32>(b, 58, 0x00FFFFFF);  // colour 1 white, colour 0 black
    return b;
}

class GraphicCard : public WindowFixture {
protected:
    TForm1* f = nullptr;
    TKivStringGrid* g = nullptr;

    void Open(std::string_view tree = "a b c") {
        MakeJoined(Home() + "FirstKivDB.kiv", tree);
        f = Start();
        g = f->Panels().sgdFirst;
        ASSERT_EQ(g->CurrentRow(), 0);
    }
    TGraphicCard& Card() { return f->GraphicCard(); }
    TGrManager& M() { return Card().Manager(); }
    void ShowCard() {
        if (Card().pnlGraphicCard->isHidden()) Card().acShowGraphicCard->Execute();
        ASSERT_FALSE(Card().pnlGraphicCard->isHidden());
        QCoreApplication::processEvents();
    }
    std::string StoredCard(int row) {
        std::string t;
        g->Nester->Cards().ReadRowCard(kCardGraphic, row, t);
        return t;
    }
    void PutCard(int row, const std::string& text) {
        ASSERT_TRUE(g->Nester->Cards().WriteRowCard(kCardGraphic, row, text));
    }
    int ShowImage() const { return ImageIndex(f->GraphicCard().acShowGraphicCard); }
    // a's list gets an image that cannot be stored: every entry of a's card directory is
    // taken by another kind, so kind 3 finds no room.
    void AddImageThatCannotBeStored(QString& img) {
        Open();
        ShowCard();
        for (uint8_t kind : {kCardText, kCardLaunch, kCardExternal, uint8_t(6)})
            ASSERT_TRUE(g->Nester->Cards().WriteRowCard(kind, 0, "x"));
        img = Q(Home()) + "a.bmp";
        WriteImage(img, QSize(8, 8), Qt::red);
        ASSERT_EQ(Card().AddImageFiles({img}), 1);
    }
    // A drag entering the widget and, when it is taken, dropped there.
    static bool Drop(QWidget* target, const QMimeData* mime) {
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
        return drop.isAccepted();
    }
    QStringList Names() {
        QStringList n;
        for (int i = 0; i < M().ImageCount(); ++i) n << M().GetImageFileName(i);
        return n;
    }
};

TEST(GraphicCardFiles, TheExtensionFilterTakesTheSevenImageKindsInAnyCase) {
    const struct {
        const char* name;
        bool taken;
    } cases[] = {
        {"/p/a.txt", false}, {"/p/a.emf", true}, {"/p/A.GIF", true},  {"/p/a.jpg", true},
        {"/p/a.Jpeg", true}, {"/p/a.bmp", true}, {"/p/a.ico", true},  {"/p/a.WMF", true},
        {"/p/a.png", false}, {"/p/gif", false},  {"/p.gif/a", false}, {"C:\\PICS\\A.GIF", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsGraphicFileName(QString::fromLatin1(c.name)), c.taken) << c.name;
}

TEST(GraphicCardFiles, MetafilesStateTheirSizeInTheirHeaders) {
    TestEnvironment env;
    const QString dir = Q(env.Dir());
    QByteArray wmf(22, '\0');
    Put<quint32>(wmf, 0, 0x9AC6CDD7u);
    Put<qint16>(wmf, 10, 1440);  // right, in 1/1440 inch: one inch
    Put<qint16>(wmf, 12, 720);
    Put<quint16>(wmf, 14, 1440);
    WriteBytes(dir + "a.wmf", wmf);
    QByteArray emf(88, '\0');
    Put<quint32>(emf, 0, 1);
    Put<qint32>(emf, 32, 2540);  // frame right, 0.01 mm: one inch
    Put<qint32>(emf, 36, 1270);
    Put<quint32>(emf, 40, 0x464D4520u);
    WriteBytes(dir + "a.emf", emf);
    WriteBytes(dir + "plain.wmf", QByteArray(30, 'x'));
    EXPECT_EQ(MetafileStatedSize(dir + "a.wmf"), QSize(96, 48));
    EXPECT_EQ(MetafileStatedSize(dir + "a.emf"), QSize(96, 48));
    EXPECT_FALSE(MetafileStatedSize(dir + "plain.wmf").isValid());
    EXPECT_FALSE(MetafileStatedSize(dir + "none.emf").isValid());
}

TEST_F(GraphicCard, AnImageOf32x16GetsARowOf36AndIsDrawnTenPixelsIn) {
    Open();
    ShowCard();
    const QString red = Q(Home()) + "red.bmp";
    WriteImage(red, QSize(32, 16), Qt::red);
    ASSERT_EQ(Card().AddImageFiles({Q(Home()) + "notes.txt"}), 0) << "a .txt file is refused";
    ASSERT_EQ(Card().AddImageFiles({red}), 1);
    TStringGrid* grid = Card().sgdGraphicCard;
    EXPECT_EQ(grid->RowHeights(0), 36);
    const int top = grid->CellRect(0, 0).top();
    const QImage shot = grid->viewport()->grab().toImage();
    auto isRed = [&](int x, int y) { return QColor(shot.pixel(x, y)) == QColor(Qt::red); };
    EXPECT_TRUE(isRed(10, top + 10));
    EXPECT_TRUE(isRed(41, top + 25));
    EXPECT_FALSE(isRed(9, top + 10));
    EXPECT_FALSE(isRed(10, top + 9));
    EXPECT_FALSE(isRed(42, top + 10));
    EXPECT_FALSE(isRed(10, top + 26));

    // The hint names the file and its size while the mouse is left of width + 20.
    QTest::mouseMove(grid->viewport(), QPoint(20, top + 12));
    EXPECT_EQ(grid->toolTip(), red + ", 32x16");
    QTest::mouseMove(grid->viewport(), QPoint(53, top + 12));
    EXPECT_EQ(grid->toolTip(), QString());
    QTest::mouseMove(grid->viewport(), QPoint(51, top + 12));
    EXPECT_EQ(grid->toolTip(), red + ", 32x16");
}

TEST_F(GraphicCard, DeletingTheLastOfThreeSelectsTheNewLastAndTheCommandShowsWhetherImagesAreLeft) {
    Open();
    ShowCard();
    EXPECT_EQ(ShowImage(), 60);
    QStringList files;
    for (const char* n : {"a.bmp", "b.bmp", "c.bmp"}) {
        files << Q(Home()) + n;
        WriteImage(files.back(), QSize(8, 8), Qt::blue);
    }
    ASSERT_EQ(Card().AddImageFiles(files), 3);
    EXPECT_EQ(ShowImage(), 50);
    EXPECT_EQ(M().Selected(), 2);
    Card().DeleteImage1Click();
    EXPECT_EQ(M().ImageCount(), 2);
    EXPECT_EQ(M().Selected(), 1);
    M().SetSelectedImage(0);
    Card().DeleteImage1Click();
    EXPECT_EQ(Names(), QStringList{files[1]});
    EXPECT_EQ(M().Selected(), 0) << "the same index stays selected";
    Card().DeleteImage1Click();
    EXPECT_EQ(M().ImageCount(), 0);
    EXPECT_EQ(ShowImage(), 60);
    M().SetSelectedImage(5);
    EXPECT_EQ(M().Selected(), -1);
}

TEST_F(GraphicCard, PathsUnderTheProgramFolderAreStoredRelativeAndReadBack) {
    Open();
    ShowCard();
    // Neither file exists: both are kept with their paths.
    ASSERT_EQ(Card().AddImageFiles({Q(Home()) + "img/a.gif", QStringLiteral("/data/b.jpg")}), 2);
    EXPECT_TRUE(M().GetImage(0)->Missing);
    ClickRow(g, 1);
    EXPECT_EQ(StoredCard(0), "||img/a.gif\r\n/data/b.jpg\r\n");
    EXPECT_EQ(M().ImageCount(), 0);
    EXPECT_EQ(ShowImage(), 60);
    ClickRow(g, 0);
    EXPECT_EQ(ShowImage(), 50);
    EXPECT_EQ(Names(), (QStringList{Q(Home()) + "img/a.gif", QStringLiteral("/data/b.jpg")}));
    EXPECT_TRUE(M().GetImage(0)->Missing && M().GetImage(1)->Missing);
    EXPECT_EQ(M().GetImage(0)->Size, NoGrFileImage().size());
    EXPECT_FALSE(M().Modified());
    // Closing the card stores it too, and a deleted image is gone from the card.
    M().SetSelectedImage(0);
    Card().DeleteImage1Click();
    Card().acShowGraphicCard->Execute();
    EXPECT_TRUE(Card().pnlGraphicCard->isHidden());
    EXPECT_FALSE(Card().acShowGraphicCard->Checked());
    EXPECT_EQ(StoredCard(0), "/data/b.jpg\r\n");
}

TEST_F(GraphicCard, WhileThePaneIsHiddenOnlyTheCommandsImageFollowsTheTopic) {
    Open();
    PutCard(1, "||img/x.gif\r\n");
    ClickRow(g, 1);
    EXPECT_EQ(ShowImage(), 50);
    EXPECT_EQ(M().ImageCount(), 0) << "nothing is loaded while the pane is hidden";
    ClickRow(g, 2);
    EXPECT_EQ(ShowImage(), 60);
    EXPECT_EQ(StoredCard(1), "||img/x.gif\r\n") << "nothing is stored while the pane is hidden";
    EXPECT_FALSE(M().Modified());
}

TEST_F(GraphicCard, ACardWrittenOnWindowsOpensTheImagesOfALowerCaseFolder) {
    Open();
    WriteImage(Q(Home()) + "img/photos/a.bmp", QSize(20, 10), Qt::green);
    WriteImage(Q(Home()) + "img/photos/b.jpg", QSize(12, 6), Qt::blue);
    const std::string windows =
        "||IMG\\PHOTOS\\A.BMP\r\n||Img\\Photos\\B.JPG\r\nC:\\PICS\\C.GIF\r\n||IMG\\NOTES.TXT\r\n";
    PutCard(0, windows);
    ShowCard();
    ASSERT_EQ(M().ImageCount(), 3);
    EXPECT_EQ(Names(), (QStringList{Q(Home()) + "img/photos/a.bmp", Q(Home()) + "img/photos/b.jpg",
                                    QStringLiteral("C:\\PICS\\C.GIF")}));
    EXPECT_FALSE(M().GetImage(0)->Missing);
    EXPECT_EQ(M().GetImage(0)->Size, QSize(20, 10));
    EXPECT_FALSE(M().GetImage(1)->Missing);
    EXPECT_EQ(M().GetImage(1)->Size, QSize(12, 6));
    EXPECT_TRUE(M().GetImage(2)->Missing) << "a drive path is shown missing, never rewritten";
    ClickRow(g, 1);
    EXPECT_EQ(StoredCard(0), windows) << "an unchanged card is not rewritten";
    ClickRow(g, 0);
    // A change rewrites the card; the lines read keep their stored form, the one that names
    // no image is kept too.
    WriteImage(Q(Home()) + "new.bmp", QSize(4, 4), Qt::black);
    ASSERT_EQ(Card().AddImageFiles({Q(Home()) + "new.bmp"}), 1);
    ClickRow(g, 1);
    EXPECT_EQ(
        StoredCard(0),
        "||IMG\\PHOTOS\\A.BMP\r\n||Img\\Photos\\B.JPG\r\nC:\\PICS\\C.GIF\r\n||new.bmp\r\n||IMG\\NOTES.TXT\r\n");
}

TEST_F(GraphicCard, ALockedTopicTakesNoImageFromAnyRoad) {
    Open();
    ShowCard();
    const QString img = Q(Home()) + "a.bmp";
    WriteImage(img, QSize(8, 8), Qt::red);
    ASSERT_EQ(Card().AddImageFiles({img}), 1);
    g->Nester->SetLocked(0, true);
    // The command: no dialog.
    Dialogs().AnswerOpen({img});
    Card().btnOpenGraphicClick();
    EXPECT_TRUE(Dialogs().OpenRequests.empty());
    // A drop.
    auto* mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile(img)});
    QWidget* target = Card().sgdGraphicCard->viewport();
    EXPECT_FALSE(Drop(target, mime));
    // A paste.
    QApplication::clipboard()->setMimeData(mime);
    Card().sgdGraphicCard->setFocus();
    QTest::keyClick(Card().sgdGraphicCard, Qt::Key_V, Qt::ControlModifier);
    // Nor is one deleted.
    M().SetSelectedImage(0);
    Card().DeleteImage1Click();
    EXPECT_EQ(M().ImageCount(), 1);

    // Unlocked, the same paste and drop add it.
    g->Nester->SetLocked(0, false);
    QTest::keyClick(Card().sgdGraphicCard, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(M().ImageCount(), 2);
    EXPECT_TRUE(Drop(target, QApplication::clipboard()->mimeData()));
    EXPECT_EQ(M().ImageCount(), 3);
    Card().btnOpenGraphicClick();
    ASSERT_EQ(Dialogs().OpenRequests.size(), 1u);
    EXPECT_EQ(Dialogs().OpenRequests[0].Title, QStringLiteral("Select Image File"));
    EXPECT_EQ(M().ImageCount(), 4);
    EXPECT_EQ(M().Selected(), 3);
}

TEST_F(GraphicCard, LargeBrokenAndMetafileImagesDoNotStopTheOthers) {
    Open();
    ShowCard();
    const QString big = Q(Home()) + "big.bmp", broken = Q(Home()) + "broken.jpg",
                  good = Q(Home()) + "good.bmp", emf = Q(Home()) + "pic.emf";
    WriteBytes(big, MonoBmp(8000, 5000));
    WriteBytes(broken, QByteArray("\xFF\xD8 this is no picture", 22));
    WriteImage(good, QSize(10, 10), Qt::red);
    QByteArray header(88, '\0');
    Put<quint32>(header, 0, 1);
    Put<qint32>(header, 32, 2540);
    Put<qint32>(header, 36, 1270);
    Put<quint32>(header, 40, 0x464D4520u);
    WriteBytes(emf, header);
    ASSERT_EQ(Card().AddImageFiles({big, broken, good, emf}), 4);
    // The 40-megapixel picture is laid out at once and decoded in the background.
    const TGrImage* b = M().GetImage(0);
    EXPECT_EQ(b->Size, QSize(8000, 5000));
    EXPECT_EQ(Card().sgdGraphicCard->RowHeights(0), 640 + 20);
    EXPECT_TRUE(b->Pending) << "not decoded on the GUI thread";
    M().FinishDecoding();
    EXPECT_FALSE(M().Decoding());
    EXPECT_FALSE(M().GetImage(0)->Missing);
    EXPECT_EQ(M().GetImage(0)->Picture.size(), QSize(1024, 640));
    EXPECT_TRUE(M().GetImage(1)->Missing) << "an unreadable file shows NoGrFile";
    EXPECT_EQ(M().GetImage(1)->FileName, broken);
    EXPECT_FALSE(M().GetImage(2)->Missing);
    EXPECT_EQ(Card().sgdGraphicCard->RowHeights(2), 30);
    EXPECT_FALSE(M().GetImage(3)->Missing) << "a metafile shows a stand-in of its size";
    EXPECT_EQ(M().GetImage(3)->Size, QSize(96, 48));
    EXPECT_EQ(Card().sgdGraphicCard->RowHeights(3), 68);
    ClickRow(g, 1);
    EXPECT_EQ(StoredCard(0), "||big.bmp\r\n||broken.jpg\r\n||good.bmp\r\n||pic.emf\r\n");
}

TEST_F(GraphicCard, AListThatCannotBeStoredStaysWithItsTopicAndTheUserIsToldOnce) {
    QString img;
    AddImageThatCannotBeStored(img);
    if (HasFatalFailure()) return;
    ClickRow(g, 1);
    ASSERT_EQ(Dialogs().Messages.size(), 1u);
    EXPECT_TRUE(Dialogs().Messages[0].Text.contains(
        QStringLiteral("The graphic card of \"a\" could not be stored")))
        << Dialogs().Messages[0].Text.toStdString();
    EXPECT_EQ(Names(), QStringList{img}) << "b's card is not loaded over it";
    EXPECT_TRUE(M().Modified());
    ClickRow(g, 2);
    EXPECT_EQ(Dialogs().Messages.size(), 1u) << "told once";
    Card().btnCloseGraphicCardClick();
    EXPECT_FALSE(Card().pnlGraphicCard->isHidden()) << "closing would lose the list";
    EXPECT_EQ(M().ImageCount(), 1);
}

TEST_F(GraphicCard, AListThatCannotBeStoredAsksBeforeTheWindowCloses) {
    QString img;
    AddImageThatCannotBeStored(img);
    if (HasFatalFailure()) return;
    Dialogs().AnswerMessage(IDNO);
    EXPECT_FALSE(form->close());
    ASSERT_EQ(Dialogs().Messages.size(), 1u) << Dialogs().MessageTexts().join("|").toStdString();
    EXPECT_EQ(Dialogs().Messages[0].Buttons, MsgButtons::YesNo);
    EXPECT_TRUE(Dialogs().Messages[0].Text.contains(
        QStringLiteral("The graphic card of \"a\" could not be stored")))
        << Dialogs().Messages[0].Text.toStdString();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(Names(), QStringList{img});
    EXPECT_TRUE(M().Modified());
    Dialogs().AnswerMessage(IDYES);
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->isVisible());
    Stop();
    EXPECT_EQ(Dialogs().Messages.size(), 2u) << "asked once per close, told nothing more";
}

TEST_F(GraphicCard, KeysMoveTheSelectionAndADoubleClickOpensTheImage) {
    Open();
    ShowCard();
    QStringList files;
    for (const char* n : {"a.bmp", "b.bmp", "c.bmp"}) {
        files << Q(Home()) + n;
        WriteImage(files.back(), QSize(8, 8), Qt::blue);
    }
    ASSERT_EQ(Card().AddImageFiles(files), 3);
    TStringGrid* grid = Card().sgdGraphicCard;
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Home);
    EXPECT_EQ(M().Selected(), 0);
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(M().Selected(), 1);
    QTest::keyClick(grid, Qt::Key_End);
    EXPECT_EQ(M().Selected(), 2);
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(M().Selected(), 2);
    QTest::keyClick(grid, Qt::Key_Up);
    EXPECT_EQ(M().Selected(), 1);
    QTest::keyClick(grid, Qt::Key_Delete);
    EXPECT_EQ(Names(), (QStringList{files[0], files[2]}));
    QString opened;
    Card().OpenImage = [&](const QString& file) { opened = file; };
    const QRect second = grid->CellRect(0, 1);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, second.topLeft() + QPoint(12, 12));
    EXPECT_EQ(M().Selected(), 1);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, second.topLeft() + QPoint(12, 12));
    EXPECT_EQ(opened, files[2]);
}

}  // namespace
}  // namespace kiv::wintest
