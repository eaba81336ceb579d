#include "report/paint.h"

#include "core/seams.h"
#include "store/error.h"

#include <QLayout>
#include <QPainter>
#include <QPicture>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <algorithm>

namespace ql::report {

void paintPage(QPainter& painter, const Page& page, double scale)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    // Drawn in layout units: each line's glyphs go where the layout measured them, at any
    // resolution.
    painter.scale(scale, scale);
    painter.setPen(QPen(Qt::black, 0.75));
    for (const PlacedItem& item : page.items) {
        const QRectF& rect = item.rect;
        if (item.kind == PlacedItem::Kind::Rule) {
            painter.drawLine(rect.topLeft(), rect.topRight());
            continue;
        }
        const ShapedLine line = shapeLine(item.text, item.font);
        double left = rect.left();
        if (item.alignment & Qt::AlignRight)
            left = rect.right() - line.width;
        else if (item.alignment & Qt::AlignHCenter)
            left += (rect.width() - line.width) / 2;
        const QPointF origin(left, rect.top());
        for (const QGlyphRun& run : line.glyphs)
            painter.drawGlyphRun(origin, run);
        if (!line.underline.isNull()) {
            painter.save();
            painter.setPen(QPen(Qt::black, line.underlineThickness));
            painter.drawLine(line.underline.translated(origin));
            painter.restore();
        }
    }
    painter.restore();
}

void preparePrinter(QPrinter& printer, const Document& document)
{
    printer.setDocName(document.title);
    printer.setFullPage(true);
    // A paper size is named upright; a page wider than tall is that paper turned, so the size
    // goes to the printer upright and the orientation turns it.
    const QSizeF points = document.pageSize * (72.0 / UnitsPerInch);
    const bool landscape = points.width() > points.height();
    printer.setPageSize(QPageSize(landscape ? points.transposed() : points, QPageSize::Point,
                                  QString(), QPageSize::FuzzyMatch));
    printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

namespace {

// Starts the job on the painter; throws when the printer or the file refuses it.
void begin(QPainter& painter, QPrinter& printer)
{
    if (!painter.begin(&printer))
        throw Error(
            printer.outputFileName().isEmpty()
                ? QStringLiteral("The printer \"%1\" cannot print now.").arg(printer.printerName())
                : QStringLiteral("Cannot write the file \"%1\".").arg(printer.outputFileName()));
}

} // namespace

void printPages(QPrinter& printer, const Document& document,
                const std::function<bool(int page)>& progress)
{
    preparePrinter(printer, document);
    QPainter painter;
    begin(painter, printer);
    const double scale = printer.logicalDpiY() / UnitsPerInch;
    for (int i = 0; i < document.pages.size(); ++i) {
        if (progress && !progress(i + 1)) {
            printer.abort();
            return;
        }
        if (i > 0)
            printer.newPage();
        paintPage(painter, document.pages.at(i), scale);
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        throw Error(QStringLiteral("The report \"%1\" could not be printed.").arg(document.title));
}

void writePdf(const Document& document, const QString& fileName)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fileName);
    printPages(printer, document);
}

QRect windowPictureArea(const QWidget* window)
{
    QRect client = window->rect();
    const QWidget* bar = window->layout() ? window->layout()->menuBar() : nullptr;
    if (bar && bar->isVisible())
        client.setTop(bar->geometry().bottom() + 1);
    return client;
}

void printWindow(QPrinter& printer, QWidget* window)
{
    const QRect client = windowPictureArea(window);
    // Recorded first: a window rendered straight to a printer becomes one raster image, recorded
    // its texts stay texts. They print at the size they were recorded for when the printer
    // works at the picture's resolution, so one pixel of the window is one dot of the printer.
    QPicture picture;
    {
        QPainter recorder(&picture);
        window->render(&recorder, QPoint(), QRegion(client));
    }
    printer.setResolution(picture.logicalDpiX());
    QPainter painter;
    begin(painter, printer);
    // The painter starts at the printable area's top left.
    const QRectF area = printer.pageRect(QPrinter::DevicePixel);
    const qreal scale = std::min({picture.logicalDpiX() / qreal(window->logicalDpiX()),
                                  area.width() / client.width(), area.height() / client.height()});
    painter.scale(scale, scale);
    painter.drawPicture(0, 0, picture);
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        throw Error(
            QStringLiteral("The window \"%1\" could not be printed.").arg(window->windowTitle()));
}

bool currentPrinterOrPdf(QWidget* parent, QPrinter& printer)
{
    if (!QPrinterInfo::availablePrinters().isEmpty())
        return true;
    // No printer on this machine: offer a PDF instead of failing quietly.
    const QString file = Services::of(parent).prompts().saveFileName(
        parent, QStringLiteral("No printer is set up: save as PDF"),
        QStringLiteral("PDF files (*.pdf)|*.pdf"), QStringLiteral("pdf"));
    if (file.isEmpty())
        return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    return true;
}

void printWithProgress(QWidget* parent, QPrinter& printer, const Document& document)
{
    QProgressDialog progress(QStringLiteral("Printing \"%1\"").arg(document.title),
                             QStringLiteral("Cancel"), 0, int(document.pages.size()), parent);
    progress.setWindowTitle(document.title);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    printPages(printer, document, [&progress, &document](int page) {
        progress.setLabelText(
            QStringLiteral("Printing page %1 of %2").arg(page).arg(document.pages.size()));
        progress.setValue(page - 1);
        return !progress.wasCanceled();
    });
    progress.setValue(progress.maximum());
}

} // namespace ql::report
