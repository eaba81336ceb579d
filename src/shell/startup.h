#pragma once

#include "core/context.h"

#include <QString>
#include <memory>

namespace ql {

class MainMenu;

// The objects that live for the whole run, made in this order: the run's context, the main menu,
// the address book window (hidden), the about window and the address book's table holder.
class Program {
public:
    // Throws ql::Error when a part cannot be made (the address book table cannot be opened).
    explicit Program(const QString& programDirectory);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    MainMenu* mainMenu() const { return m_mainMenu.get(); }
    // What the run's windows share: the program directory and the about window.
    const RunContext& context() const { return m_context; }

private:
    static void forgetGlobals();

    RunContext m_context;
    std::unique_ptr<MainMenu> m_mainMenu;
};

} // namespace ql
