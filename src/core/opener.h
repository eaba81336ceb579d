#pragma once

#include "core/guard.h"
#include "core/seams.h"
#include "store/session.h"

#include <QDialog>
#include <QWidget>
#include <memory>

// How the main menu and the calendar open a module: make its table holder (which opens the
// tables), make the window over it, run it modally, then destroy the window and the holder. A
// failure shows its text; no window opens and the opener stays usable.
namespace ql {

// Shows, once, what opening tables left to tell the user (a table opened for reading only).
inline void showNotices(QWidget* owner)
{
    for (const QString& notice : Session::instance().takeNotices())
        services::prompts().message(owner, notice, MessageKind::Warning);
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

// Makes the module's holder, then its window over the holder with `arguments` and its owner
// last, runs the window modally and destroys both.
template <typename Holder, typename Window, typename... Arguments>
void openModule(QWidget* owner, Arguments&&... arguments)
{
    guarded(owner, [&] {
        const std::unique_ptr<Holder> holder = std::make_unique<Holder>(owner);
        showNotices(owner);
        Window window(*holder, std::forward<Arguments>(arguments)..., owner);
        window.exec();
    });
}

} // namespace ql
