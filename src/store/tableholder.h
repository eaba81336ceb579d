#pragma once

#include "store/catalogue.h"
#include "store/datasource.h"
#include "store/table.h"

#include <QObject>
#include <vector>

// What every table holder is made of. A holder owns its module's open tables and their data
// links, made in the session it is given, and lives with its module; creating it opens its tables,
// registering each table's password with the session right before the open; destroying it closes
// them, discarding a change still pending.
namespace ql {

class Session;

// Registers the password of a table of the catalogue with the session.
void registerPassword(Session& session, const TableDef& def);

// A table of the catalogue in `session` under the organizer's database name, owned by `holder`,
// or by whoever takes it when there is none; its password is registered with the session right
// before each open.
Table* makeTable(Session& session, QObject* holder, const TableDef& def, const char* component);

// The base of the holders: named as its module's data module, owned by `owner`, it makes its
// tables in `session` and opens and closes them together, in the order they were made.
class TableHolder : public QObject {
    Q_OBJECT
public:
    // Closes the tables, discarding a change still pending, so that their files can be replaced;
    // the windows over them list nothing until openTables.
    void closeTables();
    // Opens the tables again, each in the order it had, at its first record, with what its file
    // holds now. Throws ql::Error when a file cannot be opened.
    void openTables();

protected:
    TableHolder(Session& session, QObject* owner, const char* name);
    // A table of the catalogue made with makeTable, one of the holder's tables.
    Table* addTable(const TableDef& def, const char* component);
    // The data link `name` to one of the holder's tables.
    DataSource* addSource(Table* table, const char* name);

private:
    Session& m_session;
    std::vector<Table*> m_tables;
};

} // namespace ql
