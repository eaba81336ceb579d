#pragma once

#include "store/schema.h"
#include "store/table.h"

#include <QObject>
#include <QString>

#include <array>

namespace ql {

class Progress;
class Session;

// The import's source holder: one table, tbNoName, under the database name "QYImport", pointed at
// one source table after another. It registers no passwords of its own; a source table opens
// read-only and is never trusted, as a directory the user names may hold files of any origin.
class ImportSourceTable : public QObject {
    Q_OBJECT
public:
    explicit ImportSourceTable(Session& session, QObject* owner = nullptr);

    // Points tbNoName, closed, at a source table: its name and the fields read from it.
    void setSource(const TableDef& table);

    Table* tbNoName = nullptr; // none until the first source table is named

private:
    Session& m_session;
    TableDef m_source;
};

} // namespace ql

namespace ql::import {

// The database name the source tables are reached under, registered for the rest of the run by
// the first import and pointed at the source directory by every import.
inline constexpr const char* databaseName = "QYImport";

// The modules the import handles, in the order it handles them.
enum class Module { Names, Journal, ToDo, CDs, CDRs, Tapes, Books, UserDefined };
inline constexpr int moduleCount = 8;

// What the user asked for in the options window: the directory of the source tables, their
// layout (0: the earlier version's tables; 1 and 2: the current names with ten or thirty track
// titles; any other value: none chosen) and, by module, whether it is ticked.
struct Request {
    QString sourceDirectory;
    int layout = -1;
    std::array<bool, moduleCount> modules{};
};

// How an import ended, for the window to show: the message first, then the status line's text.
struct Outcome {
    bool finished = false; // every ticked module was imported
    // The status line's last text: "Quillory - Done", followed on a line of its own by what
    // each module imported added and skipped ("Address Book: 12 added · CDs: 30 added, 20 values
    // skipped"), or "Quillory - Aborted".
    QString status;
    // Every module's count with the names of the fields whose values were skipped, for a view
    // of the details; empty when no module was imported.
    QString details;
    // Why the run stopped, for a message box; empty when it finished.
    QString message;
    // The message refuses the folder (a plain box) rather than telling a failure (a critical one).
    bool refused = false;
};

// Appends the source records of every ticked module to the current tables, on the thread that
// runs it, with tables of its own in the run's session (where it registers the source directory
// and the passwords the user gives). `progress` receives the status line's texts as the run goes
// (the start, "Quillory - Importing....", and the records counted as they arrive), the records of
// the module being imported as steps, and the question for a source table's password.
//
// A source table is read only when it is one of ours: its key, if it has one, the row id, its
// fields of text type, and every date in it readable. A refused source or an error stops the run
// with a message that says what was kept: the modules before it stay imported; of the module that
// stopped, nothing is added when the source is refused or the engine takes the work back (a full
// disk), and the records stored before the problem stay when a record further on cannot be read.
//
// A run stopped by a source table the chosen layout does not find, where the folder holds the
// tables of another layout, names that layout in its message.
//
// A cancel through `progress` rolls the module being imported back, takes out the records the
// run added to the modules before it, and throws Cancelled: every table holds the records, and
// keeps the number of them, that it held before (the keys the run used are not given out again).
class Importer {
public:
    Importer(Session& session, Request request)
        : m_session(session)
        , m_request(std::move(request))
    {
    }
    Outcome run(Progress& progress) const;

private:
    Session& m_session;
    Request m_request;
};

// The table a module is read from in a layout, as the import reads it: the key, then every field
// the layout carries, in the order they are copied. A source file may lack the key and the fields
// the destination has no place for. None for the user-defined records of layout 0, or for a
// layout that is not 0, 1 or 2.
const TableDef* sourceTable(Module module, int layout);

} // namespace ql::import
