#include "collections/loans.h"

#include "store/catalogue.h"
#include "store/fieldvalue.h"
#include "store/table.h"
#include "store/tablebulk.h"
#include "store/tableholder.h"

#include <algorithm>
#include <future>

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

// A stored date from its UTF-8 text; a date is short and stored in ASCII.
QDate dateOf(QByteArrayView utf8)
{
    std::array<char16_t, 32> text{};
    if (utf8.size() > qsizetype(text.size()))
        return storedDate(QString::fromUtf8(utf8));
    std::copy(utf8.begin(), utf8.end(), text.begin());
    return storedDate(QStringView(text.data(), utf8.size()));
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

Lending::Lending(Session& session)
{
    for (size_t i = 0; i < m_tables.size(); ++i) {
        const Fields& f = fields()[i];
        std::unique_ptr<Table> table(makeTable(session, nullptr, f.def(), f.component));
        table->open();
        m_tables[i] = std::move(table);
    }
}

Lending::~Lending() = default;

std::vector<Loan> Lending::readUntitled() const
{
    // Each catalogue's file has a connection of its own, used by one thread at a time: the other
    // catalogues are read on threads of their own while this one reads the first.
    std::array<std::future<std::vector<Loan>>, 3> others;
    for (size_t i = 1; i < m_tables.size(); ++i)
        others[i - 1] = std::async(std::launch::async, [this, i] { return lentFrom(i); });
    std::vector<Loan> loans = lentFrom(0);
    for (std::future<std::vector<Loan>>& other : others) {
        std::vector<Loan> lent = other.get();
        loans.insert(loans.end(), std::make_move_iterator(lent.begin()),
                     std::make_move_iterator(lent.end()));
    }
    return loans;
}

std::vector<Loan> Lending::lentFrom(size_t catalogue) const
{
    const Fields& f = fields()[catalogue];
    std::vector<Loan> loans;
    TableBulk::readFilled(
        *m_tables[catalogue], {f.borrower, f.returnDate},
        [&](qint64 key, const std::vector<QByteArrayView>& texts) {
            Loan loan{Catalogue(catalogue), key, {}, QString::fromUtf8(texts[0]), dateOf(texts[1])};
            // An empty text counts as no borrower, as the window shows it.
            if (!loan.borrower.isEmpty() || loan.returnDate.isValid())
                loans.push_back(std::move(loan));
        });
    return loans;
}

std::vector<Loan> Lending::readFirstDated(int count) const
{
    std::vector<Loan> loans;
    for (size_t i = 0; i < m_tables.size(); ++i) {
        const Fields& f = fields()[i];
        for (const TableBulk::Texts& row : TableBulk::readFirstFilled(
                 *m_tables[i], f.returnDate, {f.title, f.borrower, f.returnDate}, count)) {
            Loan loan{Catalogue(i), row.key, row.text(0).toString(), row.text(1).toString(),
                      storedDate(row.text(2))};
            if (loan.returnDate.isValid())
                loans.push_back(std::move(loan));
        }
    }
    std::stable_sort(loans.begin(), loans.end(),
                     [](const Loan& a, const Loan& b) { return a.returnDate < b.returnDate; });
    if (loans.size() > size_t(count))
        loans.erase(loans.begin() + count, loans.end());
    return loans;
}

void Lending::readTitles(std::span<Loan> loans) const
{
    for (size_t i = 0; i < m_tables.size(); ++i) {
        std::vector<Loan*> lent;
        std::vector<qint64> keys;
        for (Loan& loan : loans) {
            if (size_t(loan.catalogue) == i) {
                lent.push_back(&loan);
                keys.push_back(loan.key);
            }
        }
        if (keys.empty())
            continue;
        std::sort(lent.begin(), lent.end(),
                  [](const Loan* a, const Loan* b) { return a->key < b->key; });
        const std::vector<TableBulk::Texts> rows =
            TableBulk::readTextsOf(*m_tables[i], std::move(keys), {fields()[i].title});
        auto row = rows.begin();
        for (Loan* loan : lent) {
            while (row != rows.end() && row->key < loan->key)
                ++row;
            loan->title =
                row != rows.end() && row->key == loan->key ? row->text(0).toString() : QString();
        }
    }
}

std::vector<Loan> Lending::dueOn(QDate day) const
{
    std::vector<Loan> due = readUntitled();
    std::erase_if(due, [day](const Loan& loan) { return loan.returnDate != day; });
    readTitles(due);
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
