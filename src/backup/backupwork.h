#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <functional>

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
enum class Outcome { Complete, Refused, Failed, Cancelled };

struct Result {
    Outcome outcome = Outcome::Complete;
    // What to tell the user when the run did not complete: the refusal or failure text.
    QString message;
};

// What the run reports while it copies, and how it learns that the user cancelled.
struct Progress {
    // The entry about to be copied and how many entries come before it of how many in all.
    std::function<void(const QString& entry, int done, int total)> step;
    // Set by the user interface; the run stops at its next entry.
    const std::atomic_bool* cancelled = nullptr;
};

// The heading texts a window shows while a run is under way and when it ended.
QString inProgressText();
QString completeText();
QString failedText();
QString cancelledText();

// The folder the run copies into: the user's folder, or the backup directory first use made
// ("BackUp"), found whatever the letter case of its name ("Backup" while there is none; the run
// never makes it).
QString targetDirectory(const Request& request);

// Why the run would refuse the destination ("Invalid path entered. Please retry."): a folder
// the user named of fewer than four characters, or the data directory or a folder inside it;
// empty when the destination is acceptable.
QString refusal(const Request& request);

// One run. A cancelled run puts back every backup file it replaced and removes the ones it
// added, so the folder holds the previous backup as it was; a failed run keeps the copies made
// before the failure.
Result run(const Request& request, const Progress& progress = {});

} // namespace ql::backup
