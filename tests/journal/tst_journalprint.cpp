#include "journal/journalform.h"
#include "journal/journalprint.h"
#include "journal/journaltables.h"
#include "journal/todoform.h"
#include "report/paint.h"
#include "report/preview.h"
#include "report/run.h"
#include "shell/realservices.h"
#include "support/modulefixture.h"
#include "support/pages.h"
#include "support/testmain.h"

#include <QAction>
#include <QFileInfo>
#include <QMenuBar>
#include <QPrinterInfo>
#include <QTemporaryDir>

using namespace ql;
using test::placed;
using test::printed;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

// Lines "name 1" … "name n", as a memo holds them.
QString numberedLines(const char* name, int count)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << QStringLiteral("%1 %2").arg(str(name)).arg(i);
    return lines.join(QStringLiteral("\r\n"));
}

struct Entry {
    QDateTime stamp;
    QString upper;
    QString lower;
};

struct Journal : test::ModuleFixture<JournalTables, JournalWindow> {
    explicit Journal(const QList<Entry>& entries)
        : ModuleFixture([entries](JournalTables& holder) {
            Table& t = *holder.tbJournal1;
            for (const Entry& e : entries) {
                t.insert();
                t.setAsDateTime(str("DateTimeStamp"), e.stamp);
                t.setValue(str("MemoField1"), e.upper);
                t.setValue(str("MemoField2"), e.lower);
                t.post();
            }
            t.first();
        })
    {
    }
    Table& table() const { return *holder->tbJournal1; }
    // Runs a print command of the window and gives the pages it laid out.
    report::Document run(const char* command)
    {
        const qsizetype before = services.printing->reports.size();
        window->action(str(command))->trigger();
        if (services.printing->reports.size() != before + 1)
            return {};
        return services.printing->reports.last().document;
    }
};

QDateTime at(int day, int hour = 9)
{
    return QDateTime(QDate(2024, 3, day), QTime(hour, 0));
}

// The page area below the top margin and above the footer.
constexpr double kTop = 48;
constexpr double kFooterTop = 1008 - 28;

struct Item {
    QDate due;
    const char* text;
};

struct ToDo : test::ModuleFixture<ToDoTables, ToDoWindow> {
    explicit ToDo(std::initializer_list<Item> items)
        : ModuleFixture([items](ToDoTables& holder) {
            Table& t = *holder.tbTodo;
            for (const Item& item : items) {
                t.insert();
                t.setAsDate(str("ToDoByDate"), item.due);
                t.setValue(str("ToDoMemo"), str(item.text));
                t.post();
            }
            t.first();
        })
    {
    }
    Table& table() const { return *holder->tbTodo; }
};

} // namespace

class TestJournalPrint : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theJournalPrintsOldestFirstWithEachStampBetweenItsRules()
    {
        Journal f({{at(12, 15), str("later upper"), str("later lower")},
                   {at(5), QString(), QString()},
                   {at(8), str("first line\r\nsecond line"), str("below")}});
        f.table().last();
        const QVariant current = f.table().value(str("JournalCode"));
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        QTest::keyClick(f.window.get(), Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(f.services.printing->reports.size(), 1);
        QVERIFY(f.services.printing->reports.at(0).preview);
        const report::Document d = f.services.printing->reports.at(0).document;
        QCOMPARE(d.title, str("Quillory -  Journal Print"));
        QCOMPARE(d.pages.size(), 1);
        const report::Page& page = d.pages.at(0);
        QCOMPARE(printed(page, str("QRLabel1")), QStringList({"Journal "}));
        QCOMPARE(placed(page, str("QRLabel1")).alignment, Qt::AlignHCenter);
        QVERIFY(placed(page, str("QRLabel1")).font.bold());
        QCOMPARE(
            printed(page, str("QRDBText1")),
            QStringList({"3/5/2024 9:00:00 AM", "3/8/2024 9:00:00 AM", "3/12/2024 3:00:00 PM"}));
        QCOMPARE(printed(page, str("QRMemo1")),
                 QStringList({"first line", "second line", "later upper"}));
        QCOMPARE(printed(page, str("QRMemo2")), QStringList({"below", "later lower"}));

        // Each entry's stamp stands between the rule above it and the rule below its lower
        // text, also for the entry with two empty texts.
        const QList<double> rules = test::rules(page);
        QCOMPARE(rules.size(), 6);
        QList<double> stamps;
        for (const report::PlacedItem& item : page.items)
            if (item.name == str("QRDBText1"))
                stamps << item.rect.top();
        for (qsizetype i = 0; i < 3; ++i)
            QVERIFY(rules.at(2 * i) < stamps.at(i) && stamps.at(i) < rules.at(2 * i + 1));
        // The report leaves the window on its record.
        QCOMPARE(f.table().value(str("JournalCode")), current);
    }

    void longEntriesStretchTheirBandsAndBreakToTheNextPage()
    {
        Journal f({{at(1), numberedLines("one", 40), str("x")},
                   {at(2), numberedLines("two", 40), str("y")},
                   {at(3), numberedLines("three", 150), numberedLines("under", 3)}});
        const report::Document d = f.run("PrintAll1");
        QVERIFY(!f.services.printing->reports.last().preview);
        // The second entry does not fit below the first: it starts the second page.
        QCOMPARE(printed(d.pages.at(0), str("QRDBText1")), QStringList({"3/1/2024 9:00:00 AM"}));
        QCOMPARE(printed(d.pages.at(1), str("QRDBText1")).value(0), str("3/2/2024 9:00:00 AM"));
        QCOMPARE(placed(d.pages.at(1), str("QRBand2")).rect.top(), kTop);
        // An entry longer than a page goes on over the pages, every line in its order.
        QVERIFY(d.pages.size() >= 4);
        QStringList expected;
        for (const char* name : {"one", "two", "three"})
            expected << numberedLines(name, name == str("three") ? 150 : 40).split(str("\r\n"));
        QCOMPARE(printed(d, str("QRMemo1")), expected);
        QCOMPARE(printed(d, str("QRMemo2")).last(), str("under 3"));
        for (const report::Page& page : d.pages)
            for (const report::PlacedItem& item : page.items)
                if (!item.name.startsWith(str("QRSysData")))
                    QVERIFY2(item.rect.top() >= kTop && item.rect.bottom() <= kFooterTop,
                             qPrintable(item.name + str(": ") + item.text));
    }

    void theFooterStandsOnEveryPage()
    {
        QList<Entry> entries;
        for (int i = 1; i <= 60; ++i)
            entries.append({at(1 + i % 28, i % 24), numberedLines("line", 3), QString()});
        Journal f(entries);
        f.clock.set(QDateTime(QDate(2024, 7, 4), QTime(15, 30, 5)));
        const report::Document d = f.run("PrintPreview1");
        QVERIFY(d.pages.size() >= 3);
        for (int i = 0; i < d.pages.size(); ++i) {
            const report::Page& page = d.pages.at(i);
            const report::PlacedItem when = placed(page, str("QRSysData1"));
            const report::PlacedItem number = placed(page, str("QRSysData2"));
            QCOMPARE(when.text, str("7/4/2024 3:30:05 PM"));
            QCOMPARE(number.text, QString::number(i + 1));
            QCOMPARE(when.rect.left(), 48.0);
            QCOMPARE(number.rect.right(), 816.0 - 48);
            QCOMPARE(number.alignment, Qt::AlignRight);
            QVERIFY(when.rect.top() >= kFooterTop && when.rect.bottom() <= 1008);
        }
    }

    void theProgramsOwnPreviewShowsTheJournal()
    {
        Journal f({{at(1), str("upper"), str("lower")}});
        const RealServices real;
        f.services.useInstead(real.services());
        QString title;
        int pages = 0;
        // The preview shows once the layout, on a worker thread, has ended.
        QTimer closer;
        closer.setInterval(10);
        QObject::connect(&closer, &QTimer::timeout, [&] {
            auto* preview = qobject_cast<report::PreviewWindow*>(QApplication::activeModalWidget());
            if (!preview)
                return;
            closer.stop();
            title = preview->windowTitle();
            pages = preview->pageCount();
            preview->reject();
        });
        closer.start();
        f.window->action(str("PrintPreview1"))->trigger();
        QCOMPARE(title, str("Quillory -  Journal Print"));
        QCOMPARE(pages, 1);
        QVERIFY(f.window->findChildren<JournalReport*>().isEmpty()); // made for one run only
    }

    void printSelectedPrintsTheWindowBelowItsMenuBarOrSaysWhyNot()
    {
        if (!QPrinterInfo::availablePrinters().isEmpty())
            QSKIP("this machine has a printer; the test would print on it");
        Journal f({{at(1), str("upper"), str("lower")}});
        const RealServices real;
        test::ScriptedPrompts prompts;
        f.services.useInstead(
            Services(nullptr, &prompts, &real.services().printing(), nullptr, nullptr));
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        QCOMPARE(report::windowPictureArea(f.window.get()).size(),
                 f.window->size() - QSize(0, f.find<QMenuBar>("MainMenu1")->height()));

        QTemporaryDir dir;
        const QString printed = dir.filePath(str("window.pdf"));
        const QString refused = dir.filePath(str("no/such.pdf"));
        prompts.fileNames << printed << refused;
        f.window->action(str("Print1"))->trigger();
        QVERIFY(QFileInfo(printed).size() > 0);
        QVERIFY(prompts.messages.isEmpty());
        f.window->action(str("Print1"))->trigger();
        QCOMPARE(prompts.messages, QStringList({"Cannot write the file \"" + refused + "\"."}));
    }

    void anEmptyJournalPreviewsNoPagesAndPrintsNone()
    {
        Journal f({});
        f.window->action(str("PrintAll1"))->trigger();
        f.window->action(str("PrintPreview1"))->trigger();
        QCOMPARE(f.services.printing->reports.size(), 1);
        QVERIFY(f.services.printing->reports.at(0).preview);
        QCOMPARE(f.services.printing->reports.at(0).document.pages.size(), 0);
        QCOMPARE(f.messages(), QStringList());
        QVERIFY(f.window->findChildren<JournalReport*>().isEmpty()); // made for one run only
    }

    void aTextBeingTypedIsStoredAndPrinted()
    {
        Journal f({{at(1), str("old"), QString()}});
        f.find<DBMemo>("DBMemo1")->setPlainText(str("typed just now"));
        const report::Document d = f.run("PrintAll1");
        QCOMPARE(printed(d, str("QRMemo1")), QStringList({"typed just now"}));
        QCOMPARE(f.table().state(), TableState::Browse);
        QCOMPARE(f.table().asText(str("MemoField1")), str("typed just now"));
    }

    void theToDoReportFollowsTheFilterAndTheDueDates()
    {
        ToDo f({{QDate(1999, 7, 4), "july"},
                {QDate(1999, 6, 1), "june b"},
                {QDate(1999, 6, 1), "june a\nsecond line"},
                {QDate(), "someday"}});
        f.window->action(str("PrintAll1"))->trigger();
        report::Document d = f.services.printing->reports.last().document;
        QCOMPARE(d.title, str("Quillory - To Do Print"));
        QCOMPARE(printed(d, str("QRDBText1")),
                 QStringList({"", "6/1/1999", "6/1/1999", "7/4/1999"}));
        QCOMPARE(printed(d, str("QRMemo1")),
                 QStringList({"someday", "june b", "june a", "second line", "july"}));

        f.ask("FilterBtn", str("6/1/1999"));
        f.window->action(str("PrintSelected1"))->trigger();
        QVERIFY(f.services.printing->reports.last().preview);
        d = f.services.printing->reports.last().document;
        QCOMPARE(printed(d, str("QRDBText1")), QStringList({"6/1/1999", "6/1/1999"}));
        QCOMPARE(printed(d, str("QRLabel2")), QStringList({"Due by", "Due by"}));
        QCOMPARE(printed(d, str("QRSysData2")), QStringList({"1"}));
        QVERIFY(f.table().hasRange());
    }
};

QL_TEST_CLASS(TestJournalPrint)
#include "tst_journalprint.moc"
