#pragma once

namespace ql {

// Installs the real dialogs, printer, help window and process start.
void installRealServices();

// From now on nothing waits on the user: a message goes to the standard error output, a question
// is answered No, and a prompt or a file dialog is cancelled. For the session's end, when no one
// is there to answer.
void stopAsking();

} // namespace ql
