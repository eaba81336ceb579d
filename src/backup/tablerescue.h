#pragma once

#include <QString>

class QWidget;

namespace ql {

// What the start of the program does with a table it cannot use (missing, damaged or no table of
// this program): it asks whether to restore the table from the newest backup that holds a sound
// copy of it, to start without it, or to quit. Started without it, the damaged file goes into a
// dated folder of the backup directory and the table's windows say that it is unavailable until it
// is restored; the other tables work as ever.
class TableRescue {
public:
    enum class Choice { Restore, WithoutIt, Quit };

    // `lastFolder` is the folder last backed up into, looked in for a backup besides the default
    // backup directory.
    TableRescue(QString programDirectory, QString lastFolder);

    // Looks at every table of the data directory and asks about each it cannot use, over
    // `owner`; false when the user chose to quit. Before the installation's first use a missing
    // table is left to it.
    bool rescueAll(QWidget* owner, bool firstUseDone) const;

    // The question asked of one table, with its buttons: "RescueRestore" (present only when a
    // backup holds a sound copy), "RescueWithout", "RescueQuit".
    Choice ask(QWidget* owner, const QString& table, const QString& problem,
               const QString& backupMade) const;

private:
    // Asks about one table until it is restored, set aside or the user quits; false for Quit.
    bool rescue(QWidget* owner, const QString& table, const QString& problem) const;
    // Restores the table from the backup; false when it was not restored (the user was told).
    bool restoreFrom(QWidget* owner, const QString& table, const QString& folder) const;
    // Sets the file aside and tells the table's windows why it is missing; false when it
    // cannot be set aside (the user was told).
    bool startWithout(QWidget* owner, const QString& table, const QString& problem) const;

    QString m_programDirectory;
    QString m_lastFolder;
};

} // namespace ql
