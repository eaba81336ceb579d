#include "store/loans.h"

#include "store/catalogue.h"
#include "store/fieldvalue.h"
#include "store/holders.h"
#include "store/table.h"
#include "store/tablebulk.h"

#include <algorithm>

namespace ql::loans {
namespace {

// Where a catalogue keeps what the loans show.
struct Fields {
    const TableDef& (*def)();
    const char* component;
    QString key;
    QString title;
    QString borrower;
    QString returnDate;
};

const std::array<Fields, 4>& fields()
{
    static const std::array<Fields, 4> list{{
        {catalogue::cds, "tbLoanCD", QStringLiteral("CDImputOrder"), QStringLiteral("CDTitle"),
         QStringLiteral("CDBorrowed"), QStringLiteral("CDReturnDate")},
        {catalogue::cdrs, "tbLoanCDR", QStringLiteral("CDRCode"), QStringLiteral("CDRTitle"),
         QStringLiteral("CDRBorrowed"), QStringLiteral("CDRReturnDate")},
        {catalogue::tapes, "tbLoanTapes", QStringLiteral("TpCode"), QStringLiteral("TpTitle"),
         QStringLiteral("TpBorrowed"), QStringLiteral("TPReturnDate")},
        {catalogue::books, "tbLoanBooks", QStringLiteral("BkCode"), QStringLiteral("BkTitle"),
         QStringLiteral("BkBorrowed"), QStringLiteral("BkReturnDate")},
    }};
    return list;
}

} // namespace

QString catalogueName(Catalogue catalogue)
{
    switch (catalogue) {
    case Catalogue::CD:
        return QStringLiteral("CD");
    case Catalogue::CDR:
        return QStringLiteral("CD-R/RW");
    case Catalogue::Tape:
        return QStringLiteral("Tape");
    case Catalogue::Book:
        break;
    }
    return QStringLiteral("Book");
}

Standing standing(const Loan& loan, QDate today)
{
    if (!loan.returnDate.isValid())
        return Standing::NoDate;
    if (loan.returnDate < today)
        return Standing::Overdue;
    return loan.returnDate == today ? Standing::DueToday : Standing::Later;
}

int daysOverdue(const Loan& loan, QDate today)
{
    return standing(loan, today) == Standing::Overdue ? int(loan.returnDate.daysTo(today)) : 0;
}

Lending::Lending()
{
    for (size_t i = 0; i < m_tables.size(); ++i) {
        const Fields& f = fields()[i];
        const TableDef& def = f.def();
        auto table = std::make_unique<Table>(def, QString::fromLatin1(f.component));
        table->setDatabaseName(QString::fromLatin1(catalogue::databaseName));
        table->setBeforeOpen([&def] { registerPassword(def); });
        table->open();
        m_tables[i] = std::move(table);
    }
}

Lending::~Lending() = default;

std::vector<Loan> Lending::read() const
{
    std::vector<Loan> loans;
    for (size_t i = 0; i < m_tables.size(); ++i) {
        const Fields& f = fields()[i];
        const std::vector<TableBulk::Texts> rows = TableBulk::readTextsWhereFilled(
            *m_tables[i], {f.title, f.borrower, f.returnDate}, {f.borrower, f.returnDate});
        loans.reserve(loans.size() + rows.size());
        for (const TableBulk::Texts& row : rows) {
            Loan loan{Catalogue(i), row.key, row.text(0).toString(), row.text(1).toString(),
                      storedDate(row.text(2))};
            // An empty text counts as no borrower, as the window shows it.
            if (!loan.borrower.isEmpty() || loan.returnDate.isValid())
                loans.push_back(std::move(loan));
        }
    }
    return loans;
}

std::vector<Loan> Lending::dueOn(QDate day) const
{
    std::vector<Loan> due = read();
    std::erase_if(due, [day](const Loan& loan) { return loan.returnDate != day; });
    return due;
}

int Lending::markReturned(const std::vector<Loan>& returned)
{
    int cleared = 0;
    for (const Loan& loan : returned) {
        const Fields& f = fields()[size_t(loan.catalogue)];
        Table& table = *m_tables[size_t(loan.catalogue)];
        table.setIndexName(QString());
        table.findNearest(loan.key);
        if (table.isEmpty() || table.value(f.key).toLongLong() != loan.key)
            continue;
        table.edit();
        table.clearField(f.borrower);
        table.clearField(f.returnDate);
        table.post();
        ++cleared;
    }
    return cleared;
}

} // namespace ql::loans
