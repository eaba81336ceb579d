#pragma once

#include "collections/loans.h"
#include "report/report.h"

#include <QTemporaryDir>
#include <QtGlobal>
#include <memory>
#include <vector>

namespace ql {

// The loans as the report reads them: a table of their own in a folder of the run, under a name
// and with a password it registers in `session` for the run alone, one record per loan
// (borrower, catalogue, title, return date, days overdue), read by borrower and, for one
// borrower, in the order the loans were given.
class LoansSheet {
public:
    LoansSheet(Session& session, const std::vector<loans::Loan>& loans, QDate today);
    ~LoansSheet();
    Q_DISABLE_COPY_MOVE(LoansSheet)

    Table* table() const { return m_table.get(); }

private:
    QTemporaryDir m_directory;
    std::unique_ptr<Table> m_table;
};

// The loans report over a sheet: a heading with the number of loans, then per borrower his name
// and his loans one line each (catalogue, title, return date, days overdue).
class LoansReport : public report::Report {
public:
    LoansReport(const LoansSheet& sheet, QObject* owner = nullptr);

private:
    void addBorrowerHeading(report::Band* loan, const double (&columns)[4], double lineHeight);
    void addLoanLine(report::Band* loan, const double (&columns)[4], double lineHeight);

    report::Band* m_borrowerHeading = nullptr;
    report::Item* m_borrowerName = nullptr;
    QString m_borrower;
    bool m_started = false;
};

} // namespace ql
