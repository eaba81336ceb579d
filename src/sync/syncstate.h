#pragma once

#include <QByteArray>
#include <QString>
#include <map>
#include <vector>

namespace ql::sql {
class Database;
}

// What the engine remembers of a module's records on the server, in a table of its own in the
// module's table file: written in the transaction that writes the records, so the two never
// disagree, and copied, restored and moved with the file.
namespace ql::sync {

struct Remembered {
    qint64 key = 0; // the record's key in the module's table
    QByteArray uid;
    QString href;      // the resource's address
    QByteArray etag;   // empty while the resource is being made
    QByteArray hash;   // of the record's texts at the last sync; empty while being made
    QByteArray server; // the server's last text of the resource
};

struct SyncState {
    QByteArray token; // the collection's sync-token; empty before the first sync
    QByteArray tag;   // the collection's getctag when last read in full; empty when unknown
    std::map<qint64, Remembered> byKey;
};

// The state for a collection; an empty one when the file holds none, or one for another
// collection.
SyncState readState(const sql::Database& db, const QString& collection);
// Writes the records' rows and removes those of the keys given, in the transaction that runs;
// forgets what was remembered of another collection. A token of nothing keeps the one stored;
// the tag is always written.
void writeState(sql::Database& db, const QString& collection, const QByteArray& token,
                const QByteArray& tag, const std::vector<Remembered>& rows,
                const std::vector<qint64>& removed);

} // namespace ql::sync
