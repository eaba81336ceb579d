#pragma once

#include "store/sqlite.h"

#include <QFile>
#include <QList>
#include <QStringList>

// Address books for the tools' tests, written straight into the table file.
namespace ql::test::book {

inline QString str(const char* text)
{
    return QString::fromUtf8(text);
}

// The fields the tools compare, in the order a row lists them.
inline const QStringList kFields = {
    str("FirstName"),  str("LastName"), str("AdAddress1"), str("AdAddress2"), str("AdAddress3"),
    str("AdAddress4"), str("AdCity1"),  str("AdCity2"),    str("AdState1"),   str("AdState2"),
    str("AdZip1"),     str("AdZip2"),   str("Company"),    str("Category"),   str("Group")};
using Row = QStringList;
using Keys = QList<qint64>;

inline Row person(const char* first, const char* last, const char* company = "")
{
    Row row(kFields.size());
    row[0] = str(first);
    row[1] = str(last);
    row[12] = row[13] = row[14] = str(company);
    return row;
}

// Replaces the book's records with these, keyed 1, 2, … in the order given.
inline void fill(const QString& path, const QList<Row>& rows)
{
    sql::Database db(path, sql::OpenMode::ReadWrite);
    QByteArray columns = "NameCode";
    QByteArray parameters = "?1";
    for (int i = 0; i < kFields.size(); ++i) {
        columns += ", " + sql::quoted(kFields[i]);
        parameters += ", ?" + QByteArray::number(i + 2);
    }
    sql::Transaction tx(db);
    db.exec("DELETE FROM records");
    sql::Statement st(db, "INSERT INTO records(" + columns + ") VALUES (" + parameters + ")");
    for (int r = 0; r < rows.size(); ++r) {
        // A value left out of a row is empty, whatever the row before held.
        const sql::Statement::Use use(st);
        st.bindInt(1, r + 1);
        for (int i = 0; i < kFields.size(); ++i) {
            if (!rows[r][i].isEmpty())
                st.bindText(i + 2, rows[r][i].toUtf8());
        }
        st.step();
    }
    tx.commit();
}

// The file's change counter: one more for every transaction that changed it.
inline int changeCounter(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.read(28).right(4).toHex().toInt(nullptr, 16);
}

} // namespace ql::test::book
