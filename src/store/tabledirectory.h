#pragma once

#include "store/schema.h"

#include <QSet>
#include <QString>

namespace ql {

// What a look at a table file found.
struct TableCheck {
    // Empty when the file is sound; else why it is not, in a few words for the user.
    QString problem;
    qint64 records = 0;
    bool isSound() const { return problem.isEmpty(); }
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
    // PasswordError (store/error.h) when the session does not know its password.
    QSet<QString> storedFields(const QString& tableName) const;

    // Looks at the file of a table as a file from elsewhere is read, changing nothing: it must be
    // a table file of this program (its format stamp and every field of the catalogue's table),
    // carry a password the session knows, and pass the engine's quick check; counts its records.
    TableCheck examine(const TableDef& def) const;

private:
    QString m_path;
};

} // namespace ql
