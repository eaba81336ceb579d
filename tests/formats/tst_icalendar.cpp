#include "formats/icalendar.h"
#include "formatstest.h"
#include "journal/journaltables.h"
#include "store/fieldvalue.h"
#include "store/tablebulk.h"
#include "support/dialogs.h"
#include "support/testenv.h"
#include "support/testmain.h"

#include <QFile>
#include <QTest>

using namespace ql;
using formats::CalendarModule;
using formats::exportCalendar;
using formats::importCalendar;

namespace {

const QStringList kPieces = {"Zoë", ",", ";", "日本", "\n", "😀", "\t", "\"q\"", "\\", ":", "a b"};

// A text with what a calendar must escape or fold; libical drops blanks and tabs at the ends.
QString generated(int record, int length)
{
    QString text = "<";
    for (int i = 0; i < length; ++i)
        text += kPieces[(record * 5 + i * 3) % kPieces.size()];
    return text + ">";
}

QByteArray crlf(const char* text)
{
    return QByteArray(text).replace("\n", "\r\n");
}

// Empties a table through the bulk delete.
void emptyTable(Table& table)
{
    std::vector<qint64> keys;
    for (const TableBulk::Texts& record : TableBulk::readTexts(table, {}))
        keys.push_back(record.key);
    int deleted = 0;
    TableBulk::deleteKeys(table, keys, deleted);
}

// Appends records whose values `value` gives by record and field.
void fill(Table& table, const QStringList& fields, int count,
          const std::function<QVariant(int, int)>& value)
{
    int added = 0;
    int record = 0;
    TableBulk::appendRecords(
        table,
        [&](Record& r) {
            if (record == count)
                return false;
            for (int f = 0; f < fields.size(); ++f)
                r.setValue(fields[f], value(record, f));
            ++record;
            return true;
        },
        added);
}

// Exports the module, empties its table, imports the file again; the records come back as they
// were, and Python's icalendar reads every component with a due date as a date.
void roundTrip(CalendarModule module, const QStringList& fields, const char* component,
               const std::function<QVariant(int, int)>& value)
{
    test::ProgramDirectory dir;
    const QString file = dir.filePath("calendar.ics");
    const auto withTable = [module, &dir](const std::function<void(Table&)>& work) {
        if (module == CalendarModule::ToDo)
            work(*ToDoTables(dir.session()).tbTodo);
        else
            work(*JournalTables(dir.session()).tbJournal1);
    };
    std::vector<QStringList> before;
    withTable([&](Table& table) {
        fill(table, fields, 1000, value);
        before = test::tableTexts(table, fields);
    });
    test::ScriptedProgress progress;
    exportCalendar(dir.session(), module, file, progress);
    withTable(emptyTable);
    QCOMPARE(importCalendar(dir.session(), module, file, progress).summary("Records"),
             QStringLiteral("Records added: 1000."));
    withTable([&](Table& table) { QCOMPARE(test::tableTexts(table, fields), before); });

    const test::PeerRun python =
        test::runPeer("/usr/bin/python3",
                      {"-c",
                       "import sys, datetime, icalendar\n"
                       "cal = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())\n"
                       "parts = cal.walk(sys.argv[2])\n"
                       "dues = [p['DUE'].dt for p in parts if 'DUE' in p]\n"
                       "print(len(parts), len(dues), all(type(d) is datetime.date for d in dues),\n"
                       "      all('UID' in p and 'DTSTAMP' in p for p in parts))\n",
                       file, component});
    QVERIFY2(python.ok, qPrintable(python.errors));
    QCOMPARE(python.output,
             module == CalendarModule::ToDo ? "1000 990 True True\n" : "1000 0 True True\n");
}

// A calendar as other programs write it, from RFC 5545's examples: folded lines, an alarm inside a
// to-do, a time zone of the calendar's own and times in UTC.
constexpr const char* kOthersCalendar = R"(BEGIN:VCALENDAR
PRODID:-//ABC Corporation//NONSGML My Product//EN
VERSION:2.0
BEGIN:VTIMEZONE
TZID:W. Europe Standard Time
BEGIN:STANDARD
DTSTART:16011028T030000
RRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=10
TZOFFSETFROM:+0200
TZOFFSETTO:+0100
END:STANDARD
BEGIN:DAYLIGHT
DTSTART:16010325T020000
RRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=3
TZOFFSETFROM:+0100
TZOFFSETTO:+0200
END:DAYLIGHT
END:VTIMEZONE
BEGIN:VTODO
DTSTAMP:19980130T134500Z
SEQUENCE:2
UID:uid4@example.com
ORGANIZER:mailto:unclesam@example.com
ATTENDEE;PARTSTAT=ACCEPTED:mailto:jqpublic@example.com
DUE:19980415T000000
STATUS:NEEDS-ACTION
SUMMARY:Submit Income Taxes
BEGIN:VALARM
ACTION:AUDIO
TRIGGER:19980403T120000Z
ATTACH;FMTTYPE=audio/basic:http://example.com/pub/audio-
 files/ssbanner.aud
REPEAT:4
DURATION:PT1H
END:VALARM
END:VTODO
BEGIN:VTODO
UID:tz@example.com
DTSTAMP:20261201T100000Z
DUE;TZID=W. Europe Standard Time:20261224T010000
SUMMARY:Only the summary
DESCRIPTION:Wrap the presents\, all of them\;
  then rest.
END:VTODO
BEGIN:VJOURNAL
UID:19970901T130000Z-123405@example.com
DTSTAMP:19970901T130000Z
DTSTART;VALUE=DATE:19970317
SUMMARY:Staff meeting minutes
DESCRIPTION:1. Staff meeting: Participants include Joe\,
  Lisa\, and Bob. Aurora project plans were reviewed.
  There is currently no budget reserves for this project.
  Lisa will escalate to management. Next meeting on Tuesday.\n
 2. Telephone Conference: ABC Corp. sales representative
  called to discuss new printer. Promised to get us a demo by
  Friday.\n3. Henry Miller (Handsoff Insurance): Car was
  totaled by tree. Is looking into a loaner car. 555-2323
  (tel).
END:VJOURNAL
BEGIN:VJOURNAL
UID:utc@example.com
DTSTAMP:20260704T160000Z
DTSTART:20260704T160000Z
SUMMARY:Fireworks
END:VJOURNAL
BEGIN:VEVENT
UID:event@example.com
DTSTAMP:20260704T160000Z
DTSTART:20260704T160000Z
SUMMARY:An event is no to-do
END:VEVENT
END:VCALENDAR
)";

class ICalendarTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { test::setUpProcess(); }

    void toDoRoundTrip()
    {
        // Every hundredth item has no due date; its text has many lines.
        roundTrip(CalendarModule::ToDo, {"ToDoByDate", "ToDoMemo"}, "VTODO",
                  [](int record, int field) -> QVariant {
                      if (field == 0)
                          return record % 100 == 0 ? QDate() : QDate(2026, 1, 1).addDays(record);
                      return generated(record, 12);
                  });
    }

    void journalRoundTrip()
    {
        // Every fiftieth entry has an empty upper text, every seventieth an empty lower one.
        roundTrip(
            CalendarModule::Journal, {"DateTimeStamp", "MemoField1", "MemoField2"}, "VJOURNAL",
            [](int record, int field) -> QVariant {
                if (field == 0)
                    return QDateTime(QDate(2026, 3, 1), QTime(8, 0)).addSecs(qint64(record) * 4567);
                if ((field == 1 && record % 50 == 0) || (field == 2 && record % 70 == 0))
                    return QString();
                return generated(record + field, 9);
            });
    }

    // Calendars as other programs write them (kOthersCalendar).
    void othersCalendars()
    {
        const formats::CalendarRead read = formats::readCalendar(crlf(kOthersCalendar));
        QCOMPARE(read.unreadable, QStringList());
        QCOMPARE(read.items.size(), size_t(2));
        QCOMPARE(read.items[0].due, QDate(1998, 4, 15));
        QCOMPARE(read.items[0].text, QStringLiteral("Submit Income Taxes"));
        // 01:00 in Berlin is 19:00 the day before in New York.
        QCOMPARE(read.items[1].due, QDate(2026, 12, 23));
        QCOMPARE(read.items[1].text, QStringLiteral("Wrap the presents, all of them; then rest."));
        QCOMPARE(read.entries.size(), size_t(2));
        QCOMPARE(read.entries[0].stamp, QDateTime(QDate(1997, 3, 17), QTime(0, 0)));
        QCOMPARE(read.entries[0].upper,
                 QStringLiteral(
                     "1. Staff meeting: Participants include Joe, Lisa, and Bob. Aurora project "
                     "plans were reviewed. There is currently no budget reserves for this "
                     "project. Lisa will escalate to management. Next meeting on Tuesday.\n2. "
                     "Telephone Conference: ABC Corp. sales representative called to discuss new "
                     "printer. Promised to get us a demo by Friday.\n3. Henry Miller (Handsoff "
                     "Insurance): Car was totaled by tree. Is looking into a loaner car. 555-2323 "
                     "(tel)."));
        QCOMPARE(read.entries[0].lower, QString());
        // 16:00 UTC is noon in New York in July.
        QCOMPARE(read.entries[1].stamp, QDateTime(QDate(2026, 7, 4), QTime(12, 0)));
        QCOMPARE(read.entries[1].upper, QStringLiteral("Fireworks"));
    }

    // A component libical cannot read is named and skipped; the others come in.
    void unreadableComponent()
    {
        test::ProgramDirectory dir;
        const QString file = dir.filePath("bad.ics");
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(crlf(R"(BEGIN:VCALENDAR
VERSION:2.0
PRODID:-//Test//EN
BEGIN:VTODO
UID:1
DUE;VALUE=DATE:20261301
SUMMARY:Bad date
END:VTODO
BEGIN:VTODO
UID:2
DUE;VALUE=DATE:20261231
SUMMARY:Good one
END:VTODO
END:VCALENDAR
)"));
        out.close();
        test::ScriptedProgress progress;
        QCOMPARE(importCalendar(dir.session(), CalendarModule::ToDo, file, progress)
                     .summary("To-do items"),
                 QStringLiteral("To-do items added: 1; skipped: 1 (component 1 \"Bad date\": DUE "
                                "is no valid date)."));
        QCOMPARE(test::tableTexts(*ToDoTables(dir.session()).tbTodo, {"ToDoByDate", "ToDoMemo"}),
                 (std::vector<QStringList>{{"2026-12-31", "Good one"}}));
    }
};

} // namespace

QL_TEST_CLASS(ICalendarTest)
#include "tst_icalendar.moc"
