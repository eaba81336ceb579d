#include "shell/modules.h"

#include "calendar/calendarform.h"
#include "core/opener.h"
#include "core/registry.h"
#include "journal/journalform.h"
#include "journal/todoform.h"
#include "store/holders.h"

namespace ql {

void registerModules(const RunContext& context)
{
    using registry::Window;
    registry::provide(Window::Journal, [&context](QWidget* owner) {
        openModule(owner, DataModule2, JournalForm, context);
    });
    registry::provide(Window::ToDo, [&context](QWidget* owner) {
        openModule(owner, DataModule4, ToDoForm, context);
    });
    registry::provide(Window::ReferenceCalendar,
                      [&context](QWidget* owner) { openWindow(owner, CalendarForm2, context); });
}

} // namespace ql
