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
    table->setBeforeOpen(
        [&session, password = catalogue::password(def)] { session.addPassword(password); });
    return table;
}

} // namespace ql
