#include "calendar/calendarwindow.h"
#include "calendar/monthchooser.h"
#include "calendar/monthgrid.h"
#include "collections/collectionstables.h"
#include "core/aboutbox.h"
#include "core/keys.h"
#include "core/settings.h"
#include "journal/journalform.h"
#include "journal/journaltables.h"
#include "journal/todoform.h"
#include "shell/mainmenu.h"
#include "shell/startup.h"
#include "support/scripted.h"
#include "support/testenv.h"
#include "support/testmain.h"
#include "widgets/dbcontrols.h"
#include "widgets/radiogroup.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

using namespace ql;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

// A started program, its clock at 15 March 2000, with a calendar made as the main menu makes it,
// shown (not modally, so the test can drive it).
template <typename Window> struct Fixture {
    test::ScriptedServices services;
    test::ProgramDirectory dir;
    test::FixedClock clock{dir.session(), QDateTime(QDate(2000, 3, 15), QTime(9, 0))};
    std::unique_ptr<Program> program =
        std::make_unique<Program>(dir.path(), dir.session(), services);
    std::unique_ptr<Window> window;

    Fixture() { open(); }
    void open()
    {
        window = std::make_unique<Window>(context(), program->mainMenu());
        window->show();
    }
    const RunContext& context() const { return program->context(); }
    MonthGrid* grid() const { return window->grid(); }
    QPushButton* button(const char* name) const
    {
        return window->template findChild<QPushButton*>(str(name));
    }
    void setDate(int year, int month, int day) const
    {
        grid()->setDay(1);
        grid()->setYear(year);
        grid()->setMonth(month);
        grid()->setDay(day);
        window->showMonth();
    }
    // What the window shows: its two captions and the selected day.
    QString shown() const
    {
        const QList<QTableWidgetItem*> days = grid()->selectedItems();
        return window->template findChild<QLabel*>(str("Label1"))->text() + QLatin1Char(' ') +
               (days.size() == 1 ? days.first()->text() : str("?")) + QLatin1Char(' ') +
               window->template findChild<QLabel*>(str("Label2"))->text();
    }
    void click(QPushButton* button) const { QTest::mouseClick(button, Qt::LeftButton); }
    // Runs GoTo; the chooser is handled by `inside` while it is open.
    void goTo(const std::function<void(MonthChooser*)>& inside) const
    {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* chooser = qobject_cast<MonthChooser*>(QApplication::activeModalWidget());
            QVERIFY(chooser);
            seen = true;
            inside(chooser);
        });
        click(button("GoToBtn"));
        QVERIFY(seen);
    }
};

QLineEdit* field(const MonthChooser* chooser, const char* name)
{
    return chooser->findChild<QLineEdit*>(str(name));
}

QPushButton* chooserButton(const MonthChooser* chooser, const char* name)
{
    return chooser->findChild<QPushButton*>(str(name));
}

// Types into a chooser field and presses OK.
void choose(MonthChooser* chooser, const char* month, const char* year)
{
    field(chooser, "Edit1")->setText(str(month));
    field(chooser, "Edit2")->setText(str(year));
    QTest::mouseClick(chooserButton(chooser, "Button1"), Qt::LeftButton);
}

bool everyControlIsNamed(QWidget* window, QString* unnamed)
{
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (w->focusPolicy() == Qt::NoFocus || qobject_cast<QMenu*>(w))
            continue;
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
        if (!face || face->text(QAccessible::Name).trimmed().isEmpty()) {
            *unnamed = w->objectName() + QLatin1Char(' ') + w->metaObject()->className();
            return false;
        }
    }
    return true;
}

QPoint dayCentre(MonthGrid* grid, int day)
{
    return grid->visualItemRect(grid->dayItem(day)).center();
}

} // namespace

class CalendarFormTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A day above 28 becomes the first; smaller days are kept, in both directions.
    void previousAndNextKeepTheDayUpTo28()
    {
        Fixture<MainCalendarWindow> f;
        const struct {
            QDate from;
            const char* command; // a button, a menu item or a key
            const char* shown;
        } steps[] = {
            {QDate(2000, 1, 28), "PreviousBtn", "December 28 1999"},
            {QDate(1999, 12, 28), "NextBtn", "January 28 2000"},
            {QDate(2000, 1, 15), "NextMonth1", "February 15 2000"},
            {QDate(2000, 2, 15), "Previous1", "January 15 2000"},
            {QDate(2000, 3, 28), "PreviousBtn", "February 28 2000"},
            {QDate(2000, 3, 28), "NextBtn", "April 28 2000"},
            {QDate(2000, 3, 30), "NextBtn", "April 1 2000"},
            {QDate(2000, 2, 29), "PreviousBtn", "January 1 2000"},
            {QDate(1999, 12, 31), "NextBtn", "January 1 2000"},
            {QDate(2000, 6, 15), "Alt+P", "May 15 2000"},
            {QDate(2000, 12, 30), "Alt+N", "January 1 2001"},
        };
        f.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        for (const auto& step : steps) {
            f.setDate(step.from.year(), step.from.month(), step.from.day());
            if (auto* button = f.window->findChild<QPushButton*>(str(step.command)))
                f.click(button);
            else if (QAction* item = f.window->action(str(step.command)))
                item->trigger();
            else
                QTest::keySequence(QApplication::focusWidget(), QKeySequence(str(step.command)));
            // A button's Alt letter clicks it the way the eye sees: pressed, then released.
            QTRY_COMPARE(f.shown(), str(step.shown));
        }
    }

    void goToSetsAMonthAndYearAndSaysWhyItRefusesOthers()
    {
        Fixture<MainCalendarWindow> f;
        QString month;
        QString year;
        f.goTo([&](MonthChooser* chooser) {
            QCOMPARE(chooser->objectName(), str("ChoseDateForm"));
            month = field(chooser, "Edit1")->text();
            year = field(chooser, "Edit2")->text();
            // The texts are selected on entry: what is typed replaces them.
            QTest::keyClicks(field(chooser, "Edit1"), str("7"));
            QCOMPARE(field(chooser, "Edit1")->text(), str("7"));
            choose(chooser, "13", "2001");
            QVERIFY(chooser->isVisible());
            choose(chooser, "2", "0");
            QVERIFY(chooser->isVisible());
            QCOMPARE(f.shown(), str("March 15 2000"));
            choose(chooser, "7", "2001");
        });
        QCOMPARE(month, str("3"));
        QCOMPARE(year, str("2000"));
        QCOMPARE(f.services.prompts->messages,
                 QStringList({str("'13' is not a month: type 1 to 12"),
                              str("'0' is not a year: type 1 to 9999")}));
        QCOMPARE(f.shown(), str("July 15 2001"));
        QVERIFY(f.window->template findChildren<MonthChooser*>().isEmpty());

        f.setDate(2001, 1, 31);
        f.goTo([](MonthChooser* chooser) { choose(chooser, " 2", "2001"); });
        QCOMPARE(f.shown(), str("February 1 2001"));
    }

    void aWrongFieldChangesNothingAndKeepsTheChooserOpen()
    {
        Fixture<MainCalendarWindow> f;
        f.setDate(2000, 1, 31);
        f.goTo([&](MonthChooser* chooser) {
            choose(chooser, "2", "twenty");
            QVERIFY(chooser->isVisible());
            QCOMPARE(f.shown(), str("January 31 2000"));
            choose(chooser, "2x", "2001");
            QCOMPARE(f.shown(), str("January 31 2000"));
            choose(chooser, "2", "10000");
            QVERIFY(chooser->isVisible());
            QCOMPARE(f.shown(), str("January 31 2000"));
            QTest::mouseClick(chooserButton(chooser, "Button2"), Qt::LeftButton);
        });
        QCOMPARE(f.services.prompts->messages,
                 QStringList({str("'twenty' is not a valid integer value"),
                              str("'2x' is not a valid integer value"),
                              str("Invalid argument to date encode")}));
        QCOMPARE(f.shown(), str("January 31 2000"));
        f.goTo([](MonthChooser* chooser) { choose(chooser, "2", "9999"); });
        QCOMPARE(f.shown(), str("February 1 9999"));
    }

    void aDoubleClickOpensTheChosenModule()
    {
        Fixture<MainCalendarWindow> f;
        {
            ToDoTables holder(f.dir.session());
            Table& t = *holder.tbTodo;
            for (const char* text : {"later", "first"}) {
                t.insert();
                if (str(text) == str("later"))
                    t.setAsDate(str("ToDoByDate"), QDate(2000, 4, 1));
                t.setValue(str("ToDoMemo"), str(text));
                t.post();
            }
        }
        f.setDate(1999, 6, 20);
        QTest::mouseClick(f.window->findChild<RadioGroup*>(str("RadioGroup1"))->button(1),
                          Qt::LeftButton);
        QString shown;
        bool holderOpen = false;
        QTimer::singleShot(0, [&] {
            auto* window = qobject_cast<ToDoWindow*>(QApplication::activeModalWidget());
            QVERIFY(window);
            holderOpen = window->findChild<DBGrid*>(str("DBGrid1"))->model()->rowCount() == 2;
            shown = window->findChild<DBMemo*>(str("DBMemo1"))->toPlainText();
            window->action(str("Exit1"))->trigger();
        });
        QTest::mouseDClick(f.grid()->viewport(), Qt::LeftButton, {}, dayCentre(f.grid(), 3));
        QCOMPARE(shown, str("first"));
        QVERIFY(holderOpen);
        for (QWidget* shown : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<ToDoWindow*>(shown)); // made for this opening only
        QVERIFY(f.window->isVisible());
        QCOMPARE(f.shown(), str("June 20 1999"));

        QTest::mouseClick(f.window->findChild<RadioGroup*>(str("RadioGroup1"))->button(0),
                          Qt::LeftButton);
        bool journal = false;
        QTimer::singleShot(0, [&] {
            auto* window = qobject_cast<JournalWindow*>(QApplication::activeModalWidget());
            journal = window != nullptr;
            if (window)
                window->reject();
        });
        // Enter on the days does what a double-click does; Page Up and Down turn the months.
        QTest::keyClick(f.grid(), Qt::Key_Return);
        QVERIFY(journal);
        for (QWidget* shown : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<JournalWindow*>(shown));
        QCOMPARE(f.shown(), str("June 20 1999"));
        QTest::keyClick(f.grid(), Qt::Key_PageDown);
        QCOMPARE(f.shown(), str("July 20 1999"));
        QTest::keyClick(f.grid(), Qt::Key_PageUp);
        QTest::keyClick(f.grid(), Qt::Key_PageUp);
        QCOMPARE(f.shown(), str("May 20 1999"));
    }

    // A day with loans due back carries a mark and is read with how many; its menu lists them.
    void daysWithLoansDueAreMarkedAndListed()
    {
        Fixture<MainCalendarWindow> f;
        {
            CollectionsTables collections(f.dir.session());
            const auto lend = [](Table& t, const char* prefix, const char* title,
                                 const char* borrower, const char* dateField, QDate date) {
                t.insert();
                t.setValue(str(prefix) + str("Title"), str(title));
                t.setValue(str(prefix) + str("Borrowed"), str(borrower));
                t.setValue(str(dateField), date);
                t.post();
            };
            lend(*collections.tbCD, "CD", "Abbey Road", "Ann", "CDReturnDate", QDate(2000, 3, 14));
            lend(*collections.tbBooks, "Bk", "Dune", "Cleo", "BkReturnDate", QDate(2000, 3, 16));
            lend(*collections.tbTapes, "Tp", "Blue", "", "TPReturnDate", QDate(2000, 3, 16));
            lend(*collections.tbBooks, "Bk", "Emma", "Dan", "BkReturnDate", QDate());
            lend(*collections.tbCDR, "CDR", "Mix", "Eve", "CDRReturnDate", QDate(2000, 4, 14));
        }
        f.open();
        const auto day = [&](int number) {
            const QTableWidgetItem* cell = f.grid()->dayItem(number);
            return cell->data(Qt::AccessibleTextRole).toString() +
                   (cell->icon().isNull() ? QString() : str(" (marked)"));
        };
        QCOMPARE(day(14), str("Tuesday, March 14, 2000, 1 loan due (marked)"));
        QCOMPARE(day(15), str("Wednesday, March 15, 2000"));
        QCOMPARE(day(16), str("Thursday, March 16, 2000, 2 loans due (marked)"));
        QTest::keyClick(f.grid(), Qt::Key_PageDown);
        QCOMPARE(day(14), str("Friday, April 14, 2000, 1 loan due (marked)"));
        QTest::keyClick(f.grid(), Qt::Key_PageUp);

        const QPoint cell = dayCentre(f.grid(), 16);
        QTest::mouseClick(f.grid()->viewport(), Qt::RightButton, {}, cell);
        f.window->action(str("LoansDue2"))->trigger();
        f.setDate(2000, 3, 15);
        f.window->action(str("LoansDue1"))->trigger();
        QCOMPARE(
            f.services.prompts->messages,
            QStringList({str("Loans due on 3/16/2000:\nBlue (Tape)\nDune (Book), lent to Cleo"),
                         str("No loans are due on 3/15/2000.")}));
    }

    void bothCalendarsShareWhereTheyOpen()
    {
        Fixture<MainCalendarWindow> f;
        f.window->move(70, 90);
        f.click(f.button("CloseBtn"));
        QVERIFY(!f.window->isVisible());
        {
            ReferenceCalendarWindow second(f.context());
            second.show();
            QCOMPARE(second.frameGeometry().topLeft(), QPoint(70, 90));
            second.move(110, 50);
            second.action(str("Close1"))->trigger();
        }
        f.open();
        QCOMPARE(f.window->frameGeometry().topLeft(), QPoint(110, 50));

        QPoint chooserAt;
        f.goTo([](MonthChooser* chooser) {
            chooser->move(33, 44);
            QTest::mouseClick(chooserButton(chooser, "Button2"), Qt::LeftButton);
        });
        f.goTo([&](MonthChooser* chooser) {
            chooserAt = chooser->frameGeometry().topLeft();
            chooser->reject();
        });
        QCOMPARE(chooserAt, QPoint(33, 44));
        Settings settings(*f.services.settings);
        QVERIFY(settings.openKey(keys::CalendarChose, false));
        QCOMPARE(settings.readInteger(keys::Top), 44);
    }

    void aboutAndHelp()
    {
        Fixture<MainCalendarWindow> f;
        QString product;
        QString version;
        const auto readAbout = [&] {
            QTimer::singleShot(0, [&] {
                product = f.program->context().aboutBox->ProductName->text();
                version = f.program->context().aboutBox->Version->text();
                QTest::mouseClick(f.program->context().aboutBox->OKButton, Qt::LeftButton);
            });
        };
        readAbout();
        f.click(f.button("AboutBtn"));
        QCOMPARE(product + str(", ") + version, str("Quillory - Calendar, Version 2.0"));
        f.window->action(str("Contents1"))->trigger();
        f.window->action(str("CalendarHelp1"))->trigger();
        const QList<QPair<QString, int>> expected = {{str("qlhelp.hlp"), 0},
                                                     {str("qlhelp.hlp"), 6}};
        QCOMPARE(f.services.help->shown, expected);

        ReferenceCalendarWindow second(f.context());
        second.show();
        readAbout();
        second.action(str("About1"))->trigger();
        QCOMPARE(product + str(", ") + version, str("Quillory 2.0 - Calendar, Version 1.0"));
        second.reject();
    }

    void theSecondCalendarsChooserMovesTheSecondCalendar()
    {
        Fixture<ReferenceCalendarWindow> f;
        f.goTo([](MonthChooser* chooser) {
            QCOMPARE(chooser->objectName(), str("ChoseDateForm2"));
            choose(chooser, "7", "1990");
        });
        QCOMPARE(f.shown(), str("July 15 1990"));
        QString unnamed;
        QVERIFY2(everyControlIsNamed(f.window.get(), &unnamed), qPrintable(unnamed));
    }

    void theMainMenuOpensTheCalendar()
    {
        test::ScriptedServices services;
        test::ProgramDirectory dir;
        test::FixedClock clock{dir.session(), QDateTime(QDate(2000, 3, 15), QTime(9, 0))};
        Program program(dir.path(), dir.session(), services);
        QStringList shown;
        QString unnamed;
        QTimer::singleShot(0, [&] {
            auto* window = qobject_cast<MainCalendarWindow*>(QApplication::activeModalWidget());
            QVERIFY(window);
            QCOMPARE(window->parent(), program.mainMenu());
            QVERIFY2(everyControlIsNamed(window, &unnamed), qPrintable(unnamed));
            const auto heading = [window] {
                return window->findChild<QLabel*>(str("Label1"))->text() +
                       window->findChild<QLabel*>(str("Label2"))->text();
            };
            shown << heading();
            window->findChild<QPushButton*>(str("NextBtn"))->click();
            shown << heading();
            window->findChild<QPushButton*>(str("CloseBtn"))->click();
        });
        QTest::mouseClick(program.mainMenu()->calendarButton, Qt::LeftButton);
        QCOMPARE(shown, QStringList({str("March2000"), str("April2000")}));
        QVERIFY(program.mainMenu()->findChildren<MainCalendarWindow*>().isEmpty());
    }
};

QL_TEST_CLASS(CalendarFormTest)
#include "tst_calendarform.moc"
