#pragma once

#include "collections/loans.h"
#include "report/report.h"

namespace ql {

// The printed catalogue: a centred heading with the number of items at its right, then per item
// one line for each of the catalogue's printed fields, its caption at the left and its value to
// the right, in the table's current order and within its filter.
class CollectionReport : public report::Report {
public:
    CollectionReport(loans::Catalogue catalogue, Table& table, QObject* owner = nullptr);
};

} // namespace ql
