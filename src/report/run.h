#pragma once

#include "core/opener.h"

#include <functional>
#include <memory>

class QWidget;

namespace ql::report {

class Report;

// What a report command does: lay the report out over its table and show the pages in the
// preview (returning when it closes) or print them at once. A report without records previews
// no pages and prints none.
void preview(QWidget* parent, Report& report);
void print(QWidget* parent, Report& report);

// How a window runs one of its report layouts: the layout is made with the window as its
// owner, prepared, held in its class's global reference while it runs, and destroyed when the
// preview closes or the print is sent.
template <typename Layout>
void run(QWidget* owner, Layout*& reference, void (*operation)(QWidget*, Report&),
         const std::function<void(Layout&)>& prepare = {})
{
    const auto layout = std::make_unique<Layout>(owner);
    const GlobalReference<Layout> global(reference, layout.get());
    if (prepare)
        prepare(*layout);
    operation(owner, *layout);
}

} // namespace ql::report
