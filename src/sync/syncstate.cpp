#include "sync/syncstate.h"

#include "store/sqlite.h"

namespace ql::sync {
namespace {

bool hasState(const sql::Database& db)
{
    sql::Statement st(db, "SELECT count(*) FROM sqlite_schema WHERE name = 'sync_records'");
    st.step();
    return st.columnInt(0) > 0;
}

// Files synced before the collection's tag was remembered have no column for it.
bool hasTag(const sql::Database& db)
{
    sql::Statement st(db, "SELECT count(*) FROM pragma_table_info('sync_collection') "
                          "WHERE name = 'tag'");
    st.step();
    return st.columnInt(0) > 0;
}

} // namespace

SyncState readState(const sql::Database& db, const QString& collection)
{
    SyncState state;
    if (!hasState(db))
        return state;
    const QByteArray url = collection.toUtf8();
    sql::Statement token(db, hasTag(db)
                                 ? "SELECT token, tag FROM sync_collection WHERE collection = ?1"
                                 : "SELECT token, '' FROM sync_collection WHERE collection = ?1");
    token.bindText(1, url);
    if (!token.step())
        return state;
    state.token = token.columnBytes(0);
    state.tag = token.columnBytes(1);
    sql::Statement rows(db, "SELECT key, uid, href, etag, hash, server FROM sync_records");
    while (rows.step()) {
        Remembered row{
            rows.columnInt(0),   rows.columnBytes(1), QString::fromUtf8(rows.columnBytes(2)),
            rows.columnBytes(3), rows.columnBytes(4), rows.columnBytes(5)};
        state.byKey.emplace(row.key, std::move(row));
    }
    return state;
}

void writeState(sql::Database& db, const QString& collection, const QByteArray& token,
                const QByteArray& tag, const std::vector<Remembered>& rows,
                const std::vector<qint64>& removed)
{
    db.exec("CREATE TABLE IF NOT EXISTS sync_collection(collection TEXT PRIMARY KEY, token TEXT, "
            "tag TEXT)");
    if (!hasTag(db))
        db.exec("ALTER TABLE sync_collection ADD COLUMN tag TEXT");
    db.exec("CREATE TABLE IF NOT EXISTS sync_records(key INTEGER PRIMARY KEY, uid TEXT, href TEXT, "
            "etag TEXT, hash TEXT, server BLOB)");
    const QByteArray url = collection.toUtf8();
    {
        sql::Statement other(db, "SELECT count(*) FROM sync_collection WHERE collection <> ?1");
        other.bindText(1, url);
        other.step();
        if (other.columnInt(0) > 0)
            db.exec("DELETE FROM sync_records; DELETE FROM sync_collection");
    }
    sql::Statement keep(db, "INSERT INTO sync_collection(collection, token) VALUES (?1, '') "
                            "ON CONFLICT(collection) DO NOTHING");
    keep.bindText(1, url);
    keep.step();
    if (!token.isEmpty()) {
        sql::Statement st(db, "UPDATE sync_collection SET token = ?2 WHERE collection = ?1");
        st.bindText(1, url);
        st.bindText(2, token);
        st.step();
    }
    sql::Statement tagged(db, "UPDATE sync_collection SET tag = ?2 WHERE collection = ?1");
    tagged.bindText(1, url);
    tagged.bindText(2, tag);
    tagged.step();
    // The keys forgotten go first: a new record may have taken a key just freed.
    sql::Statement drop(db, "DELETE FROM sync_records WHERE key = ?1");
    for (const qint64 key : removed) {
        const sql::Statement::Use use(drop);
        drop.bindInt(1, key);
        drop.step();
    }
    sql::Statement put(db, "INSERT OR REPLACE INTO sync_records(key, uid, href, etag, hash, "
                           "server) VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
    for (const Remembered& row : rows) {
        const sql::Statement::Use use(put);
        put.bindInt(1, row.key);
        put.bindText(2, row.uid);
        put.bindText(3, row.href.toUtf8());
        put.bindText(4, row.etag);
        put.bindText(5, row.hash);
        put.bindText(6, row.server);
        put.step();
    }
}

} // namespace ql::sync
