#include "platform/qt/Printer.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>
#include <QTextFrame>
#include <memory>

#include "platform/core/KivError.h"
#include "platform/core/Rounding.h"

namespace kiv {

namespace {
constexpr double kMarginInches = 0.7;
}

QPrinter& CurrentPrinter() {
    static QPrinter printer(QPrinter::HighResolution);
    return printer;
}

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

    // Laid out for the printer on a copy, so the editor keeps its own layout.
    std::unique_ptr<QTextDocument> copy(doc.clone());
    QAbstractTextDocumentLayout* layout = copy->documentLayout();
    layout->setPaintDevice(&printer);
    QTextFrameFormat frame = copy->rootFrame()->frameFormat();
    frame.setMargin(0);
    frame.setPadding(0);
    frame.setBorder(0);
    copy->rootFrame()->setFrameFormat(frame);
    copy->setPageSize(page.size());
    const int pages = copy->pageCount();

    QPainter painter;
    if (!painter.begin(&printer)) {
        const QString name = printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
        throw EKivError("Can't print on " + name.toStdString());
    }
    for (int i = 0; i < pages; ++i) {
        if (i > 0 && !printer.newPage()) throw EKivError("Can't print: the printer refused a new page");
        const QRectF clip(0, qreal(i) * page.height(), page.width(), page.height());
        painter.save();
        painter.translate(page.left(), page.top() - clip.top());
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
