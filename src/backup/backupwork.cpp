#include "backup/backupwork.h"

#include "store/datetext.h"
#include "store/filecopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <unistd.h>

namespace ql::backup {
namespace {

const QString kInvalidPath = QStringLiteral("Invalid path entered. Please retry.");
const QString kFailed = QStringLiteral("Backup Failed");
const QString kNoData = QStringLiteral("Error: Cannot read QY Data");
constexpr QFileDevice::Permissions kPrivateFolder =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

// The path with its links resolved as far as it exists; the rest as written, made plain.
QString resolved(const QString& path)
{
    QString existing = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QStringList rest;
    while (!QFileInfo::exists(existing) && existing != QDir::rootPath()) {
        rest.prepend(QFileInfo(existing).fileName());
        existing = QFileInfo(existing).absolutePath();
    }
    QString result = QFileInfo(existing).canonicalFilePath();
    for (const QString& part : rest)
        result = QDir(result).filePath(part);
    return QDir::cleanPath(result);
}

// Whether the destination is the data directory or lies inside it: copying a table onto itself
// would destroy it.
bool insideData(const QString& target, const QString& data)
{
    const QString to = resolved(target);
    const QString from = resolved(data);
    return to == from || to.startsWith(from + QLatin1Char('/'));
}

// The entries a run copies, in order: every entry of the data directory except the journal a
// crash left beside a table, which is undone as the table is copied (beside the copy it would
// undo changes the copy never had). Any other file is data of its own.
QStringList entriesToCopy(const QDir& from)
{
    const QString journalSuffix = QStringLiteral("-journal");
    QStringList entries;
    for (const QString& entry :
         from.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                        QDir::Name | QDir::IgnoreCase)) {
        if (!(entry.endsWith(journalSuffix) &&
              filecopy::isTable(from.filePath(entry.chopped(journalSuffix.size())))))
            entries << entry;
    }
    return entries;
}

bool rename(const QString& from, const QString& to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

// The previous backup's files the run replaces, kept in a hidden folder inside the destination
// until the run ends, so that a cancelled run can put them back. The folder goes when the run
// ends.
class PreviousFiles {
public:
    explicit PreviousFiles(const QString& target)
        : m_target(target)
        , m_kept(QDir(target).filePath(QStringLiteral(".backup-previous-XXXXXX")))
    {
    }
    bool usable() const { return m_kept.isValid(); }

    // Keeps the destination's file of that name, if there is one, before the run replaces it:
    // a second name for the same file, or a copy where the file system has no such names.
    bool keep(const QString& entry)
    {
        const std::string from = QFile::encodeName(QDir(m_target).filePath(entry)).toStdString();
        const std::string to = QFile::encodeName(m_kept.filePath(entry)).toStdString();
        m_touched << entry;
        std::error_code error;
        if (!std::filesystem::exists(std::filesystem::symlink_status(from, error)))
            return true;
        if (::link(from.c_str(), to.c_str()) == 0)
            return true;
        std::filesystem::copy(from, to,
                              std::filesystem::copy_options::copy_symlinks |
                                  std::filesystem::copy_options::recursive,
                              error);
        return !error;
    }

    // Puts every kept file back and removes the copies of files the destination did not have.
    void putBack()
    {
        for (const QString& entry : std::as_const(m_touched)) {
            const QString kept = m_kept.filePath(entry);
            const QString placed = QDir(m_target).filePath(entry);
            if (QFileInfo::exists(kept) || QFileInfo(kept).isSymLink())
                rename(kept, placed);
            else
                QFile::remove(placed);
        }
    }

private:
    QString m_target;
    QTemporaryDir m_kept;
    QStringList m_touched;
};

// Copies every entry; the run's result when it stops early, nothing when every copy was made.
std::optional<Result> copyEntries(const QDir& from, const QString& target,
                                  const QStringList& entries, Progress& progress)
{
    PreviousFiles previous(target);
    if (!previous.usable())
        return Result{Outcome::Failed, kFailed};
    const auto stopWhenCancelled = [&] {
        if (progress.isCancelled()) {
            previous.putBack();
            throw Cancelled{};
        }
    };
    const QDir to(target);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString& entry = entries.at(i);
        stopWhenCancelled();
        progress.status(headings().inProgress + QLatin1Char(' ') + entry);
        progress.progress(i, entries.size());
        if (!previous.keep(entry) || !filecopy::copy(from.filePath(entry), to.filePath(entry)))
            return Result{Outcome::Failed, kFailed};
    }
    progress.progress(entries.size(), entries.size());
    stopWhenCancelled();
    return std::nullopt;
}

} // namespace

Headings headings()
{
    return {QStringLiteral("Backup in progress....."), QStringLiteral("Backup Complete"), kFailed,
            QStringLiteral("Backup Cancelled: the previous backup is as it was")};
}

// The file is written in one piece, readable by the user alone.
void writeInformation(const QString& data, const QString& target, const QDateTime& moment)
{
    const QStringList lines = {
        QStringLiteral("Quillory Backup Information File"),
        QString(),
        QStringLiteral("QY Backup Files in this directory were stored "),
        QStringLiteral("on %1 at %2")
            .arg(datetext::longDate(moment.date()), datetext::clockTime(moment.time())),
        QString(),
        QStringLiteral("This file was automatically generated by "),
        QStringLiteral("Quillory's Backup Module"),
        QString(),
        QStringLiteral("Copied files from ") + data,
        QStringLiteral(" to ") + target,
    };
    filecopy::write(lines.join(QStringLiteral("\r\n")).toUtf8(),
                    QDir(target).filePath(informationFileName()));
}

QString informationFileName()
{
    return QStringLiteral("BackupInfo.txt");
}

QString userDefinedFileName()
{
    return QStringLiteral("UserDefined.reg");
}

QString targetDirectory(const Request& request)
{
    if (request.userSpecified)
        return request.userFolder;
    const QString name = QStringLiteral("Backup");
    const QDir root(request.programDirectory);
    for (const QString& entry : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return root.filePath(entry);
    }
    return root.filePath(name);
}

QString refusal(const Request& request)
{
    const QString data = QDir(request.programDirectory).filePath(QStringLiteral("Data"));
    const QString target = targetDirectory(request);
    if ((request.userSpecified && target.size() < 4) || insideData(target, data))
        return kInvalidPath;
    return {};
}

Result run(const Request& request, const QDateTime& moment, Progress& progress)
{
    if (const QString refused = refusal(request); !refused.isEmpty())
        return {Outcome::Refused, refused};
    const QString data = QDir(request.programDirectory).filePath(QStringLiteral("Data"));
    const QString target = targetDirectory(request);
    // Only the last level is made; when it cannot be, the copies fail.
    if (request.userSpecified)
        QDir().mkdir(target, kPrivateFolder);
    const QDir from(data);
    const QStringList entries = entriesToCopy(from);
    if (entries.isEmpty())
        return {Outcome::Failed, kNoData};
    if (const std::optional<Result> stopped = copyEntries(from, target, entries, progress))
        return *stopped;
    // The engine's private file never stays in a backup.
    const QDir to(target);
    for (const QString& entry : to.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (entry.compare(QLatin1String("qy.db"), Qt::CaseInsensitive) == 0)
            QFile::remove(to.filePath(entry));
    }
    if (!filecopy::write(request.userDefinedSettings, to.filePath(userDefinedFileName())))
        return {Outcome::Failed, kFailed};
    // Written only now, the information file never tells of copies that are not there; that it
    // cannot be written does not fail the run.
    writeInformation(data, target, moment);
    return {Outcome::Complete, {}};
}

} // namespace ql::backup
