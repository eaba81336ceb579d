// Restores the address book and the journal of a program directory from a backup folder, as the
// restore page does, and says on standard output when it starts, each step as the restore takes
// it, and when it has ended:
//
//     start
//     Checking QYName2.DB
//     ...
//     done <the message of a restore that did not complete; nothing when it did>
//
// The test that starts it kills it at any moment in between.

#include "backup/restorework.h"
#include "install/install.h"
#include "store/session.h"

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
    void progress(qint64, qint64) override {}
    void status(const QString& text) override { say(text.toUtf8() + '\n'); }
    bool isCancelled() const override { return false; }
    bool confirm(const QString&) override { return false; }
    std::optional<QString> ask(const QString&, const QString&) override { return std::nullopt; }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: restore-runner PROGRAM-DIRECTORY BACKUP-FOLDER\n");
        return 2;
    }
    // Never outlive the test that started us, whatever becomes of it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const QString programDirectory = QString::fromLocal8Bit(argv[1]);
    ql::Session::instance().loadConfiguration(ql::install::configurationFile(programDirectory));
    say("start\n");
    Unattended progress;
    const ql::restore::Result result =
        ql::restore::run({{programDirectory, QString::fromLocal8Bit(argv[2]), true, {}},
                          {QStringLiteral("QYName2.DB"), QStringLiteral("Journal2.DB")},
                          false},
                         progress);
    say("done " + result.message.toUtf8() + '\n');
    return result.outcome == ql::restore::Outcome::Complete ? 0 : 1;
}
