#include "backup/restorework.h"

#include "backup/backupwork.h"
#include "store/catalogue.h"
#include "store/datetext.h"
#include "store/filecopy.h"
#include "store/session.h"
#include "store/tableholder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <sys/stat.h>

namespace ql::restore {
namespace {

const QString kSetAsidePrefix = QStringLiteral("Before restore ");
// What a restore cut short by a crash leaves: the copies it was bringing in, and a folder it was
// setting the tables aside in. The next restore removes them.
const QString kIncomingPrefix = QStringLiteral(".quillory-restore-");
const QString kUnfinishedSuffix = QStringLiteral(".unfinished");
// The configuration file is a few lines; a larger file is no configuration of ours.
constexpr qint64 kLargestUserDefined = 1 << 20;

QString defaultBackupDirectory(const QString& programDirectory)
{
    backup::Request request;
    request.programDirectory = programDirectory;
    return backup::targetDirectory(request);
}

QString dataDirectory(const QString& programDirectory)
{
    return QDir(programDirectory).filePath(QStringLiteral("Data"));
}

// When the information file says the backup was made: the text after "on " on its fourth line.
QString toldMoment(const QString& folder)
{
    QFile file(QDir(folder).filePath(backup::informationFileName()));
    if (!file.open(QIODevice::ReadOnly) || file.size() > kLargestUserDefined)
        return {};
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
    const QString on = QStringLiteral("on ");
    return lines.size() > 3 && lines.at(3).startsWith(on) ? lines.at(3).mid(on.size()) : QString();
}

bool holdsTable(const QString& folder)
{
    const TableDirectory tables(folder);
    return std::any_of(catalogue::all().cbegin(), catalogue::all().cend(),
                       [&](const TableDef* def) { return tables.holds(def->name); });
}

// The time a backup folder was made: its information file's, else its newest table file's.
QDateTime madeAt(const QString& folder)
{
    const QFileInfo information(QDir(folder).filePath(backup::informationFileName()));
    if (information.isFile())
        return information.lastModified();
    QDateTime newest;
    const TableDirectory tables(folder);
    for (const TableDef* def : catalogue::all()) {
        const QString file = tables.fileOf(def->name);
        if (!file.isEmpty())
            newest = std::max(newest, QFileInfo(file).lastModified());
    }
    return newest;
}

bool sameFolder(const QString& a, const QString& b)
{
    return QFileInfo(a).canonicalFilePath() == QFileInfo(b).canonicalFilePath();
}

bool onOneDevice(const QString& a, const QString& b)
{
    struct stat first {};
    struct stat second {};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev;
}

QString backupFolder(const Request& request)
{
    return backup::targetDirectory(request.backup);
}

// Why a request cannot be carried out as it stands; empty when it can.
QString refusal(const Request& request)
{
    if (request.tables.isEmpty() && !request.userDefined)
        return QStringLiteral("Tick at least one table to restore.");
    if (sameFolder(backupFolder(request), dataDirectory(request.backup.programDirectory)))
        return QStringLiteral("The tables cannot be restored from the data folder itself.");
    for (const QString& table : request.tables) {
        if (!catalogue::find(table))
            return QStringLiteral("\"%1\" is no table of the organizer.").arg(table);
    }
    return {};
}

} // namespace

backup::Headings headings()
{
    return {QStringLiteral("Restore in progress....."), QStringLiteral("Restore Complete"),
            QStringLiteral("Restore Failed"),
            QStringLiteral("Restore Cancelled: nothing was changed")};
}

void removeLeftovers(const QString& programDirectory)
{
    const QDir beside(
        QFileInfo(QFileInfo(dataDirectory(programDirectory)).canonicalFilePath()).absolutePath());
    for (const QString& entry :
         beside.entryList({kIncomingPrefix + QLatin1Char('*')}, QDir::Dirs | QDir::Hidden))
        QDir(beside.filePath(entry)).removeRecursively();
    const QDir backups(defaultBackupDirectory(programDirectory));
    for (const QString& entry : backups.entryList(
             {QLatin1Char('.') + kSetAsidePrefix + QLatin1Char('*') + kUnfinishedSuffix},
             QDir::Dirs | QDir::Hidden))
        QDir(backups.filePath(entry)).removeRecursively();
}

QString workFolderPattern(const QString& programDirectory)
{
    return QFileInfo(QFileInfo(dataDirectory(programDirectory)).canonicalFilePath())
               .absolutePath() +
           QLatin1Char('/') + kIncomingPrefix + QStringLiteral("XXXXXX");
}

QString setAsideName(const QDateTime& moment)
{
    return kSetAsidePrefix + moment.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
}

QStringList backupFolders(const QString& programDirectory, const QStringList& others)
{
    const QString backups = defaultBackupDirectory(programDirectory);
    QStringList candidates{backups};
    for (const QString& entry : QDir(backups).entryList({kSetAsidePrefix + QLatin1Char('*')},
                                                        QDir::Dirs, QDir::Name | QDir::Reversed))
        candidates << QDir(backups).filePath(entry);
    candidates << others;
    // The tables in use are no backup.
    QStringList folders{dataDirectory(programDirectory)};
    for (const QString& candidate : std::as_const(candidates)) {
        const bool seen = std::any_of(folders.cbegin(), folders.cend(),
                                      [&](const QString& f) { return sameFolder(f, candidate); });
        if (!candidate.isEmpty() && !seen && holdsTable(candidate))
            folders << QDir::cleanPath(candidate);
    }
    folders.removeFirst();
    std::stable_sort(folders.begin(), folders.end(),
                     [](const QString& a, const QString& b) { return madeAt(a) > madeAt(b); });
    return folders;
}

namespace {

Backup examineCopies(Session& session, const QString& folder, const QString& onlyTable,
                     Progress& progress)
{
    Backup found;
    found.folder = folder;
    found.madeAt = madeAt(folder);
    found.made = toldMoment(folder);
    if (found.made.isEmpty() && found.madeAt.isValid())
        found.made = QStringLiteral("%1 at %2")
                         .arg(datetext::longDate(found.madeAt.date()),
                              datetext::clockTime(found.madeAt.time()));
    const TableDirectory tables(folder);
    for (const TableDef* def : catalogue::all()) {
        progress.checkCancelled();
        if (!tables.holds(def->name) || (!onlyTable.isEmpty() && onlyTable != def->name))
            continue;
        registerPassword(session, *def);
        found.copies.push_back({def->name, tables.examine(session, *def)});
    }
    found.holdsUserDefined =
        QFileInfo(QDir(folder).filePath(backup::userDefinedFileName())).isFile();
    return found;
}

} // namespace

Backup examine(Session& session, const QString& folder, Progress& progress)
{
    return examineCopies(session, folder, {}, progress);
}

std::optional<Backup> newestSoundCopy(Session& session, const QStringList& folders,
                                      const QString& table, Progress& progress)
{
    for (const QString& folder : folders) {
        Backup backup = examineCopies(session, folder, table, progress);
        if (!backup.copies.empty() && backup.copies.front().check.isSound())
            return backup;
    }
    return std::nullopt;
}

namespace {

// The chosen copies brought in beside the data directory and checked, in a folder of their own
// on the data directory's disk, removed when the restore ends.
class Incoming {
public:
    explicit Incoming(const QString& programDirectory)
        : m_folder(workFolderPattern(programDirectory))
    {
    }
    bool usable(const QString& data) const
    {
        return m_folder.isValid() && onOneDevice(m_folder.path(), data);
    }
    QString fileOf(const QString& table) const { return m_folder.filePath(table); }

    // Brings the copy of each table in and checks it; the refusal or failure when one is missing,
    // unsound or cannot be brought in.
    std::optional<QString> bringIn(Session& session, const QString& backupFolder,
                                   const QStringList& tableNames, Progress& progress)
    {
        const TableDirectory from(backupFolder);
        const TableDirectory here(m_folder.path());
        for (qsizetype i = 0; i < tableNames.size(); ++i) {
            const TableDef& def = *catalogue::find(tableNames.at(i));
            progress.checkCancelled();
            progress.status(QStringLiteral("Checking %1").arg(def.name));
            progress.progress(i, tableNames.size());
            const QString source = from.fileOf(def.name);
            if (source.isEmpty())
                return QStringLiteral("The backup holds no copy of \"%1\".").arg(def.name);
            if (QFileInfo(source + QStringLiteral("-journal")).size() > 0)
                return unsound(def.name, QStringLiteral("a crash left a journal beside it"));
            if (!filecopy::copyToDisk(source, fileOf(def.name)))
                return QStringLiteral("The copy of \"%1\" cannot be brought into the data folder "
                                      "(is the disk full?). Nothing was changed.")
                    .arg(def.name);
            registerPassword(session, def);
            const TableCheck check = here.examine(session, def);
            if (!check.isSound())
                return unsound(def.name, check.problem);
        }
        return std::nullopt;
    }

private:
    static QString unsound(const QString& table, const QString& problem)
    {
        return QStringLiteral("The backup's copy of \"%1\" cannot be restored: %2. Nothing was "
                              "changed. Untick it to restore the other tables.")
            .arg(table, problem);
    }

    QTemporaryDir m_folder;
};

// Sets the current tables (and the configuration) aside in a folder of the default backup
// directory named after `moment`, whole on the disk before any table is replaced; the folder's
// name, or nothing when they cannot be set aside.
std::optional<QString> setAside(const Request& request, bool withConfiguration,
                                const QDateTime& moment)
{
    const QString data = dataDirectory(request.backup.programDirectory);
    const QDir backups(defaultBackupDirectory(request.backup.programDirectory));
    if (!QDir().mkpath(backups.path()))
        return std::nullopt;
    QString name = setAsideName(moment);
    for (int n = 2;
         backups.exists(name) || backups.exists(QLatin1Char('.') + name + kUnfinishedSuffix); ++n)
        name = setAsideName(moment) + QStringLiteral(" (%1)").arg(n);
    const QString unfinished = backups.filePath(QLatin1Char('.') + name + kUnfinishedSuffix);
    if (!QDir().mkdir(unfinished,
                      QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner))
        return std::nullopt;
    const TableDirectory current(data);
    bool kept = true;
    for (const QString& table : request.tables) {
        const QString file = current.fileOf(table);
        kept = kept &&
               (file.isEmpty() ||
                filecopy::keepAside(file, QDir(unfinished).filePath(QFileInfo(file).fileName())));
    }
    if (withConfiguration)
        kept = kept && filecopy::write(request.backup.userDefinedSettings,
                                       QDir(unfinished).filePath(backup::userDefinedFileName()));
    backup::writeInformation(data, unfinished, moment);
    const QString done = backups.filePath(name);
    if (!kept || !filecopy::syncFolder(unfinished) || !filecopy::moveIntoPlace(unfinished, done) ||
        !filecopy::syncFolder(backups.path())) {
        QDir(unfinished).removeRecursively();
        return std::nullopt;
    }
    return done;
}

// Renames each copy brought in over its table; the tables not yet replaced when one fails.
QStringList replaceTables(const Incoming& incoming, const QString& data,
                          const QStringList& tableNames, Progress& progress)
{
    const TableDirectory current(data);
    for (qsizetype i = 0; i < tableNames.size(); ++i) {
        const QString& table = tableNames.at(i);
        progress.status(QStringLiteral("Restoring %1").arg(table));
        progress.progress(i, tableNames.size());
        // A table whose file name differs in letter case keeps its name.
        const QString existing = current.fileOf(table);
        const QString target = existing.isEmpty() ? QDir(data).filePath(table) : existing;
        if (!filecopy::moveIntoPlace(incoming.fileOf(table), target))
            return tableNames.mid(i);
    }
    progress.progress(tableNames.size(), tableNames.size());
    filecopy::syncFolder(data);
    return {};
}

// The configuration the backup keeps, when it is asked for and there.
std::optional<QByteArray> userDefinedOf(const Request& request)
{
    QFile file(QDir(backupFolder(request)).filePath(backup::userDefinedFileName()));
    if (!request.userDefined || file.size() > kLargestUserDefined ||
        !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

} // namespace

Result run(Session& session, const Request& request, Progress& progress)
{
    if (const QString refused = refusal(request); !refused.isEmpty())
        return {Outcome::Refused, refused, {}, {}};
    const QString data = dataDirectory(request.backup.programDirectory);
    removeLeftovers(request.backup.programDirectory);
    Incoming incoming(request.backup.programDirectory);
    if (!incoming.usable(data))
        return {Outcome::Failed,
                QStringLiteral("No folder for the copies can be made beside the data folder. "
                               "Nothing was changed."),
                {},
                {}};
    if (const std::optional<QString> refused =
            incoming.bringIn(session, backupFolder(request), request.tables, progress))
        return {Outcome::Refused, *refused, {}, {}};
    progress.checkCancelled();
    const std::optional<QByteArray> userDefined = userDefinedOf(request);
    progress.status(QStringLiteral("Setting the current tables aside"));
    const std::optional<QString> aside =
        setAside(request, userDefined.has_value(), session.clock().now());
    if (!aside)
        return {Outcome::Failed,
                QStringLiteral("The current tables cannot be set aside in the backup folder (is "
                               "the disk full?). Nothing was changed."),
                {},
                {}};
    const QStringList left = replaceTables(incoming, data, request.tables, progress);
    if (!left.isEmpty())
        return {Outcome::Failed,
                QStringLiteral("%1 could not be restored and are as they were; the tables as they "
                               "were before are in \"%2\".")
                    .arg(left.join(QStringLiteral(", ")), QDir::toNativeSeparators(*aside)),
                *aside, userDefined};
    return {Outcome::Complete, {}, *aside, userDefined};
}

} // namespace ql::restore
