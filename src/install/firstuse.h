#pragma once

#include <QString>

namespace ql {
class Session;
}

namespace ql::install {

// How preparing a program directory for its first use ended.
enum class FirstUse {
    Prepared,      // the data directory holds every table and "Quilbase" names it
    NoTemplates,   // the templates are gone and the data directory lacks tables
    CopyFailed,    // a template could not be copied into the data directory
    NotConfigured, // the tables are in place, but the configuration could not be saved
};

// Prepares the program directory laid out by the installer for its first use: makes "BackUp"
// (the user's alone), copies every template of "Temp" that "Data" lacks into it (a file "Data"
// has already, restored from a backup or opened by the address book, is never replaced) and
// names "Data" for "Quilbase" in the run's session and its engine configuration. When the
// templates are gone but "Data" holds every table, nothing is left to prepare.
FirstUse prepareFirstUse(Session& session, const QString& programDirectory);

// Removes the templates once the installation is prepared: every file of "Temp", then the folder.
void removeTemplates(const QString& programDirectory);

} // namespace ql::install
