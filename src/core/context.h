#pragma once

#include <QString>

namespace ql {

class TAboutBox;

// What the windows of one run share. The program makes it once at start and hands it to every
// window, report and tool that needs it through its constructor; nothing reaches it through a
// global.
struct RunContext {
    // Holds the program, "Temp", "Data" and "BackUp".
    QString programDirectory;
    // The one about window of the run.
    TAboutBox* aboutBox = nullptr;
};

} // namespace ql
