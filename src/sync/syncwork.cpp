#include "sync/syncwork.h"

#include "addressbook/addressbooktables.h"
#include "journal/journaltables.h"
#include "store/catalogue.h"
#include "store/session.h"
#include "sync/davclient.h"
#include "sync/modulesync.h"

#include <QDir>
#include <QLockFile>

namespace ql::sync {

QString Outcome::summary() const
{
    auto count = [](int n, const QString& one, const QString& many) {
        return QStringLiteral("%1 %2").arg(n).arg(n == 1 ? one : many);
    };
    QStringList parts{count(received, QStringLiteral("received"), QStringLiteral("received")),
                      count(sent, QStringLiteral("sent"), QStringLiteral("sent")),
                      count(conflicts, QStringLiteral("conflict"), QStringLiteral("conflicts"))};
    return parts.join(QStringLiteral(", "));
}

namespace {

// "the Address Book", "the Address Book and the To Do", "the Address Book, the To Do and the
// Journal".
QString listOf(const QStringList& modules)
{
    QStringList named;
    for (const QString& module : modules)
        named << QStringLiteral("the ") + module;
    const QString last = named.takeLast();
    return named.isEmpty() ? last
                           : named.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

QString sentence(const QStringList& modules, const QString& rest)
{
    QString text = listOf(modules) +
                   (modules.size() == 1 ? QStringLiteral(" was ") : QStringLiteral(" were ")) +
                   rest;
    text[0] = text[0].toUpper();
    return text;
}

// A failure after some modules were synced in full says what they received and sent: their
// records and the server stay synced, the others are left as they were.
SyncError failure(const QStringList& done, const std::vector<std::pair<Kind, QUrl>>& chosen,
                  const Outcome& outcome, const QString& why)
{
    if (done.isEmpty())
        return SyncError(why.toStdString());
    QStringList left;
    for (auto i = size_t(done.size()); i < chosen.size(); ++i)
        left << moduleMap(chosen[i].first).module;
    return SyncError(
        (sentence(done, QStringLiteral("synced: ") + outcome.summary() + QStringLiteral(". ")) +
         sentence(left, QStringLiteral("not: ") + why))
            .toStdString());
}

void syncModule(Session& session, Kind kind, const QUrl& collection, DavClient& client,
                Progress& progress, const ConflictChooser& choose, Outcome& outcome)
{
    ModuleSync module(kind, collection, client, progress, choose, outcome);
    if (kind == Kind::Contacts) {
        const AddressBookTables holder(session);
        module.run(*holder.tbNames);
    } else if (kind == Kind::ToDo) {
        const ToDoTables holder(session);
        module.run(*holder.tbTodo);
    } else {
        const JournalTables holder(session);
        module.run(*holder.tbJournal1);
    }
}

} // namespace

Outcome run(Session& session, const Account& account, const QString& password, Progress& progress,
            const ConflictChooser& choose)
{
    checkScheme(account.server);
    std::vector<std::pair<Kind, QUrl>> chosen;
    for (const auto& [kind, collection] :
         {std::pair{Kind::Contacts, account.addressBook}, std::pair{Kind::ToDo, account.tasks},
          std::pair{Kind::Journal, account.journal}}) {
        if (!collection.isEmpty())
            chosen.emplace_back(kind, collection);
    }
    Outcome outcome; // of the modules synced in full
    QStringList done;
    try {
        // One sync at a time over the same records.
        QLockFile lock(QDir(session.databasePath(QString::fromLatin1(catalogue::databaseName)))
                           .filePath(QStringLiteral("Sync.lock")));
        lock.setStaleLockTime(0);
        if (!lock.tryLock(0))
            throw SyncError("Another sync of these records is still running.");
        DavClient client(account.user, password, progress);
        for (const auto& [kind, collection] : chosen) {
            Outcome module = outcome;
            syncModule(session, kind, collection, client, progress, choose, module);
            outcome = module;
            done << moduleMap(kind).module;
        }
    } catch (const SyncError& e) {
        throw failure(done, chosen, outcome, QString::fromStdString(e.what()));
    } catch (const Error& e) {
        throw failure(done, chosen, outcome, e.text());
    }
    return outcome;
}

} // namespace ql::sync
