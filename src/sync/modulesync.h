#pragma once

#include "store/tablebulk.h"
#include "sync/resource.h"
#include "sync/syncstate.h"
#include "sync/syncwork.h"

#include <QSet>
#include <map>

namespace ql::sync {

class DavClient;
struct DavEntry;
struct Pending;

// One module's two-way sync with its collection. First the server's changes are read and every
// decision made (conflicts asked); then what the server gets is written to it, each request safe
// to repeat: a new resource's address is remembered before it is made and is made only where
// none is (If-None-Match), a change and a delete go only over the version last seen (If-Match).
// Last the records and what is remembered of them are written in one transaction. A run cut off
// anywhere leaves the next run to find the server already holding what was sent: a record
// changed on both sides to the same texts is taken as in step.
class ModuleSync {
public:
    ModuleSync(Kind kind, const QUrl& collection, DavClient& client, Progress& progress,
               const ConflictChooser& choose, Outcome& outcome);
    void run(Table& table);

private:
    struct Fetched {
        QByteArray etag;
        QByteArray text;
        QStringList record;
    };
    struct Put {
        qint64 key;
        Remembered row; // what the resource becomes; its etag the one to replace, if any
        bool replace;   // If-Match on the etag, else If-None-Match
    };
    struct LocalWrite {
        TableBulk::Change change;
        Remembered row;      // remembered for the record once written
        QByteArray expected; // the record's hash when read; empty for a new record
    };

    void readLocal(Table& table);
    void readServer(Pending tag);
    QByteArray collectionTag(Pending tag);
    bool readChanges(const QByteArray& token);
    void listAll();
    bool readAll();
    void fetch(const QStringList& hrefs);
    void take(const DavEntry& entry);
    void decide();
    void decideUnremembered();
    void decideRemembered(const Remembered& row);
    void decideBoth(const Remembered& row, const Fetched& server);
    void deleteHere(const Remembered& row);
    void receive(qint64 key, const QString& href, const Fetched& server);
    void send(qint64 key, Remembered row, bool replace);
    void sendNew(qint64 key);
    void writeIntents(Table& table);
    void writeServer();
    void writeLocal(Table& table);
    Remembered rowFor(const QString& href, const Fetched& server) const;
    QString hrefOf(const QUrl& url) const;
    QUrl urlOf(const QString& href) const;

    const ModuleMap& m_map;
    QUrl m_collection;
    DavClient& m_client;
    Progress& m_progress;
    const ConflictChooser& m_choose;
    Outcome& m_outcome;

    std::vector<FieldType> m_types; // of the fields, in their order
    std::map<qint64, QStringList> m_local;
    std::map<qint64, QByteArray> m_localHash;
    SyncState m_state;
    QByteArray m_newToken;
    QByteArray m_tag;                     // the collection's tag read before its resources
    bool m_stale = false;                 // the server held another version than the one read
    std::map<QString, Fetched> m_changed; // by href
    QSet<QString> m_deleted;
    std::map<QString, qint64> m_byHref; // the remembered records' keys by their resources

    std::vector<Remembered> m_intents;
    std::vector<Put> m_puts;
    std::vector<Remembered> m_deletes;
    std::vector<LocalWrite> m_writes;
    std::vector<Remembered> m_rows;
    std::vector<qint64> m_forgotten;
};

} // namespace ql::sync
