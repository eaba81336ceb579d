#include "store/progress.h"
#include "sync/davclient.h"
#include "sync/syncwork.h"

#include <QSet>

namespace ql::sync {
namespace {

const QByteArray kPrincipalQuery = R"(<?xml version="1.0" encoding="utf-8"?>
<d:propfind xmlns:d="DAV:"><d:prop><d:current-user-principal/></d:prop></d:propfind>)";

const QByteArray kHomeQuery = R"(<?xml version="1.0" encoding="utf-8"?>
<d:propfind xmlns:d="DAV:" xmlns:card="urn:ietf:params:xml:ns:carddav" xmlns:cal="urn:ietf:params:xml:ns:caldav">
<d:prop><card:addressbook-home-set/><cal:calendar-home-set/></d:prop></d:propfind>)";

const QByteArray kCollectionQuery = R"(<?xml version="1.0" encoding="utf-8"?>
<d:propfind xmlns:d="DAV:" xmlns:cal="urn:ietf:params:xml:ns:caldav">
<d:prop><d:resourcetype/><d:displayname/><cal:supported-calendar-component-set/></d:prop>
</d:propfind>)";

// The principal of the user: asked of the address the user gave, then of the well-known ones.
QUrl principalOf(DavClient& client, const QUrl& server)
{
    const QList<QUrl> starts{server, server.resolved(QUrl(QStringLiteral("/.well-known/carddav"))),
                             server.resolved(QUrl(QStringLiteral("/.well-known/caldav")))};
    for (const QUrl& start : starts) {
        const Response answer = client.send("PROPFIND", start, kPrincipalQuery,
                                            {{"Depth", "0"}, {"Content-Type", "application/xml"}},
                                            {207, 404, 405, 501});
        if (answer.status != 207)
            continue;
        for (const DavEntry& entry : readMultistatus(answer.body, answer.url).entries) {
            if (!entry.principal.isEmpty())
                return entry.principal.front();
        }
    }
    return server;
}

// A collection as the chooser lists it; nothing for one that holds no records synced here.
std::optional<Collection> collectionOf(const DavEntry& entry)
{
    Collection collection;
    collection.url = entry.url;
    collection.contacts = entry.resourceTypes.contains(QStringLiteral("addressbook"));
    const bool calendar = entry.resourceTypes.contains(QStringLiteral("calendar"));
    // A calendar that names no components takes every kind.
    const bool any = entry.components.isEmpty();
    collection.tasks = calendar && (any || entry.components.contains(QStringLiteral("VTODO")));
    collection.journal = calendar && (any || entry.components.contains(QStringLiteral("VJOURNAL")));
    if (!collection.contacts && !collection.tasks && !collection.journal)
        return std::nullopt;
    collection.name = entry.displayName;
    if (collection.name.isEmpty()) {
        const QStringList segments = entry.url.path().split(QLatin1Char('/'), Qt::SkipEmptyParts);
        collection.name = segments.isEmpty() ? entry.url.toString() : segments.last();
    }
    return collection;
}

} // namespace

std::vector<Collection> discover(const Account& account, const QString& password,
                                 Progress& progress)
{
    checkScheme(account.server);
    progress.status(QStringLiteral("Finding the collections..."));
    DavClient client(account.user, password, progress);
    const QUrl principal = principalOf(client, account.server);
    QList<QUrl> homes;
    for (const DavEntry& entry : client.query("PROPFIND", principal, 0, kHomeQuery).entries)
        homes << entry.addressBookHome << entry.calendarHome;
    if (homes.isEmpty())
        homes << principal;
    std::vector<Collection> found;
    QSet<QUrl> seen;
    for (const QUrl& home : homes) {
        progress.checkCancelled();
        for (const DavEntry& entry : client.query("PROPFIND", home, 1, kCollectionQuery).entries) {
            const std::optional<Collection> collection = collectionOf(entry);
            if (collection && !seen.contains(collection->url)) {
                seen.insert(collection->url);
                found.push_back(*collection);
            }
        }
    }
    return found;
}

} // namespace ql::sync
