#pragma once

#include "store/session.h"
#include "support/storeenv.h"

#include <QString>
#include <QTemporaryDir>

namespace ql::test {

// A fresh program directory laid out by the installer, with a session of its own pointing at it
// (no passwords known, "Quilbase" naming its Data folder). Removed with everything in it at the
// end. The settings file goes with the services (support/dialogs.h).
class ProgramDirectory {
public:
    ProgramDirectory();
    ~ProgramDirectory();
    ProgramDirectory(const ProgramDirectory&) = delete;
    ProgramDirectory& operator=(const ProgramDirectory&) = delete;

    QString path() const;
    QString dataPath() const;
    QString filePath(const QString& relative) const;
    // The session of the test's run, loaded with the directory's configuration; whoever reads
    // the directory may register names and passwords in it.
    Session& session() const { return m_session; }

private:
    QTemporaryDir m_dir;
    mutable Session m_session;
};

} // namespace ql::test
