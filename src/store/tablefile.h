#pragma once

#include "store/error.h"
#include "store/schema.h"
#include "store/sqlite.h"

#include <QTemporaryDir>
#include <memory>

namespace ql {
class Session;
}

namespace ql::tablefile {

// Lays out an empty table file for def in directory, carrying password, readable by the user
// alone. Fails with ql::Error when the file exists already.
void create(const TableDef& def, const QString& directory, const QString& password);

// The path of the file that holds tableName in directory, the name matched without regard to
// letter case; empty when there is none. Only a regular file (or a link to one) holds a table: a
// folder, a pipe or a device of that name does not.
QString locate(const QString& directory, const QString& tableName);

// A table file opened. A file the user may not write (the file or its folder read-only) opens
// read-only with a note that says so; when a crash left a journal beside such a file, a private
// copy of both is opened instead, so the records read are the ones last committed.
struct OpenFile {
    sql::Database db;
    QString readOnlyNote; // empty when the file is open for writing
    std::shared_ptr<QTemporaryDir> copy;
};

// Whether the user may write the table file: the file and its folder (which holds the journal of
// every write).
bool isWritable(const QString& path);

// Opens the file of a table and checks that it is one of ours, with every field of def and a
// password `session` knows (else PasswordError), waiting for another program as long as the
// session says. An untrusted open never writes; a writable one brings the indexes up to date with
// the alphabetical order of this build. Throws ql::Error naming
// the table and telling a file of another kind, a damaged table of ours (both UnusableTableError)
// and a file in use apart.
OpenFile open(const Session& session, const TableDef& def, const QString& path, bool untrusted);

// The failure of opening a table whose file the engine found damaged, with the engine's finding.
UnusableTableError damaged(const QString& tableName, const QString& path, const QString& finding);
// The failure of opening a table that has no file in `directory`: a lost file is one a backup can
// bring back, as a damaged one.
UnusableTableError missing(const QString& tableName, const QString& directory);

// Whether the file keeps the number of its records, with every part that keeps it.
bool keepsCount(const sql::Database& db);
// A file that does not (an earlier build wrote it, or another program dropped a part) learns to,
// its records counted; false when it cannot just now (another program holds it): then its records
// are counted whenever the number is needed.
bool learnToKeepCount(sql::Database& db);

// Work over many records in one transaction of a file that keeps its count: the count's triggers
// would make each record's statement copy every page it touches first (a statement that fires a
// trigger must be undone whole when it fails). They are set aside inside the transaction, before
// the work, and laid again before it commits, with the count moved by the records the work added
// (or, negative, deleted); no other writer sees the file without them.
void setCountAside(sql::Database& db);
void countAgain(sql::Database& db, qint64 change);

} // namespace ql::tablefile
