#pragma once

namespace ql {

// Installs the real dialogs, printer, help window and process start.
void installRealServices();

} // namespace ql
