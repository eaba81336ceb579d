#include "testenv.h"

#include "clock.h"
#include "error.h"
#include "install.h"
#include "session.h"
#include "settings.h"

#include <QDir>
#include <QLocale>

namespace ql::test {

QString failureText(const std::function<void()>& call)
{
    try {
        call();
    } catch (const Error& e) {
        return e.text();
    }
    return QStringLiteral("(no error)");
}

void setUpProcess()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

ProgramDirectory::ProgramDirectory()
{
    Session::instance().reset();
    install::layOut(path());
    Session::instance().loadConfiguration(install::configurationFile(path()));
    Settings::setStoreFile(settingsFile());
}

QString ProgramDirectory::path() const
{
    return QDir(m_dir.path()).filePath(QStringLiteral("Quillory"));
}

QString ProgramDirectory::settingsFile() const
{
    return QDir(m_dir.path()).filePath(QStringLiteral("config/Quillory.reg"));
}

ProgramDirectory::~ProgramDirectory()
{
    Session::instance().reset();
    // Tests may take away write permission; give it back so the folder can be removed.
    for (const QString& sub : {QStringLiteral("Data"), QStringLiteral("Temp")})
        QFile::setPermissions(filePath(sub), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                 QFileDevice::ExeOwner);
}

QString ProgramDirectory::dataPath() const
{
    return filePath(QStringLiteral("Data"));
}

QString ProgramDirectory::filePath(const QString& relative) const
{
    return QDir(path()).filePath(relative);
}

FixedClock::FixedClock(const QDateTime& moment)
    : m_moment(moment)
{
    clock::setSource([this] { return m_moment; });
}

FixedClock::~FixedClock()
{
    clock::setSource({});
}

} // namespace ql::test
