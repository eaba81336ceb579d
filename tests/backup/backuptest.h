#pragma once

#include "store/sqlite.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

// What the backup tests read from the folders a run copies from and into.
namespace ql::test {

inline QString str(const char* text)
{
    return QString::fromUtf8(text);
}

inline QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QStringList filesIn(const QString& directory)
{
    return QDir(directory).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                                     QDir::Name | QDir::IgnoreCase);
}

inline void addName(const QString& table, const QString& lastName)
{
    sql::Database db(table, sql::OpenMode::ReadWrite);
    sql::Statement st(db, "INSERT INTO records(LastName) VALUES (?1)");
    st.bindText(1, lastName.toUtf8());
    st.step();
}

inline QStringList lastNames(const QString& table)
{
    sql::Database db(table, sql::OpenMode::ReadOnly);
    sql::Statement st(db, "SELECT LastName FROM records ORDER BY NameCode");
    QStringList names;
    while (st.step())
        names << QString::fromUtf8(st.columnBytes(0));
    return names;
}

} // namespace ql::test
