#pragma once

#include "store/progress.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The backup run without a window: copies every file of the data directory into the program's
// backup directory or a folder the user names, and leaves beside the copies an information file
// that says when and from where. It runs on any thread; it reads no setting and no window.
namespace ql::backup {

// What a run copies and where.
struct Request {
    // Holds "Data" and the default backup directory "BackUp".
    QString programDirectory;
    // The folder the user named; empty for the default backup directory.
    QString userFolder;
    bool userSpecified = false;
    // The user-defined window's configuration (its title, field names and memo choice), which
    // lives in the settings file and not in a table: kept beside the copies as "UserDefined.reg".
    QByteArray userDefinedSettings;
};

// How a run ended.
enum class Outcome { Complete, Refused, Failed };

struct Result {
    Outcome outcome = Outcome::Complete;
    // What to tell the user when the run did not complete: the refusal or failure text.
    QString message;
};

// The heading texts a window shows while a run is under way and when it ended.
struct Headings {
    QString inProgress;
    QString complete;
    QString failed;
    QString cancelled;
};
Headings headings();

// The folder the run copies into: the user's folder, or the backup directory first use made
// ("BackUp"), found whatever the letter case of its name ("Backup" while there is none; the run
// never makes it).
QString targetDirectory(const Request& request);

// Why the run would refuse the destination ("Invalid path entered. Please retry."): a folder
// the user named of fewer than four characters, or the data directory or a folder inside it;
// empty when the destination is acceptable.
QString refusal(const Request& request);

// The files a backup keeps beside the copies of the tables: the information file
// ("BackupInfo.txt") and the user-defined window's configuration ("UserDefined.reg").
QString informationFileName();
QString userDefinedFileName();

// Writes the information file "BackupInfo.txt" into `target`: copied from `data` at `moment`.
// When it cannot be written, an older one stays as it was.
void writeInformation(const QString& data, const QString& target, const QDateTime& moment);

// One run, made at `moment` as its information file says. It reports each entry it copies as its
// status ("Backup in progress..... QYName2.DB") and counts the entries. A failed run keeps the
// copies made before the failure. A run cancelled before it has copied every entry puts back every
// backup file it replaced and removes the ones it added, so the folder holds the previous backup as
// it was, and throws ql::Cancelled; the tables are only read.
Result run(const Request& request, const QDateTime& moment, Progress& progress);

} // namespace ql::backup
