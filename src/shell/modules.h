#pragma once

#include <QString>

namespace ql {

// Fills the registry with the windows one module may open of another, in the program directory.
void registerModules(const QString& programDirectory);

} // namespace ql
