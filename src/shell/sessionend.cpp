#include "shell/sessionend.h"

#include "widgets/dbcontrols.h"

#include <QApplication>
#include <QDialog>
#include <QSessionManager>
#include <QSet>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace ql {
namespace {

// The pipe the signal handler writes to: [0] is written, [1] read by the notifier. A signal
// handler receives nothing but the signal's number, so what it writes to can only be reached from
// here; one handler serves the whole process, as the signals do.
int g_pipe[2] = {-1, -1};

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

// How long the orderly end may take before the alarm's default action ends the process.
constexpr unsigned kDeadlineSeconds = 5;
volatile sig_atomic_t g_deadlineSet = 0;

void onSignal(int)
{
    // Work that keeps the user-interface thread busy must not keep the program alive.
    if (!g_deadlineSet) {
        g_deadlineSet = 1;
        ::alarm(kDeadlineSeconds);
    }
    const char byte = 1;
    // Nothing else is safe in a signal handler; a full pipe already holds a request.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[0], &byte, 1);
}

} // namespace

SessionEnd::SessionEnd(QWidget* mainMenu, std::function<void()> stopAsking, QObject* parent)
    : QObject(parent)
    , m_mainMenu(mainMenu)
    , m_stopAsking(std::move(stopAsking))
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) == 0) {
        m_notifier = new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, [this] {
            char bytes[16];
            while (::read(g_pipe[1], bytes, sizeof bytes) > 0) {
            }
            end();
        });
        struct sigaction action = {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (const int signal : kSignals)
            ::sigaction(signal, &action, nullptr);
        ::signal(SIGALRM, SIG_DFL);
    }
    connect(
        qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { end(); },
        Qt::DirectConnection);
}

SessionEnd::~SessionEnd()
{
    for (const int signal : kSignals)
        ::signal(signal, SIG_DFL);
    for (int& fd : g_pipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void SessionEnd::end()
{
    if (m_ended)
        return;
    m_ended = true;
    m_stopAsking();
    // Every event loop returns once this is over, and one started later returns at once, so no
    // window that opens while the windows close (a message, the next step of an import) waits.
    QCoreApplication::exit(0);
    // The modal windows, innermost first: a question or a dialog is answered as by Escape, a
    // module window closes as by its Close button, which stores the record being typed.
    QSet<QWidget*> closed;
    while (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        if (closed.contains(dialog))
            break;
        closed.insert(dialog);
        dropRefusedTexts(dialog);
        dialog->reject();
        // A window whose record could not be stored still goes: the session is ending.
        dialog->hide();
    }
    m_mainMenu->close();
}

} // namespace ql
