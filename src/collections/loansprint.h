#pragma once

#include "report/report.h"
#include "store/loans.h"

#include <QTemporaryDir>
#include <memory>
#include <vector>

namespace ql {

// The loans as the report reads them: a table of their own in a folder of the run, one record
// per loan (borrower, catalogue, title, return date, days overdue), read by borrower and, for
// one borrower, in the order the loans were given.
class LoansSheet {
public:
    LoansSheet(const std::vector<loans::Loan>& loans, QDate today);
    ~LoansSheet();
    LoansSheet(const LoansSheet&) = delete;
    LoansSheet& operator=(const LoansSheet&) = delete;

    Table* table() const { return m_table.get(); }

private:
    QTemporaryDir m_directory;
    std::unique_ptr<Table> m_table;
};

// The loans report: a heading with the number of loans, then per borrower his name and his loans
// one line each (catalogue, title, return date, days overdue).
class TLoansPrint : public report::Report {
    Q_OBJECT
public:
    // Reads the sheet LoansReportSheet points at.
    explicit TLoansPrint(QObject* owner);

    report::Band* QRBand1;  // the title
    report::Band* QRBand2;  // per loan, never printed: starts a borrower's group
    report::Band* QRBand4;  // a borrower's heading and the column titles
    report::Band* QRBand5;  // a loan
    report::Band* QRBand3;  // the page footer
    report::Item* QRLabel2; // the borrower's name

private:
    QString m_borrower;
    bool m_started = false;
};

// The sheet and the report while the report runs.
inline LoansSheet* LoansReportSheet = nullptr;
inline TLoansPrint* LoansPrint = nullptr;

} // namespace ql
