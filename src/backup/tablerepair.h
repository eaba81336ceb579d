#pragma once

#include "store/progress.h"
#include "store/tabledirectory.h"

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

// The checks and repairs of the tables in use, without a window: the engine's whole check of
// every table of the data directory, a rebuild of a damaged table from every record that can still
// be read, and a damaged table set aside so that the program starts without it. A damaged file is
// never written or removed: it goes into a dated folder of the backup directory ("Damaged
// 2026-12-10 14-03-22"). It runs on any thread; the table must be closed while it is rebuilt or
// set aside.
namespace ql {
class Session;
}

namespace ql::repair {

// One table of the data directory and what its check found.
struct Finding {
    QString table;
    TableCheck check;
};

// Checks every table of the organizer in the data directory, in the catalogue's order, with the
// organizer's passwords known to `session`.
std::vector<Finding> checkTables(Session& session, const QString& programDirectory,
                                 Progress& progress);

// What a window says of a table's check: "ok", or why it is not (with the engine's first
// findings).
QString verdict(const Finding& finding);

// Whether the check found the table's file damaged, so that a rebuild may save its records (a
// missing file or a file of another program is no such case).
bool canRebuild(const Finding& finding);

// The folder a damaged table found at `moment` is kept in: "Damaged 2026-12-10 14-03-22".
QString damagedFolderName(const QDateTime& moment);

// Moves the table's file (and a journal beside it) out of the data directory into a folder of the
// backup directory named after `moment`; that folder, or nothing when the file cannot be moved (it
// stays).
std::optional<QString> setAside(const QString& programDirectory, const QString& table,
                                const QDateTime& moment);

struct Rebuilt {
    Salvaged salvaged;
    // The folder the damaged file is kept in.
    QString keptIn;
};

// Rebuilds a table into a fresh file from every record of it that can still be read: the fresh
// file is made beside the data directory, on the disk, and renamed over the damaged one, which is
// kept first in a dated folder. Throws ql::Error when nothing can be read or the fresh file cannot
// be put in place (the table is then as it was), Cancelled when the user cancels (nothing
// changed). Both files wait for another program as long as `session` says.
Rebuilt rebuild(const Session& session, const QString& programDirectory, const QString& table,
                Progress& progress);

} // namespace ql::repair
