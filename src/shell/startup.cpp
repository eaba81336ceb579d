#include "startup.h"

#include "aboutbox.h"
#include "guard.h"
#include "holders.h"
#include "install.h"
#include "mainmenu.h"
#include "modules.h"
#include "pdaform.h"
#include "session.h"

namespace ql {

Program::Program(const QString& programDirectory)
{
    Session::instance().loadConfiguration(install::configurationFile(programDirectory));
    registerModules();
    m_mainMenu = std::make_unique<TMainMenuForm>(programDirectory);
    try {
        PDAForm = new TPDAForm(m_mainMenu.get());
        AboutBox = new TAboutBox(m_mainMenu.get());
        DataModule1 = new TDataModule1(m_mainMenu.get());
    } catch (...) {
        forgetGlobals();
        throw;
    }
}

Program::~Program()
{
    // Ending the program stores what the user typed into the address book.
    if (DataModule1)
        guarded(m_mainMenu.get(), [] { DataModule1->tbNames->checkBrowseMode(); });
    m_mainMenu.reset();
    forgetGlobals();
}

void Program::forgetGlobals()
{
    PDAForm = nullptr;
    AboutBox = nullptr;
    DataModule1 = nullptr;
}

} // namespace ql
