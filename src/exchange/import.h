#pragma once

#include <QString>

#include <array>
#include <functional>

class QWidget;

namespace ql::import {

// The modules the import handles, in the order it handles them.
enum class Module { Names, Journal, ToDo, CDs, CDRs, Tapes, Books, UserDefined };
inline constexpr int moduleCount = 8;

// What the user asked for in the options window: the directory of the source tables, their
// layout (0: the earlier version's tables; 1 and 2: the current names with ten or thirty track
// titles; any other value: none chosen) and, by module, whether it is ticked.
struct Request {
    QString sourceDirectory;
    int layout = -1;
    std::array<bool, moduleCount> modules{};
};

// Appends the source records of every ticked module to the current tables. Runs synchronously;
// `status` receives the status line's texts as the run goes (the start, the records counted as
// they arrive, and the end: "Quillory - Done", possibly with what was skipped, or
// "Quillory - Aborted"). A refused source or an error stops the run with a message box parented
// to `owner`; what was posted before it stays. Returns true when the run finished.
bool run(const Request& request, QWidget* owner, const std::function<void(const QString&)>& status);

} // namespace ql::import
