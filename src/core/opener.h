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

template <typename Window> bool openWindow(QWidget* owner, Window*& windowReference)
{
    bool accepted = false;
    guarded(owner, [&] {
        const std::unique_ptr<Window> window = std::make_unique<Window>(owner);
        const GlobalReference<Window> reference(windowReference, window.get());
        accepted = window->exec() == QDialog::Accepted;
    });
    return accepted;
}

// Opens a window that shares a run with a companion: `makeWindow` makes the window, then
// `makeCompanion` the companion, which is never shown; the window runs modally, then the window
// and after it the companion are destroyed. Both global references point at them meanwhile.
template <typename Window, typename Companion, typename MakeWindow, typename MakeCompanion>
void openWithCompanion(QWidget* owner, Window*& windowReference, const MakeWindow& makeWindow,
                       Companion*& companionReference, const MakeCompanion& makeCompanion)
{
    guarded(owner, [&] {
        std::unique_ptr<Companion> companion;
        const GlobalReference<Companion> companionHeld(companionReference, nullptr);
        {
            const std::unique_ptr<Window> window = makeWindow();
            const GlobalReference<Window> windowHeld(windowReference, window.get());
            companion = makeCompanion();
            companionReference = companion.get();
            window->exec();
        }
    });
}

template <typename Holder, typename Window>
void openModule(QWidget* owner, Holder*& holderReference, Window*& windowReference)
{
    guarded(owner, [&] {
        const std::unique_ptr<Holder> holder = std::make_unique<Holder>(owner);
        const GlobalReference<Holder> reference(holderReference, holder.get());
        showNotices(owner);
        openWindow(owner, windowReference);
    });
}

// Opens a module whose window receives its holder through its constructor: the holder and the
// window live only while the window runs.
template <typename Holder, typename Window> void openModule(QWidget* owner)
{
    guarded(owner, [&] {
        const std::unique_ptr<Holder> holder = std::make_unique<Holder>(owner);
        showNotices(owner);
        Window window(*holder, owner);
        window.exec();
    });
}

} // namespace ql
