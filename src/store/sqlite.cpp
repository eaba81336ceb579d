#include "store/sqlite.h"

#include <sqlite3.h>
#include <unicode/ucol.h>
#include <utility>

namespace ql::sql {

KeyCollator::KeyCollator()
{
    UErrorCode status = U_ZERO_ERROR;
    // The root collation orders every script alphabetically and is the same for every user;
    // secondary strength makes letter case irrelevant while accents still tell keys apart.
    m_collator = ucol_open("", &status);
    if (U_FAILURE(status))
        throw Error(QStringLiteral("The alphabetical order could not be loaded (%1).")
                        .arg(QString::fromLatin1(u_errorName(status))));
    ucol_setStrength(m_collator, UCOL_SECONDARY);
}

KeyCollator::~KeyCollator()
{
    ucol_close(m_collator);
}

int KeyCollator::compare(const char* a, int lengthA, const char* b, int lengthB) const
{
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result = ucol_strcollUTF8(m_collator, a, lengthA, b, lengthB, &status);
    if (U_FAILURE(status)) {
        // Bytes that are not UTF-8 still need a fixed order.
        const int common = std::min(lengthA, lengthB);
        const int byBytes = std::char_traits<char>::compare(a, b, size_t(common));
        return byBytes != 0 ? byBytes : lengthA - lengthB;
    }
    return result == UCOL_LESS ? -1 : (result == UCOL_GREATER ? 1 : 0);
}

QString KeyCollator::version()
{
    UErrorCode status = U_ZERO_ERROR;
    UCollator* collator = ucol_open("", &status);
    UVersionInfo info{};
    ucol_getVersion(collator, info);
    ucol_close(collator);
    char text[U_MAX_VERSION_STRING_LENGTH] = {};
    u_versionToString(info, text);
    return QStringLiteral("icu-root-secondary-%1").arg(QString::fromLatin1(text));
}

namespace {

FaultHook& faultHook()
{
    static FaultHook hook;
    return hook;
}

// The engine's own text, as a BusyError when another program holds the file and as a
// DamagedError when the file is damaged.
[[noreturn]] void fail(int code, const QString& text)
{
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
        throw BusyError(text);
    if (code == SQLITE_CORRUPT)
        throw DamagedError(text);
    throw Error(text);
}

[[noreturn]] void fail(sqlite3* db, const QString& text)
{
    fail(sqlite3_errcode(db) & 0xff, text);
}

int collate(void* collator, int lengthA, const void* a, int lengthB, const void* b)
{
    return static_cast<KeyCollator*>(collator)->compare(static_cast<const char*>(a), lengthA,
                                                        static_cast<const char*>(b), lengthB);
}

void destroyCollator(void* collator)
{
    delete static_cast<KeyCollator*>(collator);
}

// Fails the call as the engine fails a read or a write of the disk when a test's hook asks so.
void faultPoint(const std::source_location& caller)
{
    if (faultHook() && faultHook()(caller))
        fail(SQLITE_IOERR, QString::fromUtf8(sqlite3_errstr(SQLITE_IOERR)));
}

} // namespace

void setFaultHook(FaultHook hook)
{
    faultHook() = std::move(hook);
}

Database::Database(const QString& path, OpenMode mode, int busyTimeout, std::source_location caller)
{
    faultPoint(caller);
    int flags = SQLITE_OPEN_READWRITE;
    if (mode == OpenMode::Create)
        flags |= SQLITE_OPEN_CREATE;
    else if (mode == OpenMode::ReadOnlyUntrusted || mode == OpenMode::ReadOnly)
        flags = SQLITE_OPEN_READONLY;
    // A connection is used by the thread that opened it alone: it needs no lock of its own
    // around every call.
    flags |= SQLITE_OPEN_NOMUTEX;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString text = m_db ? errorText() : QString::fromUtf8(sqlite3_errstr(rc));
        close();
        fail(rc & 0xff, text);
    }
    sqlite3_extended_result_codes(m_db, 1);
    if (mode == OpenMode::ReadOnlyUntrusted || mode == OpenMode::UntrustedCopy) {
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    }
    m_collator = new KeyCollator;
    if (sqlite3_create_collation_v2(m_db, kKeyCollation, SQLITE_UTF8, m_collator, collate,
                                    destroyCollator) != SQLITE_OK) {
        delete m_collator;
        m_collator = nullptr;
        const QString text = errorText();
        close();
        throw Error(text);
    }
    try {
        // Every commit reaches the disk before post returns; no WAL, so a table is one file.
        setBusyTimeout(busyTimeout);
        exec("PRAGMA synchronous=FULL");
        // Records are read in index order, that is in no order of the file: keep more pages.
        setLargeCache(false);
        // What undoes a statement that fails inside a transaction (a copy of each page it
        // touches, a few for a record) stays in memory instead of going to a temporary file.
        exec("PRAGMA temp_store=MEMORY");
    } catch (...) {
        close();
        throw;
    }
}

Database::~Database()
{
    close();
}

Database::Database(Database&& other) noexcept
    : m_db(std::exchange(other.m_db, nullptr))
    , m_collator(std::exchange(other.m_collator, nullptr))
    , m_mapped(std::exchange(other.m_mapped, false))
{
}

Database& Database::operator=(Database&& other) noexcept
{
    if (this != &other) {
        close();
        m_db = std::exchange(other.m_db, nullptr);
        m_collator = std::exchange(other.m_collator, nullptr);
        m_mapped = std::exchange(other.m_mapped, false);
    }
    return *this;
}

void Database::close()
{
    if (m_db)
        sqlite3_close_v2(m_db);
    m_db = nullptr;
    m_collator = nullptr;
}

QString Database::errorText() const
{
    return QString::fromUtf8(sqlite3_errmsg(m_db));
}

void Database::exec(const char* sql, std::source_location caller)
{
    faultPoint(caller);
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        const QString text = message ? QString::fromUtf8(message) : errorText();
        sqlite3_free(message);
        fail(m_db, text);
    }
}

void Database::mapFile() const
{
    if (!m_mapped)
        m_mapped = sqlite3_exec(m_db, "PRAGMA mmap_size=1073741824", nullptr, nullptr, nullptr) ==
                   SQLITE_OK;
}

void Database::setLargeCache(bool large)
{
    exec(large ? "PRAGMA cache_size=-262144" : "PRAGMA cache_size=-16384");
}

void Database::setBusyTimeout(int milliseconds)
{
    sqlite3_busy_timeout(m_db, milliseconds);
}

qint64 Database::lastInsertRowid() const
{
    return sqlite3_last_insert_rowid(m_db);
}

int Database::changes() const
{
    return sqlite3_changes(m_db);
}

Statement::Statement(const Database& db, const QByteArray& sql, std::source_location caller)
    : m_db(db.handle())
{
    faultPoint(caller);
    if (sqlite3_prepare_v3(m_db, sql.constData(), int(sql.size()), SQLITE_PREPARE_PERSISTENT,
                           &m_stmt, nullptr) != SQLITE_OK) {
        m_stmt = nullptr;
        fail(m_db, db.errorText());
    }
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

Statement::Statement(Statement&& other) noexcept
    : m_stmt(std::exchange(other.m_stmt, nullptr))
    , m_db(other.m_db)
{
}

Statement& Statement::operator=(Statement&& other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_stmt = std::exchange(other.m_stmt, nullptr);
        m_db = other.m_db;
    }
    return *this;
}

void Statement::checkBind(int rc)
{
    if (rc != SQLITE_OK)
        fail(m_db, QString::fromUtf8(sqlite3_errmsg(m_db)));
}

int Statement::parameterCount() const
{
    return sqlite3_bind_parameter_count(m_stmt);
}

void Statement::bindNull(int index)
{
    checkBind(sqlite3_bind_null(m_stmt, index));
}

void Statement::bindInt(int index, qint64 value)
{
    checkBind(sqlite3_bind_int64(m_stmt, index, value));
}

void Statement::bindText(int index, QByteArrayView utf8)
{
    checkBind(
        sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT));
}

bool Statement::step(std::source_location caller)
{
    faultPoint(caller);
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    // Finished or failed: the statement lets go of the file at once.
    const QString text = rc == SQLITE_DONE ? QString() : QString::fromUtf8(sqlite3_errmsg(m_db));
    sqlite3_reset(m_stmt);
    if (rc == SQLITE_DONE)
        return false;
    fail(rc & 0xff, text);
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

bool Statement::isNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

qint64 Statement::columnInt(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

QByteArray Statement::columnBytes(int column) const
{
    int length = 0;
    const char* data = columnData(column, &length);
    return QByteArray(data, length);
}

const char* Statement::columnData(int column, int* length) const
{
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    *length = data ? sqlite3_column_bytes(m_stmt, column) : 0;
    return data;
}

Transaction::Transaction(Database& db, std::source_location caller)
    : m_db(db)
{
    m_db.exec("BEGIN IMMEDIATE", caller);
    m_open = true;
}

Transaction::~Transaction()
{
    if (m_open)
        sqlite3_exec(m_db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::commit(std::source_location caller)
{
    m_db.exec("COMMIT", caller);
    m_open = false;
}

ReadTransaction::ReadTransaction(const Database& db)
{
    if (sqlite3_get_autocommit(db.handle()) &&
        sqlite3_exec(db.handle(), "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK)
        m_db = db.handle();
}

ReadTransaction::~ReadTransaction()
{
    if (m_db && !sqlite3_get_autocommit(m_db))
        sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
}

QByteArray quoted(const QString& identifier)
{
    QByteArray text = identifier.toUtf8();
    text.replace('"', "\"\"");
    return '"' + text + '"';
}

} // namespace ql::sql
