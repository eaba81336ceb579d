#pragma once

#include <QString>

namespace ql {

struct RunContext;

class ModuleRegistry;

// Fills the registry with the windows one module may open of another; the context lives as long
// as they may be opened.
void registerModules(ModuleRegistry& modules, const RunContext& context);

} // namespace ql
