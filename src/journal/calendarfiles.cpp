#include "journal/calendarfiles.h"

#include "store/table.h"
#include "widgets/commands.h"
#include "widgets/fileexchange.h"

namespace ql {

void declareCalendarCommands(QWidget* window, QMenu* file, Table& table,
                             formats::CalendarModule module, const QString& records)
{
    static const FileFormat iCalendar{
        QStringLiteral("iCalendar"),
        QStringLiteral("iCalendar files (*.ics)|*.ics|All Files (*.*)|*.*"),
        QStringLiteral(".ics")};
    declare(window,
            {.handler =
                 [window, &table, module] {
                     exportRecords(window, &table, iCalendar,
                                   [&table, module](Progress& progress, const QString& name) {
                                       formats::exportCalendar(table.session(), module, name,
                                                               progress);
                                   });
                 },
             .caption = QStringLiteral("&Export to iCalendar..."),
             .hint = QStringLiteral("Write every record to an iCalendar file"),
             .items = {{file, "ExportICalendar1", {}, true}}});
    declare(window,
            {.handler =
                 [window, &table, module, records] {
                     importRecords(
                         window, table, iCalendar,
                         [&table, module, records](Progress& progress, const QString& name) {
                             return formats::importCalendar(table.session(), module, name, progress)
                                 .summary(records);
                         });
                 },
             .caption = QStringLiteral("&Import from iCalendar..."),
             .hint = QStringLiteral("Add the records of an iCalendar file"),
             .items = {{file, "ImportICalendar1"}}});
}

} // namespace ql
