#include "store/datetext.h"
#include "store/error.h"
#include "support/testenv.h"
#include "support/testmain.h"

#include <QTest>
#include <QTimeZone>
#include <limits>

using namespace ql::datetext;

namespace {

// The day the dates are typed on: a year left out is 2031, a two-digit year falls in 2000–2099.
const QDate kToday(2031, 3, 10);

} // namespace

class DateTextTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void formatsInUsEnglish()
    {
        QCOMPARE(shortDate(QDate(1997, 5, 25)), QStringLiteral("5/25/1997"));
        QCOMPARE(shortDate(QDate(2097, 12, 1)), QStringLiteral("12/1/2097"));
        QCOMPARE(shortDate(QDate()), QString());
        QCOMPARE(shortDateTwoDigitYear(QDate(2026, 12, 8)), QStringLiteral("12/8/26"));
        QCOMPARE(shortDateTwoDigitYear(QDate(2105, 1, 2)), QStringLiteral("1/2/05"));
        QCOMPARE(longTime(QTime(23, 59, 59)), QStringLiteral("11:59:59 PM"));
        QCOMPARE(longTime(QTime(0, 0)), QStringLiteral("12:00:00 AM"));
        QCOMPARE(longTime(QTime(12, 0, 5)), QStringLiteral("12:00:05 PM"));
        QCOMPARE(dateTime(QDateTime(QDate(1997, 5, 25), QTime(0, 0))), QStringLiteral("5/25/1997"));
        QCOMPARE(dateTime(QDateTime(QDate(1997, 5, 25), QTime(0, 0, 0, 1))),
                 QStringLiteral("5/25/1997 12:00:00 AM"));
        QCOMPARE(dateTime(QDateTime(QDate(1997, 5, 25), QTime(13, 5, 9))),
                 QStringLiteral("5/25/1997 1:05:09 PM"));
        QCOMPARE(dateTime(QDateTime()), QString());
        QCOMPARE(longDate(QDate(1999, 5, 25)), QStringLiteral("Tuesday, May 25, 1999"));
    }

    void followsTheLocaleOrder()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(shortDate(QDate(1997, 5, 2)), QStringLiteral("02.05.1997"));
        QCOMPARE(shortDateTwoDigitYear(QDate(1997, 5, 2)), QStringLiteral("5.2.97"));
        QCOMPARE(longTime(QTime(23, 59, 59)), QStringLiteral("23:59:59"));
        QCOMPARE(parseDate(QStringLiteral("2.5.97"), kToday), QDate(2097, 5, 2));
        QCOMPARE(parseDate(QStringLiteral("25/12"), kToday), QDate(2031, 12, 25));
        QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden));
        QCOMPARE(shortDate(QDate(1997, 5, 2)), QStringLiteral("1997-05-02"));
        QCOMPARE(parseDate(QStringLiteral("97-5-2"), kToday), QDate(2097, 5, 2));
        QCOMPARE(parseDate(QStringLiteral("12-25"), kToday), QDate(2031, 12, 25));
        QLocale::setDefault(QLocale::c()); // a locale that names its months still reads back
        QCOMPARE(parseDate(shortDate(QDate(1990, 10, 31)), kToday), QDate(1990, 10, 31));
    }

    void readsDates_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("expected");
        const QDate may25(1997, 5, 25);
        QTest::newRow("slash") << "5/25/1997" << may25;
        QTest::newRow("dash") << "05-25-1997" << may25;
        QTest::newRow("dot") << "5.25.1997" << may25;
        QTest::newRow("blank and padding") << "  5 25 1997 " << may25;
        QTest::newRow("two-digit year") << "5/25/97" << QDate(2097, 5, 25);
        QTest::newRow("year 00") << "1/1/00" << QDate(2000, 1, 1);
        QTest::newRow("three-digit year") << "1/2/097" << QDate(97, 1, 2);
        QTest::newRow("last day") << "12/31/9999" << QDate(9999, 12, 31);
        QTest::newRow("this year") << "12/24" << QDate(2031, 12, 24);
        QTest::newRow("iso") << "1999-02-03" << QDate(1999, 2, 3);
        QTest::newRow("iso short") << "2026-5-25" << QDate(2026, 5, 25);
        for (const char* bad :
             {"", "  ", "May 25", "5/32/1997", "13/1/1997", "0/1/1997", "2/30/2024", "1/1/0000",
              "5/25/1997x", "5/25/1997/1", "5//25/1997", "5/25-1997", "5/025/1997", "5/25/19970",
              "5", "-5/25/1997", " 5/25/1997 10:00", "1999-02-30", "1999-13-01"})
            QTest::newRow(bad) << QString::fromLatin1(bad) << QDate();
    }
    void readsDates()
    {
        QFETCH(QString, text);
        QFETCH(QDate, expected);
        if (expected.isValid())
            QCOMPARE(parseDate(text, kToday), expected);
        else
            QCOMPARE(ql::test::failureText([&] { parseDate(text, kToday); }),
                     QStringLiteral("'%1' is not a valid date (month/day/year, e.g. 5/25/2031)")
                         .arg(text));
    }

    void readsDatesAndTimes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("expected");
        const QDate day(1997, 5, 25);
        QTest::newRow("date alone") << "5/25/1997" << QDateTime(day, QTime(0, 0));
        QTest::newRow("pm") << "5/25/1997 11:59:59 PM" << QDateTime(day, QTime(23, 59, 59));
        QTest::newRow("12 am") << "5/25/1997 12:00 am" << QDateTime(day, QTime(0, 0));
        QTest::newRow("12 pm") << "5/25/1997 12:30pm" << QDateTime(day, QTime(12, 30));
        QTest::newRow("24 hour") << "5/25/1997 0:05" << QDateTime(day, QTime(0, 5));
        QTest::newRow("fraction") << "5/25/1997 13:02:03.5" << QDateTime(day, QTime(13, 2, 3, 500));
        QTest::newRow("milliseconds")
            << "5/25/1997 1:02:03.004" << QDateTime(day, QTime(1, 2, 3, 4));
        QTest::newRow("blank date")
            << " 5 25 97  7:30 AM " << QDateTime(QDate(2097, 5, 25), QTime(7, 30));
        QTest::newRow("this year") << "3/4 10:00" << QDateTime(QDate(2031, 3, 4), QTime(10, 0));
        for (const char* bad :
             {"10:30", "5/25/1997 24:00", "5/25/1997 13:00 PM", "5/25/1997 0:00 AM",
              "5/25/1997 10:60", "5/25/1997 10", "5/25/1997 10:30 XM", "5/25/1997 10:30:00.1234",
              "5/32/1997 10:30", "5/25/1997 10:30 PM PM", "5/25/1997 10::30"})
            QTest::newRow(bad) << QString::fromLatin1(bad) << QDateTime();
    }
    void readsDatesAndTimes()
    {
        QFETCH(QString, text);
        QFETCH(QDateTime, expected);
        if (expected.isValid())
            QCOMPARE(parseDateTime(text, kToday), expected);
        else
            QCOMPARE(ql::test::failureText([&] { parseDateTime(text, kToday); }),
                     QStringLiteral("'%1' is not a valid date and time (month/day/year and a "
                                    "time, e.g. 5/25/2031 2:30:00 PM)")
                         .arg(text));
    }

    void refusesTimesTheClockSkips()
    {
        if (QTimeZone::systemTimeZoneId() != "America/New_York")
            QSKIP("needs TZ=America/New_York");
        QVERIFY_THROWS_EXCEPTION(ql::Error, parseDateTime("3/8/2026 2:30 AM", kToday));
        QCOMPARE(parseDateTime("3/8/2026 3:30 AM", kToday),
                 QDateTime(QDate(2026, 3, 8), QTime(3, 30)));
    }

    void readsBackWhatItWrites()
    {
        for (const QDate date :
             {QDate(1, 1, 1), QDate(97, 1, 2), QDate(1997, 5, 25), QDate(9999, 12, 31)})
            QCOMPARE(parseDate(shortDate(date), kToday), date);
        for (const QTime time : {QTime(0, 0), QTime(0, 0, 1), QTime(12, 0), QTime(23, 59, 59)}) {
            const QDateTime value(QDate(2001, 7, 4), time);
            QCOMPARE(parseDateTime(dateTime(value), kToday), value);
        }
    }

    void readsIntegers()
    {
        QCOMPARE(parseInteger(" 42 "), 42);
        QCOMPARE(parseInteger("+007"), 7);
        QCOMPARE(parseInteger("-2147483648"), std::numeric_limits<int>::min());
        QCOMPARE(parseInteger("2147483647"), 2147483647);
        for (const char* bad : {"", " ", "+", "--1", "2147483648", "-2147483649", "4 2", "1.5",
                                "0x10", "12a", "1e3"}) {
            const QString text = QString::fromLatin1(bad);
            QCOMPARE(ql::test::failureText([&] { parseInteger(text); }),
                     QStringLiteral("'%1' is not a valid integer value").arg(text));
        }
    }
};

QL_TEST_CLASS(DateTextTest)

#include "tst_datetext.moc"
