#include "support/runner.h"

#include "install/install.h"
#include "store/session.h"

#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <utility>

namespace ql::test {

void say(const QByteArray& line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fflush(stdout);
}

std::optional<QString> openProgramDirectory(Session& session, int argc, char** argv, int arguments,
                                            const char* usage)
{
    if (argc != arguments + 1) {
        std::fprintf(stderr, "usage: %s\n", usage);
        return std::nullopt;
    }
    // Never outlive the test that started us, whatever becomes of it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const QString programDirectory = QString::fromLocal8Bit(argv[1]);
    session.loadConfiguration(install::configurationFile(programDirectory));
    return programDirectory;
}

Unattended::Unattended(QByteArray statusPrefix, bool sayProgress)
    : m_statusPrefix(std::move(statusPrefix))
    , m_sayProgress(sayProgress)
{
}

void Unattended::progress(qint64 done, qint64 total)
{
    if (m_sayProgress)
        say("progress " + QByteArray::number(done) + ' ' + QByteArray::number(total) + '\n');
}

void Unattended::status(const QString& text)
{
    say(m_statusPrefix + text.toUtf8() + '\n');
}

} // namespace ql::test
