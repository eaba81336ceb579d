#pragma once

#include <functional>

class QWidget;

// How one module opens another module's window without linking it: the shell registers an
// opener for each window at start-up, and a module asks for the window by what it is. The opener
// runs the window modally over its owner, as the main menu would open it.
namespace ql::registry {

enum class Window {
    Journal,           // the journal with its holder
    ToDo,              // the to-do list with its holder
    ReferenceCalendar, // the calendar the journal and to-do windows look dates up in
};

using Opener = std::function<void(QWidget* owner)>;

// Makes `opener` the way to open `window`, replacing an earlier one.
void provide(Window window, Opener opener);

// Opens the window over `owner`; throws ql::Error when no opener was provided.
void open(Window window, QWidget* owner);

} // namespace ql::registry
