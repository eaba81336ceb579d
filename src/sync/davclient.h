#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QtGlobal>
#include <memory>
#include <vector>

class QNetworkAccessManager;
class QNetworkReply;

namespace ql {
class Progress;
}

// A small WebDAV client: requests with a user name and password (Basic), sent and waited for on
// the calling thread, each failure a SyncError in the user's words.
namespace ql::sync {

struct Response {
    int status = 0;
    QByteArray body;
    QByteArray etag;
    QByteArray reason;
    QUrl url; // where the answer came from, after redirects
};

// One resource of a multistatus answer: its address, its status, and the properties that came
// with status 200.
struct DavEntry {
    QUrl url;
    int status = 200;
    QByteArray etag;
    QString displayName;
    QStringList resourceTypes;   // local names: "collection", "addressbook", "calendar"
    QStringList components;      // supported-calendar-component-set: "VTODO", ...
    QList<QUrl> principal;       // current-user-principal
    QList<QUrl> addressBookHome; // addressbook-home-set
    QList<QUrl> calendarHome;    // calendar-home-set
    QByteArray data;             // address-data or calendar-data
    QByteArray syncToken;        // a collection's sync-token property
    QByteArray tag;              // a collection's getctag: changes with any of its resources
};
struct Multistatus {
    std::vector<DavEntry> entries;
    QByteArray syncToken; // the report's new sync-token
};
// Reads a multistatus body; addresses are resolved against `base`.
Multistatus readMultistatus(const QByteArray& body, const QUrl& base);

// Refuses plain http to anywhere but this machine.
void checkScheme(const QUrl& url);

// A request on its way, its answer read later: the caller does other work while the server
// answers.
struct Pending {
    QByteArray method;
    QUrl url;
    QByteArray body;
    QList<std::pair<QByteArray, QByteArray>> headers;
    std::unique_ptr<QNetworkReply> reply;

    Pending();
    Pending(Pending&&) noexcept;
    Pending& operator=(Pending&&) noexcept;
    ~Pending();
};

class DavClient {
public:
    DavClient(const QString& user, const QString& password, Progress& progress);
    ~DavClient();
    Q_DISABLE_COPY_MOVE(DavClient)

    // A request with its headers; a 3xx answer is followed with the same method. An answer the
    // caller does not list in `accepted` (empty: any 2xx) is a SyncError.
    Response send(const QByteArray& method, const QUrl& url, const QByteArray& body = {},
                  const QList<std::pair<QByteArray, QByteArray>>& headers = {},
                  const QList<int>& accepted = {});
    // A PROPFIND or REPORT with an XML body, read as a multistatus.
    Multistatus query(const QByteArray& method, const QUrl& url, int depth, const QByteArray& body);
    // The same in two steps: the request goes out at once, its answer is waited for and read by
    // `answer`.
    Pending startQuery(const QByteArray& method, const QUrl& url, int depth,
                       const QByteArray& body);
    Multistatus answer(Pending pending);

private:
    Pending start(const QByteArray& method, const QUrl& url, const QByteArray& body,
                  const QList<std::pair<QByteArray, QByteArray>>& headers);
    Response wait(Pending& pending);
    Response finish(Pending pending, const QList<int>& accepted);

    QByteArray m_authorization;
    Progress& m_progress;
    std::unique_ptr<QNetworkAccessManager> m_network;
};

// The message for an answer with a status that is no success.
QString statusMessage(int status, const QByteArray& reason);

} // namespace ql::sync
