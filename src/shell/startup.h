#pragma once

#include "core/context.h"
#include "core/registry.h"

#include <QString>
#include <QtGlobal>
#include <memory>

class QWidget;

namespace ql {

class MainMenu;
class AddressBookTables;

// The user chose at start to quit rather than go on without a table the program cannot use.
struct StartDeclined {};

// The objects that live for the whole run, made in this order: the registry through which one
// module opens another, the run's context, the address book's table holder, the main menu with the
// address book window (hidden) and the about window.
class Program {
public:
    // Removes what a restore cut short left, then looks at every table: one that is missing or
    // damaged is restored from a backup or set aside as the user chooses (StartDeclined when the
    // user quits). Throws ql::Error when a part cannot be made (the folder of the tables is
    // missing). Every window of the run asks and prints through `services`, and opens its tables
    // in `session`, which the program loads with the directory's configuration; both outlive it.
    Program(const QString& programDirectory, Session& session, const Services& services);
    ~Program();
    Q_DISABLE_COPY_MOVE(Program)

    MainMenu* mainMenu() const { return m_mainMenu.get(); }
    // The address book's holder: its table is open for the whole run.
    AddressBookTables& addressBook() const { return *m_addressBook; }
    // What the run's windows share: the services, the session, the program directory and the
    // about window.
    const RunContext& context() const { return m_context; }

private:
    // Asks about a table a window could not open while the program runs; true when it was
    // restored.
    bool rescueWhileRunning(QWidget* owner, const QString& table, const QString& problem);

    ModuleRegistry m_modules;
    RunContext m_context;
    std::unique_ptr<AddressBookTables> m_addressBook;
    std::unique_ptr<MainMenu> m_mainMenu;
};

} // namespace ql
