#include "install/install.h"

#include "store/catalogue.h"
#include "store/error.h"
#include "store/session.h"
#include "store/tabledirectory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>
#include <filesystem>

namespace ql::install {
namespace {

constexpr auto kPrivateDirectory =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

// A folder the installer makes is the user's alone; one that was there keeps its mode.
void makePrivateDirectory(const QString& path)
{
    if (QFileInfo(path).isDir())
        return;
    if (!QDir().mkpath(path))
        throw Error(
            QStringLiteral("Cannot create the folder %1.").arg(QDir::toNativeSeparators(path)));
    QFile::setPermissions(path, kPrivateDirectory);
}

// The installer lays out a new or empty folder, or one it laid out before (which holds the
// engine's configuration or the data); it never fills a folder of something else.
void checkTarget(const QString& root)
{
    const QDir dir(root);
    if (!dir.exists() || dir.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden) ||
        QFileInfo::exists(configurationFile(root)) ||
        QFileInfo(dir.filePath(QStringLiteral("Data"))).isDir())
        return;
    throw Error(QStringLiteral("%1 is not empty and holds no Quillory program directory. Choose a "
                               "new or empty folder.")
                    .arg(QDir::toNativeSeparators(root)));
}

void layOutTables(const QString& directory)
{
    makePrivateDirectory(directory);
    TableDirectory(directory).createMissingTables();
}

// Copies under a temporary name and renames over the old file, so a running copy of the old
// program keeps the file it started from.
void installExecutable(const QString& executable, const QString& programDirectory)
{
    const QString target = QDir(programDirectory).filePath(QStringLiteral("quillory"));
    if (QFileInfo(executable).canonicalFilePath() == QFileInfo(target).canonicalFilePath())
        return;
    const std::filesystem::path copy = (target + QStringLiteral(".new")).toStdString();
    std::error_code error;
    std::filesystem::copy_file(executable.toStdString(), copy,
                               std::filesystem::copy_options::overwrite_existing, error);
    if (!error)
        std::filesystem::permissions(copy, std::filesystem::perms::owner_all, error);
    if (!error)
        std::filesystem::rename(copy, target.toStdString(), error);
    if (error) {
        std::filesystem::remove(copy, error);
        throw Error(QStringLiteral("Cannot install the program as %1.")
                        .arg(QDir::toNativeSeparators(target)));
    }
}

} // namespace

QString configurationFile(const QString& programDirectory)
{
    return QDir(programDirectory).filePath(Session::configurationFileName());
}

void layOut(const QString& programDirectory, const QString& executable)
{
    const QString root = QDir(programDirectory).absolutePath();
    checkTarget(root);
    makePrivateDirectory(root);
    if (!executable.isEmpty())
        installExecutable(executable, root);
    layOutTables(QDir(root).filePath(QStringLiteral("Temp")));
    layOutTables(QDir(root).filePath(QStringLiteral("Data")));

    // The directory's own configuration, read and written apart from any run's.
    Session configuration;
    configuration.loadConfiguration(configurationFile(root));
    configuration.setDatabasePath(QString::fromLatin1(catalogue::databaseName),
                                  QDir(root).filePath(QStringLiteral("Data")));
    configuration.saveConfiguration();
}

void writeDesktopEntry(const QString& programDirectory, const QString& applicationsDirectory)
{
    const QString root = QDir(programDirectory).absolutePath();
    if (!QDir().mkpath(applicationsDirectory))
        throw Error(QStringLiteral("Cannot create the folder %1.")
                        .arg(QDir::toNativeSeparators(applicationsDirectory)));
    QSaveFile file(QDir(applicationsDirectory).filePath(QStringLiteral("quillory.desktop")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        throw Error(QStringLiteral("Cannot write the desktop entry: %1").arg(file.errorString()));
    QTextStream out(&file);
    out << "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Quillory\n"
           "GenericName=Personal Organizer\n"
           "Comment=Address book, journal, to-do list, calendar and collections\n"
        << "Exec=\"" << QDir(root).filePath(QStringLiteral("quillory")) << "\"\n"
        << "Icon=" << QDir(root).filePath(QStringLiteral("quillory.png")) << "\n"
        << "Terminal=false\n"
           "Categories=Office;Calendar;ContactManagement;\n";
    out.flush();
    if (!file.commit())
        throw Error(QStringLiteral("Cannot write the desktop entry: %1").arg(file.errorString()));
}

} // namespace ql::install
