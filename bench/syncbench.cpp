#include "syncbench.h"

#include "install/install.h"
#include "store/holders.h"
#include "store/session.h"
#include "store/tablebulk.h"
#include "sync/radicale.h"
#include "sync/syncwork.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

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

void fillContacts(int count)
{
    const ql::TDataModule1 holder;
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

// A program directory laid out in the folder, its tables the ones the session names.
QString layOut(const QTemporaryDir& folder)
{
    const QString programDirectory = QDir(folder.path()).filePath(QStringLiteral("Quillory"));
    ql::install::layOut(programDirectory);
    ql::Session::instance().loadConfiguration(ql::install::configurationFile(programDirectory));
    return programDirectory;
}

qint64 timedSync(const QString& programDirectory, const ql::sync::Account& account)
{
    Silent progress;
    QElapsedTimer timer;
    timer.start();
    ql::sync::run(programDirectory, account, QString::fromLatin1(ql::test::Radicale::kPassword),
                  progress);
    return timer.nsecsElapsed() / 1000;
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
    const QString first = layOut(receiving);
    ql::sync::Account account;
    account.server = server.url();
    account.user = QString::fromLatin1(ql::test::Radicale::kUser);
    account.addressBook = book;
    std::printf("sync_first_10k %lld (at most 30000000)\n",
                static_cast<long long>(timedSync(first, account)));
    std::fflush(stdout);
    std::printf("sync_unchanged_10k %lld (at most 1000000)\n",
                static_cast<long long>(timedSync(first, account)));
    std::fflush(stdout);
    // The other way: a book sent to an empty collection, a resource a request.
    account.addressBook = server.collection(QStringLiteral("sent"));
    server.request(
        "MKCOL", account.addressBook,
        R"(<?xml version="1.0"?><d:mkcol xmlns:d="DAV:" xmlns:a="urn:ietf:params:xml:ns:carddav"><d:set><d:prop><d:resourcetype><d:collection/><a:addressbook/></d:resourcetype></d:prop></d:set></d:mkcol>)",
        "application/xml");
    const QTemporaryDir sending;
    const QString second = layOut(sending);
    fillContacts(kSent);
    std::printf("sync_send_1k %lld\n", static_cast<long long>(timedSync(second, account)));
    std::fflush(stdout);
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
