#pragma once

#include "support/storeenv.h"

#include <QString>
#include <QTemporaryDir>

namespace ql::test {

// A fresh program directory laid out by the installer, with a new session pointing at it (no
// passwords known, "Quilbase" naming its Data folder). Removed with everything in it at the end.
// The settings file goes with the services (support/dialogs.h).
class ProgramDirectory {
public:
    ProgramDirectory();
    ~ProgramDirectory();
    ProgramDirectory(const ProgramDirectory&) = delete;
    ProgramDirectory& operator=(const ProgramDirectory&) = delete;

    QString path() const;
    QString dataPath() const;
    QString filePath(const QString& relative) const;

private:
    QTemporaryDir m_dir;
};

} // namespace ql::test
