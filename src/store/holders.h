#pragma once

#include "store/catalogue.h"
#include "store/datasource.h"
#include "store/table.h"

#include <QObject>

// The table holders: each owns its module's open tables and their data links, made in the session
// it is given. Creating a holder opens its tables, registering each table's password with the
// session right before the open; destroying it closes them, discarding a change still pending.
namespace ql {

class Session;

// Registers the password of a table of the catalogue with the session.
void registerPassword(Session& session, const TableDef& def);

// A table of the catalogue in `session` under the organizer's database name, with its password
// hook.
template <typename Holder>
Table* makeTable(Session& session, Holder* holder, const TableDef& def, const char* component,
                 void (Holder::*beforeOpen)())
{
    auto* table = new Table(session, def, QString::fromLatin1(component), holder);
    table->setDatabaseName(QString::fromLatin1(catalogue::databaseName));
    table->setBeforeOpen([holder, beforeOpen] { (holder->*beforeOpen)(); });
    return table;
}

// The address book.
class AddressBookTables : public QObject {
    Q_OBJECT
public:
    // Whether the holder opens its table when it is made; a table the program started without
    // stays closed until openTables.
    enum class Opening { Open, Closed };
    explicit AddressBookTables(Session& session, QObject* owner = nullptr,
                               Opening opening = Opening::Open);

    // Closes the table, discarding a change still pending, so that its file can be replaced; the
    // window over it lists nothing until openTables.
    void closeTables();
    // Opens the table again in the order it had, at its first record, with what its file holds
    // now. Throws ql::Error when the file cannot be opened.
    void openTables();

    Table* tbNames;
    DataSource* dsNames;

    void tbNamesBeforeOpen();
    // FirstLastCompany: first name, a blank and last name; the company when both names are
    // empty; cut to the field's 20 characters.
    void tbNamesCalcFields(Record& record) const;

private:
    // Where the fields FirstLastCompany is made of stand in tbNames, found once.
    int m_firstName = -1;
    int m_lastName = -1;
    int m_company = -1;
    int m_firstLastCompany = -1;
};

// The journal, read by its stamp, oldest first.
class JournalTables : public QObject {
    Q_OBJECT
public:
    explicit JournalTables(Session& session, QObject* owner = nullptr);

    Table* tbJournal1;
    DataSource* dsJournal1;

    void tbJournal1BeforeOpen();
    // A new entry is stamped with the moment it was started.
    static void tbJournal1NewRecord(Table& table);
    // DateTime is declared for the layout's sake and always stays empty.
    static void tbJournal1CalcFields(Record& record);
};

// The to-do list, by due date.
class ToDoTables : public QObject {
    Q_OBJECT
public:
    explicit ToDoTables(Session& session, QObject* owner = nullptr);

    Table* tbTodo;
    DataSource* dsToDo;

    void tbTodoBeforeOpen();
};

// The user-defined records, in the order they were created.
class UserDefinedTables : public QObject {
    Q_OBJECT
public:
    explicit UserDefinedTables(Session& session, QObject* owner = nullptr);

    Table* tbUserDefined;
    DataSource* dsUserDefined;

    void tbUserDefinedBeforeOpen();
};

} // namespace ql
