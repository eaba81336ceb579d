#pragma once

#include "formats/exportfile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

// The to-do list and the journal as iCalendar: a to-do item as a VTODO (its due date as DUE, a
// date; its text as DESCRIPTION and its first line as SUMMARY), a journal entry as a VJOURNAL (its
// stamp as DTSTART, a local time to the second; its upper text as DESCRIPTION with its first line
// as SUMMARY, its lower text as a further DESCRIPTION marked X-TEXT=LOWER). Written and read
// through libical, which drops blanks and tabs at either end of a text.
namespace ql::formats {

struct ToDoItem {
    QDate due;
    QString text;
};

struct JournalEntry {
    QDateTime stamp;
    QString upper;
    QString lower;
};

QByteArray toDoCalendar(const std::vector<ToDoItem>& items);
QByteArray journalCalendar(const std::vector<JournalEntry>& entries);

// What came of reading a calendar: its to-do items and journal entries, and a name and reason for
// each of them that could not be read (libical's errors in it, a due date or start that is no
// date). A time in a time zone is read as the local time it is; a component without DESCRIPTION
// takes its SUMMARY as its text, and a second DESCRIPTION of another program's is the lower text.
// Alarms and events are passed over.
struct CalendarRead {
    std::vector<ToDoItem> items;
    std::vector<JournalEntry> entries;
    QStringList unreadable;
};
CalendarRead readCalendar(QByteArrayView file);

enum class CalendarModule { ToDo, Journal };

// Writes the module's records, in the order its holder reads them, to a calendar file; the file
// is complete or not written at all (exportfile.h). Runs with a holder of its own in `session` on
// the thread that runs it.
void exportCalendar(Session& session, CalendarModule module, const QString& fileName,
                    Progress& progress);

// Adds the module's components of a calendar file in one transaction; the ones that cannot be
// read are skipped and named. A cancel rolls every record of the run back and throws Cancelled.
ImportOutcome importCalendar(Session& session, CalendarModule module, const QString& fileName,
                             Progress& progress);

} // namespace ql::formats
