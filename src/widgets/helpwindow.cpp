#include "widgets/helpwindow.h"

#include "core/geometry.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <algorithm>

namespace ql {
namespace {

const QUrl unavailablePage(QStringLiteral("qrc:/help/unavailable.html"));

bool pageExists(const QUrl& url)
{
    return QFile::exists(QLatin1Char(':') + url.path());
}

QPushButton* addButton(QHBoxLayout* row, const QString& text, const char* name,
                       const QString& description)
{
    auto* button = new QPushButton(text);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(QString(text).remove(QLatin1Char('&')));
    button->setToolTip(description);
    button->setAccessibleDescription(description);
    button->setAutoDefault(false);
    row->addWidget(button);
    return button;
}

} // namespace

QUrl HelpWindow::pageUrl(const QString& helpFile, int topic)
{
    const QString suffix = QStringLiteral(".hlp");
    if (topic < 0 || !helpFile.endsWith(suffix, Qt::CaseInsensitive))
        return {};
    const QString name = helpFile.chopped(suffix.size());
    const QStringList books =
        QDir(QStringLiteral(":/help")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    const auto book = std::find_if(books.begin(), books.end(), [&](const QString& folder) {
        return folder.compare(name, Qt::CaseInsensitive) == 0;
    });
    if (book == books.end())
        return {};
    const QString page =
        topic == 0 ? QStringLiteral("contents.html") : QStringLiteral("topic%1.html").arg(topic);
    const QUrl url(QStringLiteral("qrc:/help/%1/%2").arg(*book, page));
    return pageExists(url) ? url : QUrl();
}

HelpWindow::HelpWindow()
    : m_browser(new QTextBrowser)
    , m_contents(pageUrl(QStringLiteral("qlhelp.hlp"), 0))
{
    setWindowTitle(QStringLiteral("Quillory Help"));
    setAccessibleName(QStringLiteral("Quillory Help"));
    // The help never keeps the program running once the main menu has closed.
    setAttribute(Qt::WA_QuitOnClose, false);

    auto* buttons = new QHBoxLayout;
    QPushButton* back = addButton(buttons, QStringLiteral("&Back"), "BackButton",
                                  QStringLiteral("Go back to the page shown before"));
    QPushButton* forward = addButton(buttons, QStringLiteral("&Forward"), "ForwardButton",
                                     QStringLiteral("Go forward again to the next page"));
    QPushButton* contents = addButton(buttons, QStringLiteral("&Contents"), "ContentsButton",
                                      QStringLiteral("Show the contents of this help"));
    buttons->addStretch();
    back->setEnabled(false);
    forward->setEnabled(false);

    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setAccessibleName(QStringLiteral("Help page"));
    m_browser->setOpenExternalLinks(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser, 1);
    resize(640, 520);

    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);

    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(contents, &QPushButton::clicked, this, [this] { showPage(m_contents); });
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, &HelpWindow::pageShown);
}

void HelpWindow::showTopic(const QString& helpFile, int topic)
{
    showPage(pageUrl(helpFile, topic));
    // Help asked for from a modal window must stay usable beside it: a window of the modal one
    // is not blocked by it. It goes with that window and is made anew next time.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != this && parentWidget() != modal) {
        const QRect place = geometry();
        setParent(modal, Qt::Window);
        setGeometry(place);
    }
    setWindowState(windowState() & ~Qt::WindowMinimized);
    // It opens beside the window that asked, so that both can be read at once.
    QWidget* asker = modal ? modal : QApplication::activeWindow();
    if (!isVisible() && asker != this)
        geometry::placeBeside(this, asker);
    show();
    raise();
    activateWindow();
}

void HelpWindow::showContents(const QString& helpFile)
{
    showTopic(helpFile, 0);
}

void HelpWindow::showPage(const QUrl& url)
{
    m_browser->setSource(url.isEmpty() ? unavailablePage : url);
}

void HelpWindow::pageShown(const QUrl& url)
{
    setWindowTitle(QStringLiteral("Quillory Help - ") + m_browser->documentTitle());
    const QUrl contents = url.resolved(QUrl(QStringLiteral("contents.html")));
    if (pageExists(contents))
        m_contents = contents;
}

} // namespace ql
