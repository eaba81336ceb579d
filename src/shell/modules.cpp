#include "shell/modules.h"

#include "calendar/calendarwindow.h"
#include "core/aboutbox.h"
#include "core/opener.h"
#include "core/registry.h"
#include "journal/journalform.h"
#include "journal/journaltables.h"
#include "journal/todoform.h"

namespace ql {

void registerModules(ModuleRegistry& modules, const RunContext& context)
{
    using Window = ModuleRegistry::Window;
    modules.provide(Window::Journal, [&context](QWidget* owner) {
        openModule<JournalTables, JournalWindow>(owner, context);
    });
    modules.provide(Window::ToDo, [&context](QWidget* owner) {
        openModule<ToDoTables, ToDoWindow>(owner, context);
    });
    modules.provide(Window::ReferenceCalendar,
                    [&context](QWidget* owner) { openReferenceCalendar(owner, context); });
}

} // namespace ql
