// The printer's page rectangle and the printing of a document on a PDF printer.
#include <gtest/gtest.h>

#include <QPrinter>
#include <QRegularExpression>
#include <QTextCursor>
#include <QTextDocument>

#include "platform/core/KivError.h"
#include "platform/qt/Printer.h"
#include "platform/qt/TestHarness.h"
#include "tests/PdfProbe.h"

using namespace kiv;
using kiv::test::PdfInfo;
using kiv::test::PdfText;

namespace {

TEST(Printer, ThePageRectangleIsThePageLessSevenTenthsOfAnInchInPrinterPixels) {
    struct Case {
        int dpi;
        int margin;
    };
    const Case cases[] = {{600, 420}, {1200, 840}, {300, 210}, {96, 67}, {72, 50}};
    for (const Case& c : cases) {
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::Letter));
        printer.setResolution(c.dpi);
        const QRect r = PrintPageRect(printer);
        const QRect full = printer.pageLayout().fullRectPixels(c.dpi);
        EXPECT_EQ(r.left(), c.margin) << c.dpi;
        EXPECT_EQ(r.top(), c.margin) << c.dpi;
        EXPECT_EQ(r.x() + r.width(), full.width() - c.margin) << c.dpi;
        EXPECT_EQ(r.y() + r.height(), full.height() - c.margin) << c.dpi;
        EXPECT_EQ(full.width(), int(8.5 * c.dpi))
            << c.dpi;  // the whole paper, not its printable part
    }
}

TEST(Printer, ALongDocumentGoesOnAsManyPagesAsItNeedsUnderItsTitle) {
    TestEnvironment env;
    QTextDocument doc;
    QTextCursor c(&doc);
    for (int i = 0; i < 200; ++i) {
        c.insertText(QStringLiteral("Line %1 of a document long enough for several pages").arg(i));
        c.insertBlock();
    }
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setResolution(600);
    const QString pdf = QString::fromStdString(env.Dir() + "long.pdf");
    printer.setOutputFileName(pdf);
    PrintDocument(doc, printer, QStringLiteral("Text Card"));
    const QString info = PdfInfo(pdf);
    const QRegularExpressionMatch pages = QRegularExpression("Pages:\\s+(\\d+)").match(info);
    ASSERT_TRUE(pages.hasMatch()) << info.toStdString();
    EXPECT_GE(pages.captured(1).toInt(), 3);
    EXPECT_TRUE(info.contains(QRegularExpression("Title:\\s+Text Card")));
    EXPECT_EQ(doc.pageCount(), 1) << "the document itself is not paginated by printing";
}

TEST(Printer, IndentsAreTheEditorsPixelsAtAnyPrinterResolution) {
    TestEnvironment env;
    QTextDocument doc;
    QTextCursor c(&doc);
    QTextBlockFormat inch;
    inch.setLeftMargin(96);  // one inch of the editor's pixels
    c.setBlockFormat(inch);
    c.insertText(QStringLiteral("Indented by one inch"));
    for (int dpi : {300, 600}) {
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setResolution(dpi);
        const QString pdf =
            QString::fromStdString(env.Dir() + "indent" + std::to_string(dpi) + ".pdf");
        printer.setOutputFileName(pdf);
        PrintDocument(doc, printer, QStringLiteral("Text Card"));
        // At 60 dpi: the 0.7-inch margin is 42 pixels, the indent 60 more.
        const QRect ink = kiv::test::InkOfPage(pdf, 1, 60);
        EXPECT_GE(ink.left(), 102) << dpi;
        EXPECT_LE(ink.left(), 105) << dpi;
        EXPECT_GE(ink.top(), 42) << dpi;
        EXPECT_LE(ink.top(), 48) << dpi;
    }
}

TEST(Printer, APrinterThatCannotStartIsReported) {
    TestEnvironment env;
    QTextDocument doc;
    doc.setPlainText("x");
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(env.Dir() + "no/such/folder/x.pdf"));
    EXPECT_THROW(PrintDocument(doc, printer, QStringLiteral("Text Card")), EKivError);
}

// Print pressed before Printer Setup: the current printer has nowhere to print. The failure
// says where to go, and what the set-up then chooses (a PDF file here) prints.
TEST(Printer, APrintThatBreaksOffLeavesThePrinterForTheSetupAndTheNextPrintWorks) {
    TestEnvironment env;
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("Printed after a failed print"));
    QPrinter& printer = CurrentPrinter();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString());
    printer.setResolution(300);
    try {
        PrintDocument(doc, printer, QStringLiteral("Text Card"));
        ADD_FAILURE() << "a printer without output printed";
    } catch (const EKivError& e) {
        EXPECT_NE(std::string(e.what()).find("Printer Setup"), std::string::npos) << e.what();
    }
    EXPECT_NE(printer.printerState(), QPrinter::Active);
    EXPECT_EQ(&CurrentPrinter(), &printer);
    EXPECT_EQ(printer.resolution(), 300) << "the settings stay";
    // What the set-up does.
    const QString pdf = QString::fromStdString(env.Dir() + "after.pdf");
    printer.setOutputFileName(pdf);
    EXPECT_EQ(printer.outputFileName(), pdf);
    PrintDocument(doc, printer, QStringLiteral("Text Card"));
    const QString info = PdfInfo(pdf);
    EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+1\\b"))) << info.toStdString();
    EXPECT_TRUE(PdfText(pdf).contains(QStringLiteral("Printed after a failed print")))
        << PdfText(pdf).toStdString();
}

}  // namespace
