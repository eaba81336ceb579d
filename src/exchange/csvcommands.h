#pragma once

#include "exchange/textexport.h"

#include <QStringList>
#include <functional>
#include <optional>

class QMenu;
class QWidget;

namespace ql {

class Table;

// What a window's CSV commands work on: the module's records, the window's table (the record
// being typed there is stored first, so the file has it; the commands' own holder is made in its
// session) and, for the user-defined records, the
// user's names of the nine fields, which head their columns.
struct CsvSource {
    exchange::Module module;
    Table* table = nullptr;
    QStringList names = {};
};

// The CSV commands of a module window's File menu, after a separator at its end: "Export to
// CSV..." (ExportCsv1) and, with `imports`, "Import from CSV..." (ImportCsv1). `source` tells
// what they work on now; nothing while the window shows no records, which the commands say.
//
// The export asks for a file (*.csv) and writes every record of the module to it (formats/
// csvtable.h, widgets/fileexchange.h). The import asks for a file, reads it, shows the preview of
// its first records and where its columns go, and adds the records through a holder of the module's
// own in one transaction; it says how many were added and skipped. Reading, writing and adding run
// through the work runner, with progress and Cancel.
struct CsvCommands {
    QMenu* menu;
    bool imports = false;
    std::function<std::optional<CsvSource>()> source;
};
void declareCsvCommands(QWidget* window, const CsvCommands& commands);

} // namespace ql
