#include "sync/radicale.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <unistd.h>

namespace ql::test {
namespace {

constexpr const char* kProgram = "/usr/bin/radicale";

int freePort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

QByteArray collectionBody(const QByteArray& type, const QByteArray& name,
                          const QByteArray& components)
{
    QByteArray body = R"(<?xml version="1.0" encoding="utf-8"?>)"
                      R"(<d:mkcol xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav" )"
                      R"(xmlns:a="urn:ietf:params:xml:ns:carddav"><d:set><d:prop>)"
                      R"(<d:resourcetype><d:collection/>)" +
                      type + "</d:resourcetype><d:displayname>" + name + "</d:displayname>";
    if (!components.isEmpty())
        body += "<c:supported-calendar-component-set><c:comp name=\"" + components +
                "\"/></c:supported-calendar-component-set>";
    return body + "</d:prop></d:set></d:mkcol>";
}

} // namespace

bool Radicale::isInstalled()
{
    return QFile::exists(QString::fromLatin1(kProgram));
}

Radicale::Radicale()
    : m_network(std::make_unique<QNetworkAccessManager>())
{
    m_port = freePort();
    QFile users(m_dir.filePath(QStringLiteral("users")));
    if (!users.open(QIODevice::WriteOnly) ||
        users.write(QByteArray(kUser) + ':' + kPassword + '\n') < 0)
        m_failure = QStringLiteral("cannot write the users file");
    users.close();
    start();
}

Radicale::~Radicale()
{
    stop();
}

void Radicale::start()
{
    if (!isInstalled()) {
        m_failure = QStringLiteral("radicale is not installed (scripts/deps.sh installs it)");
        return;
    }
    m_process.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    m_process.setStandardErrorFile(m_dir.filePath(QStringLiteral("log")), QIODevice::Append);
    // The server never outlives the test or bench that started it, whatever becomes of them.
    m_process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_process.start(QString::fromLatin1(kProgram),
                    {QStringLiteral("-C"), QString(), QStringLiteral("--server-hosts"),
                     QStringLiteral("127.0.0.1:%1").arg(m_port),
                     QStringLiteral("--storage-filesystem-folder"), m_dir.filePath("storage"),
                     QStringLiteral("--auth-type"), QStringLiteral("htpasswd"),
                     QStringLiteral("--auth-htpasswd-filename"), m_dir.filePath("users"),
                     QStringLiteral("--auth-htpasswd-encryption"), QStringLiteral("plain"),
                     QStringLiteral("--rights-type"), QStringLiteral("owner_only"),
                     QStringLiteral("--logging-level"), QStringLiteral("info")});
    if (!m_process.waitForStarted()) {
        m_failure = QStringLiteral("radicale did not start");
        return;
    }
    // Ready once it takes connections.
    for (int attempt = 0; attempt < 300 && isRunning(); ++attempt) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, quint16(m_port));
        if (socket.waitForConnected(100))
            return;
        QThread::msleep(50);
    }
    m_failure = QStringLiteral("radicale did not take connections");
}

void Radicale::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(10000)) {
        m_process.kill();
        m_process.waitForFinished();
    }
    QFile log(m_dir.filePath(QStringLiteral("log")));
    if (!log.open(QIODevice::ReadOnly))
        return;
    // A failing test shows what the server made of its requests.
    bool told = false;
    while (!log.atEnd()) {
        const QByteArray line = log.readLine();
        told = line.startsWith('[') ? !line.contains("] [INFO] ") && !line.contains("] [DEBUG] ")
                                    : told;
        if (told)
            std::fputs(line.constData(), stderr);
    }
}

QStringList Radicale::requests()
{
    QFile log(m_dir.filePath(QStringLiteral("log")));
    if (!log.open(QIODevice::ReadOnly) || !log.seek(m_logRead))
        return {};
    // "[2026-03-14 09:30:00 +0000] [7/Thread-2] [INFO] PUT request for '/ada/contacts/x.vcf'
    // received from 127.0.0.1"
    static const QRegularExpression taken(QStringLiteral(R"(\] (\w+) request for '([^']*)')"));
    QStringList found;
    while (!log.atEnd()) {
        const QRegularExpressionMatch match = taken.match(QString::fromUtf8(log.readLine()));
        if (match.hasMatch())
            found << match.captured(1) + u' ' + match.captured(2);
    }
    m_logRead = log.pos();
    return found;
}

QUrl Radicale::url() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(m_port));
}

QUrl Radicale::collection(const QString& name) const
{
    return url().resolved(QUrl(QStringLiteral("/%1/%2/").arg(QLatin1String(kUser), name)));
}

void Radicale::makeCollections()
{
    request("MKCOL", collection(QStringLiteral("contacts")),
            collectionBody("<a:addressbook/>", "Contacts", {}), "application/xml");
    request("MKCOL", collection(QStringLiteral("tasks")),
            collectionBody("<c:calendar/>", "Tasks", "VTODO"), "application/xml");
    request("MKCOL", collection(QStringLiteral("journal")),
            collectionBody("<c:calendar/>", "Journal", "VJOURNAL"), "application/xml");
}

qint64 Radicale::processorMs() const
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(m_process.processId()));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    // The fields after the command's closing parenthesis: utime and stime are the 12th and 13th.
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.sliced(text.lastIndexOf(')') + 2).split(' ');
    const qint64 ticks = fields.value(11).toLongLong() + fields.value(12).toLongLong();
    return ticks * 1000 / sysconf(_SC_CLK_TCK);
}

std::pair<int, QByteArray> Radicale::request(const QByteArray& method, const QUrl& url,
                                             const QByteArray& body, const QByteArray& contentType,
                                             const QByteArray& depth)
{
    QNetworkRequest request(url);
    request.setRawHeader("Authorization",
                         "Basic " + (QByteArray(kUser) + ':' + kPassword).toBase64());
    if (!contentType.isEmpty())
        request.setRawHeader("Content-Type", contentType);
    if (method == "PROPFIND" || method == "REPORT")
        request.setRawHeader("Depth", depth);
    QNetworkReply* reply = m_network->sendCustomRequest(request, method, body);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray answer = reply->readAll();
    delete reply;
    return {status, answer};
}

} // namespace ql::test
