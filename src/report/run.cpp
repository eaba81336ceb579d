#include "report/run.h"

#include "core/seams.h"
#include "report/report.h"

namespace ql::report {

void preview(QWidget* parent, Report& report)
{
    Services::of(parent).printing().previewReport(parent, report.layOut());
}

void print(QWidget* parent, Report& report)
{
    const Document document = report.layOut();
    if (!document.pages.isEmpty())
        Services::of(parent).printing().printReport(parent, document);
}

} // namespace ql::report
