#pragma once

#include "guard.h"

#include <QWidget>
#include <memory>

// How the main menu and the calendar open a module: make its table holder (which opens the
// tables), make the window, run it modally, then destroy the window and the holder. The global
// references of both classes point at them while the module is open. A failure shows its text;
// no window opens and the opener stays usable.
namespace ql {

template <typename Window> void openWindow(QWidget* owner, Window*& windowReference)
{
    guarded(owner, [&] {
        const std::unique_ptr<Window> window = std::make_unique<Window>(owner);
        windowReference = window.get();
        struct Clear {
            Window*& reference;
            ~Clear() { reference = nullptr; }
        } clear{windowReference};
        window->exec();
    });
}

template <typename Holder, typename Window>
void openModule(QWidget* owner, Holder*& holderReference, Window*& windowReference)
{
    guarded(owner, [&] {
        const std::unique_ptr<Holder> holder = std::make_unique<Holder>(owner);
        holderReference = holder.get();
        struct Clear {
            Holder*& reference;
            ~Clear() { reference = nullptr; }
        } clear{holderReference};
        openWindow(owner, windowReference);
    });
}

} // namespace ql
