#pragma once

#include "core/context.h"

#include <QString>
#include <memory>

namespace ql {

class MainMenu;
class TDataModule1;

// The objects that live for the whole run, made in this order: the run's context, the address
// book's table holder, the main menu with the address book window (hidden) and the about window.
class Program {
public:
    // Throws ql::Error when a part cannot be made (the address book table cannot be opened).
    explicit Program(const QString& programDirectory);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    MainMenu* mainMenu() const { return m_mainMenu.get(); }
    // The address book's holder: its table is open for the whole run.
    TDataModule1& addressBook() const { return *m_addressBook; }
    // What the run's windows share: the program directory and the about window.
    const RunContext& context() const { return m_context; }

private:
    RunContext m_context;
    std::unique_ptr<TDataModule1> m_addressBook;
    std::unique_ptr<MainMenu> m_mainMenu;
};

} // namespace ql
