#pragma once

#include <functional>

class QWidget;

namespace ql {

// Runs a command; a failure is shown in a message box with its own text and ends only that
// command. Nothing escapes into Qt's event handling. Returns false when the command failed.
bool guarded(QWidget* parent, const std::function<void()>& command);

} // namespace ql
