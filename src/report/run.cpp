#include "report/run.h"

#include "core/seams.h"
#include "report/report.h"
#include "widgets/workrunner.h"

#include <QWidget>
#include <optional>

namespace ql::report {
namespace {

// Lays the report out off the window's thread over a table of its own; nothing when the user
// cancelled it. What the user typed into the report's table is stored first, so it prints.
std::optional<Document> layOutAside(QWidget* parent, Report& report)
{
    report.table()->checkBrowseMode();
    Document document;
    if (runWork(parent, parent->window()->windowTitle(), [&](Progress& progress) {
            const std::unique_ptr<Table> twin = report.table()->openTwin();
            document = report.layOutFrom(*twin, progress);
        }) == WorkEnd::Cancelled)
        return std::nullopt;
    return document;
}

} // namespace

void preview(QWidget* parent, Report& report)
{
    if (const std::optional<Document> document = layOutAside(parent, report))
        Services::of(parent).printing().previewReport(parent, *document);
}

void print(QWidget* parent, Report& report)
{
    const std::optional<Document> document = layOutAside(parent, report);
    if (document && !document->pages.isEmpty())
        Services::of(parent).printing().printReport(parent, *document);
}

} // namespace ql::report
