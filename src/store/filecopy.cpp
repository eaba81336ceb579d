#include "filecopy.h"

#include "sqlite.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

namespace ql::filecopy {
namespace {

constexpr QFileDevice::Permissions kPrivate = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Writes the file's contents to the disk, so the rename that follows never stands for a file
// whose pages are still in memory.
bool flush(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool flushed = ::fdatasync(fd) == 0;
    ::close(fd);
    return flushed;
}

bool snapshot(const QString& source, const QString& part)
{
    try {
        // A writable open rolls back a journal a crash left, as every open of the table would;
        // a table the user may not write is read as it is.
        const sql::Database from(source, QFileInfo(source).isWritable() ? sql::OpenMode::ReadWrite
                                                                        : sql::OpenMode::ReadOnly);
        sql::Database to(part, sql::OpenMode::Create);
        // The copy is a new file nobody else reads; it reaches the disk once, before the rename.
        to.exec("PRAGMA journal_mode=OFF");
        to.exec("PRAGMA synchronous=OFF");
        sqlite3_backup* backup = sqlite3_backup_init(to.handle(), "main", from.handle(), "main");
        if (!backup)
            return false;
        // One step copies every page under one read lock: the records as last committed.
        const int stepped = sqlite3_backup_step(backup, -1);
        const int finished = sqlite3_backup_finish(backup);
        if (stepped != SQLITE_DONE || finished != SQLITE_OK)
            return false;
        sql::Statement check(to, "PRAGMA quick_check");
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
    const bool placed = copied && QFile::setPermissions(part, kPrivate) && flush(part) &&
                        std::rename(QFile::encodeName(part).constData(),
                                    QFile::encodeName(target).constData()) == 0;
    if (!placed)
        QFile::remove(part);
    return placed;
}

} // namespace ql::filecopy
