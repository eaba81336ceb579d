#include "journal/journaltables.h"

#include "store/session.h"

namespace ql {

JournalTables::JournalTables(Session& session, QObject* owner)
    : TableHolder(session, owner, "DataModule2")
    , tbJournal1(addTable(catalogue::journal(), "tbJournal1"))
    , dsJournal1(addSource(tbJournal1, "dsJournal1"))
{
    tbJournal1->addCalculatedField({QStringLiteral("DateTime"), FieldType::DateTime, 0, 18},
                                   QStringLiteral("ExtraField"));
    tbJournal1->setOnNewRecord(&JournalTables::tbJournal1NewRecord);
    tbJournal1->setOnCalcFields(&JournalTables::tbJournal1CalcFields);
    tbJournal1->setIndexFieldNames(QStringLiteral("DateTimeStamp"));
    openTables();
}

void JournalTables::tbJournal1NewRecord(Table& table)
{
    table.setAsDateTime(QStringLiteral("DateTimeStamp"), table.session().clock().now());
}

void JournalTables::tbJournal1CalcFields(Record&) {}

ToDoTables::ToDoTables(Session& session, QObject* owner)
    : TableHolder(session, owner, "DataModule4")
    , tbTodo(addTable(catalogue::toDo(), "tbTodo"))
    , dsToDo(addSource(tbTodo, "dsToDo"))
{
    tbTodo->setIndexName(QStringLiteral("idxToDoDate"));
    openTables();
}

} // namespace ql
