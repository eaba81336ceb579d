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
#include <cstdio>
#include <sys/resource.h>

namespace {

constexpr int kSent = 1000;

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

// 10,000 cards in one text, as another client made them.
QByteArray cards(int count)
{
    QByteArray text;
    for (int i = 0; i < count; ++i) {
        const QByteArray n = QByteArray::number(i);
        text += "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:bench-" + n + "\r\nFN:Ada " + n +
                " Lovelace\r\nN:Lovelace " + n + ";Ada;;;\r\nORG:Engines " +
                QByteArray::number(i % 97) + "\r\nTEL;TYPE=voice:555-" +
                QByteArray::number(1000 + i % 9000) + "\r\nEMAIL:ada" + n +
                "@example.org\r\nADR:;;1 Main St;London;;;\r\nEND:VCARD\r\n";
    }
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

// A sync's time; below it, the processor time it took here and in the server, for a machine
// shared with other work.
void timedSync(const char* figure, const char* bar, ql::Session& session,
               const ql::sync::Account& account, const ql::test::Radicale& server)
{
    Silent progress;
    const qint64 ours = ownProcessorMs();
    const qint64 theirs = server.processorMs();
    QElapsedTimer timer;
    timer.start();
    ql::sync::run(session, account, QString::fromLatin1(ql::test::Radicale::kPassword), progress);
    std::printf("%s %lld%s\n  processor: %lld ms here, %lld ms in radicale\n", figure,
                static_cast<long long>(timer.nsecsElapsed() / 1000), bar,
                static_cast<long long>(ownProcessorMs() - ours),
                static_cast<long long>(server.processorMs() - theirs));
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
    timedSync("sync_first_10k", " (at most 30000000)", first, account, server);
    timedSync("sync_unchanged_10k", " (at most 1000000)", first, account, server);
    // The other way: a book sent to an empty collection, a resource a request.
    account.addressBook = server.collection(QStringLiteral("sent"));
    server.request(
        "MKCOL", account.addressBook,
        R"(<?xml version="1.0"?><d:mkcol xmlns:d="DAV:" xmlns:a="urn:ietf:params:xml:ns:carddav"><d:set><d:prop><d:resourcetype><d:collection/><a:addressbook/></d:resourcetype></d:prop></d:set></d:mkcol>)",
        "application/xml");
    const QTemporaryDir sending;
    ql::Session second;
    layOut(sending, second);
    fillContacts(second, kSent);
    timedSync("sync_send_1k", "", second, account, server);
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
