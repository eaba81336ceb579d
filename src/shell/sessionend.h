#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace ql {

// Ends the program as the main menu's Exit does when the desktop session ends: on SIGTERM,
// SIGHUP or SIGINT (the handler only writes to a pipe; the work is done on the user-interface
// thread) and when the session manager asks the program to save its data. Every open window is
// closed the way its Close does, so the records being typed are stored, then the main menu is
// closed and every event loop ends. Nothing is asked from then on: a text a record would refuse (a
// date that is no date) and a record that cannot be stored (another program changed it) are given
// up, and a message goes to the standard error output instead of a box. Whatever the program is
// busy with, a signal ends it for good a few seconds after the first one came.
class SessionEnd : public QObject {
    Q_OBJECT
public:
    // `stopAsking` makes the prompts answer on their own from then on.
    SessionEnd(QWidget* mainMenu, std::function<void()> stopAsking, QObject* parent = nullptr);
    ~SessionEnd() override;

    // Closes every window, the innermost first, and then the main menu, and ends every event loop,
    // the main loop too; once only.
    void end();
    // Whether the session ended: the main loop is not to be started any more.
    bool ended() const { return m_ended; }

private:
    QWidget* m_mainMenu;
    std::function<void()> m_stopAsking;
    bool m_ended = false;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace ql
