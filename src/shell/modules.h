#pragma once

namespace ql {

// Fills the registry with the windows one module may open of another.
void registerModules();

} // namespace ql
