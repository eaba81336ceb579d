#include "journal/journaltables.h"
#include "report/paint.h"
#include "report/preview.h"
#include "report/report.h"
#include "support/pages.h"
#include "support/scripted.h"
#include "support/testenv.h"
#include "support/testmain.h"

#include <QAction>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPrinterInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace ql;
using report::BandKind;
using test::placed;
using test::printed;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

// A journal with entries "entry 1" … "entry n" and a report over it that the test designs.
struct Fixture {
    test::ScriptedServices services;
    test::ProgramDirectory dir;
    test::FixedClock clock{dir.session(), QDateTime(QDate(2024, 3, 10), QTime(12, 0))};
    JournalTables holder{dir.session()};
    report::Report report{nullptr, holder.tbJournal1};

    explicit Fixture(int entries)
    {
        Table& t = *holder.tbJournal1;
        for (int i = 1; i <= entries; ++i) {
            t.insert();
            t.setAsDateTime(str("DateTimeStamp"),
                            QDateTime(QDate(2024, 1, 1).addDays(i - 1), QTime(9, 0)));
            t.setValue(str("MemoField1"), QStringLiteral("entry %1").arg(i));
            t.post();
        }
        t.first();
        report.title = str("Test Report");
    }
    Table& table() { return *holder.tbJournal1; }
    // A detail band printing the upper text; `height` tall.
    report::Band* detail(double height)
    {
        report::Band* band = report.addBand(BandKind::Detail, str("Detail"), height);
        report::Item* text = band->addField(str("Text"), str("MemoField1"), QRectF(10, 2, 300, 16));
        text->font = report.font(10);
        return band;
    }
};

QString pdfText(const QString& file)
{
    QProcess p;
    p.start(str("pdftotext"), {str("-layout"), file, str("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return str("(pdftotext failed: ") + QString::fromUtf8(p.readAllStandardError()) + ')';
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestReport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void wrappingKeepsEveryCharacterAndTheLineBreaks()
    {
        QFont font(str("Arial"));
        font.setPointSize(10);
        const QString words = str("the quick brown fox jumps over the lazy dog again and again");
        const QStringList lines = report::wrapText(words, font, 120);
        QVERIFY(lines.size() > 2);
        QCOMPARE(lines.join(' '), words);
        QCOMPARE(report::wrapText(str("a\r\n\r\nb\rc"), font, 120),
                 QStringList({"a", "", "b", "c"}));
        // A word wider than the box is broken between characters, nothing lost.
        const QString word(200, QLatin1Char('W'));
        const QStringList pieces = report::wrapText(word, font, 100);
        QVERIFY(pieces.size() > 5);
        QCOMPARE(pieces.join(QString()), word);
        QCOMPARE(report::wrapText(QString(), font, 100), QStringList({""}));

        // At a width the words fill exactly, the blank after them never moves a word down.
        const auto width = [&](const char* text) {
            return report::shapeLine(str(text), font).width;
        };
        QCOMPARE(report::wrapText(str("the quick brown"), font, width("the quick")),
                 QStringList({"the quick", "brown"}));
        QCOMPARE(report::wrapText(str("WWWWWWWW x"), font, width("WWWW")),
                 QStringList({"WWWW", "WWWW", "x"}));
    }

    void bandsAndItemsPrintOnlyWhenEnabledAndWhereTheyArePut()
    {
        Fixture f(3);
        report::Band* title = f.report.addBand(BandKind::Title, str("Title"), 30);
        title->addLabel(str("Heading"), str("All entries"), QRectF(0, 0, 200, 20));
        report::Band* detail = f.detail(20);
        report::Item* hidden = detail->addLabel(str("Hidden"), str("never"), QRectF(0, 0, 9, 9));
        hidden->enabled = false;
        report::Band* child = f.report.addBand(BandKind::Child, str("Child"), 20, detail);
        report::Item* moved = child->addLabel(str("Moved"), str("moved"), QRectF(0, 0, 80, 16));
        moved->setLeft(312);
        moved->setTop(4);
        QStringList order;
        detail->beforePrint = [&] { order << f.report.fieldText(str("MemoField1")); };

        report::Document d = f.report.layOut();
        QCOMPARE(d.pages.size(), 1);
        QCOMPARE(printed(d, str("Heading")), QStringList({"All entries"}));
        QCOMPARE(printed(d, str("Text")), QStringList({"entry 1", "entry 2", "entry 3"}));
        QCOMPARE(order, QStringList({"entry 1", "entry 2", "entry 3"}));
        QVERIFY(printed(d, str("Hidden")).isEmpty());
        QCOMPARE(printed(d, str("Moved")).size(), 3);
        const report::PlacedItem first = placed(d.pages.at(0), str("Moved"));
        QCOMPARE(first.rect.topLeft(), QPointF(48 + 312, 48 + 30 + 20 + 4));

        // A child band prints after each record also when its detail band does not; the
        // detail band's handler still prepares it.
        detail->enabled = false;
        order.clear();
        d = f.report.layOut();
        QVERIFY(printed(d, str("Text")).isEmpty());
        QCOMPARE(printed(d, str("Moved")).size(), 3);
        QCOMPARE(order.size(), 3);
        child->enabled = false;
        title->enabled = false;
        QVERIFY(f.report.layOut().pages.isEmpty());
    }

    void aWrappingFieldGrowsItsBandAndPushesTheNextRecordDown()
    {
        Fixture f(2);
        f.table().first();
        f.table().edit();
        const QString longer = str("a long text ").repeated(400); // longer than a page
        f.table().setValue(str("MemoField1"), longer);
        f.table().post();
        report::Item* text = f.detail(20)->item(str("Text"));
        text->wordWrap = true;
        const report::Document d = f.report.layOut();
        const QStringList lines = printed(d, str("Text"));
        QCOMPARE(lines.last(), str("entry 2"));
        QCOMPARE(lines.mid(0, lines.size() - 1).join(' ').simplified(), longer.simplified());
        // The first record starts at the top of the first page and goes on over the next.
        QCOMPARE(d.pages.size(), 2);
        QCOMPARE(placed(d.pages.at(0), str("Text")).rect.top(), 48.0 + 2);
        QList<double> tops;
        for (const report::PlacedItem& item : d.pages.at(1).items)
            tops << item.rect.top();
        const double lineHeight = tops.at(1) - tops.at(0);
        // The box kept its 4 units of room below, under its last line.
        QCOMPARE(tops.last(), tops.first() + double(tops.size() - 1) * lineHeight + 4);
    }

    void theReportReadsTheCurrentOrderAndRangeAndLeavesThemAlone()
    {
        Fixture f(5);
        f.detail(20);
        f.table().setRange(QDateTime(QDate(2024, 1, 2), QTime(0, 0)),
                           QDateTime(QDate(2024, 1, 4), QTime(23, 0)));
        f.table().last();
        QCOMPARE(printed(f.report.layOut(), str("Text")),
                 QStringList({"entry 2", "entry 3", "entry 4"}));
        QVERIFY(f.table().hasRange());
        QCOMPARE(f.table().asText(str("MemoField1")), str("entry 4"));
        QCOMPARE(f.table().indexField().name, str("DateTimeStamp"));

        f.table().cancelRange();
        f.table().setRange(QDateTime(QDate(2030, 1, 1), QTime()),
                           QDateTime(QDate(2030, 1, 1), QTime()));
        QVERIFY(f.report.layOut().pages.isEmpty());
    }

    // Off the window's thread the report lays out over a twin of its table, in the same order and
    // range, counting the records as it goes; a cancel stops it, and either way the report is
    // over the window's table again.
    void aLayoutOverATwinCountsItsRecordsAndStopsOnCancel()
    {
        Fixture f(200);
        f.detail(20);
        f.table().setRange(QDateTime(QDate(2024, 1, 2), QTime(0, 0)),
                           QDateTime(QDate(2024, 1, 4), QTime(23, 0)));
        {
            const std::unique_ptr<Table> twin = f.table().openTwin();
            test::ScriptedProgress progress;
            QCOMPARE(printed(f.report.layOutFrom(*twin, progress), str("Text")),
                     QStringList({"entry 2", "entry 3", "entry 4"}));
            QCOMPARE(progress.total, 3);
        }
        QCOMPARE(f.report.table(), &f.table());

        f.table().cancelRange();
        const std::unique_ptr<Table> twin = f.table().openTwin();
        test::ScriptedProgress cancelling;
        cancelling.cancelAt = 64;
        QVERIFY_THROWS_EXCEPTION(Cancelled, f.report.layOutFrom(*twin, cancelling));
        QCOMPARE(cancelling.done, 64);
        QCOMPARE(f.report.table(), &f.table());
    }

    void titleOnTheFirstPageAndEveryPageFullToItsFooter()
    {
        Fixture f(120);
        f.report.addBand(BandKind::Title, str("Title"), 40)
            ->addLabel(str("Heading"), str("All entries"), QRectF(0, 0, 200, 20));
        f.detail(20);
        report::Band* footer = f.report.addBand(BandKind::PageFooter, str("Footer"), 30);
        footer->addSystemData(str("Page"), report::SystemData::PageNumber, QRectF(0, 5, 50, 16));
        footer->addSystemData(str("Count"), report::SystemData::RecordCount, QRectF(60, 5, 50, 16));
        footer->addSystemData(str("Date"), report::SystemData::Date, QRectF(120, 5, 90, 16));
        footer->addSystemData(str("Time"), report::SystemData::Time, QRectF(220, 5, 90, 16));

        const report::Document d = f.report.layOut();
        // 960 units between the margins, 30 for the footer: 46 rows on a page, 44 on the first.
        QCOMPARE(d.pages.size(), 3);
        QCOMPARE(printed(d.pages.at(0), str("Text")).size(), 44);
        QCOMPARE(printed(d.pages.at(1), str("Text")).size(), 46);
        QCOMPARE(printed(d.pages.at(1), str("Text")).first(), str("entry 45"));
        QCOMPARE(printed(d, str("Heading")).size(), 1);
        QCOMPARE(printed(d, str("Page")), QStringList({"1", "2", "3"}));
        QCOMPARE(printed(d, str("Count")), QStringList({"120", "120", "120"}));
        QCOMPARE(printed(d, str("Date")).value(2), str("3/10/2024"));
        QCOMPARE(printed(d, str("Time")).value(2), str("12:00:00 PM"));
        QCOMPARE(placed(d.pages.at(2), str("Page")).rect.top(), 1008.0 - 30 + 5);
    }

    void anUnderlineRunsUnderItsTextAtEveryScale()
    {
        QFont font(str("Arial"));
        font.setPointSize(10);
        font.setUnderline(true);
        const QString text = str("Address A");
        const report::Page page{{{report::PlacedItem::Kind::Text, str("Heading"),
                                  QRectF(100, 100, 200, 18), text, font, Qt::AlignLeft}}};
        const double width = report::shapeLine(text, font).width;
        for (const double scale : {1.0, 1.5, 3.0}) {
            QImage image(QSize(400, 200) * scale, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            report::paintPage(painter, page, scale);
            painter.end();
            // Ink only where the text stands, and one row under it inked from end to end.
            int fullRows = 0;
            for (int y = 0; y < image.height(); ++y) {
                int inked = 0;
                for (int x = 0; x < image.width(); ++x) {
                    if (qGray(image.pixel(x, y)) > 128)
                        continue;
                    ++inked;
                    QVERIFY2(
                        QRectF(99, 99, width + 2, 20).contains(QPointF(x, y) / scale),
                        qPrintable(
                            QStringLiteral("ink at %1,%2 at scale %3").arg(x).arg(y).arg(scale)));
                }
                fullRows += inked >= int(width * scale) - 2 ? 1 : 0;
            }
            QVERIFY2(fullRows > 0, qPrintable(QString::number(scale)));
        }
    }

    void aPdfCarriesThePrintedTexts()
    {
        Fixture f(60);
        f.report.addBand(BandKind::Title, str("Title"), 30)
            ->addLabel(str("Heading"), str("Every Entry"), QRectF(0, 0, 300, 20))
            ->font = f.report.font(12, true);
        f.detail(20);
        report::Band* footer = f.report.addBand(BandKind::PageFooter, str("Footer"), 30);
        footer->addLabel(str("PageCaption"), str("Page"), QRectF(600, 5, 40, 16));
        footer->addSystemData(str("Page"), report::SystemData::PageNumber, QRectF(650, 5, 50, 16));
        const report::Document d = f.report.layOut();
        QCOMPARE(d.pages.size(), 2);

        QTemporaryDir dir;
        const QString file = dir.filePath(str("entries.pdf"));
        report::writePdf(d, file);
        const QString text = pdfText(file).simplified();
        for (const char* expected :
             {"Every Entry", "entry 1", "entry 44", "entry 60", "Page 1", "Page 2"})
            QVERIFY2(text.contains(str(expected)), expected);
        QCOMPARE(pdfText(file).count(QLatin1Char('\f')), 2);

        QCOMPARE(
            test::failureText([&] { report::writePdf(d, dir.filePath(str("no/such.pdf"))); }),
            QStringLiteral("Cannot write the file \"%1\".").arg(dir.filePath(str("no/such.pdf"))));
    }

    void thePreviewPagesAndPrintsWhereThereIsNoPrinter()
    {
        if (!QPrinterInfo::availablePrinters().isEmpty())
            QSKIP("this machine has a printer; the test would print on it");
        Fixture f(120);
        f.detail(20);
        report::PreviewWindow preview(f.report.layOut());
        f.services.serve(&preview);
        preview.show();
        QCOMPARE(preview.windowTitle(), str("Test Report"));
        // On a 1024 px screen the title bar a window manager adds stays on the screen too.
        const QRect area = preview.screen()->availableGeometry();
        QVERIFY(area.contains(QRect(preview.pos(), preview.size() + QSize(16, 48))));
        QCOMPARE(preview.action(str("SavePdf"))->toolTip(),
                 str("Save the report as a PDF file (Ctrl+S)"));
        const auto status = [&] { return preview.findChild<QLabel*>(str("Status"))->text(); };
        QCOMPARE(status(), str("Page 1 of 3"));
        QVERIFY(!preview.action(str("PriorPage"))->isEnabled());
        preview.action(str("NextPage"))->trigger();
        QCOMPARE(status(), str("Page 2 of 3"));
        preview.action(str("LastPage"))->trigger();
        QCOMPARE(preview.currentPage(), 3);
        QVERIFY(!preview.action(str("NextPage"))->isEnabled());
        const QSize normal = preview.findChild<QLabel*>(str("Picture"))->size();
        preview.action(str("ZoomIn"))->trigger();
        QVERIFY(preview.findChild<QLabel*>(str("Picture"))->width() > normal.width());

        // Without a printer, Print offers a PDF file; cancelling writes nothing.
        QTemporaryDir dir;
        const QString file = dir.filePath(str("preview.pdf"));
        preview.action(str("Print"))->trigger();
        QVERIFY(!QFile::exists(file));
        f.services.prompts->fileNames.enqueue(file);
        preview.action(str("Print"))->trigger();
        QVERIFY(pdfText(file).contains(str("entry 120")));
        QVERIFY(f.services.prompts->messages.isEmpty());
    }
};

QL_TEST_CLASS(TestReport)
#include "tst_report.moc"
