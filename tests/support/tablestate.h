#pragma once

#include "store/sqlite.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

namespace ql::test {

// Everything a table file stores, as text: each record with all of its fields, the number of
// records the file keeps, and its layout with the parts that keep that number.
inline QByteArray storedState(const QString& path)
{
    sql::Database db(path, sql::OpenMode::ReadOnly);
    QByteArray state;
    sql::Statement layout(db, "SELECT type, name, sql FROM sqlite_schema ORDER BY name");
    while (layout.step())
        state += layout.columnBytes(0) + ' ' + layout.columnBytes(1) + ' ' + layout.columnBytes(2) +
                 '\n';
    sql::Statement tally(db, "SELECT records FROM tally");
    while (tally.step())
        state += "count " + tally.columnBytes(0) + '\n';
    QByteArrayList columns;
    sql::Statement fields(db, "SELECT name FROM pragma_table_info('records') ORDER BY cid");
    while (fields.step())
        columns << "quote(" + sql::quoted(QString::fromUtf8(fields.columnBytes(0))) + ")";
    sql::Statement records(db, "SELECT " + columns.join(" || char(9) || ") +
                                   " FROM records ORDER BY rowid");
    while (records.step())
        state += records.columnBytes(0) + '\n';
    return state;
}

} // namespace ql::test
