#include "sync/syncwork.h"

#include "install/install.h"
#include "store/catalogue.h"
#include "store/holders.h"
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

Outcome run(const QString& programDirectory, const Account& account, const QString& password,
            Progress& progress, const ConflictChooser& choose)
{
    checkScheme(account.server);
    Outcome outcome;
    try {
        // The program's session names that directory's Data folder already; a run over another
        // program directory names it first.
        Session& session = Session::instance();
        const QString configuration = install::configurationFile(programDirectory);
        if (session.configurationFile() != configuration)
            session.loadConfiguration(configuration);
        // One sync at a time over the same records.
        QLockFile lock(
            QDir(Session::instance().databasePath(QString::fromLatin1(catalogue::databaseName)))
                .filePath(QStringLiteral("Sync.lock")));
        lock.setStaleLockTime(0);
        if (!lock.tryLock(0))
            throw SyncError("Another sync of these records is still running.");
        DavClient client(account.user, password, progress);
        if (!account.addressBook.isEmpty()) {
            const TDataModule1 holder;
            ModuleSync(Kind::Contacts, account.addressBook, client, progress, choose, outcome)
                .run(*holder.tbNames);
        }
        if (!account.tasks.isEmpty()) {
            const TDataModule4 holder;
            ModuleSync(Kind::ToDo, account.tasks, client, progress, choose, outcome)
                .run(*holder.tbTodo);
        }
        if (!account.journal.isEmpty()) {
            const TDataModule2 holder;
            ModuleSync(Kind::Journal, account.journal, client, progress, choose, outcome)
                .run(*holder.tbJournal1);
        }
    } catch (const Error& e) {
        throw SyncError(e.text().toStdString());
    }
    return outcome;
}

} // namespace ql::sync
