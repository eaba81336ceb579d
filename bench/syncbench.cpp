#include "syncbench.h"

#include "addressbook/addressbooktables.h"
#include "install/install.h"
#include "store/session.h"
#include "store/tablebulk.h"
#include "sync/radicale.h"
#include "sync/syncwork.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/resource.h>

namespace {

constexpr int kSent = 1000;

const QByteArray kBookBody =
    R"(<?xml version="1.0"?><d:mkcol xmlns:d="DAV:" xmlns:a="urn:ietf:params:xml:ns:carddav"><d:set><d:prop><d:resourcetype><d:collection/><a:addressbook/></d:resourcetype></d:prop></d:set></d:mkcol>)";
const QByteArray kTagQuery =
    R"(<?xml version="1.0"?><d:propfind xmlns:d="DAV:" xmlns:cs="http://calendarserver.org/ns/"><d:prop><cs:getctag/></d:prop></d:propfind>)";
const QByteArray kBookQuery =
    R"(<?xml version="1.0"?><c:addressbook-query xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:carddav"><d:prop><d:getetag/><c:address-data/></d:prop></c:addressbook-query>)";

class Silent : public ql::Progress {
public:
    void progress(qint64, qint64) override {}
    void status(const QString&) override {}
    bool isCancelled() const override { return false; }
    bool confirm(const QString&) override { return false; }
    std::optional<QString> ask(const QString&, const QString&) override { return std::nullopt; }
};

void fillContacts(ql::Session& session, int count)
{
    const ql::AddressBookTables holder(session);
    ql::Table& table = *holder.tbNames;
    const int first = table.fieldIndex(QStringLiteral("FirstName"));
    const int last = table.fieldIndex(QStringLiteral("LastName"));
    const int company = table.fieldIndex(QStringLiteral("Company"));
    const int phone = table.fieldIndex(QStringLiteral("PhNumber1"));
    const int email = table.fieldIndex(QStringLiteral("EmAddress1"));
    const int city = table.fieldIndex(QStringLiteral("AdCity1"));
    int made = 0;
    int appended = 0;
    ql::TableBulk::appendRecords(
        table,
        [&](ql::Record& record) {
            if (made == count)
                return false;
            const QString n = QString::number(made++);
            record.set(first, QStringLiteral("Ada ") + n);
            record.set(last, QStringLiteral("Lovelace ") + n);
            record.set(company, QStringLiteral("Engines %1").arg(made % 97));
            record.set(phone, QStringLiteral("555-%1").arg(made % 10000, 4, 10, QLatin1Char('0')));
            record.set(email, QStringLiteral("ada%1@example.org").arg(n));
            record.set(city, QStringLiteral("London"));
            return true;
        },
        appended);
}

// The card numbered `i` as another client made it.
QByteArray card(int i)
{
    const QByteArray n = QByteArray::number(i);
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:bench-" + n + "\r\nFN:Ada " + n +
           " Lovelace\r\nN:Lovelace " + n + ";Ada;;;\r\nORG:Engines " + QByteArray::number(i % 97) +
           "\r\nTEL;TYPE=voice:555-" + QByteArray::number(1000 + i % 9000) + "\r\nEMAIL:ada" + n +
           "@example.org\r\nADR:;;1 Main St;London;;;\r\nEND:VCARD\r\n";
}

// 10,000 cards in one text.
QByteArray cards(int count)
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += card(i);
    return text;
}

// A program directory laid out in the folder, its tables the ones `session` names.
void layOut(const QTemporaryDir& folder, ql::Session& session)
{
    const QString programDirectory = QDir(folder.path()).filePath(QStringLiteral("Quillory"));
    ql::install::layOut(programDirectory);
    session.loadConfiguration(ql::install::configurationFile(programDirectory));
}

qint64 ownProcessorMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (qint64(usage.ru_utime.tv_sec) + usage.ru_stime.tv_sec) * 1000 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

// Runs `work` and prints its time, in microseconds; below it, the processor time it took here and
// in the server, for a machine shared with other work, and the requests the server took.
qint64 timed(const QString& figure, const char* bar, ql::test::Radicale& server,
             const std::function<void()>& work)
{
    const qint64 ours = ownProcessorMs();
    const qint64 theirs = server.processorMs();
    server.requests();
    QElapsedTimer timer;
    timer.start();
    work();
    const qint64 elapsed = timer.nsecsElapsed() / 1000;
    std::printf("%s %lld%s\n  processor: %lld ms here, %lld ms in radicale; %lld requests\n",
                qPrintable(figure), static_cast<long long>(elapsed), bar,
                static_cast<long long>(ownProcessorMs() - ours),
                static_cast<long long>(server.processorMs() - theirs),
                static_cast<long long>(server.requests().size()));
    std::fflush(stdout);
    return elapsed;
}

// A sync's time, then the time of the requests a plain client needs for the same outcome, sent
// bare one after the other over one connection, and the sync's time against theirs: what the
// server itself needs of any client.
void timedSync(const char* figure, const char* bar, ql::Session& session,
               const ql::sync::Account& account, ql::test::Radicale& server,
               const std::function<void()>& plain)
{
    Silent progress;
    const qint64 sync = timed(QString::fromLatin1(figure), bar, server, [&] {
        ql::sync::run(session, account, QString::fromLatin1(ql::test::Radicale::kPassword),
                      progress);
    });
    const qint64 bare =
        timed(QString::fromLatin1(figure) + QStringLiteral("_plain_client"), "", server, plain);
    std::printf("%s_vs_plain_client %.2f\n", figure,
                double(sync) / double(std::max<qint64>(bare, 1)));
    std::fflush(stdout);
}

void syncContacts(int contacts)
{
    if (!ql::test::Radicale::isInstalled()) {
        std::printf("sync_first_10k skipped: radicale is not installed\n");
        std::printf("sync_unchanged_10k skipped: radicale is not installed\n");
        return;
    }
    ql::test::Radicale server;
    if (!server.isRunning()) {
        std::printf("sync_first_10k skipped: %s\n", qPrintable(server.failure()));
        return;
    }
    server.makeCollections();
    // The server takes the book in one request of its own; a new resource PUT alone costs it a
    // look at every resource it holds already.
    const QUrl book = server.collection(QStringLiteral("contacts"));
    if (server.request("PUT", book, cards(contacts), "text/vcard").first / 100 != 2) {
        std::printf("sync_first_10k skipped: the server did not take the cards\n");
        return;
    }
    const QTemporaryDir receiving;
    ql::Session first;
    layOut(receiving, first);
    ql::sync::Account account;
    account.server = server.url();
    account.user = QString::fromLatin1(ql::test::Radicale::kUser);
    account.addressBook = book;
    // A plain client reads every card with its text in one query, and the book's tag to know
    // later whether anything changed; with nothing changed, the tag alone.
    auto tag = [&] { server.request("PROPFIND", book, kTagQuery, "application/xml", "0"); };
    timedSync("sync_first_10k", " (at most 30000000)", first, account, server, [&] {
        tag();
        server.request("REPORT", book, kBookQuery, "application/xml");
    });
    timedSync("sync_unchanged_10k", " (at most 1000000)", first, account, server, tag);
    // The other way: a book sent to an empty collection, a resource a request.
    account.addressBook = server.collection(QStringLiteral("sent"));
    server.request("MKCOL", account.addressBook, kBookBody, "application/xml");
    const QTemporaryDir sending;
    ql::Session second;
    layOut(sending, second);
    fillContacts(second, kSent);
    const QUrl plain = server.collection(QStringLiteral("plain"));
    server.request("MKCOL", plain, kBookBody, "application/xml");
    // A plain client sends a new card a request.
    timedSync("sync_send_1k", "", second, account, server, [&] {
        for (int i = 0; i < kSent; ++i)
            server.request("PUT", plain.resolved(QUrl(QStringLiteral("c%1.vcf").arg(i))), card(i),
                           "text/vcard");
    });
}

} // namespace

void runSync(int contacts)
{
    try {
        syncContacts(contacts);
    } catch (const ql::sync::SyncError& e) {
        std::printf("sync_first_10k failed: %s\n", e.what());
    }
}
