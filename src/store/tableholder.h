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

// A table of the catalogue in `session` under the organizer's database name, owned by `holder`;
// its password is registered with the session right before each open.
Table* makeTable(Session& session, QObject* holder, const TableDef& def, const char* component);

} // namespace ql
