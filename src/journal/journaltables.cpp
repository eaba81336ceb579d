#include "journal/journaltables.h"

#include "store/clock.h"

namespace ql {

JournalTables::JournalTables(Session& session, QObject* owner)
    : QObject(owner)
    , tbJournal1(makeTable(session, this, catalogue::journal(), "tbJournal1"))
    , dsJournal1(new DataSource(tbJournal1, QStringLiteral("dsJournal1"), this))
{
    setObjectName(QStringLiteral("DataModule2"));
    tbJournal1->addCalculatedField({QStringLiteral("DateTime"), FieldType::DateTime, 0, 18},
                                   QStringLiteral("ExtraField"));
    tbJournal1->setOnNewRecord(&JournalTables::tbJournal1NewRecord);
    tbJournal1->setOnCalcFields(&JournalTables::tbJournal1CalcFields);
    tbJournal1->setIndexFieldNames(QStringLiteral("DateTimeStamp"));
    tbJournal1->open();
}

void JournalTables::tbJournal1NewRecord(Table& table)
{
    table.setAsDateTime(QStringLiteral("DateTimeStamp"), clock::now());
}

void JournalTables::tbJournal1CalcFields(Record&) {}

ToDoTables::ToDoTables(Session& session, QObject* owner)
    : QObject(owner)
    , tbTodo(makeTable(session, this, catalogue::toDo(), "tbTodo"))
    , dsToDo(new DataSource(tbTodo, QStringLiteral("dsToDo"), this))
{
    setObjectName(QStringLiteral("DataModule4"));
    tbTodo->setIndexName(QStringLiteral("idxToDoDate"));
    tbTodo->open();
}

} // namespace ql
