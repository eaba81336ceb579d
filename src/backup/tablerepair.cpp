#include "backup/tablerepair.h"

#include "backup/backupwork.h"
#include "backup/restorework.h"
#include "store/catalogue.h"
#include "store/error.h"
#include "store/filecopy.h"
#include "store/session.h"
#include "store/tableholder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace ql::repair {
namespace {

// How many of the engine's findings a window shows of a damaged table.
constexpr qsizetype kFindingsShown = 3;

QString dataDirectory(const QString& programDirectory)
{
    return QDir(programDirectory).filePath(QStringLiteral("Data"));
}

// A dated folder of the backup directory that holds no file of the table yet, made; empty when
// it cannot be made.
QString keepingFolder(const QString& programDirectory, const QString& table,
                      const QDateTime& moment)
{
    const QDir backups(backup::targetDirectory({programDirectory, {}, false, {}}));
    const QString name = damagedFolderName(moment);
    QString folder = backups.filePath(name);
    for (int n = 2; TableDirectory(folder).holds(table); ++n)
        folder = backups.filePath(name + QStringLiteral(" (%1)").arg(n));
    if (!QDir().mkpath(folder))
        return {};
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return folder;
}

// Moves a file into the folder by renaming it, else keeps a copy there and removes it.
bool moveInto(const QString& file, const QString& folder)
{
    const QString kept = QDir(folder).filePath(QFileInfo(file).fileName());
    if (filecopy::moveIntoPlace(file, kept))
        return true;
    return QFile::copy(file, kept) && QFile::remove(file);
}

} // namespace

std::vector<Finding> checkTables(Session& session, const QString& programDirectory,
                                 Progress& progress)
{
    const TableDirectory data(dataDirectory(programDirectory));
    std::vector<Finding> findings;
    const auto& tables = catalogue::all();
    for (size_t i = 0; i < tables.size(); ++i) {
        const TableDef& def = *tables[i];
        progress.checkCancelled();
        progress.status(QStringLiteral("Checking %1").arg(def.name));
        progress.progress(qint64(i), qint64(tables.size()));
        registerPassword(session, def);
        findings.push_back({def.name, data.examine(session, def, CheckDepth::Whole)});
    }
    progress.progress(qint64(tables.size()), qint64(tables.size()));
    return findings;
}

QString verdict(const Finding& finding)
{
    if (finding.check.isSound())
        return QStringLiteral("ok");
    if (finding.check.findings.isEmpty())
        return finding.check.problem;
    return QStringLiteral("damaged: ") +
           finding.check.findings.mid(0, kFindingsShown).join(QStringLiteral("; "));
}

bool canRebuild(const Finding& finding)
{
    return finding.check.problem.startsWith(QStringLiteral("it is damaged"));
}

QString damagedFolderName(const QDateTime& moment)
{
    return QStringLiteral("Damaged ") + moment.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
}

std::optional<QString> setAside(const QString& programDirectory, const QString& table,
                                const QDateTime& moment)
{
    const QString file = TableDirectory(dataDirectory(programDirectory)).fileOf(table);
    const QString folder =
        file.isEmpty() ? QString() : keepingFolder(programDirectory, table, moment);
    if (folder.isEmpty() || !moveInto(file, folder))
        return std::nullopt;
    const QString journal = file + QStringLiteral("-journal");
    if (QFileInfo::exists(journal))
        moveInto(journal, folder);
    filecopy::syncFolder(folder);
    filecopy::syncFolder(dataDirectory(programDirectory));
    return folder;
}

Rebuilt rebuild(const Session& session, const QString& programDirectory, const QString& table,
                Progress& progress)
{
    const TableDef* def = catalogue::find(table);
    const QString data = dataDirectory(programDirectory);
    const QString file = TableDirectory(data).fileOf(table);
    if (!def || file.isEmpty())
        throw Error(QStringLiteral("There is no file of \"%1\" to rebuild.").arg(table));
    restore::removeLeftovers(programDirectory);
    const QTemporaryDir fresh(restore::workFolderPattern(programDirectory));
    if (!fresh.isValid())
        throw Error(QStringLiteral("No folder for the rebuilt table can be made beside the data "
                                   "folder. Nothing was changed."));
    progress.status(QStringLiteral("Rebuilding %1").arg(table));
    Rebuilt rebuilt{TableDirectory(data).salvage(session, *def, fresh.path(), progress), {}};
    progress.checkCancelled();
    rebuilt.keptIn = keepingFolder(programDirectory, table, session.clock().now());
    const QString kept = QDir(rebuilt.keptIn).filePath(QFileInfo(file).fileName());
    if (rebuilt.keptIn.isEmpty() || !filecopy::syncFolder(fresh.path()) ||
        !filecopy::keepAside(file, kept) || !filecopy::syncFolder(rebuilt.keptIn) ||
        !filecopy::moveIntoPlace(fresh.filePath(def->name), file))
        throw Error(QStringLiteral("The rebuilt \"%1\" cannot be put in place (is the disk "
                                   "full?). The table is as it was.")
                        .arg(table));
    filecopy::syncFolder(data);
    return rebuilt;
}

} // namespace ql::repair
