#pragma once

#include "store/progress.h"

#include <QByteArray>
#include <QString>
#include <optional>

// What a runner shares: a small program that a crash test starts, kills at any moment, and follows
// through the lines it says on standard output.
namespace ql {
class Session;
}

namespace ql::test {

// Writes line to standard output at once, so the test reading it sees each step as it is taken.
void say(const QByteArray& line);

// Starts a runner over the program directory given as its first argument: checks that it was given
// `arguments` arguments (else says `usage` on standard error and gives nothing), ties its life to
// the test that started it, and reads the directory's table configuration into `session`.
std::optional<QString> openProgramDirectory(Session& session, int argc, char** argv, int arguments,
                                            const char* usage);

// Nobody cancels, nobody answers; each status is said after statusPrefix, and each step of the
// progress as "progress DONE TOTAL" when sayProgress.
class Unattended : public Progress {
public:
    Unattended(QByteArray statusPrefix, bool sayProgress);

    void progress(qint64 done, qint64 total) override;
    void status(const QString& text) override;
    bool isCancelled() const override { return false; }
    bool confirm(const QString&) override { return false; }
    std::optional<QString> ask(const QString&, const QString&) override { return std::nullopt; }

private:
    QByteArray m_statusPrefix;
    bool m_sayProgress;
};

} // namespace ql::test
