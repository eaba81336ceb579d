#include "run.h"

#include "report.h"
#include "seams.h"

namespace ql::report {

void preview(QWidget* parent, Report& report)
{
    services::printing().previewReport(parent, report.layOut());
}

void print(QWidget* parent, Report& report)
{
    const Document document = report.layOut();
    if (!document.pages.isEmpty())
        services::printing().printReport(parent, document);
}

} // namespace ql::report
