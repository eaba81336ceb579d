#include "shell/startup.h"

#include "core/aboutbox.h"
#include "core/guard.h"
#include "install/install.h"
#include "shell/mainmenu.h"
#include "shell/modules.h"
#include "store/catalogue.h"
#include "store/error.h"
#include "store/holders.h"
#include "store/session.h"

#include <QDir>
#include <QFileInfo>

namespace ql {

Program::Program(const QString& programDirectory)
{
    m_context.programDirectory = QDir(programDirectory).absolutePath();
    Session::instance().loadConfiguration(install::configurationFile(programDirectory));
    // Without the folder of the tables no table opens: the user learns which folder is gone and
    // how to get records back, rather than that a file is not in it.
    const QString data =
        Session::instance().databasePath(QString::fromLatin1(catalogue::databaseName));
    if (!QFileInfo(data).isDir()) {
        throw Error(
            QStringLiteral(
                "The folder that holds the tables is missing: %1\n\nTo go on with your records, "
                "make that folder again and copy the table files of your last backup into it "
                "(backups go to %2 unless you chose another folder). To start afresh with empty "
                "tables, install Quillory again into %3: the installation lays out the tables "
                "that are missing and keeps everything else.")
                .arg(QDir::toNativeSeparators(data),
                     QDir::toNativeSeparators(
                         QDir(programDirectory).filePath(QStringLiteral("BackUp"))),
                     QDir::toNativeSeparators(programDirectory)));
    }
    registerModules(m_context);
    m_addressBook = std::make_unique<TDataModule1>();
    m_mainMenu = std::make_unique<MainMenu>(*m_addressBook, m_context);
    m_context.aboutBox = new TAboutBox(m_mainMenu.get());
}

Program::~Program()
{
    // Ending the program stores what the user typed into the address book.
    guarded(m_mainMenu.get(), [this] { m_addressBook->tbNames->checkBrowseMode(); });
    m_mainMenu.reset();
    m_context.aboutBox = nullptr;
}

} // namespace ql
