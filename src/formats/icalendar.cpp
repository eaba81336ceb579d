#include "formats/icalendar.h"

#include "journal/journaltables.h"
#include "store/fieldvalue.h"
#include "store/progress.h"
#include "store/tablebulk.h"

#include <QUuid>
#include <libical/ical.h>
#include <memory>

namespace ql::formats {
namespace {

// The parameter that marks a journal entry's lower text.
constexpr const char* kTextParameter = "X-TEXT";
constexpr const char* kLowerText = "LOWER";

struct ComponentFree {
    void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

// A text as a calendar carries it: every line break a LF.
QByteArray calendarText(const QString& text)
{
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines.toUtf8();
}

// A new component with what every one needs: a UID and the moment it was written.
icalcomponent* newComponent(icalcomponent_kind kind, const icaltimetype& written)
{
    icalcomponent* component = icalcomponent_new(kind);
    icalcomponent_add_property(
        component,
        icalproperty_new_uid(QUuid::createUuid().toString(QUuid::WithoutBraces).toUtf8()));
    icalcomponent_add_property(component, icalproperty_new_dtstamp(written));
    return component;
}

// The text's first line as the summary other programs list.
icalproperty* addDescription(icalcomponent* component, const QString& text)
{
    icalproperty* description = icalproperty_new_description(calendarText(text));
    icalcomponent_add_property(component, description);
    return description;
}

// A record's text as the component's summary (its first line) and its description.
void addSummaryAndDescription(icalcomponent* component, const QString& text)
{
    const QString firstLine = text.section(QLatin1Char('\n'), 0, 0).trimmed();
    if (!firstLine.isEmpty())
        icalcomponent_add_property(component, icalproperty_new_summary(calendarText(firstLine)));
    addDescription(component, text);
}

// `base` (a null date or a null time) on the day `date`.
icaltimetype onDay(icaltimetype base, QDate date)
{
    base.year = date.year();
    base.month = date.month();
    base.day = date.day();
    return base;
}

Component newCalendar()
{
    Component calendar(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
    icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar.get(),
                               icalproperty_new_prodid("-//Varnholt//Quillory 3.0//EN"));
    return calendar;
}

QByteArray calendarBytes(icalcomponent* calendar)
{
    char* text = icalcomponent_as_ical_string_r(calendar);
    QByteArray bytes(text);
    icalmemory_free_buffer(text);
    return bytes;
}

icaltimetype nowInUtc()
{
    return icaltime_current_time_with_zone(icaltimezone_get_utc_timezone());
}

// A time of the calendar as a local date and time: a time in a zone or in UTC as the moment it
// is here, a floating time or a date as it is written.
QDateTime localTime(const icaltimetype& time)
{
    if (icaltime_is_null_time(time))
        return {};
    const QDate date(time.year, time.month, time.day);
    if (icaltime_is_date(time))
        return QDateTime(date, QTime(0, 0));
    if (time.zone)
        return QDateTime::fromSecsSinceEpoch(icaltime_as_timet_with_zone(time, time.zone))
            .toLocalTime();
    return QDateTime(date, QTime(time.hour, time.minute, time.second));
}

QString propertyText(const char* text)
{
    return text ? QString::fromUtf8(text) : QString();
}

// The reason a component cannot be read, from the errors libical marked it with; empty when it
// has none.
QString errorsOf(icalcomponent* component)
{
    QStringList errors;
    for (icalproperty* p = icalcomponent_get_first_property(component, ICAL_XLICERROR_PROPERTY); p;
         p = icalcomponent_get_next_property(component, ICAL_XLICERROR_PROPERTY))
        errors << propertyText(icalproperty_get_xlicerror(p));
    return errors.join(QStringLiteral("; "));
}

// Whether a text is the journal entry's lower one, which says so in a parameter: a calendar keeps
// no empty text, so an entry with only a lower text writes that one alone.
bool isLowerText(icalproperty* description)
{
    for (icalparameter* p = icalproperty_get_first_parameter(description, ICAL_X_PARAMETER); p;
         p = icalproperty_get_next_parameter(description, ICAL_X_PARAMETER)) {
        if (qstrcmp(icalparameter_get_xname(p), kTextParameter) == 0 &&
            qstrcmp(icalparameter_get_xvalue(p), kLowerText) == 0)
            return true;
    }
    return false;
}

// A component's texts: the upper (or only) text and the lower one, from its DESCRIPTIONs, or
// from its SUMMARY when it has none.
std::pair<QString, QString> textsOf(icalcomponent* component)
{
    QStringList upper;
    QStringList lower;
    for (icalproperty* p = icalcomponent_get_first_property(component, ICAL_DESCRIPTION_PROPERTY);
         p; p = icalcomponent_get_next_property(component, ICAL_DESCRIPTION_PROPERTY)) {
        const QString text = propertyText(icalproperty_get_description(p));
        (isLowerText(p) || !upper.isEmpty() ? lower : upper) << text;
    }
    if (upper.isEmpty() && lower.isEmpty())
        upper << propertyText(icalcomponent_get_summary(component));
    return {upper.join(QLatin1Char('\n')), lower.join(QLatin1Char('\n'))};
}

// The time of a component's property as a local time; invalid when it has none, and a failure
// when the property holds no valid time.
QDateTime timeOf(icalcomponent* component, icalproperty_kind kind, QString& failure)
{
    if (!icalcomponent_get_first_property(component, kind))
        return {};
    QDateTime time = localTime(kind == ICAL_DUE_PROPERTY ? icalcomponent_get_due(component)
                                                         : icalcomponent_get_dtstart(component));
    if (!time.isValid())
        failure = QStringLiteral("%1 is no valid date")
                      .arg(QString::fromLatin1(icalproperty_kind_to_string(kind)));
    return time;
}

void readComponent(icalcomponent* component, CalendarRead& read, int& number)
{
    const icalcomponent_kind kind = icalcomponent_isa(component);
    if (kind != ICAL_VTODO_COMPONENT && kind != ICAL_VJOURNAL_COMPONENT) {
        for (icalcomponent* inner =
                 icalcomponent_get_first_component(component, ICAL_ANY_COMPONENT);
             inner; inner = icalcomponent_get_next_component(component, ICAL_ANY_COMPONENT))
            readComponent(inner, read, number);
        return;
    }
    ++number;
    QString failure = errorsOf(component);
    const QDateTime time =
        timeOf(component, kind == ICAL_VTODO_COMPONENT ? ICAL_DUE_PROPERTY : ICAL_DTSTART_PROPERTY,
               failure);
    if (!failure.isEmpty()) {
        const QString summary = propertyText(icalcomponent_get_summary(component));
        read.unreadable << (summary.isEmpty()
                                ? QStringLiteral("component %1").arg(number)
                                : QStringLiteral("component %1 \"%2\"").arg(number).arg(summary)) +
                               QStringLiteral(": ") + failure;
        return;
    }
    const auto [upper, lower] = textsOf(component);
    if (kind == ICAL_VTODO_COMPONENT)
        read.items.push_back({time.date(), upper});
    else
        read.entries.push_back({time, upper, lower});
}

// Runs work over the module's table, open in a holder of its own for as long as the work runs.
template <typename Work> auto withTable(Session& session, CalendarModule module, Work work)
{
    if (module == CalendarModule::ToDo) {
        const ToDoTables holder(session);
        return work(*holder.tbTodo);
    }
    const JournalTables holder(session);
    return work(*holder.tbJournal1);
}

std::vector<TableBulk::Texts> readModule(Session& session, CalendarModule module,
                                         const QStringList& fields)
{
    return withTable(session, module,
                     [&fields](const Table& table) { return TableBulk::readTexts(table, fields); });
}

// A calendar with a component of `kind` for each record, which `fill` gives its properties.
template <typename Record, typename Fill>
QByteArray writeCalendar(const std::vector<Record>& records, icalcomponent_kind kind, Fill fill)
{
    const Component calendar = newCalendar();
    const icaltimetype written = nowInUtc();
    for (const Record& record : records) {
        icalcomponent* component = newComponent(kind, written);
        fill(component, record);
        icalcomponent_add_component(calendar.get(), component);
    }
    return calendarBytes(calendar.get());
}

} // namespace

QByteArray toDoCalendar(const std::vector<ToDoItem>& items)
{
    return writeCalendar(
        items, ICAL_VTODO_COMPONENT, [](icalcomponent* todo, const ToDoItem& item) {
            if (item.due.isValid()) {
                icalcomponent_add_property(
                    todo, icalproperty_new_due(onDay(icaltime_null_date(), item.due)));
            }
            if (!item.text.isEmpty())
                addSummaryAndDescription(todo, item.text);
        });
}

QByteArray journalCalendar(const std::vector<JournalEntry>& entries)
{
    return writeCalendar(
        entries, ICAL_VJOURNAL_COMPONENT, [](icalcomponent* journal, const JournalEntry& entry) {
            if (entry.stamp.isValid()) {
                icaltimetype start = onDay(icaltime_null_time(), entry.stamp.date());
                const QTime time = entry.stamp.time();
                start.hour = time.hour();
                start.minute = time.minute();
                start.second = time.second();
                icalcomponent_add_property(journal, icalproperty_new_dtstart(start));
            }
            if (!entry.upper.isEmpty())
                addSummaryAndDescription(journal, entry.upper);
            if (!entry.lower.isEmpty()) {
                icalproperty* lower = addDescription(journal, entry.lower);
                icalparameter* part = icalparameter_new_x(kLowerText);
                icalparameter_set_xname(part, kTextParameter);
                icalproperty_add_parameter(lower, part);
            }
        });
}

CalendarRead readCalendar(QByteArrayView file)
{
    CalendarRead read;
    const Component root(icalparser_parse_string(file.toByteArray().constData()));
    int number = 0;
    if (root)
        readComponent(root.get(), read, number);
    return read;
}

void exportCalendar(Session& session, CalendarModule module, const QString& fileName,
                    Progress& progress)
{
    progress.status(QStringLiteral("Exporting..."));
    ExportFile file(fileName);
    if (module == CalendarModule::ToDo) {
        std::vector<ToDoItem> items;
        for (const TableBulk::Texts& record : readModule(
                 session, module, {QStringLiteral("ToDoByDate"), QStringLiteral("ToDoMemo")}))
            items.push_back({storedDate(record.text(0)), record.text(1).toString()});
        progress.checkCancelled();
        file.buffer() = toDoCalendar(items);
    } else {
        std::vector<JournalEntry> entries;
        for (const TableBulk::Texts& record :
             readModule(session, module,
                        {QStringLiteral("DateTimeStamp"), QStringLiteral("MemoField1"),
                         QStringLiteral("MemoField2")}))
            entries.push_back({storedDateTime(record.text(0)), record.text(1).toString(),
                               record.text(2).toString()});
        progress.checkCancelled();
        file.buffer() = journalCalendar(entries);
    }
    file.commit();
}

ImportOutcome importCalendar(Session& session, CalendarModule module, const QString& fileName,
                             Progress& progress)
{
    progress.status(QStringLiteral("Reading the calendar..."));
    const CalendarRead read = readCalendar(readImportFile(fileName));
    progress.checkCancelled();
    progress.status(QStringLiteral("Importing..."));
    // Each record's values in the order of the fields.
    std::vector<std::vector<QVariant>> values;
    QStringList fields;
    if (module == CalendarModule::ToDo) {
        fields = {QStringLiteral("ToDoByDate"), QStringLiteral("ToDoMemo")};
        for (const ToDoItem& item : read.items)
            values.push_back({item.due, item.text});
    } else {
        fields = {QStringLiteral("DateTimeStamp"), QStringLiteral("MemoField1"),
                  QStringLiteral("MemoField2")};
        for (const JournalEntry& entry : read.entries)
            values.push_back({entry.stamp, entry.upper, entry.lower});
    }
    return withTable(session, module, [&](Table& table) {
        return appendImported(table, values.size(), read.unreadable, progress,
                              [&](Record& record, size_t at) {
                                  for (qsizetype i = 0; i < fields.size(); ++i)
                                      record.setValue(fields[i], values[at][size_t(i)]);
                              });
    });
}

} // namespace ql::formats
