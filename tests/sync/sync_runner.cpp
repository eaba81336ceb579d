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

#include "install/install.h"
#include "store/session.h"
#include "sync/syncwork.h"

#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <sys/prctl.h>

namespace {

void say(const QByteArray& line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fflush(stdout);
}

// Nobody cancels, nobody answers; each step is said.
class Unattended : public ql::Progress {
public:
    void progress(qint64 done, qint64 total) override
    {
        say("progress " + QByteArray::number(done) + ' ' + QByteArray::number(total) + '\n');
    }
    void status(const QString& text) override { say("status " + text.toUtf8() + '\n'); }
    bool isCancelled() const override { return false; }
    bool confirm(const QString&) override { return false; }
    std::optional<QString> ask(const QString&, const QString&) override { return std::nullopt; }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: sync-runner PROGRAM-DIRECTORY SERVER PASSWORD\n");
        return 2;
    }
    // Never outlive the test that started us, whatever becomes of it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const QString programDirectory = QString::fromLocal8Bit(argv[1]);
    ql::Session::instance().loadConfiguration(ql::install::configurationFile(programDirectory));
    ql::sync::Account account;
    account.server = QUrl(QString::fromLocal8Bit(argv[2]));
    account.user = QStringLiteral("ada");
    account.addressBook = account.server.resolved(QUrl(QStringLiteral("/ada/contacts/")));
    say("start\n");
    Unattended progress;
    try {
        const ql::sync::Outcome outcome =
            ql::sync::run(programDirectory, account, QString::fromLocal8Bit(argv[3]), progress);
        say("done " + outcome.summary().toUtf8() + '\n');
    } catch (const ql::sync::SyncError& e) {
        say(QByteArray("failed ") + e.what() + '\n');
        return 1;
    }
    return 0;
}
