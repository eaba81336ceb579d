#pragma once

#include <QObject>

class QSocketNotifier;

namespace ql {

// Ends the program as the main menu's Exit does when the desktop session ends: on SIGTERM,
// SIGHUP or SIGINT (the handler only writes to a pipe; the work is done on the user-interface
// thread) and when the session manager asks the program to save its data. Every open window is
// closed the way its Close does, so the records being typed are stored, then the main menu is
// closed. Nothing is asked: a text a record would refuse (a date that is no date) is given up.
class SessionEnd : public QObject {
    Q_OBJECT
public:
    SessionEnd(QWidget* mainMenu, QObject* parent = nullptr);
    ~SessionEnd() override;

    // Closes every window, the innermost first, and then the main menu.
    void end();

private:
    QWidget* m_mainMenu;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace ql
