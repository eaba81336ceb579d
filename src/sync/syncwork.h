#pragma once
#include "store/progress.h"
#include <QString>
#include <QUrl>
#include <functional>
#include <stdexcept>
#include <vector>

namespace ql {
class Session;
class SettingsFile;
} // namespace ql

namespace ql::sync {

// The server and the collections the user chose. An empty collection is not synced.
struct Account {
    QUrl server; // as the user typed it, e.g. https://dav.example.org/ or http://127.0.0.1:5232/
    QString user;
    QUrl addressBook;     // CardDAV collection for the address book
    QUrl tasks;           // CalDAV collection for the to-do list (VTODO)
    QUrl journal;         // CalDAV collection for the journal (VJOURNAL); may be the same as tasks
    bool atStart = false; // sync when the program starts
};

// A collection found on the server.
struct Collection {
    QUrl url;
    QString name;          // the server's display name, else the last path segment
    bool contacts = false; // an address book
    bool tasks = false;    // a calendar that takes VTODO
    bool journal = false;  // a calendar that takes VJOURNAL
};

// A failure in the user's words, e.g. "The server refused the user name or password.",
// "Could not reach dav.example.org: Connection refused.", "The server answered 507 Insufficient
// Storage." Nothing was changed locally in the module that failed; a module synced in full
// before it stays synced, and the message begins with what it received and sent.
struct SyncError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Finds the collections (RFC 6764 /.well-known/carddav and /.well-known/caldav,
// current-user-principal, addressbook-home-set, calendar-home-set, PROPFIND Depth 1). Runs on the
// calling (worker) thread with its own network access; honours Progress cancel. Plain http only to
// localhost/127.0.0.1/::1 (SyncError otherwise); https uses the system's certificate store.
std::vector<Collection> discover(const Account& account, const QString& password,
                                 Progress& progress);

enum class Keep { ThisComputer, Server, Both };
// A record changed on both sides since the last sync: readable text of both versions.
struct Conflict {
    QString module;       // "Address Book", "To Do", "Journal"
    QString thisComputer; // the local record as lines "Field: value"
    QString server;       // the server's version, same form
};
// Called on the worker thread; the windows answer on the GUI thread and the engine waits.
// When no chooser is given (sync at start without a window), both are kept.
using ConflictChooser = std::function<Keep(const Conflict&)>;

struct Outcome {
    int received = 0; // records added, changed or deleted here from the server
    int sent = 0;     // records added, changed or deleted on the server from here
    int conflicts = 0;
    QString summary() const; // "12 received, 3 sent, 1 conflict" (singular/plural right)
};

// Two-way sync of the chosen collections with the organizer's tables of `session` (the Data
// folder of its program directory). Opens its own tables in that session (on the calling thread).
// Local writes of one run go in one transaction per module after the network work for that module
// is done; the sync state remembers each record's UID, href and ETag, and the collection's
// sync-token, in a table of the engine's own beside the module tables. kill -9 at any moment loses
// nothing and the next run finishes the work.
Outcome run(Session& session, const Account& account, const QString& password, Progress& progress,
            const ConflictChooser& choose = {});

// The account in the settings file (key "Sync": values "Server", "User", "AddressBook", "Tasks",
// "Journal", "AtStart"). The password is never stored here.
Account loadAccount(SettingsFile& file);
void saveAccount(SettingsFile& file, const Account& account);

} // namespace ql::sync
