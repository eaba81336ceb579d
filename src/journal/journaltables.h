#pragma once

#include "store/tableholder.h"

namespace ql {

// The journal, read by its stamp, oldest first.
class JournalTables : public TableHolder {
    Q_OBJECT
public:
    explicit JournalTables(Session& session, QObject* owner = nullptr);

    Table* tbJournal1;
    DataSource* dsJournal1;

    // A new entry is stamped with the moment it was started.
    static void tbJournal1NewRecord(Table& table);
    // DateTime is declared for the layout's sake and always stays empty.
    static void tbJournal1CalcFields(Record& record);
};

// The to-do list, by due date.
class ToDoTables : public TableHolder {
    Q_OBJECT
public:
    explicit ToDoTables(Session& session, QObject* owner = nullptr);

    Table* tbTodo;
    DataSource* dsToDo;
};

} // namespace ql
