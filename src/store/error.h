#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace ql {

// A failure of a command, carrying the text the user is shown.
class Error : public std::exception {
public:
    explicit Error(QString text)
        : m_text(std::move(text))
        , m_utf8(m_text.toUtf8())
    {
    }
    const QString& text() const noexcept { return m_text; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_text;
    QByteArray m_utf8;
};

// A failure of one table, its text naming the table's file ("Table \"Journal2.DB\": …"), the
// reason the text after it.
class TableError : public Error {
public:
    TableError(const QString& tableName, const QString& reason)
        : Error(QStringLiteral("Table \"%1\": %2").arg(tableName, reason))
        , m_reason(reason)
    {
    }
    // The reason of any failure: the text of a table's without the name of the table.
    static QString reasonOf(const Error& failure)
    {
        const auto* tableError = dynamic_cast<const TableError*>(&failure);
        return tableError ? tableError->m_reason : failure.text();
    }

private:
    QString m_reason;
};

// A table file that cannot be used: it is damaged, or it is no table file of this program. The
// text names the table and the file; the problem says what is wrong with the file in a few words
// ("it is damaged (…)").
class UnusableTableError : public Error {
public:
    UnusableTableError(const QString& text, QString tableName, QString problem)
        : Error(text)
        , m_tableName(std::move(tableName))
        , m_problem(std::move(problem))
    {
    }
    const QString& tableName() const noexcept { return m_tableName; }
    const QString& problem() const noexcept { return m_problem; }

private:
    QString m_tableName;
    QString m_problem;
};

// A table file carries a password the session does not know.
class PasswordError : public Error {
public:
    using Error::Error;
};

} // namespace ql
