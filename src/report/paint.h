#pragma once

#include "report/report.h"

#include <functional>

class QPainter;
class QPrinter;
class QRect;
class QWidget;

// Putting laid-out pages on paper, on the screen and into PDF files: every way goes through
// paintPage, so what the preview shows is what prints.
namespace ql::report {

// Paints a page on a device `scale` pixels to the layout unit, the paper's top left at the
// device's origin.
void paintPage(QPainter& painter, const Page& page, double scale);

// Sets the printer to the document's paper, with the page's own margins, and names the job.
void preparePrinter(QPrinter& printer, const Document& document);

// Prints every page; `progress` is told each page before it prints and stops the job by
// returning false. Throws ql::Error when the printer refuses the job.
void printPages(QPrinter& printer, const Document& document,
                const std::function<bool(int page)>& progress = {});

// Writes the document as a PDF file. Throws ql::Error when the file cannot be written.
void writePdf(const Document& document, const QString& fileName);

// The part of the window a picture of it shows: its client area below its menu bar (all of it
// when it has none), in the window's coordinates.
QRect windowPictureArea(const QWidget* window);

// Prints a picture of the window on one page, at the top left of the printable area: at its
// physical size on the screen, or smaller, keeping its proportions, where that would not fit the
// printable area. Its texts print as text. Throws ql::Error when the printer refuses the job or
// the picture does not reach it.
void printWindow(QPrinter& printer, QWidget* window);

// Prepares a printer for a job without a dialog: the current printer, or, where the machine has
// none, a PDF file the user names. False when the user declines.
bool currentPrinterOrPdf(QWidget* parent, QPrinter& printer);

// Prints at once on the printer with a progress window and no print dialog.
void printWithProgress(QWidget* parent, QPrinter& printer, const Document& document);

} // namespace ql::report
