#include "store/catalogue.h"
#include "store/progress.h"
#include "store/session.h"
#include "store/sqlite.h"
#include "store/tabledirectory.h"
#include "store/tablefile.h"

#include <QDir>
#include <algorithm>
#include <optional>
#include <set>

namespace ql {
namespace {

// The keys a statement lists, up to the first part of the file it cannot read; the last key read.
qint64 collectKeys(const sql::Database& db, const QByteArray& sqlText, std::set<qint64>& keys)
{
    qint64 last = 0;
    try {
        sql::Statement st(db, sqlText);
        while (st.step()) {
            last = st.columnInt(0);
            keys.insert(last);
        }
    } catch (const Error&) {
        return last;
    }
    return -1;
}

// A single number the file keeps; nothing when that part of it cannot be read.
std::optional<qint64> kept(const sql::Database& db, const char* sqlText)
{
    try {
        sql::Statement st(db, sqlText);
        if (st.step() && !st.isNull(0))
            return st.columnInt(0);
    } catch (const Error&) {
        return std::nullopt;
    }
    return std::nullopt;
}

// The records of the damaged file, read one at a time by key, and written into the fresh one.
class Copier {
public:
    Copier(const TableDef& def, const sql::Database& from, sql::Database& to)
        : m_fields(int(def.fields.size()))
    {
        QByteArray columns;
        QByteArray parameters;
        for (int i = 0; i < m_fields; ++i) {
            columns += (i ? ", " : "") + sql::quoted(def.fields[size_t(i)].name);
            parameters += (i ? ", ?" : "?") + QByteArray::number(i + 1);
        }
        m_read = sql::Statement(from, "SELECT " + columns + " FROM records WHERE rowid = ?1");
        m_write =
            sql::Statement(to, "INSERT INTO records(" + columns + ") VALUES (" + parameters + ")");
    }

    // False when the record cannot be read, or the file has none with that key.
    bool copy(qint64 key)
    {
        std::vector<std::optional<QByteArray>> values(static_cast<size_t>(m_fields));
        try {
            const sql::Statement::Use use(m_read);
            m_read.bindInt(1, key);
            if (!m_read.step())
                return false;
            for (int i = 0; i < m_fields; ++i) {
                if (!m_read.isNull(i))
                    values[size_t(i)] = m_read.columnBytes(i);
            }
        } catch (const Error&) {
            return false;
        }
        const sql::Statement::Use use(m_write);
        m_write.bindInt(1, key);
        for (int i = 1; i < m_fields; ++i) {
            if (const auto& value = values[size_t(i)])
                m_write.bindText(i + 1, *value);
            else
                m_write.bindNull(i + 1);
        }
        m_write.step();
        return true;
    }

private:
    int m_fields;
    sql::Statement m_read;
    sql::Statement m_write;
};

} // namespace

Salvaged TableDirectory::salvage(const Session& session, const TableDef& def, const QString& into,
                                 Progress& progress) const
{
    const QString path = fileOf(def.name);
    const sql::Database from = [&] {
        try {
            return sql::Database(path, sql::OpenMode::ReadOnlyUntrusted, session.busyTimeout());
        } catch (const Error& e) {
            throw Error(
                QStringLiteral("Nothing of \"%1\" can be read: %2").arg(def.name, e.text()));
        }
    }();
    // The keys the file knows of: its records in the order of their keys up to the first damaged
    // part, then every index, each of which lists the keys of every record.
    std::set<qint64> keys;
    const qint64 brokeAfter =
        collectKeys(from, "SELECT rowid FROM records NOT INDEXED ORDER BY rowid", keys);
    for (const IndexDef& index : def.indexes)
        collectKeys(from, "SELECT rowid FROM records INDEXED BY " + sql::quoted(index.name), keys);
    const qint64 lastGiven =
        std::max(kept(from, "SELECT seq FROM sqlite_sequence WHERE name = 'records'").value_or(0),
                 keys.empty() ? 0 : *keys.rbegin());
    // Past the damaged part, a key no index lists may still have its record.
    const qint64 probeTo = brokeAfter < 0 ? brokeAfter : lastGiven;
    const auto known = qint64(keys.size());

    TableDirectory(into).create(def, catalogue::password(def));
    sql::Database to(TableDirectory(into).fileOf(def.name), sql::OpenMode::ReadWrite,
                     session.busyTimeout());
    to.setLargeCache(true);
    sql::Transaction tx(to);
    tablefile::setCountAside(to);
    Copier copier(def, from, to);
    Salvaged salvaged;
    qint64 step = 0;
    const qint64 steps = known + std::max<qint64>(0, probeTo - brokeAfter);
    const auto next = [&] {
        if (++step % 1024 == 0) {
            progress.checkCancelled();
            progress.progress(step, steps);
        }
    };
    for (const qint64 key : keys) {
        next();
        if (copier.copy(key))
            ++salvaged.saved;
    }
    qint64 foundByProbe = 0;
    for (qint64 key = brokeAfter + 1; key <= probeTo; ++key) {
        next();
        if (!keys.contains(key) && copier.copy(key))
            ++foundByProbe;
    }
    salvaged.saved += foundByProbe;
    const qint64 counted = kept(from, "SELECT records FROM tally").value_or(0);
    salvaged.lost = std::max(known + foundByProbe, counted) - salvaged.saved;
    tablefile::countAgain(to, salvaged.saved);
    // A key once given is never given again, also when its record was lost.
    for (const char* keep :
         {"INSERT INTO sqlite_sequence(name, seq) SELECT 'records', ?1 WHERE "
          "NOT EXISTS (SELECT 1 FROM sqlite_sequence WHERE name = 'records')",
          "UPDATE sqlite_sequence SET seq = max(seq, ?1) WHERE name = 'records'"}) {
        sql::Statement sequence(to, keep);
        sequence.bindInt(1, lastGiven);
        sequence.step();
    }
    tx.commit();
    return salvaged;
}

} // namespace ql
