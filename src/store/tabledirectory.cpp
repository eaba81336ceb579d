#include "store/tabledirectory.h"

#include "store/catalogue.h"
#include "store/sqlite.h"
#include "store/tablefile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStringList>
#include <QThread>
#include <QtEndian>
#include <optional>
#include <sys/stat.h>

namespace ql {
namespace {

// The hidden file of the folder in which the program notes its table files as it closes them.
const QString kClosedNote = QStringLiteral(".quillory-closed");

// What tells a table file apart from itself written again: the file (device and inode), its
// size, its last write and last change to the nanosecond, and the change counter the engine
// keeps at byte 24 of its header.
struct FileStamp {
    qint64 device = 0;
    qint64 inode = 0;
    qint64 size = 0;
    qint64 written = 0;
    qint64 changed = 0;
    qint64 counter = 0;

    bool operator==(const FileStamp&) const = default;
    QByteArray toText() const
    {
        QByteArray text;
        for (const qint64 part : {device, inode, size, written, changed, counter})
            text += ' ' + QByteArray::number(part);
        return text;
    }
};

qint64 nanoseconds(const struct timespec& time)
{
    return qint64(time.tv_sec) * 1000000000 + time.tv_nsec;
}

std::optional<struct stat> statOf(const QString& path)
{
    struct stat status = {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return status;
}

std::optional<FileStamp> stampOf(const QString& path)
{
    const std::optional<struct stat> status = statOf(path);
    QFile file(path);
    if (!status || !file.open(QIODevice::ReadOnly) || !file.seek(24))
        return std::nullopt;
    const QByteArray counter = file.read(4);
    if (counter.size() != 4)
        return std::nullopt;
    return FileStamp{
        qint64(status->st_dev),       qint64(status->st_ino),
        qint64(status->st_size),      nanoseconds(status->st_mtim),
        nanoseconds(status->st_ctim), qint64(qFromBigEndian<quint32>(counter.constData()))};
}

} // namespace

QString TableDirectory::fileOf(const QString& tableName) const
{
    return tablefile::locate(m_path, tableName);
}

void TableDirectory::create(const TableDef& def, const QString& password) const
{
    tablefile::create(def, m_path, password);
}

void TableDirectory::createMissingTables() const
{
    for (const TableDef* def : catalogue::all()) {
        if (!holds(def->name))
            create(*def, catalogue::password(*def));
    }
}

QSet<QString> TableDirectory::storedFields(const Session& session, const QString& tableName) const
{
    const QString path = fileOf(tableName);
    QSet<QString> fields;
    if (path.isEmpty())
        return fields;
    const TableDef keyOnly{tableName, {}, {}};
    const tablefile::OpenFile file = tablefile::open(session, keyOnly, path, true);
    sql::Statement info(file.db, "SELECT lower(name) FROM pragma_table_info('records')");
    while (info.step())
        fields.insert(QString::fromUtf8(info.columnBytes(0)));
    return fields;
}

TableCheck TableDirectory::examine(const Session& session, const TableDef& def,
                                   CheckDepth depth) const
{
    const QString path = fileOf(def.name);
    if (path.isEmpty())
        return {tablefile::missing(def.name, m_path).problem(), 0, {}};
    try {
        const tablefile::OpenFile file = tablefile::open(session, def, path, true);
        if (depth == CheckDepth::Open)
            return {};
        // A few findings say enough; the engine stops looking after them.
        sql::Statement check(file.db, depth == CheckDepth::Quick ? "PRAGMA quick_check(10)"
                                                                 : "PRAGMA integrity_check(10)");
        QStringList findings;
        while (check.step())
            findings << QString::fromUtf8(check.columnBytes(0));
        if (findings != QStringList{QStringLiteral("ok")})
            return {QStringLiteral("it is damaged (%1)").arg(findings.value(0)), 0, findings};
        sql::Statement count(file.db, tablefile::keepsCount(file.db)
                                          ? "SELECT records FROM tally"
                                          : "SELECT count(*) FROM records");
        count.step();
        return {{}, count.columnInt(0), {}};
    } catch (const sql::DamagedError& e) {
        // The check itself ran into a part of the file it cannot read.
        return {QStringLiteral("it is damaged (%1)").arg(e.text()), 0, {e.text()}};
    } catch (const UnusableTableError& e) {
        return {e.problem(), 0, {}};
    } catch (const PasswordError&) {
        return {QStringLiteral("its password is not one this program knows"), 0, {}};
    } catch (const Error& e) {
        // The open names the table and the file; the reason is said of the file alone.
        QString reason = e.text();
        reason.remove(QStringLiteral("Cannot open table \"%1\": ").arg(def.name));
        reason.replace(QStringLiteral("\"%1\" ").arg(QDir::toNativeSeparators(path)),
                       QStringLiteral("it "));
        reason.remove(QStringLiteral(" Restore it from a backup."));
        if (reason.endsWith(QLatin1Char('.')))
            reason.chop(1);
        return {reason, 0, {}};
    }
}

void TableDirectory::noteClosed() const
{
    QByteArray note;
    qint64 newest = 0;
    for (const TableDef* def : catalogue::all()) {
        const QString path = fileOf(def->name);
        if (const std::optional<FileStamp> stamp = path.isEmpty() ? std::nullopt : stampOf(path)) {
            note += def->name.toUtf8() + stamp->toText() + '\n';
            newest = std::max({newest, stamp->written, stamp->changed});
        }
    }
    const QString notePath = QDir(m_path).filePath(kClosedNote);
    // The note is worth most when the clock has moved past the last write of every table by the
    // time it is written: the clock moves in ticks of a few milliseconds at most.
    for (int attempt = 0; attempt < 50; ++attempt) {
        QSaveFile file(notePath);
        if (!file.open(QIODevice::WriteOnly) || file.write(note) != note.size() || !file.commit()) {
            QFile::remove(notePath);
            return;
        }
        const std::optional<struct stat> written = statOf(notePath);
        if (!written || nanoseconds(written->st_mtim) > newest)
            return;
        QThread::msleep(1);
    }
}

QSet<QString> TableDirectory::takeUnchangedSinceClosed() const
{
    const QString notePath = QDir(m_path).filePath(kClosedNote);
    QFile file(notePath);
    const std::optional<struct stat> noted = statOf(notePath);
    if (!noted || !file.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> lines = file.readAll().split('\n');
    file.close();
    QFile::remove(notePath);
    QSet<QString> unchanged;
    for (const QByteArray& line : lines) {
        const QList<QByteArray> parts = line.split(' ');
        const TableDef* def =
            parts.size() == 7 ? catalogue::find(QString::fromUtf8(parts[0])) : nullptr;
        const QString path = def ? fileOf(def->name) : QString();
        if (path.isEmpty() || QFile::exists(path + QStringLiteral("-journal")))
            continue;
        const FileStamp expected{parts[1].toLongLong(), parts[2].toLongLong(),
                                 parts[3].toLongLong(), parts[4].toLongLong(),
                                 parts[5].toLongLong(), parts[6].toLongLong()};
        const qint64 noteWritten = nanoseconds(noted->st_mtim);
        if (stampOf(path) == expected && expected.written < noteWritten &&
            expected.changed < noteWritten)
            unchanged.insert(def->name);
    }
    return unchanged;
}

} // namespace ql
