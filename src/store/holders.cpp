#include "store/holders.h"

#include "store/catalogue.h"
#include "store/clock.h"
#include "store/fieldvalue.h"
#include "store/session.h"

namespace ql {
void registerPassword(const TableDef& def)
{
    Session::instance().addPassword(catalogue::password(def));
}

TDataModule1::TDataModule1(QObject* owner, Opening opening)
    : QObject(owner)
    , tbNames(makeTable(this, catalogue::names(), "tbNames", &TDataModule1::tbNamesBeforeOpen))
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

void TDataModule1::closeTables()
{
    tbNames->close();
}

void TDataModule1::openTables()
{
    tbNames->open();
}

void TDataModule1::tbNamesBeforeOpen()
{
    registerPassword(catalogue::names());
}

void TDataModule1::tbNamesCalcFields(Record& record) const
{
    QString value =
        record.at(m_firstName).toString() + QLatin1Char(' ') + record.at(m_lastName).toString();
    if (value == QLatin1String(" "))
        value = record.at(m_company).toString();
    value = cutToWidth(value, 20);
    record.set(m_firstLastCompany, value.isEmpty() ? QVariant() : QVariant(value));
}

TDataModule2::TDataModule2(QObject* owner)
    : QObject(owner)
    , tbJournal1(
          makeTable(this, catalogue::journal(), "tbJournal1", &TDataModule2::tbJournal1BeforeOpen))
    , dsJournal1(new DataSource(tbJournal1, QStringLiteral("dsJournal1"), this))
{
    setObjectName(QStringLiteral("DataModule2"));
    tbJournal1->addCalculatedField({QStringLiteral("DateTime"), FieldType::DateTime, 0, 18},
                                   QStringLiteral("ExtraField"));
    tbJournal1->setOnNewRecord(&TDataModule2::tbJournal1NewRecord);
    tbJournal1->setOnCalcFields(&TDataModule2::tbJournal1CalcFields);
    tbJournal1->setIndexFieldNames(QStringLiteral("DateTimeStamp"));
    tbJournal1->open();
}

void TDataModule2::tbJournal1BeforeOpen()
{
    registerPassword(catalogue::journal());
}

void TDataModule2::tbJournal1NewRecord(Table& table)
{
    table.setAsDateTime(QStringLiteral("DateTimeStamp"), clock::now());
}

void TDataModule2::tbJournal1CalcFields(Record&) {}

TDataModule4::TDataModule4(QObject* owner)
    : QObject(owner)
    , tbTodo(makeTable(this, catalogue::toDo(), "tbTodo", &TDataModule4::tbTodoBeforeOpen))
    , dsToDo(new DataSource(tbTodo, QStringLiteral("dsToDo"), this))
{
    setObjectName(QStringLiteral("DataModule4"));
    tbTodo->setIndexName(QStringLiteral("idxToDoDate"));
    tbTodo->open();
}

void TDataModule4::tbTodoBeforeOpen()
{
    registerPassword(catalogue::toDo());
}

TDataModule8::TDataModule8(QObject* owner)
    : QObject(owner)
    , tbUserDefined(makeTable(this, catalogue::userDefined(), "tbUserDefined",
                              &TDataModule8::tbUserDefinedBeforeOpen))
    , dsUserDefined(new DataSource(tbUserDefined, QStringLiteral("dsUserDefined"), this))
{
    setObjectName(QStringLiteral("DataModule8"));
    tbUserDefined->open();
}

void TDataModule8::tbUserDefinedBeforeOpen()
{
    registerPassword(catalogue::userDefined());
}

} // namespace ql
