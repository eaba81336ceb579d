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

// Installs fresh scripted services, printing included, for as long as it lives.
struct ScriptedServices : ScriptedDialogs {
    ScriptedServices();
    ~ScriptedServices();
    ScriptedServices(const ScriptedServices&) = delete;
    ScriptedServices& operator=(const ScriptedServices&) = delete;
    ScriptedPrinting* printing;
};

} // namespace ql::test
