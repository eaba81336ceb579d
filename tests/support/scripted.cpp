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
    : m_printing(std::make_unique<ScriptedPrinting>())
{
    printing = m_printing.get();
    m_services = Services(settings, prompts, printing, help, processes);
}

ScriptedServices::~ScriptedServices() = default;

} // namespace ql::test
