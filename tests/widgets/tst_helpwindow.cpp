#include "support/testmain.h"
#include "widgets/helpwindow.h"

#include <QDialog>
#include <QDirIterator>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <memory>

using namespace ql;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

const QUrl unavailable(str("qrc:/help/unavailable.html"));

// The topics each book must have, besides its contents.
const QList<QPair<const char*, QList<int>>> requiredTopics{
    {"qlhelp.hlp", {1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 17}},
    {"QYTools.hlp", {9}},
};

// Every page built into the program.
QList<QUrl> allPages()
{
    QList<QUrl> pages;
    QDirIterator it(str(":/help"), {str("*.html")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        pages << QUrl(str("qrc") + it.next());
    return pages;
}

bool exists(const QUrl& url)
{
    return url.scheme() == str("qrc") && QFile::exists(str(":") + url.path());
}

// The page as the help browser reads it.
std::unique_ptr<QTextDocument> load(const QUrl& url)
{
    QFile file(str(":") + url.path());
    auto document = std::make_unique<QTextDocument>();
    if (file.open(QIODevice::ReadOnly))
        document->setHtml(QString::fromUtf8(file.readAll()));
    return document;
}

// The targets of every link on a page, resolved against the page.
QList<QUrl> links(const QUrl& page)
{
    QList<QUrl> targets;
    const auto document = load(page);
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QString href = fragment.fragment().charFormat().anchorHref();
            const QUrl target = page.resolved(QUrl(href));
            if (!href.isEmpty() && !targets.contains(target))
                targets << target;
        }
    }
    return targets;
}

} // namespace

class HelpWindowTest : public QObject {
    Q_OBJECT

    // One help window serves the cases, as one serves the program's run: made when first asked
    // for and again after a modal window that took it in went.
    QPointer<HelpWindow> m_window;
    HelpWindow& helpWindow()
    {
        if (!m_window)
            m_window = new HelpWindow;
        return *m_window;
    }
    QTextBrowser* browser() { return helpWindow().findChild<QTextBrowser*>(str("HelpBrowser")); }
    QPushButton* button(const char* name)
    {
        return helpWindow().findChild<QPushButton*>(str(name));
    }

public:
    HelpWindowTest() = default;
    HelpWindowTest(const HelpWindowTest&) = delete;
    HelpWindowTest& operator=(const HelpWindowTest&) = delete;
    ~HelpWindowTest() override { delete m_window; }

private Q_SLOTS:
    // Help opens beside the window that asked and wholly on its screen, wherever that window
    // stands; Escape closes it.
    void opensBesideTheAskerOnScreen_data()
    {
        QTest::addColumn<QRect>("asker");
        QTest::newRow("room on the right") << QRect(0, 0, 400, 300);
        QTest::newRow("room on the left only") << QRect(800, 100, 400, 300);
        QTest::newRow("no room beside") << QRect(100, 600, 1100, 300);
    }

    void opensBesideTheAskerOnScreen()
    {
        QFETCH(QRect, asker);
        HelpWindow* window = &helpWindow();
        window->hide();
        QWidget other;
        other.setGeometry(asker);
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        window->showContents(str("qlhelp.hlp"));
        const QRect help = window->frameGeometry();
        const QRect screen = other.screen()->availableGeometry();
        QVERIFY2(screen.contains(help), qPrintable(QString::number(help.y())));
        if (asker.width() < 1000)
            QVERIFY(!help.intersects(other.frameGeometry()));
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(browser(), Qt::Key_Escape);
        QVERIFY(!window->isVisible());
    }

    void everyTopicHasATitleAndText_data()
    {
        QTest::addColumn<QString>("helpFile");
        QTest::addColumn<int>("topic");
        for (const auto& [helpFile, topics] : requiredTopics) {
            QTest::addRow("%s contents", helpFile) << str(helpFile) << 0;
            for (int topic : topics)
                QTest::addRow("%s topic %d", helpFile, topic) << str(helpFile) << topic;
        }
    }

    void everyTopicHasATitleAndText()
    {
        QFETCH(QString, helpFile);
        QFETCH(int, topic);
        const QUrl url = HelpWindow::pageUrl(helpFile, topic);
        QVERIFY(exists(url));
        const auto document = load(url);
        const QString title = document->metaInformation(QTextDocument::DocumentTitle);
        QVERIFY(!title.trimmed().isEmpty());
        QVERIFY2(document->toPlainText().split(QRegularExpression(str("\\s+"))).size() >= 60,
                 qPrintable(url.toString()));

        HelpWindow* window = &helpWindow();
        window->showTopic(helpFile, topic);
        QCOMPARE(browser()->source(), url);
        QCOMPARE(window->windowTitle(), str("Quillory Help - ") + title);
        QVERIFY(window->isVisible());
    }

    void everyLinkLeadsToAPage()
    {
        const QList<QUrl> pages = allPages();
        QVERIFY(pages.contains(unavailable));
        for (const QUrl& page : pages) {
            const QList<QUrl> targets = links(page);
            QVERIFY2(!targets.isEmpty(), qPrintable(page.toString() + str(" leads nowhere")));
            for (const QUrl& target : targets)
                QVERIFY2(exists(target),
                         qPrintable(page.toString() + str(" -> ") + target.toString()));
        }
    }

    void contentsLinkToEveryTopicOfTheirBook()
    {
        for (const QUrl& page : allPages()) {
            if (!page.fileName().startsWith(str("topic")))
                continue;
            const QUrl contents = page.resolved(QUrl(str("contents.html")));
            QVERIFY2(links(contents).contains(page), qPrintable(page.toString()));
        }
    }

    void missingTopicsSayTheyAreNotAvailable_data()
    {
        QTest::addColumn<QString>("helpFile");
        QTest::addColumn<int>("topic");
        QTest::newRow("gap in the topics") << str("qlhelp.hlp") << 4;
        QTest::newRow("beyond the topics") << str("qlhelp.hlp") << 99;
        QTest::newRow("negative topic") << str("qlhelp.hlp") << -1;
        QTest::newRow("topic of the other book") << str("QYTools.hlp") << 1;
        QTest::newRow("unknown book") << str("nosuch.hlp") << 1;
        QTest::newRow("unknown book's contents") << str("nosuch.hlp") << 0;
        QTest::newRow("no book") << QString() << 0;
        QTest::newRow("book without suffix") << str("qlhelp") << 1;
    }

    void missingTopicsSayTheyAreNotAvailable()
    {
        QFETCH(QString, helpFile);
        QFETCH(int, topic);
        QVERIFY(HelpWindow::pageUrl(helpFile, topic).isEmpty());

        HelpWindow* window = &helpWindow();
        window->showContents(str("qlhelp.hlp"));
        window->hide();
        window->showTopic(helpFile, topic);
        QVERIFY(window->isVisible());
        QCOMPARE(browser()->source(), unavailable);
        QVERIFY(browser()->toPlainText().contains(str("this help topic is not available")));
        QCOMPARE(window->windowTitle(), str("Quillory Help - Help Topic Not Available"));
    }

    void bookNamesIgnoreLetterCase()
    {
        for (const auto& [helpFile, topics] : requiredTopics) {
            const QString name = str(helpFile);
            for (int topic : topics) {
                const QUrl url = HelpWindow::pageUrl(name, topic);
                QVERIFY(!url.isEmpty());
                QCOMPARE(HelpWindow::pageUrl(name.toUpper(), topic), url);
                QCOMPARE(HelpWindow::pageUrl(name.toLower(), topic), url);
            }
        }
        helpWindow().showContents(str("qytools.HLP"));
        QCOMPARE(browser()->source(), HelpWindow::pageUrl(str("QYTools.hlp"), 0));
    }

    void backForwardAndContentsRetraceTheWay()
    {
        HelpWindow* window = &helpWindow();
        window->showContents(str("qlhelp.hlp"));
        const QUrl contents = browser()->source();
        const QUrl topic = links(contents).constFirst();
        browser()->setSource(topic); // what following the link does
        QVERIFY(button("BackButton")->isEnabled());

        QTest::mouseClick(button("BackButton"), Qt::LeftButton);
        QCOMPARE(browser()->source(), contents);
        QCOMPARE(window->windowTitle(), str("Quillory Help - Contents"));
        QVERIFY(button("ForwardButton")->isEnabled());
        QTest::mouseClick(button("ForwardButton"), Qt::LeftButton);
        QCOMPARE(browser()->source(), topic);
        QVERIFY(!button("ForwardButton")->isEnabled());

        // Contents leads to the contents of the book shown last, even from the missing page.
        window->showTopic(str("QYTools.hlp"), 9);
        window->showTopic(str("QYTools.hlp"), 8);
        QTest::mouseClick(button("ContentsButton"), Qt::LeftButton);
        QCOMPARE(browser()->source(), HelpWindow::pageUrl(str("QYTools.hlp"), 0));
    }

    void aClosedWindowShowsAgainOnTheNextTopic()
    {
        HelpWindow* window = &helpWindow();
        QVERIFY(window->isWindow());
        QVERIFY(!window->isModal());
        window->close();
        window->showTopic(str("qlhelp.hlp"), 1);
        QVERIFY(window->isVisible());
        QVERIFY(window->width() >= 480 && window->height() >= 400);
    }

    void helpFromAModalWindowStaysUsableBesideIt()
    {
        auto* dialog = new QDialog;
        QPointer<HelpWindow> shown;
        QTimer::singleShot(0, [&] {
            helpWindow().showTopic(QStringLiteral("qlhelp.hlp"), 2);
            shown = m_window;
            dialog->reject();
        });
        dialog->exec();
        QVERIFY(shown);
        QCOMPARE(shown->parentWidget(), dialog); // not blocked by the modal window
        QVERIFY(shown->isWindow());
        delete dialog; // the help window goes with it and is made anew
        QVERIFY(!shown);
    }
};

QL_TEST_CLASS(HelpWindowTest)
#include "tst_helpwindow.moc"
