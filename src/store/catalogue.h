#pragma once

#include "store/schema.h"

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

// The database name under which the organizer's tables live.
inline const char* const databaseName = "Quilbase";

} // namespace ql::catalogue
