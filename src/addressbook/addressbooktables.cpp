#include "addressbook/addressbooktables.h"

#include "store/fieldvalue.h"

namespace ql {

AddressBookTables::AddressBookTables(Session& session, QObject* owner, Opening opening)
    : TableHolder(session, owner, "DataModule1")
    , tbNames(addTable(catalogue::names(), "tbNames"))
    , dsNames(addSource(tbNames, "dsNames"))
{
    tbNames->addCalculatedField({QStringLiteral("FirstLastCompany"), FieldType::Text, 20, 29},
                                QStringLiteral("AdAddress4"));
    m_firstName = tbNames->fieldIndex(QStringLiteral("FirstName"));
    m_lastName = tbNames->fieldIndex(QStringLiteral("LastName"));
    m_company = tbNames->fieldIndex(QStringLiteral("Company"));
    m_firstLastCompany = tbNames->fieldIndex(QStringLiteral("FirstLastCompany"));
    tbNames->setOnCalcFields([this](Record& record) { tbNamesCalcFields(record); });
    tbNames->setIndexName(QStringLiteral("idxLastName"));
    if (opening == Opening::Open)
        openTables();
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

} // namespace ql
