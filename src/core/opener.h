#pragma once

#include "core/guard.h"
#include "core/seams.h"
#include "store/session.h"

#include <QDialog>
#include <QWidget>
#include <memory>

// How the main menu and the calendar open a module: make its table holder (which opens the
// tables), make the window, run it modally, then destroy the window and the holder. The global
// references of both classes point at them while the module is open. A failure shows its text;
// no window opens and the opener stays usable.
namespace ql {

// Points a global reference at an object for as long as it lives.
template <typename T> class GlobalReference {
public:
    GlobalReference(T*& reference, T* object)
        : m_reference(reference)
    {
        m_reference = object;
    }
    ~GlobalReference() { m_reference = nullptr; }
    GlobalReference(const GlobalReference&) = delete;
    GlobalReference& operator=(const GlobalReference&) = delete;

private:
    T*& m_reference;
};

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

// As runWindow, with the window's global reference pointing at it while it runs.
template <typename Window, typename... Arguments>
bool openWindow(QWidget* owner, Window*& windowReference, Arguments&&... arguments)
{
    bool accepted = false;
    guarded(owner, [&] {
        const auto window = std::make_unique<Window>(std::forward<Arguments>(arguments)..., owner);
        const GlobalReference<Window> reference(windowReference, window.get());
        accepted = window->exec() == QDialog::Accepted;
    });
    return accepted;
}

template <typename Holder, typename Window, typename... Arguments>
void openModule(QWidget* owner, Holder*& holderReference, Window*& windowReference,
                Arguments&&... arguments)
{
    guarded(owner, [&] {
        const std::unique_ptr<Holder> holder = std::make_unique<Holder>(owner);
        const GlobalReference<Holder> reference(holderReference, holder.get());
        showNotices(owner);
        openWindow(owner, windowReference, std::forward<Arguments>(arguments)...);
    });
}

// Opens a module whose window receives its holder through its constructor: the holder and the
// window live only while the window runs.
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
