#pragma once

#include <QString>
#include <memory>

namespace ql {

class TMainMenuForm;

// The objects that live for the whole run, made in this order: the main menu, the address book
// window (hidden), the about window and the address book's table holder.
class Program {
public:
    // Throws ql::Error when a part cannot be made (the address book table cannot be opened).
    explicit Program(const QString& programDirectory);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    TMainMenuForm* mainMenu() const { return m_mainMenu.get(); }

private:
    static void forgetGlobals();

    std::unique_ptr<TMainMenuForm> m_mainMenu;
};

} // namespace ql
