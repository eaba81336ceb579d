#pragma once

#include "schema.h"
#include "sqlite.h"

namespace ql::tablefile {

// Lays out an empty table file for def in directory, carrying password, readable by the user
// alone. Fails with ql::Error when the file exists already.
void create(const TableDef& def, const QString& directory, const QString& password);

// The path of the file that holds tableName in directory, the name matched without regard to
// letter case; empty when there is none.
QString locate(const QString& directory, const QString& tableName);

// Opens the file of a table and checks that it is one of ours, with every field of def and a
// password the session knows. A read-only open never writes; a writable one brings the indexes
// up to date with the alphabetical order of this build. Throws ql::Error naming the table.
sql::Database open(const TableDef& def, const QString& path, bool readOnly);

} // namespace ql::tablefile
