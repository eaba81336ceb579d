#include "calendar/calendarwindow.h"
#include "core/aboutbox.h"
#include "core/keys.h"
#include "core/settings.h"
#include "journal/journaltables.h"
#include "journal/todoform.h"
#include "shell/mainmenu.h"
#include "support/modulefixture.h"
#include "support/testmain.h"
#include "widgets/dbcontrols.h"

#include <QAction>
#include <QLabel>

using namespace ql;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

struct Item {
    QDate due;
    const char* text;
};

const std::initializer_list<Item> kItems = {{QDate(1999, 6, 1), "june a"},
                                            {QDate(1999, 7, 4), "july"},
                                            {QDate(), "someday"},
                                            {QDate(1999, 5, 1), "may"},
                                            {QDate(1999, 6, 1), "june b"}};

struct Fixture : test::ModuleFixture<ToDoTables, ToDoWindow> {
    explicit Fixture(std::initializer_list<Item> items)
        : ModuleFixture([items](ToDoTables& holder) {
            Table& t = *holder.tbTodo;
            for (const Item& item : items) {
                t.insert();
                if (item.due.isValid())
                    t.setAsDate(str("ToDoByDate"), item.due);
                t.setValue(str("ToDoMemo"), str(item.text));
                t.post();
            }
            t.first();
        })
    {
    }
    Table& table() const { return *holder->tbTodo; }
    QString text() const { return table().asText(str("ToDoMemo")); }
};

} // namespace

class ToDoFormTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void filterShowsOneDateAndSearchStaysWithinIt()
    {
        Fixture f(kItems);
        QCOMPARE(f.listed(1), QStringList({"someday", "may", "june a", "june b", "july"}));
        QCOMPARE(f.listed(0).at(1), str("5/1/1999"));
        f.ask("FilterBtn", str("12/25/1999"));
        QCOMPARE(f.listed(), QStringList());
        QCOMPARE(f.services.prompts->questions.last(),
                 str("Filter for Date: Enter Date (ex. 5/25/97): "));
        f.click("UnFilterBtn");
        QCOMPARE(f.listed().size(), 5);

        f.ask("FilterBtn", str("06-01-1999"));
        QCOMPARE(f.window->windowTitle(),
                 str("Quillory - To-Do List - Filtered: due date = 6/1/1999"));
        f.table().last();
        f.ask("SearchBtn", str("1/1/1999"));
        QCOMPARE(f.text(), str("june a"));
        QCOMPARE(f.services.prompts->questions.last(),
                 str("Search for Date: Enter Date (ex. 5/25/97): "));

        f.services.prompts->inputs.enqueue(str("7/4/1999"));
        f.window->action(str("Filter2"))->trigger(); // replaces the first filter
        QCOMPARE(f.listed(1), QStringList({"july"}));
        f.ask("FilterBtn", str("6/31/1999"));
        QCOMPARE(f.messages(),
                 QStringList({"'6/31/1999' is not a valid date (month/day/year, e.g. 5/25/2024)"}));
        QCOMPARE(f.listed(1), QStringList({"july"}));

        f.window->action(str("UnFilter1"))->trigger();
        QCOMPARE(f.window->windowTitle(), str("Quillory - To-Do List"));
        QCOMPARE(f.listed().size(), 5);
        QCOMPARE(f.text(), str("july"));

        f.ask("FilterBtn", QString()); // the items without a due date
        QCOMPARE(f.listed(1), QStringList({"someday"}));
        QCOMPARE(f.window->windowTitle(),
                 str("Quillory - To-Do List - Filtered: due date is empty"));
        QCOMPARE(f.messages().size(), 1);
        // Ctrl+Shift+L unfilters, as its two menu items say; no other command shares the key.
        QApplication::setActiveWindow(f.window.get());
        QTest::keyClick(f.window.get(), Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f.listed().size(), 5);
    }

    // The due date column shows a whole date with a four-digit year, in large letters too.
    void theDueDateColumnShowsAWholeDate()
    {
        Fixture f({{QDate(2026, 12, 28), "end of year"}});
        auto* grid = f.find<DBGrid>("DBGrid1");
        // The width the column's texts need, as the view measures them.
        const QAbstractItemView* view = grid;
        QCOMPARE(f.listed(), QStringList({"12/28/2026"}));
        QVERIFY(grid->columnWidth(0) >= view->sizeHintForColumn(0));
        QFont large = grid->font();
        large.setPointSizeF(large.pointSizeF() * 1.5);
        grid->setFont(large);
        QVERIFY(grid->columnWidth(0) >= view->sizeHintForColumn(0));
    }

    void searchAfterEveryDateEndsOnTheLastItem()
    {
        Fixture f(kItems);
        f.ask("SearchBtn", str("1/1/2050"));
        QCOMPARE(f.text(), str("july"));
        f.ask("SearchBtn", str("6/1/99")); // 2099
        QCOMPARE(f.text(), str("july"));
        f.ask("SearchBtn", str("5/2/1999"));
        QCOMPARE(f.text(), str("june a"));
    }

    void aDueDateThatIsNoDateKeepsTheFocus()
    {
        Fixture f({{QDate(1999, 5, 1), "may"}});
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        f.click("NewBtn");
        f.find<DBEdit>("DBEdit1")->setFocus();
        QTest::keyClicks(f.find<DBEdit>("DBEdit1"), str("2/30/1999"));
        QTest::keyClick(f.find<DBEdit>("DBEdit1"), Qt::Key_Tab);
        QCOMPARE(f.messages(),
                 QStringList({"'2/30/1999' is not a valid date (month/day/year, e.g. 5/25/2024)"}));
        QVERIFY(f.find<DBEdit>("DBEdit1")->hasFocus());

        f.find<DBEdit>("DBEdit1")->selectAll();
        QTest::keyClicks(f.find<DBEdit>("DBEdit1"), str("2/28/1999"));
        QTest::keyClick(f.find<DBEdit>("DBEdit1"), Qt::Key_Tab);
        f.click("ExitBtn"); // closing stores the new item
        QCOMPARE(f.listed(), QStringList({"2/28/1999", "5/1/1999"}));
    }

    // Every way out of the item hands the typed due date to it; a text that is no date refuses
    // once, keeping the window, the item and the text, and Cancel or Escape give it up silently.
    void everyWayOutReadsTheDueDateFirst_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<bool>("valid");
        for (const char* way : {"Ctrl+N", "New menu item", "Search button", "another row",
                                "Close button", "title bar", "Escape"}) {
            QTest::addRow("%s, a date", way) << str(way) << true;
            QTest::addRow("%s, no date", way) << str(way) << false;
        }
    }
    void everyWayOutReadsTheDueDateFirst()
    {
        QFETCH(QString, way);
        QFETCH(bool, valid);
        Fixture f({{QDate(1999, 5, 1), "may"}, {QDate(1999, 7, 4), "july"}});
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        auto* due = f.find<DBEdit>("DBEdit1");
        due->setFocus();
        due->selectAll();
        QTest::keyClicks(due, valid ? str("6/15/1999") : str("2/30/1999"));
        f.services.prompts->inputs.enqueue(str("1/1/1999"));
        if (way == "Ctrl+N")
            QTest::keySequence(due, QKeySequence::New);
        else if (way == "New menu item")
            f.window->action(str("New1"))->trigger();
        else if (way == "Search button")
            f.click("SearchBtn");
        else if (way == "another row")
            QTest::mouseClick(f.find<DBGrid>("DBGrid1")->viewport(), Qt::LeftButton, {},
                              f.find<DBGrid>("DBGrid1")
                                  ->visualRect(f.find<DBGrid>("DBGrid1")->model()->index(1, 0))
                                  .center());
        else if (way == "Close button")
            f.click("ExitBtn");
        else if (way == "title bar")
            f.window->close();
        else
            QTest::keyClick(due, Qt::Key_Escape);

        if (valid || way == "Escape") {
            QVERIFY(f.messages().isEmpty());
            const QStringList texts = f.listed(1);
            QCOMPARE(f.listed(0).at(texts.indexOf(str("may"))),
                     valid ? str("6/15/1999") : str("5/1/1999"));
            return;
        }
        QCOMPARE(f.messages(),
                 QStringList({"'2/30/1999' is not a valid date (month/day/year, e.g. 5/25/2024)"}));
        QVERIFY(f.window->isVisible());
        QVERIFY(due->hasFocus());
        QCOMPARE(due->text(), str("2/30/1999"));
        QCOMPARE(f.text(), str("may"));
        QCOMPARE(f.table().state(), TableState::Edit);

        f.click("CancelBtn"); // gives the bad date up without a word
        QCOMPARE(f.messages().size(), 1);
        QCOMPARE(due->text(), str("5/1/1999"));
        QCOMPARE(f.table().state(), TableState::Browse);
    }

    void deleteAsksFirst()
    {
        Fixture f(kItems);
        f.table().moveToRow(1);
        f.click("DeleteBtn"); // answered No
        QCOMPARE(f.table().recordCount(), 5);
        f.services.prompts->confirmations.enqueue(true);
        f.click("DeleteBtn");
        QCOMPARE(f.table().recordCount(), 4);
        QCOMPARE(f.text(), str("june a"));
    }

    void theMenusAndTheWindow()
    {
        Fixture f({});
        f.services.prompts->confirmations.enqueue(true);
        f.window->action(str("Delete1"))->trigger();
        QCOMPARE(
            f.messages(),
            QStringList({"Table \"ToDo2.db\": Cannot perform this operation on an empty dataset"}));
        // Ctrl+P is the preview (here of nothing); only the menu prints the window.
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        QTest::keyClick(f.window.get(), Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(f.services.printing->reports.size(), 1);
        QCOMPARE(f.services.printing->reports.at(0).document.pages.size(), 0);
        QVERIFY(f.services.printing->printedWindows.isEmpty());
        f.window->action(str("PrintSelected2"))->trigger();
        QCOMPARE(f.services.printing->printedWindows, QList<QWidget*>{f.window.get()});
        bool calendarShown = false; // the reference calendar, over this window
        QTimer::singleShot(0, [&] {
            auto* calendar =
                qobject_cast<ReferenceCalendarWindow*>(QApplication::activeModalWidget());
            calendarShown = calendar && calendar->parent() == f.window.get();
            if (calendar)
                calendar->reject();
        });
        QTest::mouseClick(f.find("CalendarBtn1"), Qt::LeftButton);
        QVERIFY(calendarShown);
        f.window->action(str("Contents1"))->trigger();
        f.window->action(str("ToDoHelp1"))->trigger();
        QCOMPARE(f.services.help->shown,
                 (QList<QPair<QString, int>>{{str("qlhelp.hlp"), 0}, {str("qlhelp.hlp"), 5}}));
        QString product;
        QTimer::singleShot(0, [&] {
            product = f.program->context().aboutBox->ProductName->text();
            f.program->context().aboutBox->accept();
        });
        f.window->action(str("About1"))->trigger();
        QCOMPARE(product, str("Quillory - ToDO"));
        QCOMPARE(test::unnamedControls(f.window.get()), QStringList());
        QVERIFY(test::growsWithTheWindow(*f.window));
    }

    void theMainMenuOpensTheListUnfiltered()
    {
        Fixture f(kItems);
        f.ask("FilterBtn", str("6/1/1999"));
        QStringList listed;
        int left = 0;
        f.openFromMainMenu(f.program->mainMenu()->toDoButton, [&](ToDoWindow& window) {
            listed = Fixture::listedIn(window, 1);
            window.move(40, 60);
            left = window.frameGeometry().left();
        });
        QCOMPARE(listed, QStringList({"someday", "may", "june a", "june b", "july"}));
        Settings settings;
        QVERIFY(settings.openKey(keys::ToDo, false));
        QCOMPARE(settings.readInteger(keys::Left), left);
    }
};

QL_TEST_CLASS(ToDoFormTest)
#include "tst_todoform.moc"
