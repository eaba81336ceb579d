#include "support/scripted.h"

namespace ql::test {

void ScriptedPrinting::printWindow(QWidget* window)
{
    printedWindows << window;
}

void ScriptedPrinting::previewReport(QWidget*, const report::Document& document)
{
    reports.append({true, document});
}

void ScriptedPrinting::printReport(QWidget*, const report::Document& document)
{
    reports.append({false, document});
}

ScriptedServices::ScriptedServices()
{
    auto p = std::make_unique<ScriptedPrinting>();
    printing = p.get();
    services::install(std::move(p));
}

ScriptedServices::~ScriptedServices()
{
    services::install(std::unique_ptr<Printing>());
}

} // namespace ql::test
