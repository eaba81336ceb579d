#pragma once

#include <functional>
#include <map>

class QWidget;

namespace ql {

// How one module opens another module's window without linking it: the shell provides an opener
// for each such window when the program starts, and a module asks the run's registry (in the
// run's context) for the window by what it is. The opener runs the window modally over its
// owner, as the main menu would open it.
class ModuleRegistry {
public:
    enum class Window {
        Journal,           // the journal with its holder
        ToDo,              // the to-do list with its holder
        ReferenceCalendar, // the calendar the journal and to-do windows look dates up in
    };
    using Opener = std::function<void(QWidget* owner)>;

    // Makes `opener` the way to open `window`, replacing an earlier one.
    void provide(Window window, Opener opener);
    // Opens the window over `owner`; throws ql::Error when no opener was provided.
    void open(Window window, QWidget* owner) const;

private:
    std::map<Window, Opener> m_openers;
};

} // namespace ql
