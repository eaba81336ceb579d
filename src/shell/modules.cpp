#include "modules.h"

#include "calendarform.h"
#include "holders.h"
#include "journalform.h"
#include "opener.h"
#include "registry.h"
#include "todoform.h"

namespace ql {

void registerModules()
{
    using registry::Window;
    registry::provide(Window::Journal,
                      [](QWidget* owner) { openModule(owner, DataModule2, JournalForm); });
    registry::provide(Window::ToDo,
                      [](QWidget* owner) { openModule(owner, DataModule4, ToDoForm); });
    registry::provide(Window::ReferenceCalendar,
                      [](QWidget* owner) { openWindow(owner, CalendarForm2); });
}

} // namespace ql
