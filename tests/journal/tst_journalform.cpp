#include "calendar/calendarwindow.h"
#include "core/aboutbox.h"
#include "core/keys.h"
#include "core/settings.h"
#include "journal/journalform.h"
#include "journal/journaltables.h"
#include "shell/mainmenu.h"
#include "support/modulefixture.h"
#include "support/testmain.h"

#include <QAction>
#include <QLabel>

using namespace ql;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

QDateTime at(int year, int month, int day, int hour = 9, int minute = 0, int second = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

struct Entry {
    QDateTime stamp;
    const char* upper;
};

struct Fixture : test::ModuleFixture<JournalTables, JournalWindow> {
    explicit Fixture(std::initializer_list<Entry> entries)
        : ModuleFixture([entries](JournalTables& holder) {
            Table& t = *holder.tbJournal1;
            for (const Entry& e : entries) {
                t.insert();
                t.setAsDateTime(str("DateTimeStamp"), e.stamp);
                t.setValue(str("MemoField1"), str(e.upper));
                t.post();
            }
            t.first();
        })
    {
    }
    Table& table() const { return *holder->tbJournal1; }
    QString upper() const { return table().asText(str("MemoField1")); }
    void search(const QString& text) { ask("SearchBtn", text); }
};

void type(QWidget* widget, const QString& text)
{
    widget->setFocus();
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

} // namespace

class JournalFormTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void anUntouchedNewEntryLeavesNoTrace()
    {
        Fixture f({{at(1997, 5, 24), "first"}, {at(1997, 5, 26), "second"}});
        f.table().last();
        f.click("NewBtn");
        f.click("InsertBtn");
        QCOMPARE(f.table().recordCount(), 2);
        QCOMPARE(f.find<DBGrid>("DBGrid1")->model()->rowCount(), 3);
        f.click("CancelBtn");
        QCOMPARE(f.find<DBMemo>("DBMemo1")->toPlainText(), str("second"));
        QCOMPARE(f.listed(), QStringList({"5/24/1997 9:00:00 AM", "5/26/1997 9:00:00 AM"}));

        f.window->action(str("New2"))->trigger();
        f.click("ExitBtn");
        QCOMPARE(f.table().recordCount(), 2);
        QVERIFY(f.messages().isEmpty());
    }

    void anEntryKeepsTheMomentItWasStarted()
    {
        Fixture f({{at(1997, 5, 24), "old"}});
        f.clock.set(at(1999, 12, 31, 23, 59, 59));
        f.click("NewBtn");
        QCOMPARE(f.find<DBText>("DBText1")->text(), str("12/31/1999 11:59:59 PM"));
        type(f.find<DBMemo>("DBMemo1"), str("Ünterwegs"));
        type(f.find<DBMemo>("DBMemo2"), str("lower"));
        f.clock.set(at(2000, 1, 1, 0, 0, 5));
        f.window->action(str("Insert1"))->trigger(); // stores the typed entry first
        QCOMPARE(f.table().recordCount(), 2);
        type(f.find<DBMemo>("DBMemo2"), str("kept on closing"));
        f.click("ExitBtn");
        QCOMPARE(f.table().state(), TableState::Browse);
        QCOMPARE(f.listed(), QStringList({"5/24/1997 9:00:00 AM", "12/31/1999 11:59:59 PM",
                                          "1/1/2000 12:00:05 AM"}));
        f.table().moveToRow(1);
        QCOMPARE(f.upper(), str("Ünterwegs"));
        QCOMPARE(f.table().asText(str("MemoField2")), str("lower"));
    }

    void searchGoesToTheFirstEntryOnOrAfterADate()
    {
        Fixture f({{at(1997, 5, 24, 10), "24 May"},
                   {at(1997, 5, 26, 8), "26 May"},
                   {at(1997, 5, 26, 7), "26 May early"},
                   {at(2097, 5, 26), "2097"},
                   {at(2098, 1, 1), "newest"}});
        const QStringList order = f.listed();
        f.search(str("5/25/1997"));
        QCOMPARE(f.upper(), str("26 May early"));
        QCOMPARE(f.listed(), order);
        QCOMPARE(f.services.prompts->questions.last(),
                 str("Search for Date: Enter Date (ex. 5/25/97): "));
        f.search(str("5/25/97"));
        QCOMPARE(f.upper(), str("2097"));
        f.search(str("5/26/1997 7:30 AM"));
        QCOMPARE(f.upper(), str("26 May"));
        f.search(str("12/31/2199"));
        QCOMPARE(f.upper(), str("newest"));
        f.search(QString());
        QCOMPARE(f.upper(), str("24 May"));

        f.table().moveToRow(2);
        f.search(str("5/45/1997"));
        QCOMPARE(f.messages(),
                 QStringList({"'5/45/1997' is not a valid date and time (month/day/year and a "
                              "time, e.g. 5/25/2024 2:30:00 PM)"}));
        QCOMPARE(f.table().currentRow(), 2);
        QCOMPARE(f.listed(), order);
    }

    void deleteAsksFirst()
    {
        Fixture f({{at(1997, 5, 24), "a"}, {at(1997, 5, 25), "b"}, {at(1997, 5, 26), "c"}});
        f.table().next();
        f.click("DeleteBtn"); // answered No
        QCOMPARE(f.table().recordCount(), 3);
        QCOMPARE(f.services.prompts->questions.last(),
                 str("Are you sure you want to delete the current Journal Entry? \r Deleted "
                     "entries cannot be recovered. \t"));
        f.services.prompts->confirmations.enqueue(true);
        f.click("DeleteBtn");
        QCOMPARE(f.upper(), str("c"));
        f.services.prompts->confirmations.enqueue(true);
        f.window->action(str("Delete1"))->trigger();
        QCOMPARE(f.upper(), str("a"));

        f.services.prompts->confirmations.enqueue(true);
        f.window->action(str("Delete2"))->trigger();
        f.services.prompts->confirmations.enqueue(true);
        f.click("DeleteBtn");
        QCOMPARE(f.messages(),
                 QStringList(
                     {"Table \"Journal2.DB\": Cannot perform this operation on an empty dataset"}));
    }

    void theMenusAndTheWindow()
    {
        Fixture f({});
        f.window->action(str("Contents1"))->trigger();
        f.window->action(str("Journal1"))->trigger();
        QCOMPARE(f.services.help->shown,
                 (QList<QPair<QString, int>>{{str("qlhelp.hlp"), 0}, {str("qlhelp.hlp"), 2}}));
        f.window->action(str("Print1"))->trigger();
        QCOMPARE(f.services.printing->printedWindows, QList<QWidget*>{f.window.get()});
        bool calendarShown = false; // the reference calendar, over this window
        QTimer::singleShot(0, [&] {
            auto* calendar =
                qobject_cast<ReferenceCalendarWindow*>(QApplication::activeModalWidget());
            calendarShown = calendar && calendar->parent() == f.window.get();
            if (calendar)
                calendar->reject();
        });
        f.window->action(str("Calander1"))->trigger();
        QVERIFY(calendarShown);
        QVERIFY(f.window->findChildren<ReferenceCalendarWindow*>().isEmpty());
        QCOMPARE(f.find<DBGrid>("DBGrid1")->model()->headerData(0, Qt::Horizontal).toString(),
                 str("Date & Time"));
        QString product;
        QTimer::singleShot(0, [&] {
            product = f.program->context().aboutBox->ProductName->text();
            f.program->context().aboutBox->accept();
        });
        f.window->action(str("About1"))->trigger();
        QCOMPARE(product, str("Quillory - Journal"));
        QCOMPARE(test::unnamedControls(f.window.get()), QStringList());
        QVERIFY(test::growsWithTheWindow(*f.window));
    }

    void theMainMenuOpensTheJournalOnItsOldestEntry()
    {
        Fixture f({{at(1997, 5, 26), "newer"}, {at(1997, 5, 24), "oldest"}});
        f.table().last();
        QString shown;
        int width = 0;
        f.openFromMainMenu(f.program->mainMenu()->journalButton, [&](JournalWindow& window) {
            shown = Fixture::findIn<DBMemo>(window, "DBMemo1")->toPlainText();
            window.resize(810, 530);
            width = window.frameGeometry().width();
        });
        QCOMPARE(shown, str("oldest"));
        Settings settings;
        QVERIFY(settings.openKey(keys::Journal, false));
        QCOMPARE(settings.readInteger(keys::Width), width);
    }
};

QL_TEST_CLASS(JournalFormTest)
#include "tst_journalform.moc"
