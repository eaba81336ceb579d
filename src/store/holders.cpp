#include "store/holders.h"

#include "store/catalogue.h"
#include "store/clock.h"
#include "store/fieldvalue.h"
#include "store/session.h"

namespace ql {
void registerPassword(Session& session, const TableDef& def)
{
    session.addPassword(catalogue::password(def));
}

AddressBookTables::AddressBookTables(Session& session, QObject* owner, Opening opening)
    : QObject(owner)
    , tbNames(makeTable(session, this, catalogue::names(), "tbNames", &AddressBookTables::tbNamesBeforeOpen))
    , dsNames(new DataSource(tbNames, QStringLiteral("dsNames"), this))
{
    setObjectName(QStringLiteral("DataModule1"));
    tbNames->addCalculatedField({QStringLiteral("FirstLastCompany"), FieldType::Text, 20, 29},
                                QStringLiteral("AdAddress4"));
    m_firstName = tbNames->fieldIndex(QStringLiteral("FirstName"));
    m_lastName = tbNames->fieldIndex(QStringLiteral("LastName"));
    m_company = tbNames->fieldIndex(QStringLiteral("Company"));
    m_firstLastCompany = tbNames->fieldIndex(QStringLiteral("FirstLastCompany"));
    tbNames->setOnCalcFields([this](Record& record) { tbNamesCalcFields(record); });
    tbNames->setIndexName(QStringLiteral("idxLastName"));
    if (opening == Opening::Open)
        tbNames->open();
}

void AddressBookTables::closeTables()
{
    tbNames->close();
}

void AddressBookTables::openTables()
{
    tbNames->open();
}

void AddressBookTables::tbNamesBeforeOpen()
{
    registerPassword(tbNames->session(), catalogue::names());
}

void AddressBookTables::tbNamesCalcFields(Record& record) const
{
    QString value =
        record.at(m_firstName).toString() + QLatin1Char(' ') + record.at(m_lastName).toString();
    if (value == QLatin1String(" "))
        value = record.at(m_company).toString();
    value = cutToWidth(value, 20);
    record.set(m_firstLastCompany, value.isEmpty() ? QVariant() : QVariant(value));
}

JournalTables::JournalTables(Session& session, QObject* owner)
    : QObject(owner)
    , tbJournal1(
          makeTable(session, this, catalogue::journal(), "tbJournal1", &JournalTables::tbJournal1BeforeOpen))
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

void JournalTables::tbJournal1BeforeOpen()
{
    registerPassword(tbJournal1->session(), catalogue::journal());
}

void JournalTables::tbJournal1NewRecord(Table& table)
{
    table.setAsDateTime(QStringLiteral("DateTimeStamp"), clock::now());
}

void JournalTables::tbJournal1CalcFields(Record&) {}

ToDoTables::ToDoTables(Session& session, QObject* owner)
    : QObject(owner)
    , tbTodo(makeTable(session, this, catalogue::toDo(), "tbTodo", &ToDoTables::tbTodoBeforeOpen))
    , dsToDo(new DataSource(tbTodo, QStringLiteral("dsToDo"), this))
{
    setObjectName(QStringLiteral("DataModule4"));
    tbTodo->setIndexName(QStringLiteral("idxToDoDate"));
    tbTodo->open();
}

void ToDoTables::tbTodoBeforeOpen()
{
    registerPassword(tbTodo->session(), catalogue::toDo());
}

UserDefinedTables::UserDefinedTables(Session& session, QObject* owner)
    : QObject(owner)
    , tbUserDefined(makeTable(session, this, catalogue::userDefined(), "tbUserDefined",
                              &UserDefinedTables::tbUserDefinedBeforeOpen))
    , dsUserDefined(new DataSource(tbUserDefined, QStringLiteral("dsUserDefined"), this))
{
    setObjectName(QStringLiteral("DataModule8"));
    tbUserDefined->open();
}

void UserDefinedTables::tbUserDefinedBeforeOpen()
{
    registerPassword(tbUserDefined->session(), catalogue::userDefined());
}

} // namespace ql
