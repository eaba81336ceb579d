#pragma once

#include "report/report.h"
#include "support/dialogs.h"

#include <QList>

namespace ql::test {

class ScriptedPrinting : public Printing {
public:
    void printWindow(QWidget* window) override;
    void previewReport(QWidget* parent, const report::Document& document) override;
    void printReport(QWidget* parent, const report::Document& document) override;
    QList<QWidget*> printedWindows;
    // Every report run, previewed or printed, with the pages it laid out.
    struct ReportRun {
        bool preview = false;
        report::Document document;
    };
    QList<ReportRun> reports;
};

// Fresh scripted services, printing included.
struct ScriptedServices : ScriptedDialogs {
    ScriptedServices();
    ~ScriptedServices();
    ScriptedServices(const ScriptedServices&) = delete;
    ScriptedServices& operator=(const ScriptedServices&) = delete;
    ScriptedPrinting* printing;

private:
    std::unique_ptr<ScriptedPrinting> m_printing;
};

} // namespace ql::test
