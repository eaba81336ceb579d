// Syncs a program directory's address book with the test server's "contacts" collection, as the
// sync command does, and says on standard output when it starts, each step it reports, and how
// it ended:
//
//     start
//     status Syncing the Address Book...
//     progress 12 300
//     ...
//     done 0 received, 300 sent, 0 conflicts
//
// The test that starts it kills it at any moment in between.

#include "store/session.h"
#include "support/runner.h"
#include "sync/syncwork.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    ql::Session session;
    const std::optional<QString> programDirectory = ql::test::openProgramDirectory(
        session, argc, argv, 3, "sync-runner PROGRAM-DIRECTORY SERVER PASSWORD");
    if (!programDirectory)
        return 2;
    ql::sync::Account account;
    account.server = QUrl(QString::fromLocal8Bit(argv[2]));
    account.user = QStringLiteral("ada");
    account.addressBook = account.server.resolved(QUrl(QStringLiteral("/ada/contacts/")));
    ql::test::say("start\n");
    ql::test::Unattended progress("status ", true);
    try {
        const ql::sync::Outcome outcome =
            ql::sync::run(session, account, QString::fromLocal8Bit(argv[3]), progress);
        ql::test::say("done " + outcome.summary().toUtf8() + '\n');
    } catch (const ql::sync::SyncError& e) {
        ql::test::say(QByteArray("failed ") + e.what() + '\n');
        return 1;
    }
    return 0;
}
