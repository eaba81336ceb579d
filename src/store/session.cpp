#include "store/session.h"

#include "store/error.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>

namespace ql {

// The configuration file is a short text: a header line, then one "[name]" section a name,
// each with its "PATH=" and "DRIVER=" lines.
void Session::loadConfiguration(const QString& configurationFile)
{
    const QMutexLocker lock(&m_mutex);
    m_configurationFile = configurationFile;
    m_saved.clear();
    QFile file(configurationFile);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw Error(QStringLiteral("Cannot read the engine configuration \"%1\": %2")
                        .arg(QDir::toNativeSeparators(configurationFile), file.errorString()));
    QTextStream in(&file);
    Alias current;
    const auto flush = [&] {
        if (!current.name.isEmpty())
            m_saved.insert(current.name.toLower(), current);
        current = Alias{};
    };
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            flush();
            current.name = line.mid(1, line.size() - 2);
        } else if (line.startsWith(QLatin1String("PATH="))) {
            current.path = line.mid(5);
        } else if (line.startsWith(QLatin1String("DRIVER="))) {
            current.driver = line.mid(7);
        }
    }
    flush();
}

void Session::saveConfiguration() const
{
    const QMutexLocker lock(&m_mutex);
    if (m_configurationFile.isEmpty())
        throw Error(QStringLiteral("The engine configuration has no file to be saved in."));
    QSaveFile file(m_configurationFile);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        throw Error(QStringLiteral("Cannot write the engine configuration \"%1\": %2")
                        .arg(QDir::toNativeSeparators(m_configurationFile), file.errorString()));
    QTextStream out(&file);
    out << "; Quillory table engine configuration: database names and their directories\n";
    QStringList keys = m_saved.keys();
    keys.sort();
    for (const QString& key : keys) {
        const Alias& alias = m_saved[key];
        out << '[' << alias.name << "]\nPATH=" << alias.path << "\nDRIVER=" << alias.driver << '\n';
    }
    out.flush();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (!file.commit())
        throw Error(QStringLiteral("Cannot write the engine configuration \"%1\": %2")
                        .arg(QDir::toNativeSeparators(m_configurationFile), file.errorString()));
}

QString Session::databasePath(const QString& databaseName) const
{
    const QMutexLocker lock(&m_mutex);
    const QString key = databaseName.toLower();
    if (const auto it = m_registered.constFind(key); it != m_registered.cend())
        return it->path;
    if (const auto it = m_saved.constFind(key); it != m_saved.cend())
        return it->path;
    throw Error(QStringLiteral("Unknown database: %1").arg(databaseName));
}

bool Session::hasDatabase(const QString& databaseName) const
{
    const QMutexLocker lock(&m_mutex);
    const QString key = databaseName.toLower();
    return m_registered.contains(key) || m_saved.contains(key);
}

void Session::setDatabasePath(const QString& databaseName, const QString& directory)
{
    const QMutexLocker lock(&m_mutex);
    Alias& alias = m_saved[databaseName.toLower()];
    alias.name = databaseName;
    alias.path = directory;
    if (alias.driver.isEmpty())
        alias.driver = QStringLiteral("STANDARD");
}

void Session::registerDatabase(const QString& databaseName, const QString& directory,
                               const QString& driver)
{
    const QMutexLocker lock(&m_mutex);
    m_registered.insert(databaseName.toLower(), Alias{databaseName, directory, driver});
}

void Session::addPassword(const QString& password)
{
    const QMutexLocker lock(&m_mutex);
    m_passwords.insert(password);
}

void Session::setUnavailableNote(const QString& tableName, const QString& note)
{
    const QMutexLocker lock(&m_mutex);
    if (note.isEmpty())
        m_unavailable.remove(tableName.toLower());
    else
        m_unavailable.insert(tableName.toLower(), note);
}

QString Session::unavailableNote(const QString& tableName) const
{
    const QMutexLocker lock(&m_mutex);
    return m_unavailable.value(tableName.toLower());
}

void Session::addNotice(const QString& text)
{
    const QMutexLocker lock(&m_mutex);
    if (!m_notices.contains(text))
        m_notices << text;
}

QStringList Session::takeNotices()
{
    const QMutexLocker lock(&m_mutex);
    return std::exchange(m_notices, {});
}

QString Session::configurationFile() const
{
    const QMutexLocker lock(&m_mutex);
    return m_configurationFile;
}

bool Session::knowsPassword(const QString& password) const
{
    const QMutexLocker lock(&m_mutex);
    return m_passwords.contains(password);
}

QSet<QString> Session::passwords() const
{
    const QMutexLocker lock(&m_mutex);
    return m_passwords;
}

int Session::busyTimeout() const
{
    const QMutexLocker lock(&m_mutex);
    return m_busyTimeout;
}

void Session::setBusyTimeout(int milliseconds)
{
    const QMutexLocker lock(&m_mutex);
    m_busyTimeout = milliseconds;
}

} // namespace ql
