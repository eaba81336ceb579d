#pragma once

#include "store/schema.h"

#include <QSet>
#include <QString>
#include <QStringList>

namespace ql {

class Progress;
class Session;

// What a look at a table file found.
struct TableCheck {
    // Empty when the file is sound; else why it is not, in a few words for the user.
    QString problem;
    qint64 records = 0;
    // The engine's first findings when it found the file damaged, in its words.
    QStringList findings;
    bool isSound() const { return problem.isEmpty(); }
};

// How closely a look at a table file reads it: only what opening it reads (its format stamp, its
// fields and its password), the engine's quick check of every page, or its whole check, which
// also compares every index with the records.
enum class CheckDepth { Open, Quick, Whole };

// What a salvage of a damaged table file brought into a fresh one.
struct Salvaged {
    qint64 saved = 0;
    // The records the file knew of (through its records, its indexes or its count) that could
    // not be read.
    qint64 lost = 0;
};

// The table files of one folder, as the store finds them and lays them out: nothing outside the
// store opens or makes a table file but through this and Table.
class TableDirectory {
public:
    explicit TableDirectory(QString path)
        : m_path(std::move(path))
    {
    }

    // The path of the file that holds a table, its name matched without regard to letter case;
    // empty when the folder holds none. Only a regular file (or a link to one) holds a table: a
    // folder, a pipe or a device of that name does not.
    QString fileOf(const QString& tableName) const;
    bool holds(const QString& tableName) const { return !fileOf(tableName).isEmpty(); }

    // Lays out an empty table file, readable by the user alone, carrying the password. Fails with
    // ql::Error when the file exists already.
    void create(const TableDef& def, const QString& password) const;
    // Lays out an empty file, with its password, for each of the organizer's tables the folder
    // does not hold; a table it holds is left as it is.
    void createMissingTables() const;

    // The fields the file of a table has, by their names in lower case, read the way a file from
    // elsewhere is read (for reading only, trusting nothing in it); none when the folder holds no
    // such file. Fails with ql::Error when the file is no table of this program, and with
    // PasswordError (store/error.h) when `session` does not know its password.
    QSet<QString> storedFields(const Session& session, const QString& tableName) const;

    // Looks at the file of a table as a file from elsewhere is read, changing nothing: it must be
    // a table file of this program (its format stamp and every field of the catalogue's table),
    // carry a password `session` knows, and pass the engine's check; counts its records. Only
    // opened, it reads none of the records and counts none.
    TableCheck examine(const Session& session, const TableDef& def,
                       CheckDepth depth = CheckDepth::Quick) const;

    // Notes, as the program closes its tables at the end of a run, what each table file of the
    // folder is like: which file it is, its size, when it was last written and last changed to
    // the nanosecond, and the engine's change counter. The note is a hidden file of the folder,
    // written whole or not at all; when it cannot be written there is none.
    void noteClosed() const;
    // Takes what the last run noted (the note goes, so that a run that does not end cleanly
    // leaves none behind) and tells which tables' files are still exactly as noted: written by
    // nothing since, no journal of an unfinished write beside them. A file written in the same
    // tick of the clock as the note counts as changed, since a later write in that tick would
    // leave its times as they were.
    QSet<QString> takeUnchangedSinceClosed() const;

    // Lays out a fresh file of the table in the folder `into` (which holds none) and copies into
    // it, each with its key, every record of this folder's file of the table that can still be
    // read: record by record, skipping those in a damaged part of the file. The damaged file is
    // only read. Fails with ql::Error when nothing of it can be read; throws Cancelled through
    // `progress`, leaving the fresh file to the caller to remove. Both files wait for another
    // program as long as `session` says.
    Salvaged salvage(const Session& session, const TableDef& def, const QString& into,
                     Progress& progress) const;

private:
    QString m_path;
};

} // namespace ql
