#include "shell/startup.h"

#include "addressbook/addressbooktables.h"
#include "backup/restorepage.h"
#include "backup/restorework.h"
#include "backup/tablerescue.h"
#include "core/aboutbox.h"
#include "core/guard.h"
#include "core/keys.h"
#include "core/seams.h"
#include "core/settings.h"
#include "install/install.h"
#include "shell/mainmenu.h"
#include "shell/modules.h"
#include "store/catalogue.h"
#include "store/error.h"
#include "store/session.h"
#include "store/tabledirectory.h"

#include <QDir>
#include <QFileInfo>

namespace ql {
namespace {

// The folder last backed up into, where the start looks for a backup too; empty when the settings
// do not say.
QString lastBackupFolder(SettingsFile& file)
{
    try {
        Settings settings(file);
        return settings.openKey(keys::Backup, false)
                   ? settings.readString(RestorePage::lastFolderValue())
                   : QString();
    } catch (const Error&) {
        return {};
    }
}

// The address book's holder, its table open unless the program started without it. The start
// opens a table it found unchanged since the last clean close without reading it through: when
// opening it meets damage, the start asks about it as about any table it cannot use.
std::unique_ptr<AddressBookTables> openAddressBook(Session& session, const TableRescue& rescue)
{
    for (;;) {
        const bool withIt = session.unavailableNote(catalogue::names().name).isEmpty();
        try {
            return std::make_unique<AddressBookTables>(session, nullptr,
                                                       withIt ? AddressBookTables::Opening::Open
                                                              : AddressBookTables::Opening::Closed);
        } catch (const UnusableTableError& e) {
            if (rescue.rescue(nullptr, e.tableName(), e.problem(), TableRescue::Moment::AtStart) ==
                TableRescue::Choice::Quit)
                throw StartDeclined{};
        }
    }
}

} // namespace

Program::Program(const QString& programDirectory, Session& session, const Services& services)
{
    m_context.services = &services;
    m_context.session = &session;
    m_context.programDirectory = QDir(programDirectory).absolutePath();
    session.loadConfiguration(install::configurationFile(programDirectory));
    // Without the folder of the tables no table opens: the user learns which folder is gone and
    // how to get records back, rather than that a file is not in it.
    const QString data = session.databasePath(QString::fromLatin1(catalogue::databaseName));
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
    restore::removeLeftovers(m_context.programDirectory);
    const TableRescue rescue(session, m_context.programDirectory,
                             lastBackupFolder(m_context.services->settings()),
                             m_context.services->prompts());
    if (!rescue.rescueAll(nullptr, MainMenu::firstUseDone(m_context.services->settings())))
        throw StartDeclined{};
    m_context.modules = &m_modules;
    m_context.rescueTable = [this](QWidget* owner, const QString& table, const QString& problem) {
        return rescueWhileRunning(owner, table, problem);
    };
    registerModules(m_modules, m_context);
    m_addressBook = openAddressBook(session, rescue);
    m_mainMenu = std::make_unique<MainMenu>(*m_addressBook, m_context);
    m_context.aboutBox = new AboutBox(m_mainMenu.get());
}

bool Program::rescueWhileRunning(QWidget* owner, const QString& table, const QString& problem)
{
    // The address book's table, open for the whole run, is closed while its file is replaced.
    const bool heldOpen = table == catalogue::names().name && m_addressBook->tbNames->isOpen();
    if (heldOpen)
        m_addressBook->closeTables();
    const bool restored =
        TableRescue(*m_context.session, m_context.programDirectory,
                    lastBackupFolder(m_context.services->settings()), m_context.services->prompts())
            .rescue(owner, table, problem, TableRescue::Moment::WhileRunning) ==
        TableRescue::Choice::Restore;
    if (heldOpen)
        guarded(owner, [this] { m_addressBook->openTables(); });
    return restored;
}

Program::~Program()
{
    // Ending the program stores what the user typed into the address book.
    guarded(m_mainMenu.get(), [this] {
        if (m_addressBook->tbNames->isOpen())
            m_addressBook->tbNames->checkBrowseMode();
    });
    m_mainMenu.reset();
    m_context.aboutBox = nullptr;
    // With every table closed, the next start needs to read through only the files written
    // since.
    m_addressBook.reset();
    TableDirectory(QDir(m_context.programDirectory).filePath(QStringLiteral("Data"))).noteClosed();
}

} // namespace ql
