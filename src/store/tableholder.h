#pragma once

#include "store/catalogue.h"
#include "store/datasource.h"
#include "store/table.h"

#include <QObject>

// What every table holder is made of. A holder owns its module's open tables and their data
// links, made in the session it is given, and lives with its module; creating it opens its tables,
// registering each table's password with the session right before the open; destroying it closes
// them, discarding a change still pending.
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

} // namespace ql
