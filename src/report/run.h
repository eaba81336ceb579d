#pragma once

class QWidget;

namespace ql::report {

class Report;

// What a report command does: lay the report out over its table and show the pages in the
// preview (returning when it closes) or print them at once. A report without records previews
// no pages and prints none. The layout runs on a worker thread over a table of its own, behind a
// dialog with its progress and a Cancel; a cancel shows and prints nothing.
void preview(QWidget* parent, Report& report);
void print(QWidget* parent, Report& report);

} // namespace ql::report
