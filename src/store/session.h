#pragma once

#include "store/clock.h"

#include <QHash>
#include <QMutex>
#include <QSet>
#include <QString>
#include <QStringList>

namespace ql {

// The table engine's state for one run: which directory each database name stands for, the
// passwords the run knows, and the run's clock. Database names are kept in the engine configuration
// file of the program directory; a name registered for the run alone is never written there.
//
// It belongs to the run, not to the process: the program builds one at start and hands it to
// every window, report, tool and service that opens a table; a table is made with the session it
// belongs to and finds its file, its password and its busy timeout there alone, wherever it is
// opened (a window's holder, a report, the own connection of work on a worker thread). Two
// sessions in one process know nothing of each other. Its functions may be called from any
// thread.
class Session {
public:
    Session() = default;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Reads the engine configuration file (a missing file means no names yet).
    void loadConfiguration(const QString& configurationFile);
    QString configurationFile() const;
    // Writes every saved name to the configuration file, atomically.
    void saveConfiguration() const;

    // The directory of a database name; throws ql::Error for an unknown name.
    QString databasePath(const QString& databaseName) const;
    bool hasDatabase(const QString& databaseName) const;
    // Changes (or adds) a name that the configuration file keeps.
    void setDatabasePath(const QString& databaseName, const QString& directory);
    // Adds a name for the length of the run; it shadows a saved name of the same spelling.
    void registerDatabase(const QString& databaseName, const QString& directory,
                          const QString& driver = QStringLiteral("STANDARD"));

    void addPassword(const QString& password);
    bool knowsPassword(const QString& password) const;
    QSet<QString> passwords() const;

    // How long a write waits for another program that holds a table file.
    int busyTimeout() const;
    void setBusyTimeout(int milliseconds);

    // Notes for the user that opening a table leaves (a file opened for reading only); the
    // window that opened the table shows them once.
    void addNotice(const QString& text);
    QStringList takeNotices();

    // What opening a table whose file is missing says instead of that there is no file: why the
    // program started without it ("… is unavailable until it is restored …"). Empty for none.
    void setUnavailableNote(const QString& tableName, const QString& note);
    QString unavailableNote(const QString& tableName) const;

    // The run's clock: what stamps, printed dates and today's marks read as now.
    const Clock& clock() const { return m_clock; }
    Clock& clock() { return m_clock; }

    static QString configurationFileName() { return QStringLiteral("Quillory.cfg"); }

private:
    struct Alias {
        QString name;
        QString path;
        QString driver;
    };
    mutable QMutex m_mutex;
    QString m_configurationFile;
    QHash<QString, Alias> m_saved;      // by lower-case name
    QHash<QString, Alias> m_registered; // by lower-case name, for this run only
    QSet<QString> m_passwords;
    QStringList m_notices;
    QHash<QString, QString> m_unavailable; // by lower-case table name
    int m_busyTimeout = 5000;
    Clock m_clock;
};

} // namespace ql
