#include "platform/qt/Printer.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>
#include <QTextFrame>
#include <memory>
#include <new>

#include "platform/core/KivError.h"
#include "platform/core/Rounding.h"

namespace kiv {

namespace {
constexpr double kMarginInches = 0.7;
constexpr double kLayoutDpi = 96.0;  // the editor's pixels
}  // namespace

QPrinter& CurrentPrinter() {
    static QPrinter printer(QPrinter::HighResolution);
    return printer;
}

namespace {

// A print engine whose start failed can stay "active" for good, refusing every later setting
// (the printer set-up included). The current printer is then made again in place, with the
// settings it had, so every holder of it keeps a printer that the set-up can change.
void RecoverFromFailedStart(QPrinter& printer) {
    if (&printer != &CurrentPrinter() || printer.printerState() != QPrinter::Active) return;
    const QString name = printer.printerName();
    const QPrinter::OutputFormat format = printer.outputFormat();
    const QString file = printer.outputFileName();
    const QPageLayout layout = printer.pageLayout();
    const int resolution = printer.resolution();
    const bool fullPage = printer.fullPage();
    const int copies = printer.copyCount();
    const bool collate = printer.collateCopies();
    const QPrinter::ColorMode color = printer.colorMode();
    const QPrinter::DuplexMode duplex = printer.duplex();
    const QPrinter::PageOrder order = printer.pageOrder();
    const QString docName = printer.docName();
    printer.~QPrinter();
    new (&printer) QPrinter(QPrinter::HighResolution);
    printer.setOutputFormat(format);
    if (format == QPrinter::NativeFormat) printer.setPrinterName(name);
    printer.setOutputFileName(file);
    printer.setPageLayout(layout);
    printer.setResolution(resolution);
    printer.setFullPage(fullPage);
    printer.setCopyCount(copies);
    printer.setCollateCopies(collate);
    printer.setColorMode(color);
    printer.setDuplex(duplex);
    printer.setPageOrder(order);
    printer.setDocName(docName);
}

}  // namespace

QRect PrintPageRect(const QPrinter& printer) {
    const QRect page = printer.pageLayout().fullRectPixels(printer.resolution());
    const int mx = int(RoundHalfEven(kMarginInches * printer.logicalDpiX()));
    const int my = int(RoundHalfEven(kMarginInches * printer.logicalDpiY()));
    return QRect(QPoint(mx, my), QPoint(page.width() - mx - 1, page.height() - my - 1));
}

void PrintDocument(const QTextDocument& doc, QPrinter& printer, const QString& jobTitle) {
    printer.setDocName(jobTitle);
    printer.setFullPage(true);  // painter coordinates start at the paper's corner
    const QRect page = PrintPageRect(printer);
    if (page.width() <= 0 || page.height() <= 0)
        throw EKivError("Can't print: the page is smaller than its margins");

    // A copy is laid out as the editor lays it out, in pixels at 96 dpi (indents and
    // picture sizes are such pixels), on pages of the page rectangle's size; the painter
    // scales that to the printer. The editor keeps its own layout.
    const qreal sx = printer.logicalDpiX() / kLayoutDpi;
    const qreal sy = printer.logicalDpiY() / kLayoutDpi;
    QImage device(1, 1, QImage::Format_RGB32);
    device.setDotsPerMeterX(int(RoundHalfEven(kLayoutDpi / 0.0254)));
    device.setDotsPerMeterY(int(RoundHalfEven(kLayoutDpi / 0.0254)));
    std::unique_ptr<QTextDocument> copy(doc.clone());
    QAbstractTextDocumentLayout* layout = copy->documentLayout();
    layout->setPaintDevice(&device);
    QTextFrameFormat frame = copy->rootFrame()->frameFormat();
    frame.setMargin(0);
    frame.setPadding(0);
    frame.setBorder(0);
    copy->rootFrame()->setFrameFormat(frame);
    const QSizeF pageSize(page.width() / sx, page.height() / sy);
    copy->setPageSize(pageSize);
    const int pages = copy->pageCount();

    QPainter painter;
    if (!painter.begin(&printer)) {
        RecoverFromFailedStart(printer);
        const QString name =
            printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
        if (name.isEmpty())
            throw EKivError(
                "Can't print: there is no printer; choose one, or a PDF file, in Printer Setup");
        throw EKivError("Can't print on " + name.toStdString());
    }
    for (int i = 0; i < pages; ++i) {
        if (i > 0 && !printer.newPage())
            throw EKivError("Can't print: the printer refused a new page");
        const QRectF clip(0, i * pageSize.height(), pageSize.width(), pageSize.height());
        painter.save();
        painter.translate(page.left(), page.top());
        painter.scale(sx, sy);
        painter.translate(0, -clip.top());
        painter.setClipRect(clip);
        QAbstractTextDocumentLayout::PaintContext ctx;
        ctx.clip = clip;
        ctx.palette.setColor(QPalette::Text, Qt::black);
        layout->draw(&painter, ctx);
        painter.restore();
    }
    painter.end();
}

}  // namespace kiv
