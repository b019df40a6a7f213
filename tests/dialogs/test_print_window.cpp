// The print and export window over a real outline panel: Generate with its guards, the
// clipboard left alone, show and hide, Save As through the window's dialog, and printing
// on a 600-dpi PDF printer, the page looked at through poppler.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>
#include <stdexcept>

#include "dialogs/PrintWindow.h"
#include "engine/panels/KivPanelsManager.h"
#include "engine/panels/KivStringGrid.h"
#include "platform/core/KivStrings.h"
#include "platform/qt/ExceptionGuard.h"
#include "platform/qt/KivAction.h"
#include "platform/qt/Printer.h"
#include "tests/PdfProbe.h"
#include "tests/dialogs/OutlineFixture.h"

namespace kiv::test {
namespace {

class PrintWindow : public OutlineFixture {
protected:
    void SetUp() override {
        CreatePanelsManager();
        Open("A(A1 A2) B \"Caf\xC3\xA9 au lait\"");
        grid = MakeFirstPanel();
        frm = std::make_unique<TfrmPrint>();
        frm->CurrentGrid = [this] {
            ++gridAsked;
            if (duringGeneration) duringGeneration();
            return grid.get();
        };
        frm->MainForm = &mainForm;
        frm->CloseFindDialog = [this] { ++findClosed; };
    }

    void TearDown() override {
        frm.reset();
        grid.reset();
        FreePanelsManager();
    }

    QString Shown() const { return frm->reForPrint->toPlainText(); }

    QWidget mainForm;
    std::unique_ptr<TKivStringGrid> grid;
    std::unique_ptr<TfrmPrint> frm;
    std::function<void()> duringGeneration;
    int gridAsked = 0;
    int findClosed = 0;
};

TEST_F(PrintWindow, IsBuiltAsTheWindowIsDescribed) {
    EXPECT_EQ(frm->windowTitle(), "Print & Export");
    EXPECT_EQ(frm->minimumSize(), QSize(500, 400));
    EXPECT_FALSE(frm->isModal());
    TfrmPrint owned(&mainForm);
    EXPECT_TRUE(owned.isWindow()) << "a window of its own over the main window";
    EXPECT_EQ(owned.parentWidget(), &mainForm);
    for (const char* name : {"rbPanel", "rbBranch", "rbOutline", "cbxTopicsNumbers",
                             "cbxWithTextCard", "cbxFormatting", "cbxWithLinks", "btnGenerate",
                             "btnSaveAs", "btnPrint", "btnExit", "reForPrint"})
        EXPECT_NE(frm->findChild<QWidget*>(name), nullptr) << name;
    EXPECT_TRUE(frm->rbPanel->isChecked());
    EXPECT_FALSE(frm->btnSaveAs->isEnabled());
    EXPECT_FALSE(frm->btnPrint->isEnabled());
    EXPECT_EQ(frm->sdSave.DefaultExt, "txt");
    EXPECT_EQ(frm->sdSave.Filter, "Rich Text File(*.rtf)|*.rtf|Text File(*.txt)|*.txt");
    EXPECT_TRUE(frm->sdSave.OverwritePrompt);
}

TEST_F(PrintWindow, GenerateFillsTheEditorWhileTheMainWindowWaits) {
    bool enabledDuring = true, busyDuring = false, flagDuring = false;
    TCursor cursorDuring = crDefault;
    duringGeneration = [&] {
        enabledDuring = mainForm.isEnabled();
        busyDuring = Busy;
        flagDuring = OutlineGenerating;
        cursorDuring = Screen::Cursor();
        EXPECT_FALSE(frm->btnGenerate->isEnabled());
        frm->btnGenerateClick();  // a second Generate meanwhile does nothing
    };
    frm->cbxTopicsNumbers->setChecked(true);
    frm->btnGenerateClick();
    EXPECT_EQ(gridAsked, 1);
    EXPECT_FALSE(enabledDuring);
    EXPECT_TRUE(busyDuring);
    EXPECT_TRUE(flagDuring);
    EXPECT_EQ(cursorDuring, crHourGlass);
    EXPECT_TRUE(mainForm.isEnabled());
    EXPECT_FALSE(Busy);
    EXPECT_FALSE(OutlineGenerating);
    EXPECT_EQ(Screen::Cursor(), crDefault);
    EXPECT_EQ(Shown(), "1. A\n\n2. B\n\n3. Caf\u00e9 au lait\n\n");
    EXPECT_EQ(frm->reForPrint->textCursor().position(), 0);
    for (QPushButton* b : {frm->btnGenerate, frm->btnSaveAs, frm->btnPrint, frm->btnExit})
        EXPECT_TRUE(b->isEnabled());
    EXPECT_TRUE(frm->lblProgress->text().isEmpty());

    frm->rbOutline->setChecked(true);
    frm->btnGenerateClick();
    EXPECT_EQ(Shown(), "1. A\n\n1. A1\n\n2. A2\n\n2. B\n\n3. Caf\u00e9 au lait\n\n");
}

TEST_F(PrintWindow, ALongGenerateShowsItsProgressAndLetsEventsRun) {
    std::string tree;
    for (int i = 0; i < 450; ++i) tree += "t" + std::to_string(i) + " ";
    grid->Nester->Clear();
    kiv.reset();
    dsc.reset();
    Open(tree);
    PanelsManager().SetNestFile(kiv.get());
    PanelsManager().SetCardFile(dsc.get());
    grid->Nester->SetNestFile(kiv.get());
    grid->Nester->SetCardFile(dsc.get());
    grid->Nester->RootNest = ReadRootNest(kiv.get());
    grid->Nester->LoadBranch(-1, false);
    QStringList seen;
    bool mainEnabled = true;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        seen << frm->lblProgress->text();
        mainEnabled = mainEnabled && mainForm.isEnabled();
    });
    tick.start(0);
    frm->ProgressMs = 0;
    frm->rbOutline->setChecked(true);
    frm->btnGenerateClick();
    tick.stop();
    ASSERT_FALSE(seen.isEmpty()) << "events ran while the document was built";
    EXPECT_TRUE(seen.contains("Generating ... 200 topics")) << seen.join('|').toStdString();
    EXPECT_TRUE(seen.contains("Generating ... 400 topics")) << seen.join('|').toStdString();
    EXPECT_FALSE(mainEnabled);
    EXPECT_TRUE(frm->lblProgress->text().isEmpty());
    EXPECT_EQ(Paragraphs(*frm->reForPrint->document()).size(), 900);
}

TEST_F(PrintWindow, AnExceptionInsideGenerateGivesEverythingBack) {
    duringGeneration = [] { throw std::runtime_error("broken"); };
    frm->reForPrint->setPlainText("kept");
    EXPECT_THROW(frm->btnGenerateClick(), std::runtime_error);
    EXPECT_TRUE(mainForm.isEnabled());
    EXPECT_FALSE(Busy);
    EXPECT_FALSE(OutlineGenerating);
    EXPECT_EQ(Screen::Cursor(), crDefault);
    for (QPushButton* b : {frm->btnGenerate, frm->btnSaveAs, frm->btnPrint, frm->btnExit})
        EXPECT_TRUE(b->isEnabled());
    EXPECT_EQ(Shown(), "kept");

    // A damaged outline file raises out of the walk the same way.
    duringGeneration = nullptr;
    const uint32_t beyond = uint32_t(kiv->Size() + 1000);
    char b[4];
    PutU32(b, beyond);
    kiv->WriteAt(4, b, 4);
    frm->rbOutline->setChecked(true);
    EXPECT_THROW(frm->btnGenerateClick(), EKivError);
    EXPECT_FALSE(Busy);
    EXPECT_FALSE(OutlineGenerating);
    EXPECT_TRUE(mainForm.isEnabled());
}

TEST_F(PrintWindow, GenerateLeavesTheClipboardAsTheUserLeftIt) {
    Card("A", kCardText, "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\b bold card\\par}");
    QClipboard* cb = QGuiApplication::clipboard();
    auto* data = new QMimeData;
    data->setText("copied before");
    data->setData("text/rtf", "{\\rtf1 copied}");
    cb->setMimeData(data);
    frm->cbxWithTextCard->setChecked(true);
    frm->cbxFormatting->setChecked(true);
    frm->btnGenerateClick();
    EXPECT_TRUE(Shown().contains("bold card"));
    EXPECT_EQ(cb->text(), "copied before");
    ASSERT_NE(cb->mimeData(), nullptr);
    EXPECT_EQ(cb->mimeData()->data("text/rtf"), "{\\rtf1 copied}");
}

TEST_F(PrintWindow, ShowClearsTheDocumentUnlessTheWindowComesBackWithTheMainWindow) {
    frm->show();
    frm->btnGenerateClick();
    ASSERT_FALSE(Shown().isEmpty());
    const int closedBefore = findClosed;
    frm->hide();
    EXPECT_EQ(findClosed, closedBefore + 1);

    frm->Tag = 1;  // hidden together with the main window
    frm->show();
    EXPECT_FALSE(Shown().isEmpty());
    EXPECT_TRUE(frm->btnPrint->isEnabled());
    EXPECT_EQ(frm->Tag, 0);
    EXPECT_EQ(findClosed, closedBefore + 2);

    frm->hide();
    frm->show();
    EXPECT_TRUE(Shown().isEmpty());
    EXPECT_FALSE(frm->btnSaveAs->isEnabled());
    EXPECT_FALSE(frm->btnPrint->isEnabled());
}

TEST_F(PrintWindow, EscAndCloseHideTheWindowButNotWhileADocumentIsBuilt) {
    frm->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
    QTest::keyClick(frm.get(), Qt::Key_Escape);
    EXPECT_TRUE(frm->isHidden());

    frm->show();
    {
        FlagGuard generating(OutlineGenerating);
        frm->btnExitClick();
        EXPECT_FALSE(frm->isHidden());
        EXPECT_FALSE(frm->close());
        EXPECT_FALSE(frm->isHidden());
    }
    QTest::mouseClick(frm->btnExit, Qt::LeftButton);
    EXPECT_TRUE(frm->isHidden());
}

TEST_F(PrintWindow, SaveAsUsesTheWindowsDialogAndAddsTxtToABareName) {
    frm->btnGenerateClick();
    frm->sdSave.FileName = "left over";
    const QString bare = QString::fromStdString(env.Dir() + "out");
    env.Dialogs().AnswerSave(bare);
    frm->btnSaveAsClick();
    ASSERT_EQ(env.Dialogs().SaveRequests.size(), 1u);
    EXPECT_TRUE(env.Dialogs().SaveRequests[0].FileName.isEmpty());
    EXPECT_EQ(ReadWholeFile(env.Dir() + "out.txt"), "A\n\nB\n\nCaf\xC3\xA9 au lait\n\n");
    EXPECT_FALSE(FileExists(env.Dir() + "out"));

    env.Dialogs().AnswerSave(bare + ".rtf");
    frm->btnSaveAsClick();
    EXPECT_EQ(ReadWholeFile(env.Dir() + "out.rtf").rfind("{\\rtf1", 0), 0u);
    EXPECT_TRUE(env.Dialogs().Messages.empty());
}

TEST_F(PrintWindow, PrintsOnA600DpiPdfPrinterWithMarginsOfSevenTenthsOfAnInch) {
    for (int i = 0; i < 6; ++i)
        Card(i % 2 ? "A" : "B", kCardText, "A long line of the text card to print.");
    frm->cbxWithTextCard->setChecked(true);
    frm->btnGenerateClick();

    QPrinter& printer = CurrentPrinter();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setResolution(600);
    const QString pdf = QString::fromStdString(env.Dir() + "printed.pdf");
    QRect first;
    for (int run = 0; run < 2; ++run) {
        printer.setOutputFileName(pdf);
        frm->btnPrintClick();
        EXPECT_EQ(printer.docName(), "Text Card");
        const QRect page = PrintPageRect(printer);
        EXPECT_EQ(page.left(), 420);
        EXPECT_EQ(page.top(), 420);
        EXPECT_EQ(printer.width() - 1 - page.right(), 420);
        EXPECT_EQ(printer.height() - 1 - page.bottom(), 420);

        const QString info = PdfInfo(pdf);
        EXPECT_TRUE(info.contains(QRegularExpression("Title:\\s+Text Card"))) << info.toStdString();
        EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+1\\b"))) << info.toStdString();
        // At 60 dpi the margin is 42 pixels; the first title starts 3 editor pixels in.
        const QRect ink = InkOfPage(pdf, 1, 60);
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_GE(ink.left(), 42);
        EXPECT_LE(ink.left(), 46);
        EXPECT_GE(ink.top(), 42);
        EXPECT_LE(ink.top(), 52);
        if (run == 0) first = ink;
        else EXPECT_EQ(ink, first) << "the second print has the same margins";
    }
}

}  // namespace
}  // namespace kiv::test
