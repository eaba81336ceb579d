#include "shell/modules.h"

#include "calendar/calendarwindow.h"
#include "core/aboutbox.h"
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
        openModule<TDataModule2, TJournalForm>(owner, context);
    });
    registry::provide(Window::ToDo, [&context](QWidget* owner) {
        openModule<TDataModule4, TToDoForm>(owner, context);
    });
    registry::provide(Window::ReferenceCalendar,
                      [&context](QWidget* owner) { openReferenceCalendar(owner, context); });
}

} // namespace ql
