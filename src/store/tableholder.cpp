#include "store/tableholder.h"

#include "store/session.h"

namespace ql {

void registerPassword(Session& session, const TableDef& def)
{
    session.addPassword(catalogue::password(def));
}

Table* makeTable(Session& session, QObject* holder, const TableDef& def, const char* component)
{
    auto* table = new Table(session, def, QString::fromLatin1(component), holder);
    table->setDatabaseName(QString::fromLatin1(catalogue::databaseName));
    table->setBeforeOpen([table] { registerPassword(table->session(), table->definition()); });
    return table;
}

TableHolder::TableHolder(Session& session, QObject* owner, const char* name)
    : QObject(owner)
    , m_session(session)
{
    setObjectName(QString::fromLatin1(name));
}

void TableHolder::closeTables()
{
    for (Table* table : m_tables)
        table->close();
}

void TableHolder::openTables()
{
    for (Table* table : m_tables)
        table->open();
}

Table* TableHolder::addTable(const TableDef& def, const char* component)
{
    return m_tables.emplace_back(makeTable(m_session, this, def, component));
}

DataSource* TableHolder::addSource(Table* table, const char* name)
{
    return new DataSource(table, QString::fromLatin1(name), this);
}

} // namespace ql
