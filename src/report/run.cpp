#include "run.h"

#include "report.h"
#include "seams.h"

namespace ql::report {
namespace {

bool hasPages(QWidget* parent, const Document& document)
{
    if (!document.pages.isEmpty())
        return true;
    services::prompts().message(
        parent,
        QStringLiteral("There is nothing to print: \"%1\" has no records.").arg(document.title));
    return false;
}

} // namespace

void preview(QWidget* parent, Report& report)
{
    const Document document = report.layOut();
    if (hasPages(parent, document))
        services::printing().previewReport(parent, document);
}

void print(QWidget* parent, Report& report)
{
    const Document document = report.layOut();
    if (hasPages(parent, document))
        services::printing().printReport(parent, document);
}

} // namespace ql::report
