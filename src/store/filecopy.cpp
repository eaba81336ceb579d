#include "filecopy.h"

#include "sqlite.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>

namespace ql::filecopy {
namespace {

constexpr QFileDevice::Permissions kPrivate = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Copies the table file's bytes as last committed: under the table's read lock no program can
// change the file, and taking the lock undoes a write a crash left half done. The bytes are read
// through the engine's own handle of the file: opening and closing another handle would drop the
// engine's lock.
bool copyCommitted(const sql::Database& from, const QString& part)
{
    const sql::ReadTransaction lock(from);
    sql::Statement(from, "SELECT count(*) FROM sqlite_schema").step();
    sqlite3_file* file = nullptr;
    sqlite3_int64 size = 0;
    if (sqlite3_file_control(from.handle(), "main", SQLITE_FCNTL_FILE_POINTER, &file) !=
            SQLITE_OK ||
        !file || !file->pMethods || file->pMethods->xFileSize(file, &size) != SQLITE_OK)
        return false;
    QFile out(part);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    constexpr sqlite3_int64 kChunk = 1 << 20;
    QByteArray buffer(kChunk, Qt::Uninitialized);
    for (sqlite3_int64 offset = 0; offset < size; offset += kChunk) {
        const int length = int(std::min(kChunk, size - offset));
        if (file->pMethods->xRead(file, buffer.data(), length, offset) != SQLITE_OK ||
            out.write(buffer.constData(), length) != length)
            return false;
    }
    return out.flush();
}

// A consistent copy of a table, checked before anything relies on it.
bool snapshot(const QString& source, const QString& part)
{
    try {
        // A writable open lets the read lock undo a write a crash left half done, as every open
        // of the table would; a table the user may not write is read as it is.
        const sql::Database from(source, QFileInfo(source).isWritable() ? sql::OpenMode::ReadWrite
                                                                        : sql::OpenMode::ReadOnly);
        if (!copyCommitted(from, part))
            return false;
        const sql::Database copy(part, sql::OpenMode::ReadOnly);
        sql::Statement check(copy, "PRAGMA quick_check");
        return check.step() && check.columnBytes(0) == "ok" && !check.step();
    } catch (const Error&) {
        return false;
    }
}

} // namespace

bool isTable(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(16) == QByteArray("SQLite format 3", 16);
}

bool copy(const QString& source, const QString& target)
{
    if (!QFileInfo(source).isFile())
        return false;
    const QString part = target + QStringLiteral(".part");
    QFile::remove(part);
    const bool copied = isTable(source) ? snapshot(source, part) : QFile::copy(source, part);
    const bool placed = copied && QFile::setPermissions(part, kPrivate) &&
                        std::rename(QFile::encodeName(part).constData(),
                                    QFile::encodeName(target).constData()) == 0;
    if (!placed)
        QFile::remove(part);
    return placed;
}

} // namespace ql::filecopy
