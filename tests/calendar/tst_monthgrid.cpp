#include "calendar/monthgrid.h"
#include "store/error.h"
#include "support/testenv.h"
#include "support/testmain.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

using namespace ql;

namespace {

QString str(const char* text)
{
    return QString::fromUtf8(text);
}

// A grid made on 15 March 2000, a Wednesday-first month of 31 days.
struct Grid {
    MonthGrid grid{QDate(2000, 3, 15)};

    Grid()
    {
        grid.resize(420, 300);
        grid.show();
    }
    QString selected() const
    {
        const QList<QTableWidgetItem*> items = grid.selectedItems();
        return items.size() == 1 ? items.first()->text() : str("(none)");
    }
    QPoint centre(int row, int column) const
    {
        return grid.visualRect(grid.model()->index(row, column)).center();
    }
};

} // namespace

class MonthGridTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theMonthStartsOnItsWeekdayUnderMondayFirstHeadings()
    {
        Grid g;
        QCOMPARE(g.grid.date(), QDate(2000, 3, 15));
        QStringList headings;
        for (int column = 0; column < 7; ++column)
            headings << g.grid.horizontalHeaderItem(column)->text();
        QCOMPARE(headings, QStringList({str("Mon"), str("Tue"), str("Wed"), str("Thu"), str("Fri"),
                                        str("Sat"), str("Sun")}));
        QCOMPARE(g.grid.rowCount(), 6);
        QCOMPARE(g.grid.item(0, 1)->text(), QString());
        QCOMPARE(g.grid.item(0, 2)->text(), str("1"));
        QCOMPARE(g.grid.item(4, 4)->text(), str("31"));
        QCOMPARE(g.grid.item(4, 5)->text(), QString());
        QCOMPARE(g.grid.item(0, 0)->flags(), Qt::NoItemFlags);
        QCOMPARE(g.selected(), str("15"));

        // A month starting on a Sunday needs the sixth row.
        g.grid.setYear(2026);
        g.grid.setMonth(11);
        QCOMPARE(g.grid.item(0, 6)->text(), str("1"));
        QCOMPARE(g.grid.item(5, 0)->text(), str("30"));
        QCOMPARE(g.selected(), str("15"));
    }

    void valuesOutsideTheirRangeLeaveTheDate()
    {
        Grid g;
        g.grid.setMonth(0);
        g.grid.setMonth(13);
        g.grid.setYear(0);
        g.grid.setYear(-5);
        g.grid.setDay(0);
        g.grid.setDay(32);
        QCOMPARE(g.grid.date(), QDate(2000, 3, 15));
        g.grid.setDay(31);
        g.grid.setMonth(5);
        QCOMPARE(g.grid.date(), QDate(2000, 5, 31));
        g.grid.setDay(31); // May has 31 days, June does not
        QCOMPARE(test::failureText([&] { g.grid.setMonth(6); }),
                 str("Invalid argument to date encode"));
        QCOMPARE(test::failureText([&] { g.grid.setYear(10000); }),
                 str("Invalid argument to date encode"));
        QCOMPARE(g.grid.date(), QDate(2000, 5, 31));
        g.grid.setYear(9999);
        QCOMPARE(g.grid.date(), QDate(9999, 5, 31));
        QCOMPARE(g.selected(), str("31"));
    }

    void theMouseChoosesDaysButNotBlanks()
    {
        Grid g;
        QTest::mouseClick(g.grid.viewport(), Qt::LeftButton, {}, g.centre(1, 0)); // the 6th
        QCOMPARE(g.grid.day(), 6);
        QCOMPARE(g.selected(), str("6"));
        QTest::mouseClick(g.grid.viewport(), Qt::LeftButton, {}, g.centre(0, 0));
        QTest::mouseClick(g.grid.viewport(), Qt::LeftButton, {}, g.centre(5, 6));
        QCOMPARE(g.grid.day(), 6);
        QCOMPARE(g.selected(), str("6"));
        QTest::mouseClick(g.grid.viewport(), Qt::LeftButton, Qt::ControlModifier, g.centre(1, 0));
        QCOMPARE(g.selected(), str("6"));

        QSignalSpy doubleClicks(&g.grid, &MonthGrid::doubleClick);
        QTest::mouseDClick(g.grid.viewport(), Qt::LeftButton, {}, g.centre(0, 0));
        QCOMPARE(doubleClicks.count(), 1);
        QCOMPARE(g.grid.day(), 6);
    }

    void theKeysMoveTheDayWithinTheMonth()
    {
        Grid g;
        g.grid.setFocus();
        const auto press = [&](Qt::Key key) { QTest::keyClick(&g.grid, key); };
        press(Qt::Key_Right);
        QCOMPARE(g.grid.day(), 16);
        press(Qt::Key_Down);
        QCOMPARE(g.grid.day(), 23);
        press(Qt::Key_Up);
        press(Qt::Key_Up);
        press(Qt::Key_Left);
        QCOMPARE(g.grid.day(), 8);
        press(Qt::Key_Up);
        press(Qt::Key_Up); // the 1st is the last day up this column
        QCOMPARE(g.grid.day(), 1);
        press(Qt::Key_Left); // nothing before the 1st
        QCOMPARE(g.grid.day(), 1);
        press(Qt::Key_End);
        QCOMPARE(g.grid.day(), 31);
        press(Qt::Key_Right);
        press(Qt::Key_Down);
        QCOMPARE(g.grid.date(), QDate(2000, 3, 31));
        QCOMPARE(g.selected(), str("31"));
        press(Qt::Key_Home);
        QCOMPARE(g.selected(), str("1"));
        QCOMPARE(g.grid.dayItem(1)->data(Qt::AccessibleTextRole).toString(),
                 str("Wednesday, March 1, 2000"));
    }
};

QL_TEST_CLASS(MonthGridTest)
#include "tst_monthgrid.moc"
