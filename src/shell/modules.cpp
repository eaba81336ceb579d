#include "shell/modules.h"

#include "calendar/calendarwindow.h"
#include "core/aboutbox.h"
#include "core/opener.h"
#include "core/registry.h"
#include "journal/journalform.h"
#include "journal/todoform.h"
#include "store/holders.h"

namespace ql {

void registerModules(const QString& programDirectory)
{
    using registry::Window;
    registry::provide(Window::Journal,
                      [](QWidget* owner) { openModule<TDataModule2, TJournalForm>(owner); });
    registry::provide(Window::ToDo,
                      [](QWidget* owner) { openModule<TDataModule4, TToDoForm>(owner); });
    registry::provide(Window::ReferenceCalendar, [programDirectory](QWidget* owner) {
        openReferenceCalendar(owner, {programDirectory, AboutBox});
    });
}

} // namespace ql
