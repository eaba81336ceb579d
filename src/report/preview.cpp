#include "report/preview.h"

#include "core/guard.h"
#include "core/seams.h"
#include "report/paint.h"

#include <QAction>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QScreen>
#include <QScrollArea>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

namespace ql::report {

PreviewWindow::PreviewWindow(Document document, QWidget* parent)
    : QDialog(parent)
    , m_document(std::move(document))
    , m_printer(QPrinter::HighResolution)
{
    setObjectName(QStringLiteral("PreviewWindow"));
    setWindowTitle(m_document.title);
    setSizeGripEnabled(true);
    setWindowFlag(Qt::WindowMaximizeButtonHint);

    m_tools = new QToolBar(this);
    m_tools->setObjectName(QStringLiteral("Tools"));
    m_tools->setToolButtonStyle(Qt::ToolButtonTextOnly);
    addAction("FirstPage", QStringLiteral("&First"), QStringLiteral("Show the first page"),
              QKeySequence(Qt::CTRL | Qt::Key_Home), [this] { showPage(1); });
    addAction("PriorPage", QStringLiteral("P&rior"), QStringLiteral("Show the page before"),
              QKeySequence(Qt::Key_PageUp), [this] { showPage(m_page - 1); });
    addAction("NextPage", QStringLiteral("&Next"), QStringLiteral("Show the page after"),
              QKeySequence(Qt::Key_PageDown), [this] { showPage(m_page + 1); });
    addAction("LastPage", QStringLiteral("&Last"), QStringLiteral("Show the last page"),
              QKeySequence(Qt::CTRL | Qt::Key_End), [this] { showPage(pageCount()); });
    m_tools->addSeparator();
    addAction("ZoomIn", QStringLiteral("Zoom &In"), QStringLiteral("Show the page larger"),
              QKeySequence::ZoomIn, [this] { setZoom(m_zoom * 1.25); });
    addAction("ZoomOut", QStringLiteral("Zoom &Out"), QStringLiteral("Show the page smaller"),
              QKeySequence::ZoomOut, [this] { setZoom(m_zoom / 1.25); });
    addAction("ActualSize", QStringLiteral("&100%"),
              QStringLiteral("Show the page at its size on paper"),
              QKeySequence(Qt::CTRL | Qt::Key_0), [this] { setZoom(1.0); });
    addAction("WholePage", QStringLiteral("&Whole Page"),
              QStringLiteral("Show the whole page in the window"),
              QKeySequence(Qt::CTRL | Qt::Key_9), [this] { showWholePage(); });
    m_tools->addSeparator();
    addAction("Print", QStringLiteral("&Print"), QStringLiteral("Print the report"),
              QKeySequence::Print, [this] { PrintClick(); });
    addAction("PrinterSetup", QStringLiteral("Printer &Setup..."),
              QStringLiteral("Choose the printer and its settings"), QKeySequence(),
              [this] { PrinterSetupClick(); });
    addAction("SavePdf", QStringLiteral("Save as P&DF..."),
              QStringLiteral("Save the report as a PDF file"), QKeySequence::Save,
              [this] { SaveClick(); });
    m_tools->addSeparator();
    addAction("ClosePreview", QStringLiteral("&Close"), QStringLiteral("Close the preview"),
              QKeySequence(), [this] { reject(); });

    m_picture = new QLabel(this);
    m_picture->setObjectName(QStringLiteral("Picture"));
    m_picture->setAlignment(Qt::AlignCenter);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("Pages"));
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setWidget(m_picture);
    m_scroll->setWidgetResizable(false);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("Status"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 4);
    layout->addWidget(m_tools);
    layout->addWidget(m_scroll, 1);
    layout->addWidget(m_status);
    fitScreen(parent);
    render();
}

QAction* PreviewWindow::addAction(const char* name, const QString& text, const QString& hint,
                                  const QKeySequence& keys, const std::function<void()>& command)
{
    QAction* action = m_tools->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    // A tool bar shows no mnemonics, so the tip names the key that reaches the command.
    action->setToolTip(keys.isEmpty() ? hint
                                      : QStringLiteral("%1 (%2)").arg(
                                            hint, keys.toString(QKeySequence::NativeText)));
    action->setStatusTip(hint);
    action->setShortcut(keys);
    connect(action, &QAction::triggered, this, [this, command] { guarded(this, command); });
    return action;
}

// A page's shape, as large as the screen the preview opens on takes it with the window's frame
// (title bar and borders, which the window manager adds later), centred there.
void PreviewWindow::fitScreen(const QWidget* asker)
{
    constexpr QSize kPreferred(900, 1000);
    constexpr QSize kFrameAllowance(16, 48);
    const QScreen* screen = asker ? asker->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return resize(kPreferred);
    const QRect area = screen->availableGeometry();
    const QSize room = area.size() - kFrameAllowance;
    resize(kPreferred.boundedTo(room));
    move(area.left() + (area.width() - width()) / 2,
         area.top() + (area.height() - kFrameAllowance.height() - height()) / 2);
}

QAction* PreviewWindow::action(const QString& name) const
{
    return findChild<QAction*>(name);
}

void PreviewWindow::showPage(int page)
{
    m_page = std::clamp(page, 1, std::max(1, pageCount()));
    render();
}

void PreviewWindow::setZoom(double zoom)
{
    m_zoom = std::clamp(zoom, 0.25, 4.0);
    render();
}

void PreviewWindow::showWholePage()
{
    const QSizeF paper = m_document.pageSize * (logicalDpiY() / UnitsPerInch);
    const QSizeF room = m_scroll->viewport()->size() - QSize(8, 8);
    setZoom(std::min(room.width() / paper.width(), room.height() / paper.height()));
}

void PreviewWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        showWholePage();
    }
}

void PreviewWindow::render()
{
    action(QStringLiteral("FirstPage"))->setEnabled(m_page > 1);
    action(QStringLiteral("PriorPage"))->setEnabled(m_page > 1);
    action(QStringLiteral("NextPage"))->setEnabled(m_page < pageCount());
    action(QStringLiteral("LastPage"))->setEnabled(m_page < pageCount());
    // A report without records has no pages to show, print or save.
    action(QStringLiteral("Print"))->setEnabled(pageCount() > 0);
    action(QStringLiteral("SavePdf"))->setEnabled(pageCount() > 0);
    m_status->setText(
        QStringLiteral("Page %1 of %2").arg(std::min(m_page, pageCount())).arg(pageCount()));
    if (pageCount() == 0)
        return;
    // The paper at its real size on this screen, times the zoom.
    const double scale = logicalDpiY() / UnitsPerInch * m_zoom * devicePixelRatioF();
    QImage image((m_document.pageSize * scale).toSize(), QImage::Format_RGB32);
    const int dotsPerMetre = qRound(scale * UnitsPerInch / 0.0254);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        paintPage(painter, m_document.pages.at(m_page - 1), scale);
    }
    image.setDevicePixelRatio(devicePixelRatioF());
    m_picture->setPixmap(QPixmap::fromImage(image));
    m_picture->adjustSize();
}

void PreviewWindow::PrintClick()
{
    if (!currentPrinterOrPdf(this, m_printer))
        return;
    printWithProgress(this, m_printer, m_document);
}

void PreviewWindow::PrinterSetupClick()
{
    QPrintDialog dialog(&m_printer, this);
    dialog.setWindowTitle(QStringLiteral("Printer Setup"));
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.exec();
}

void PreviewWindow::SaveClick()
{
    const QString file = Services::of(this).prompts().saveFileName(
        this, QStringLiteral("Save the report as PDF"), QStringLiteral("PDF files (*.pdf)|*.pdf"),
        QStringLiteral("pdf"));
    if (!file.isEmpty())
        writePdf(m_document, file);
}

} // namespace ql::report
