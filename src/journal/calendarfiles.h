#pragma once

#include "formats/icalendar.h"

class QMenu;
class QWidget;

namespace ql {

class Table;

// Declares a window's commands that write its module's records to an iCalendar file and add the
// records of one, at the end of its File menu: "Export to iCalendar..." (ExportICalendar1) and
// "Import from iCalendar..." (ImportICalendar1). `records` names them in the import's summary.
void declareCalendarCommands(QWidget* window, QMenu* file, Table& table,
                             formats::CalendarModule module, const QString& records);

} // namespace ql
