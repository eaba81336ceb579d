#pragma once

#include "core/context.h"
#include "core/guard.h"
#include "core/seams.h"
#include "store/error.h"
#include "store/session.h"

#include <QDialog>
#include <QWidget>
#include <memory>
#include <optional>

// How the main menu and the calendar open a module: make its table holder (which opens the
// tables), make the window over it, run it modally, then destroy the window and the holder. A
// failure shows its text; no window opens and the opener stays usable.
namespace ql {

// Shows, once, what opening the session's tables left to tell the user (a table opened for
// reading only).
inline void showNotices(QWidget* owner, Session& session)
{
    for (const QString& notice : session.takeNotices())
        Services::of(owner).prompts().message(owner, notice, MessageKind::Warning);
}

// Makes the window with `arguments` and its owner last, runs it modally and destroys it; tells
// whether it was accepted. A failure shows its text and no window opens.
template <typename Window, typename... Arguments>
bool runWindow(QWidget* owner, Arguments&&... arguments)
{
    bool accepted = false;
    guarded(owner, [&] {
        const auto window = std::make_unique<Window>(std::forward<Arguments>(arguments)..., owner);
        accepted = window->exec() == QDialog::Accepted;
    });
    return accepted;
}

// Runs the opening of a window as a guarded command. When a table it opens is damaged or no table
// of this program, the run's context asks whether to restore it, and the window opens again once
// it is restored.
inline void openRescued(QWidget* owner, const RunContext& context,
                        const std::function<void()>& opening)
{
    for (;;) {
        std::optional<UnusableTableError> unusable;
        guarded(owner, [&] {
            try {
                opening();
            } catch (const UnusableTableError& e) {
                if (!context.rescueTable)
                    throw;
                unusable = e;
            }
        });
        if (!unusable || !context.rescueTable(owner, unusable->tableName(), unusable->problem()))
            return;
    }
}

// Makes the module's holder over the run's session, then its window over the holder, the context,
// `arguments` and its owner last, runs the window modally and destroys both.
template <typename Holder, typename Window, typename... Arguments>
void openModule(QWidget* owner, const RunContext& context, Arguments&&... arguments)
{
    openRescued(owner, context, [&] {
        const std::unique_ptr<Holder> holder = std::make_unique<Holder>(*context.session, owner);
        showNotices(owner, *context.session);
        Window window(*holder, context, std::forward<Arguments>(arguments)..., owner);
        window.exec();
    });
}

} // namespace ql
