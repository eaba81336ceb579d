#pragma once

#include "store/sqlite.h"
#include "store/table.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <memory>
#include <vector>

namespace ql {

// What a table holds of the engine while its file is open: the connection, the statements that
// write records, and the version of the file last seen, which tells another program's writes.
struct Table::Engine {
    sql::Database db;
    QString path;
    // Why changes cannot be stored: the file was opened for reading only because the user may
    // not write it. Empty when it is open for writing.
    QString writeRefusal;
    // The private copy opened instead of a read-only file with a crash journal.
    std::shared_ptr<QTemporaryDir> copy;
    sql::Statement insert;
    sql::Statement update;
    sql::Statement remove;
    sql::Statement dataVersionQuery;
    // The parameter of the insert and the update that takes each stored column's value; 0 for
    // the key, which takes none.
    std::vector<int> parameterOfColumn;
    qint64 dataVersion = 0;
    // When the version was last looked at.
    QElapsedTimer lastLook;

    // Prepares the statements on a file just opened.
    void prepare(const TableDef& def);
    // The statements go, then the file closes.
    void close();
};

} // namespace ql
