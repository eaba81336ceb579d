#pragma once

#include "store/error.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <source_location>

struct sqlite3;
struct sqlite3_stmt;
struct UCollator;

namespace ql::sql {

// The engine could not get at a file because another program holds it.
class BusyError : public Error {
public:
    using Error::Error;
};

// The file is a database whose content is damaged ("database disk image is malformed").
class DamagedError : public Error {
public:
    using Error::Error;
};

// The alphabetical order of every text index: Unicode-aware, blind to letter case, independent
// of the user's locale setting, the empty text first, punctuation and digits before letters.
class KeyCollator {
public:
    KeyCollator();
    ~KeyCollator();
    Q_DISABLE_COPY_MOVE(KeyCollator)

    int compare(const char* a, int lengthA, const char* b, int lengthB) const;
    int compare(const QByteArray& a, const QByteArray& b) const
    {
        return compare(a.constData(), int(a.size()), b.constData(), int(b.size()));
    }
    // Changes whenever the order of any two texts may change; stored with each table file.
    static QString version();

private:
    UCollator* m_collator = nullptr;
};

// The name under which SQL statements use KeyCollator.
inline constexpr const char* kKeyCollation = "QLKEY";

// A test's way to make the engine fail where the store calls it: once set, every call below that
// can fail (an open, a statement prepared, a step, a statement run, a transaction begun or
// committed) asks the hook first, with the place in the store that made the call, and fails with
// "disk I/O error" when it answers true. The program never sets it.
using FaultHook = std::function<bool(const std::source_location& caller)>;
void setFaultHook(FaultHook hook);

enum class OpenMode {
    Create,            // a new file, read-write
    ReadWrite,         // an existing file of ours
    ReadOnly,          // an existing file of ours that the user may not write
    ReadOnlyUntrusted, // a file from a directory the user named: read-only, defensive
    UntrustedCopy      // a private copy of such a file: writable, so that a crash's journal
                       // beside it can be rolled back, and defensive
};

class Database {
public:
    Database() = default;
    // busyTimeout: how long a statement waits for another program that holds the file.
    Database(const QString& path, OpenMode mode, int busyTimeout = 5000,
             std::source_location caller = std::source_location::current());
    ~Database();
    Database(Database&& other) noexcept;
    Database& operator=(Database&& other) noexcept;
    Q_DISABLE_COPY(Database)

    bool isOpen() const { return m_db != nullptr; }
    sqlite3* handle() const { return m_db; }
    const KeyCollator& collator() const { return *m_collator; }
    QString errorText() const;
    // Runs statements that return no rows; throws ql::Error with the engine's text on failure.
    void exec(const char* sql, std::source_location caller = std::source_location::current());
    void setBusyTimeout(int milliseconds);
    // Reads the file through a memory map from now on, for work that walks much of it: records
    // are read in index order, that is in no order of the file, and a map copies no page read.
    // Short reads go without: on a cold cache a page the map misses brings in the whole
    // read-ahead window around it (megabytes on some disks), where a plain read brings the page.
    void mapFile() const;
    // Keeps many more pages in memory, for work that writes all over the file in one transaction:
    // a changed page that leaves the cache is written to the file and read back when touched
    // again, and each time the cache fills the journal waits for the disk.
    void setLargeCache(bool large);
    qint64 lastInsertRowid() const;
    int changes() const;

private:
    void close();

    sqlite3* m_db = nullptr;
    KeyCollator* m_collator = nullptr; // owned by the connection's collation
    mutable bool m_mapped = false;
};

// A prepared statement. Every bind is checked; a step that finishes the statement or fails
// resets it, so it holds no lock on the file afterwards, and a statement kept for many runs is
// run inside a Statement::Use, which resets it and clears its parameters whichever way the run
// ends. A statement never run again needs none: finalizing it ends its run.
class Statement {
public:
    Statement() = default;
    Statement(const Database& db, const QByteArray& sql,
              std::source_location caller = std::source_location::current());
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Q_DISABLE_COPY(Statement)

    // One run of a statement kept for many: when it goes out of scope the statement is reset
    // and its parameters are empty again, so a run never sees the values of the run before.
    class Use {
    public:
        explicit Use(Statement& statement)
            : m_statement(statement)
        {
        }
        ~Use() { m_statement.reset(); }
        Q_DISABLE_COPY_MOVE(Use)

    private:
        Statement& m_statement;
    };

    bool isValid() const { return m_stmt != nullptr; }
    // The highest parameter number the statement has.
    int parameterCount() const;
    // Each throws ql::Error with the engine's text when the engine refuses the value.
    void bindNull(int index);
    void bindInt(int index, qint64 value);
    void bindText(int index, QByteArrayView utf8);
    // Steps once: true while a row is there. Throws ql::Error with the engine's text.
    bool step(std::source_location caller = std::source_location::current());

    bool isNull(int column) const;
    qint64 columnInt(int column) const;
    QByteArray columnBytes(int column) const;
    // The text of a column and its length in bytes; null for an empty value.
    const char* columnData(int column, int* length) const;

private:
    void checkBind(int rc);
    void reset();

    sqlite3_stmt* m_stmt = nullptr;
    sqlite3* m_db = nullptr;
};

// BEGIN IMMEDIATE … COMMIT; rolls back unless committed.
class Transaction {
public:
    explicit Transaction(Database& db,
                         std::source_location caller = std::source_location::current());
    ~Transaction();
    Q_DISABLE_COPY_MOVE(Transaction)
    void commit(std::source_location caller = std::source_location::current());

private:
    Database& m_db;
    bool m_open = false;
};

// A read transaction: the statements inside it share one lock on the file instead of taking
// and releasing it each. Does nothing inside a transaction that is already open.
class ReadTransaction {
public:
    explicit ReadTransaction(const Database& db);
    ~ReadTransaction();
    Q_DISABLE_COPY_MOVE(ReadTransaction)

private:
    sqlite3* m_db = nullptr;
};

// Quotes an identifier for SQL text ("Group" is a keyword).
QByteArray quoted(const QString& identifier);

} // namespace ql::sql
