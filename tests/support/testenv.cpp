#include "support/testenv.h"

#include "install/install.h"

#include <QDir>
#include <QFile>

namespace ql::test {

ProgramDirectory::ProgramDirectory()
{
    install::layOut(path());
    m_session.loadConfiguration(install::configurationFile(path()));
}

QString ProgramDirectory::path() const
{
    return QDir(m_dir.path()).filePath(QStringLiteral("Quillory"));
}

ProgramDirectory::~ProgramDirectory()
{
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

} // namespace ql::test
