#include "core/registry.h"

#include "store/error.h"

namespace ql {

void ModuleRegistry::provide(Window window, Opener opener)
{
    m_openers[window] = std::move(opener);
}

void ModuleRegistry::open(Window window, QWidget* owner) const
{
    const auto found = m_openers.find(window);
    if (found == m_openers.end())
        throw Error(QStringLiteral("This window is not part of the program."));
    found->second(owner);
}

} // namespace ql
