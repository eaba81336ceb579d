#include "sync/modulesync.h"

#include "store/fieldvalue.h"
#include "store/progress.h"
#include "store/sqlite.h"
#include "sync/davclient.h"

#include <QUuid>

namespace ql::sync {
namespace {

// How many resources one multiget asks for.
constexpr int kBatch = 200;

QByteArray syncReport(const QByteArray& token)
{
    return R"(<?xml version="1.0" encoding="utf-8"?><d:sync-collection xmlns:d="DAV:"><d:sync-token>)" +
           QString::fromUtf8(token).toHtmlEscaped().toUtf8() +
           R"(</d:sync-token><d:sync-level>1</d:sync-level><d:prop><d:getetag/></d:prop></d:sync-collection>)";
}

const QByteArray kEtagQuery = R"(<?xml version="1.0" encoding="utf-8"?>
<d:propfind xmlns:d="DAV:"><d:prop><d:resourcetype/><d:getetag/></d:prop></d:propfind>)";

const QByteArray kTagQuery = R"(<?xml version="1.0" encoding="utf-8"?>
<d:propfind xmlns:d="DAV:" xmlns:cs="http://calendarserver.org/ns/"><d:prop><cs:getctag/></d:prop></d:propfind>)";

// Every resource of the kind with its text, in one answer.
QByteArray query(Kind kind)
{
    if (kind == Kind::Contacts)
        return R"(<?xml version="1.0" encoding="utf-8"?><c:addressbook-query xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:carddav"><d:prop><d:getetag/><c:address-data/></d:prop></c:addressbook-query>)";
    return R"(<?xml version="1.0" encoding="utf-8"?><c:calendar-query xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav"><d:prop><d:getetag/><c:calendar-data/></d:prop><c:filter><c:comp-filter name="VCALENDAR"><c:comp-filter name=")" +
           moduleMap(kind).component + R"("/></c:comp-filter></c:filter></c:calendar-query>)";
}

QByteArray multiget(Kind kind, const QStringList& hrefs)
{
    const bool card = kind == Kind::Contacts;
    QByteArray body =
        card
            ? R"(<?xml version="1.0" encoding="utf-8"?><c:addressbook-multiget xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:carddav"><d:prop><d:getetag/><c:address-data/></d:prop>)"
            : R"(<?xml version="1.0" encoding="utf-8"?><c:calendar-multiget xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav"><d:prop><d:getetag/><c:calendar-data/></d:prop>)";
    for (const QString& href : hrefs)
        body += "<d:href>" + href.toHtmlEscaped().toUtf8() + "</d:href>";
    return body + (card ? "</c:addressbook-multiget>" : "</c:calendar-multiget>");
}

// The record's texts as the file stores them, as a bulk read gives them.
QStringList textsOf(const Record& record, const std::vector<FieldType>& types,
                    const QStringList& fields)
{
    QStringList texts;
    for (int i = 0; i < fields.size(); ++i) {
        const QVariant value = record.value(fields[i]);
        texts << (value.isNull() ? QString()
                                 : QString::fromUtf8(storedText(types[size_t(i)], value)));
    }
    return texts;
}

void setTexts(Record& record, const std::vector<FieldType>& types, const QStringList& fields,
              const QStringList& texts)
{
    for (int i = 0; i < fields.size(); ++i) {
        const FieldType type = types[size_t(i)];
        const QString& text = texts[i];
        QVariant value;
        if (text.isEmpty())
            value = QVariant();
        else if (type == FieldType::Date)
            value = storedDate(text);
        else if (type == FieldType::DateTime)
            value = storedDateTime(text);
        else
            value = text;
        record.setValue(fields[i], value);
    }
}

} // namespace

ModuleSync::ModuleSync(Kind kind, const QUrl& collection, DavClient& client, Progress& progress,
                       const ConflictChooser& choose, Outcome& outcome)
    : m_map(moduleMap(kind))
    , m_collection(collection)
    , m_client(client)
    , m_progress(progress)
    , m_choose(choose)
    , m_outcome(outcome)
{
    if (!m_collection.path().endsWith(QLatin1Char('/')))
        m_collection.setPath(m_collection.path() + QLatin1Char('/'));
}

void ModuleSync::run(Table& table)
{
    m_progress.status(QStringLiteral("Syncing the %1...").arg(m_map.module));
    // The server looks for the collection's tag while the records are read here.
    Pending tag = m_client.startQuery("PROPFIND", m_collection, 0, kTagQuery);
    readLocal(table);
    readServer(std::move(tag));
    decide();
    m_progress.checkCancelled();
    writeIntents(table);
    writeServer();
    writeLocal(table);
}

QString ModuleSync::hrefOf(const QUrl& url) const
{
    return url.path(QUrl::FullyEncoded);
}

QUrl ModuleSync::urlOf(const QString& href) const
{
    return m_collection.resolved(QUrl::fromEncoded(href.toUtf8()));
}

void ModuleSync::readLocal(Table& table)
{
    for (const QString& field : m_map.fields)
        m_types.push_back(table.field(table.fieldIndex(field)).def.type);
    for (const TableBulk::Texts& texts : TableBulk::readTexts(table, m_map.fields)) {
        QStringList record;
        for (int i = 0; i < m_map.fields.size(); ++i)
            record << texts.text(i).toString();
        m_localHash[texts.key] = contentHash(record);
        m_local[texts.key] = std::move(record);
    }
    TableBulk::readAlongside(
        table, [&](const sql::Database& db) { m_state = readState(db, m_collection.toString()); });
    for (const auto& [key, row] : m_state.byKey)
        m_byHref[row.href] = key;
}

void ModuleSync::readServer(Pending tag)
{
    // A collection whose tag is the one remembered changed in nothing since the last run read it
    // in full: a server answers that without looking at every resource's history.
    m_tag = collectionTag(std::move(tag));
    if (!m_tag.isEmpty() && m_tag == m_state.tag)
        return;
    if (m_state.token.isEmpty() || !readChanges(m_state.token)) {
        // Every resource is listed: the remembered ones missing were deleted. A run that
        // remembers nothing reads every resource in one query: a server may build its record of
        // every resource's history at the first sync-collection, which the next run with changes
        // asks for, and a multiget of a few at a time may cost it a look at all of them.
        m_changed.clear();
        m_deleted.clear();
        if (!(m_state.byKey.empty() && readAll()) && !readChanges({}))
            listAll();
        for (const auto& [href, key] : m_byHref) {
            if (!m_changed.contains(href))
                m_deleted.insert(href);
        }
    }
    // Only the resources whose version is not the one remembered are read.
    QStringList hrefs;
    for (auto it = m_changed.begin(); it != m_changed.end();) {
        const auto known = m_byHref.find(it->first);
        const bool same = known != m_byHref.end() && !it->second.etag.isEmpty() &&
                          m_state.byKey[known->second].etag == it->second.etag;
        if (!same && it->second.text.isEmpty())
            hrefs << it->first;
        it = same ? m_changed.erase(it) : std::next(it);
    }
    fetch(hrefs);
}

QByteArray ModuleSync::collectionTag(Pending tag)
{
    for (const DavEntry& entry : m_client.answer(std::move(tag)).entries) {
        if (hrefOf(entry.url) == hrefOf(m_collection))
            return entry.tag;
    }
    return {};
}

bool ModuleSync::readChanges(const QByteArray& token)
{
    const Response answer = m_client.send("REPORT", m_collection, syncReport(token),
                                          {{"Content-Type", "application/xml; charset=utf-8"}},
                                          {207, 400, 403, 404, 405, 409, 412, 415, 501});
    if (answer.status != 207)
        return false;
    const Multistatus changes = readMultistatus(answer.body, answer.url);
    m_newToken = changes.syncToken;
    for (const DavEntry& entry : changes.entries) {
        const QString href = hrefOf(entry.url);
        if (href == hrefOf(m_collection))
            continue;
        if (entry.status == 404)
            m_deleted.insert(href);
        else
            m_changed[href].etag = entry.etag;
    }
    return true;
}

void ModuleSync::listAll()
{
    for (const DavEntry& entry : m_client.query("PROPFIND", m_collection, 1, kEtagQuery).entries) {
        if (!entry.resourceTypes.contains(QStringLiteral("collection")))
            m_changed[hrefOf(entry.url)].etag = entry.etag;
    }
}

void ModuleSync::fetch(const QStringList& hrefs)
{
    if (!hrefs.isEmpty())
        m_progress.status(QStringLiteral("Receiving the %1...").arg(m_map.module));
    for (qsizetype at = 0; at < hrefs.size(); at += kBatch) {
        m_progress.checkCancelled();
        m_progress.progress(at, hrefs.size());
        const QStringList batch = hrefs.mid(at, kBatch);
        for (const DavEntry& entry :
             m_client.query("REPORT", m_collection, 1, multiget(m_map.kind, batch)).entries) {
            if (m_changed.contains(hrefOf(entry.url)))
                take(entry);
        }
    }
    for (auto it = m_changed.begin(); it != m_changed.end();)
        it = it->second.text.isEmpty() ? m_changed.erase(it) : std::next(it);
}

bool ModuleSync::readAll()
{
    m_progress.status(QStringLiteral("Receiving the %1...").arg(m_map.module));
    const Response answer =
        m_client.send("REPORT", m_collection, query(m_map.kind),
                      {{"Depth", "1"}, {"Content-Type", "application/xml; charset=utf-8"}},
                      {207, 400, 403, 404, 405, 415, 501});
    if (answer.status != 207)
        return false;
    const Multistatus all = readMultistatus(answer.body, answer.url);
    m_progress.progress(0, qint64(all.entries.size()));
    for (const DavEntry& entry : all.entries) {
        if (hrefOf(entry.url) == hrefOf(m_collection))
            continue;
        // A server that lists its resources without their texts is read otherwise.
        if (entry.status != 404 && entry.data.isEmpty()) {
            m_changed.clear();
            return false;
        }
        take(entry);
    }
    return true;
}

void ModuleSync::take(const DavEntry& entry)
{
    const QString href = hrefOf(entry.url);
    const std::optional<QStringList> record = recordOf(m_map.kind, entry.data);
    // A resource of another kind (an event) or one that cannot be read stays as it is.
    if (entry.status == 404 || !record)
        m_changed.erase(href);
    else
        m_changed[href] = {entry.etag, entry.data, *record};
}

void ModuleSync::decide()
{
    for (const auto& [key, row] : m_state.byKey)
        decideRemembered(row);
    decideUnremembered();
}

void ModuleSync::decideUnremembered()
{
    // A record and a resource neither remembered with the same texts are one record found on
    // both sides, as at a first sync of two copies: remembered as in step, neither copied.
    std::multimap<QStringList, QString> unknown;
    for (const auto& [href, server] : m_changed) {
        if (!m_byHref.contains(href))
            unknown.emplace(server.record, href);
    }
    for (const auto& [key, record] : m_local) {
        if (m_state.byKey.contains(key))
            continue;
        const auto same = unknown.find(record);
        if (same == unknown.end()) {
            sendNew(key);
            continue;
        }
        Remembered row = rowFor(same->second, m_changed[same->second]);
        row.key = key;
        row.hash = m_localHash[key];
        m_rows.push_back(std::move(row));
        unknown.erase(same);
    }
    for (const auto& [record, href] : unknown)
        receive(0, href, m_changed[href]);
}

void ModuleSync::decideRemembered(const Remembered& row)
{
    const auto local = m_local.find(row.key);
    const auto server = m_changed.find(row.href);
    const bool serverChanged = server != m_changed.end();
    const bool serverDeleted = m_deleted.contains(row.href);
    if (local == m_local.end()) {
        m_forgotten.push_back(row.key);
        // A record deleted here and changed there comes back with the change.
        if (serverChanged)
            receive(0, row.href, server->second);
        else if (!serverDeleted)
            m_deletes.push_back(row);
        return;
    }
    const bool localChanged = m_localHash[row.key] != row.hash;
    if (serverChanged && localChanged)
        decideBoth(row, server->second);
    else if (serverChanged)
        receive(row.key, row.href, server->second);
    else if (serverDeleted && localChanged)
        send(row.key, row, false); // changed here, deleted there: made again
    else if (serverDeleted)
        deleteHere(row);
    else if (localChanged)
        send(row.key, row, !row.etag.isEmpty());
}

void ModuleSync::decideBoth(const Remembered& row, const Fetched& server)
{
    const QStringList& local = m_local[row.key];
    Remembered now = rowFor(row.href, server);
    now.key = row.key;
    if (server.record == local) {
        now.hash = m_localHash[row.key];
        m_rows.push_back(now);
        return;
    }
    ++m_outcome.conflicts;
    const Keep keep = m_choose ? m_choose({m_map.module, readable(m_map.kind, local),
                                           readable(m_map.kind, server.record)})
                               : Keep::Both;
    if (keep == Keep::ThisComputer) {
        send(row.key, now, true);
    } else if (keep == Keep::Server) {
        receive(row.key, row.href, server);
    } else {
        receive(0, row.href, server);
        sendNew(row.key);
    }
}

Remembered ModuleSync::rowFor(const QString& href, const Fetched& server) const
{
    return {0, uidOf(m_map.kind, server.text), href, server.etag, {}, server.text};
}

void ModuleSync::deleteHere(const Remembered& row)
{
    const QStringList fields = m_map.fields;
    const QByteArray expected = m_localHash[row.key];
    const std::vector<FieldType> types = m_types;
    // A record the user changed since it was read is kept, for the next run to send again.
    auto apply = [fields, types, expected](Record& stored) {
        return contentHash(textsOf(stored, types, fields)) == expected;
    };
    m_writes.push_back({{row.key, true, apply, false, {}}, row, expected});
}

void ModuleSync::receive(qint64 key, const QString& href, const Fetched& server)
{
    const QByteArray expected = key ? m_localHash[key] : QByteArray();
    const QStringList fields = m_map.fields;
    const QStringList record = server.record;
    const std::vector<FieldType> types = m_types;
    // A record the user changed since it was read stays as it is, for the next run to find.
    auto apply = [fields, types, record, expected](Record& stored) {
        if (!expected.isEmpty() && contentHash(textsOf(stored, types, fields)) != expected)
            return false;
        setTexts(stored, types, fields, record);
        return true;
    };
    m_writes.push_back({{key, false, apply, false, {}}, rowFor(href, server), expected});
}

void ModuleSync::send(qint64 key, Remembered row, bool replace)
{
    row.key = key;
    row.server = resourceText(m_map.kind, m_local[key], row.uid, row.server);
    m_puts.push_back({key, std::move(row), replace});
}

void ModuleSync::sendNew(qint64 key)
{
    const QString uuid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const bool card = m_map.kind == Kind::Contacts;
    Remembered row{key,
                   card ? "urn:uuid:" + uuid.toUtf8() : uuid.toUtf8(),
                   hrefOf(m_collection) + uuid +
                       (card ? QStringLiteral(".vcf") : QStringLiteral(".ics")),
                   {},
                   {},
                   {}};
    m_intents.push_back(row);
    send(key, row, false);
}

void ModuleSync::writeIntents(Table& table)
{
    if (m_intents.empty())
        return;
    std::vector<TableBulk::Change> none;
    TableBulk::applyChanges(table, none, [&](sql::Database& db) {
        writeState(db, m_collection.toString(), {}, {}, m_intents, {});
    });
}

void ModuleSync::writeServer()
{
    const auto total = qint64(m_puts.size()) + qint64(m_deletes.size());
    qint64 done = 0;
    if (total > 0)
        m_progress.status(QStringLiteral("Sending the %1...").arg(m_map.module));
    for (Put& put : m_puts) {
        m_progress.checkCancelled();
        QList<std::pair<QByteArray, QByteArray>> headers{{"Content-Type", m_map.contentType}};
        headers << (put.replace ? std::pair<QByteArray, QByteArray>{"If-Match", put.row.etag}
                                : std::pair<QByteArray, QByteArray>{"If-None-Match", "*"});
        const Response answer = m_client.send("PUT", urlOf(put.row.href), put.row.server, headers,
                                              {200, 201, 204, 412});
        m_progress.progress(++done, total);
        // Changed there since it was read: the next run finds both changes.
        if (answer.status == 412) {
            m_stale = true;
            continue;
        }
        put.row.etag = answer.etag;
        put.row.hash = m_localHash[put.key];
        m_rows.push_back(put.row);
        ++m_outcome.sent;
    }
    for (const Remembered& row : m_deletes) {
        m_progress.checkCancelled();
        QList<std::pair<QByteArray, QByteArray>> headers;
        if (!row.etag.isEmpty())
            headers << std::pair<QByteArray, QByteArray>{"If-Match", row.etag};
        const Response answer =
            m_client.send("DELETE", urlOf(row.href), {}, headers, {200, 204, 404, 412});
        m_progress.progress(++done, total);
        if (answer.status == 412) {
            m_stale = true;
            m_forgotten.erase(std::remove(m_forgotten.begin(), m_forgotten.end(), row.key),
                              m_forgotten.end());
            continue;
        }
        if (answer.status != 404)
            ++m_outcome.sent;
    }
}

void ModuleSync::writeLocal(Table& table)
{
    // Nothing changed on either side: the file stays as it is.
    if (m_writes.empty() && m_rows.empty() && m_forgotten.empty() && !m_stale &&
        (m_newToken.isEmpty() || m_newToken == m_state.token) && m_tag == m_state.tag)
        return;
    std::vector<TableBulk::Change> changes;
    changes.reserve(m_writes.size());
    for (const LocalWrite& write : m_writes)
        changes.push_back(write.change);
    TableBulk::applyChanges(table, changes, [&](sql::Database& db) {
        bool skipped = false;
        for (size_t i = 0; i < changes.size(); ++i) {
            const TableBulk::Change& change = changes[i];
            skipped = skipped || !change.made;
            if (!change.made)
                continue;
            ++m_outcome.received;
            if (change.remove) {
                m_forgotten.push_back(change.key);
                continue;
            }
            Remembered row = m_writes[i].row;
            row.key = change.key;
            row.hash = contentHash(textsOf(change.stored, m_types, m_map.fields));
            m_rows.push_back(row);
        }
        // A change left for the next run is read again from the same token, and the collection's
        // tag forgotten so that the next run reads it at all.
        const bool again = skipped || m_stale;
        writeState(db, m_collection.toString(), skipped ? QByteArray() : m_newToken,
                   again ? QByteArray() : m_tag, m_rows, m_forgotten);
    });
}

} // namespace ql::sync
