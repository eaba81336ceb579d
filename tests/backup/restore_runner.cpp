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
#include "store/session.h"
#include "support/runner.h"

int main(int argc, char** argv)
{
    ql::Session session;
    const std::optional<QString> programDirectory = ql::test::openProgramDirectory(
        session, argc, argv, 2, "restore-runner PROGRAM-DIRECTORY BACKUP-FOLDER");
    if (!programDirectory)
        return 2;
    ql::test::say("start\n");
    ql::test::Unattended progress("", false);
    const ql::restore::Result result =
        ql::restore::run(session,
                         {{*programDirectory, QString::fromLocal8Bit(argv[2]), true, {}},
                          {QStringLiteral("QYName2.DB"), QStringLiteral("Journal2.DB")},
                          false},
                         progress);
    ql::test::say("done " + result.message.toUtf8() + '\n');
    return result.outcome == ql::restore::Outcome::Complete ? 0 : 1;
}
