#include "sync/davclient.h"

#include "store/progress.h"
#include "sync/syncwork.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>
#include <QXmlStreamReader>

namespace ql::sync {
namespace {

// How long a request may wait for the server's next bytes: a large collection read the first
// time keeps a server busy a while before it answers.
constexpr int kIdleLimitMs = 180000;
// How often a waiting request looks whether the user cancelled.
constexpr int kCancelLookMs = 100;
constexpr int kRedirects = 5;

bool isLocal(const QString& host)
{
    if (host.compare(u"localhost", Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

std::string text(const QString& message)
{
    return message.toStdString();
}

// A failure of the connection in the user's words.
QString networkMessage(const QUrl& url, QNetworkReply::NetworkError error, const QString& detail)
{
    const QString host = url.host();
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("Could not reach %1: Connection refused.").arg(host);
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("Could not reach %1: Host not found.").arg(host);
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
        return QStringLiteral("Could not reach %1: The server did not answer in time.").arg(host);
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("Could not reach %1: The connection was closed.").arg(host);
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("Could not reach %1 safely: %2").arg(host, detail);
    default:
        return QStringLiteral("Could not reach %1: %2").arg(host, detail);
    }
}

QList<QUrl> hrefsIn(QXmlStreamReader& xml, const QUrl& base)
{
    QList<QUrl> urls;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"href")
            urls << base.resolved(QUrl(xml.readElementText().trimmed()));
        else
            xml.skipCurrentElement();
    }
    return urls;
}

int statusOf(const QString& line)
{
    // "HTTP/1.1 404 Not Found"
    return line.section(QLatin1Char(' '), 1, 1).toInt();
}

void readProp(QXmlStreamReader& xml, const QUrl& base, DavEntry& entry)
{
    while (xml.readNextStartElement()) {
        const QStringView name = xml.name();
        if (name == u"getetag") {
            entry.etag = xml.readElementText().trimmed().toUtf8();
        } else if (name == u"displayname") {
            entry.displayName = xml.readElementText().trimmed();
        } else if (name == u"resourcetype") {
            while (xml.readNextStartElement()) {
                entry.resourceTypes << xml.name().toString();
                xml.skipCurrentElement();
            }
        } else if (name == u"supported-calendar-component-set") {
            while (xml.readNextStartElement()) {
                entry.components
                    << xml.attributes().value(QStringLiteral("name")).toString().toUpper();
                xml.skipCurrentElement();
            }
        } else if (name == u"current-user-principal") {
            entry.principal = hrefsIn(xml, base);
        } else if (name == u"addressbook-home-set") {
            entry.addressBookHome = hrefsIn(xml, base);
        } else if (name == u"calendar-home-set") {
            entry.calendarHome = hrefsIn(xml, base);
        } else if (name == u"address-data" || name == u"calendar-data") {
            entry.data = xml.readElementText().toUtf8();
        } else if (name == u"sync-token") {
            entry.syncToken = xml.readElementText().trimmed().toUtf8();
        } else if (name == u"getctag") {
            entry.tag = xml.readElementText().trimmed().toUtf8();
        } else {
            xml.skipCurrentElement();
        }
    }
}

DavEntry readResponse(QXmlStreamReader& xml, const QUrl& base)
{
    DavEntry entry;
    while (xml.readNextStartElement()) {
        const QStringView name = xml.name();
        if (name == u"href") {
            entry.url = base.resolved(QUrl(xml.readElementText().trimmed()));
        } else if (name == u"status") {
            entry.status = statusOf(xml.readElementText().trimmed());
        } else if (name == u"propstat") {
            DavEntry found;
            int status = 200;
            while (xml.readNextStartElement()) {
                if (xml.name() == u"prop")
                    readProp(xml, base, found);
                else if (xml.name() == u"status")
                    status = statusOf(xml.readElementText().trimmed());
                else
                    xml.skipCurrentElement();
            }
            if (status / 100 == 2) {
                const QUrl url = entry.url;
                const int entryStatus = entry.status;
                entry = found;
                entry.url = url;
                entry.status = entryStatus;
            }
        } else {
            xml.skipCurrentElement();
        }
    }
    return entry;
}

} // namespace

Multistatus readMultistatus(const QByteArray& body, const QUrl& base)
{
    Multistatus result;
    QXmlStreamReader xml(body);
    if (!xml.readNextStartElement() || xml.name() != u"multistatus")
        throw SyncError("The server's answer could not be read.");
    while (xml.readNextStartElement()) {
        if (xml.name() == u"response")
            result.entries.push_back(readResponse(xml, base));
        else if (xml.name() == u"sync-token")
            result.syncToken = xml.readElementText().trimmed().toUtf8();
        else
            xml.skipCurrentElement();
    }
    if (xml.hasError())
        throw SyncError("The server's answer could not be read.");
    return result;
}

void checkScheme(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    if (scheme == u"https" || (scheme == u"http" && isLocal(url.host())))
        return;
    if (scheme == u"http")
        throw SyncError(text(QStringLiteral("The address %1 is not encrypted: use https:// for a "
                                            "server on another machine.")
                                 .arg(url.toString())));
    throw SyncError(text(QStringLiteral("The address \"%1\" is no server address: it must start "
                                        "with https://.")
                             .arg(url.toString())));
}

QString statusMessage(int status, const QByteArray& reason)
{
    if (status == 401 || status == 403)
        return QStringLiteral("The server refused the user name or password.");
    return QStringLiteral("The server answered %1 %2.")
        .arg(status)
        .arg(QString::fromUtf8(reason).trimmed());
}

DavClient::DavClient(const QString& user, const QString& password, Progress& progress)
    : m_authorization("Basic " + (user + u':' + password).toUtf8().toBase64())
    , m_progress(progress)
    , m_network(std::make_unique<QNetworkAccessManager>())
{
    m_network->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

DavClient::~DavClient() = default;

Pending::Pending() = default;
Pending::Pending(Pending&&) noexcept = default;
Pending& Pending::operator=(Pending&&) noexcept = default;
Pending::~Pending() = default;

Pending DavClient::start(const QByteArray& method, const QUrl& url, const QByteArray& body,
                         const QList<std::pair<QByteArray, QByteArray>>& headers)
{
    checkScheme(url);
    QNetworkRequest request(url);
    request.setRawHeader("Authorization", m_authorization);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    for (const auto& [name, value] : headers)
        request.setRawHeader(name, value);
    Pending pending;
    pending.method = method;
    pending.url = url;
    pending.body = body;
    pending.headers = headers;
    // The request leaves at once, on the network's own thread.
    pending.reply.reset(m_network->sendCustomRequest(request, method, body));
    return pending;
}

Response DavClient::wait(Pending& pending)
{
    QNetworkReply* reply = pending.reply.get();
    QEventLoop loop;
    QTimer idle;
    idle.setSingleShot(true);
    idle.start(kIdleLimitMs);
    QTimer look;
    look.start(kCancelLookMs);
    bool cancelled = false;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(reply, &QNetworkReply::downloadProgress, &idle, [&] { idle.start(); });
    QObject::connect(reply, &QNetworkReply::uploadProgress, &idle, [&] { idle.start(); });
    QObject::connect(&idle, &QTimer::timeout, reply, &QNetworkReply::abort);
    QObject::connect(&look, &QTimer::timeout, reply, [&] {
        if (m_progress.isCancelled()) {
            cancelled = true;
            reply->abort();
        }
    });
    if (!reply->isFinished())
        loop.exec();
    if (cancelled)
        throw Cancelled{};
    const QUrl& url = pending.url;
    Response response;
    response.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (response.status == 0)
        throw SyncError(text(networkMessage(url, reply->error(), reply->errorString())));
    response.body = reply->readAll();
    response.etag = reply->rawHeader("ETag");
    response.reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray();
    response.url = url;
    if (response.status / 100 == 3) {
        const QUrl target = reply->header(QNetworkRequest::LocationHeader).toUrl();
        response.url = url.resolved(target);
    }
    return response;
}

Response DavClient::finish(Pending pending, const QList<int>& accepted)
{
    for (int redirect = 0;; ++redirect) {
        Response response = wait(pending);
        if (response.status / 100 == 3 && redirect < kRedirects && response.url != pending.url) {
            pending = start(pending.method, response.url, pending.body, pending.headers);
            continue;
        }
        if (accepted.isEmpty() ? response.status / 100 != 2 : !accepted.contains(response.status))
            throw SyncError(text(statusMessage(response.status, response.reason)));
        return response;
    }
}

Response DavClient::send(const QByteArray& method, const QUrl& url, const QByteArray& body,
                         const QList<std::pair<QByteArray, QByteArray>>& headers,
                         const QList<int>& accepted)
{
    return finish(start(method, url, body, headers), accepted);
}

Multistatus DavClient::query(const QByteArray& method, const QUrl& url, int depth,
                             const QByteArray& body)
{
    return answer(startQuery(method, url, depth, body));
}

Pending DavClient::startQuery(const QByteArray& method, const QUrl& url, int depth,
                              const QByteArray& body)
{
    return start(
        method, url, body,
        {{"Depth", QByteArray::number(depth)}, {"Content-Type", "application/xml; charset=utf-8"}});
}

Multistatus DavClient::answer(Pending pending)
{
    const Response response = finish(std::move(pending), {207});
    return readMultistatus(response.body, response.url);
}

} // namespace ql::sync
