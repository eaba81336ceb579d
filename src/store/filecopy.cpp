#include "store/filecopy.h"

#include "store/sqlite.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <sqlite3.h>
#include <unistd.h>

namespace ql::filecopy {
namespace {

constexpr QFileDevice::Permissions kPrivate = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Makes a new file, readable by the user alone from the start. A file or a link of that name
// fails it: nothing is ever written through a link someone else planted.
bool createPrivate(QFile& out)
{
    return out.open(QIODevice::WriteOnly | QIODevice::NewOnly, kPrivate);
}

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
    if (!createPrivate(out))
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

// Makes sure what was written to the file or folder at `path` is on the disk.
bool syncPath(const QString& path, int flags = O_RDONLY)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
}

// Copies any other file as it is; with `toDisk`, the copy is on the disk when it returns.
bool copyBytes(const QString& source, const QString& part, bool toDisk = false)
{
    QFile in(source);
    QFile out(part);
    if (!in.open(QIODevice::ReadOnly) || !createPrivate(out))
        return false;
    QByteArray buffer;
    while (!(buffer = in.read(1 << 20)).isEmpty()) {
        if (out.write(buffer) != buffer.size())
            return false;
    }
    return in.error() == QFileDevice::NoError && out.flush() &&
           (!toDisk || ::fsync(out.handle()) == 0);
}

// Puts what `made` writes into `part` in the target's place by a rename, which replaces a file or
// a link there without following it; a failure leaves the target as it was.
bool place(const QString& target, const std::function<bool(const QString&)>& made)
{
    const QString part = target + QStringLiteral(".part");
    QFile::remove(part);
    const bool placed = made(part) && std::rename(QFile::encodeName(part).constData(),
                                                  QFile::encodeName(target).constData()) == 0;
    if (!placed)
        QFile::remove(part);
    return placed;
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
    const bool table = isTable(source);
    return place(target, [&](const QString& part) {
        return table ? snapshot(source, part) : copyBytes(source, part);
    });
}

bool write(const QByteArray& bytes, const QString& target)
{
    return place(target, [&](const QString& part) {
        QFile out(part);
        return createPrivate(out) && out.write(bytes) == bytes.size() && out.flush();
    });
}

bool copyToDisk(const QString& source, const QString& fresh)
{
    if (!QFileInfo(source).isFile() || QFileInfo::exists(fresh) || QFileInfo(fresh).isSymLink())
        return false;
    if (copyBytes(source, fresh, true))
        return true;
    QFile::remove(fresh);
    return false;
}

bool moveIntoPlace(const QString& fresh, const QString& target)
{
    return std::rename(QFile::encodeName(fresh).constData(),
                       QFile::encodeName(target).constData()) == 0;
}

bool keepAside(const QString& path, const QString& kept)
{
    if (!QFileInfo(path).isFile() || QFileInfo::exists(kept) || QFileInfo(kept).isSymLink())
        return false;
    // A table opened for its snapshot undoes what a crash left half done.
    if (QFileInfo(path + QStringLiteral("-journal")).size() == 0 &&
        ::link(QFile::encodeName(path).constData(), QFile::encodeName(kept).constData()) == 0)
        return true;
    return place(kept, [&](const QString& part) { return snapshot(path, part) && syncPath(part); });
}

bool syncFolder(const QString& folder)
{
    return syncPath(folder, O_RDONLY | O_DIRECTORY);
}

} // namespace ql::filecopy
