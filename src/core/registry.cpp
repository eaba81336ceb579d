#include "core/registry.h"

#include "store/error.h"

#include <map>

namespace ql::registry {
namespace {

std::map<Window, Opener>& openers()
{
    static std::map<Window, Opener> map;
    return map;
}

} // namespace

void provide(Window window, Opener opener)
{
    openers()[window] = std::move(opener);
}

void open(Window window, QWidget* owner)
{
    const auto found = openers().find(window);
    if (found == openers().end())
        throw Error(QStringLiteral("This window is not part of the program."));
    found->second(owner);
}

} // namespace ql::registry
