#pragma once

#include "store/schema.h"

#include <QStringList>
#include <vector>

namespace ql::catalogue {

// The eight tables the organizer keeps, under the names their files carry.
const TableDef& names();       // "QYName2.DB"
const TableDef& journal();     // "Journal2.DB"
const TableDef& cds();         // "CollCD2.DB"
const TableDef& cdrs();        // "CollCDR2.DB"
const TableDef& tapes();       // "CollTp2.DB"
const TableDef& books();       // "CollBk2.DB"
const TableDef& toDo();        // "ToDo2.db"
const TableDef& userDefined(); // "UserDa.db"

const std::vector<const TableDef*>& all();
// The table of that name, found without regard to letter case; nullptr when there is none.
const TableDef* find(const QString& tableName);

// The password each table file is created with and opened with.
QString password(const TableDef& table);

// The fields whose values name a record of the table in a message, in the order they are named
// ("Smith, John"); none for a table of another name.
QStringList namingFields(const QString& tableName);

// The database name under which the organizer's tables live.
inline const char* const databaseName = "Quilbase";

} // namespace ql::catalogue
