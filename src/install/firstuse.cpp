#include "install/firstuse.h"

#include "store/catalogue.h"
#include "store/error.h"
#include "store/filecopy.h"
#include "store/session.h"
#include "store/tabledirectory.h"

#include <QDir>
#include <QFile>
#include <algorithm>

namespace ql::install {
namespace {

// The directory's entries of every kind, sorted by name, without "." and "..".
QStringList entriesOf(const QString& directory)
{
    return QDir(directory).entryList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

bool holdsEveryTable(const QString& data)
{
    return std::all_of(catalogue::all().cbegin(), catalogue::all().cend(),
                       [tables = TableDirectory(data)](const TableDef* table) {
                           return tables.holds(table->name);
                       });
}

} // namespace

FirstUse prepareFirstUse(Session& session, const QString& programDirectory)
{
    const QDir root(programDirectory);
    // The backups hold personal data: the user's alone.
    if (root.mkdir(QStringLiteral("BackUp")))
        QFile::setPermissions(root.filePath(QStringLiteral("BackUp")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString temp = root.filePath(QStringLiteral("Temp"));
    const QString data = root.filePath(QStringLiteral("Data"));
    const QStringList templates = entriesOf(temp);
    // The settings were lost after an earlier first use: nothing is left to prepare.
    if (templates.isEmpty())
        return holdsEveryTable(data) ? FirstUse::Prepared : FirstUse::NoTemplates;
    const TableDirectory tables(data);
    for (const QString& entry : templates) {
        if (tables.holds(entry))
            continue;
        if (!filecopy::copy(QDir(temp).filePath(entry), QDir(data).filePath(entry)))
            return FirstUse::CopyFailed;
    }
    try {
        session.setDatabasePath(QString::fromLatin1(catalogue::databaseName), data);
        session.saveConfiguration();
    } catch (const Error&) {
        return FirstUse::NotConfigured;
    }
    return FirstUse::Prepared;
}

void removeTemplates(const QString& programDirectory)
{
    const QString temp = QDir(programDirectory).filePath(QStringLiteral("Temp"));
    for (const QString& entry : entriesOf(temp))
        QFile::remove(QDir(temp).filePath(entry));
    QDir(programDirectory).rmdir(QStringLiteral("Temp"));
}

} // namespace ql::install
