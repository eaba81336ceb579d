#pragma once

#include "backup/backupwork.h"
#include "store/progress.h"
#include "store/tabledirectory.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// The restore without a window: brings the tables of a backup back into the data directory. Every
// copy is checked before anything is replaced; the current tables go aside first into a dated
// folder of the backup directory; each copy comes in as a fresh file on the disk, renamed over
// the table in one step, so a crash at any moment leaves each table wholly as it was or wholly
// restored. It runs on any thread; it reads no setting and no window. The tables must be closed
// while it runs.
namespace ql {
class Session;
}

namespace ql::restore {

// A table's copy in a backup and what a look at it found.
struct Copy {
    QString table; // the name the organizer gives the table ("QYName2.DB")
    TableCheck check;
};

// A folder that holds a backup.
struct Backup {
    QString folder;
    // When it was made, as its information file tells it ("Tuesday, March 02, 1999 at 1:05:09
    // PM"), else from the time its newest table file was written.
    QString made;
    QDateTime madeAt; // the time of the information file or of the newest table file
    // The organizer's tables the folder holds, in the catalogue's order.
    std::vector<Copy> copies;
    // Whether it keeps the user-defined window's configuration ("UserDefined.reg").
    bool holdsUserDefined = false;
};

// The folders a restore offers, each once, newest first: the default backup directory, the
// folders earlier restores set aside in it, and `others` (the folder last backed up into, a folder
// the user chose); only those that hold a table of the organizer.
QStringList backupFolders(const QString& programDirectory, const QStringList& others);

// Looks at every table copy in a folder, changing nothing, with the organizer's passwords known to
// `session`; a copy that cannot be looked at is reported unsound.
Backup examine(Session& session, const QString& folder, Progress& progress);

// The folder a restore at `moment` sets the current tables aside in, in the default backup
// directory: "Before restore 2026-12-10 14-03-22".
QString setAsideName(const QDateTime& moment);

// The newest of the backups in `folders` that holds a sound copy of the table, looked at in the
// order given (newest first, as backupFolders gives them); nothing when none does.
std::optional<Backup> newestSoundCopy(Session& session, const QStringList& folders,
                                      const QString& table, Progress& progress);

// Removes what a restore or a rebuild cut short by a crash left: the hidden folders of copies
// beside the data directory, and an unfinished folder of set-aside tables.
void removeLeftovers(const QString& programDirectory);

// The name pattern (for QTemporaryDir) of a hidden folder beside the data directory, on its disk,
// for fresh table files on their way in; what a crash leaves of it removeLeftovers removes.
QString workFolderPattern(const QString& programDirectory);

struct Request {
    // The backup to restore from, as a backup names it: the program directory, the folder (the
    // default backup directory unless the user named one), and the user-defined window's
    // configuration as it is now, which is set aside with the tables when it is brought back.
    backup::Request backup;
    // The tables to bring back, by the organizer's names; every other table stays as it is.
    QStringList tables;
    // Whether to bring back the user-defined window's configuration when the backup keeps it.
    bool userDefined = false;
};

enum class Outcome { Complete, Refused, Failed };

struct Result {
    Outcome outcome = Outcome::Complete;
    // Why it was refused (nothing changed) or failed; empty when it completed.
    QString message;
    // The folder holding the tables as they were before; empty when nothing was set aside.
    QString setAside;
    // The configuration to put back into the settings, when it was asked for and kept.
    std::optional<QByteArray> userDefinedSettings;
};

// The heading texts a window shows while a restore is under way and when it ended.
backup::Headings headings();

// One restore. Each chosen copy is brought in beside the data directory and checked; one that is
// missing or unsound refuses the whole restore, naming it, and nothing changes. It reports each
// table as its status. A cancel is taken until the first table is set aside, and then throws
// ql::Cancelled with nothing changed. The copies are checked with the organizer's passwords known
// to `session`.
Result run(Session& session, const Request& request, Progress& progress);

} // namespace ql::restore
