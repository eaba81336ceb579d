#pragma once

#include <QString>

class QWidget;

namespace ql {

class Prompts;
class Session;

// What the start of the program does with a table it cannot use (missing, damaged or no table of
// this program): it asks whether to restore the table from the newest backup that holds a sound
// copy of it, to start without it, or to quit. Started without it, the damaged file goes into a
// dated folder of the backup directory and the table's windows say that it is unavailable until it
// is restored; the other tables work as ever.
class TableRescue {
public:
    enum class Choice { Restore, WithoutIt, Quit };
    // When the table turned out unusable: at the start, or as a window opened it while the
    // program runs. While it runs there is no quitting, and going on without the table leaves its
    // file as it is: its window stays closed.
    enum class Moment { AtStart, WhileRunning };

    // `lastFolder` is the folder last backed up into, looked in for a backup besides the default
    // backup directory. The questions and messages go through `prompts`; the tables are looked
    // at, and what the windows say of a table started without is noted, in `session`.
    TableRescue(Session& session, QString programDirectory, QString lastFolder, Prompts& prompts);

    // Looks at every table of the data directory and asks about each it cannot use, over
    // `owner`; false when the user chose to quit. Before the installation's first use a missing
    // table is left to it. A table whose file is as the program left it when it last closed it is
    // only opened; every other is read through.
    bool rescueAll(QWidget* owner, bool firstUseDone) const;

    // Asks about one table until it is restored, the user goes on without it or quits; tells
    // what was done.
    Choice rescue(QWidget* owner, const QString& table, const QString& problem,
                  Moment moment) const;

    // The question asked of one table, with its buttons: "RescueRestore" (present only when a
    // backup holds a sound copy), "RescueWithout", and at the start "RescueQuit".
    Choice ask(QWidget* owner, const QString& table, const QString& problem,
               const QString& backupMade, Moment moment = Moment::AtStart) const;

private:
    // Restores the table from the backup; false when it was not restored (the user was told).
    bool restoreFrom(QWidget* owner, const QString& table, const QString& folder) const;
    // Sets the file aside and tells the table's windows why it is missing; false when it
    // cannot be set aside (the user was told).
    bool startWithout(QWidget* owner, const QString& table, const QString& problem) const;

    Session& m_session;
    QString m_programDirectory;
    QString m_lastFolder;
    Prompts& m_prompts;
};

} // namespace ql
