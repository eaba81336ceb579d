#pragma once

#include "core/seams.h"

#include <QString>
#include <functional>

class QWidget;

namespace ql {

class ModuleRegistry;
class AboutBox;
class Session;

// What the windows of one run share. The program makes it once at start and hands it to every
// window, report and tool that needs it through its constructor; nothing reaches it through a
// global.
//
// The table engine's names and passwords are the run's too (store/session.h): the program builds
// the session at start, next to the services, and every table a window, report or tool makes is
// made with it, on whichever thread it is opened. The session also carries the run's clock
// (store/clock.h), which everything that stamps or compares with "now" reads. The settings file and
// the help window come with the services.
struct RunContext {
    // The prompts, printing, help viewer and process start of the run.
    const Services* services = nullptr;
    // The table engine's names, passwords and notices of the run.
    Session* session = nullptr;
    // Holds the program, "Temp", "Data" and "BackUp".
    QString programDirectory;
    // The one about window of the run.
    AboutBox* aboutBox = nullptr;
    // How a module opens another module's window.
    const ModuleRegistry* modules = nullptr;
    // What to do about a table a window could not open, its file damaged or no table of this
    // program: asks over the window's owner whether to restore it from a backup; true when it
    // was restored and the window may open again.
    std::function<bool(QWidget* owner, const QString& table, const QString& problem)> rescueTable;
};

} // namespace ql
