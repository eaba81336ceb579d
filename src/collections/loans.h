#pragma once

#include <QDate>
#include <QString>
#include <QtGlobal>
#include <array>
#include <memory>
#include <span>
#include <vector>

namespace ql {
class Session;
class Table;
} // namespace ql

// The items of the collection that are lent: every item of the four catalogues with a borrower
// or a return date. The loans window, the month calendar and the reminder at start read them
// here, each with tables of its own, so none of them needs the collections window.
namespace ql::loans {

// The four catalogues, in the order the collections window shows them.
enum class Catalogue { CD, CDR, Tape, Book };
// "CD", "CD-R/RW", "Tape", "Book".
QString catalogueName(Catalogue catalogue);

struct Loan {
    Catalogue catalogue = Catalogue::CD;
    qint64 key = 0;
    QString title;
    QString borrower;
    QDate returnDate; // invalid when the item was lent with no date
};

// Where a loan stands on a day, in the order the loans are listed: overdue first, then due that
// day, then due later, then lent with no date.
enum class Standing { Overdue, DueToday, Later, NoDate };
Standing standing(const Loan& loan, QDate today);
// Days past the return date; 0 for a loan that is not overdue.
int daysOverdue(const Loan& loan, QDate today);

// The four catalogues' tables of `session`, open while it lives.
class Lending {
public:
    explicit Lending(Session& session);
    ~Lending();
    Q_DISABLE_COPY_MOVE(Lending)

    // Every loan without its title, read from the indexes of the borrowers and the return dates
    // alone (no item itself is read), catalogue by catalogue and in the order of the items' keys.
    std::vector<Loan> readUntitled() const;
    // The first `count` loans with a return date in the order they are listed (the earliest date
    // first; the loans of one day catalogue by catalogue, in the order of the items' keys), with
    // their titles, read through the indexes of the return dates; fewer when fewer have a date.
    std::vector<Loan> readFirstDated(int count) const;
    // Reads the titles of the loans' items; an item gone meanwhile keeps an empty title.
    void readTitles(std::span<Loan> loans) const;
    // The loans due on a day, in the order they were read.
    std::vector<Loan> dueOn(QDate day) const;
    // Clears the borrower and the return date of each loan's item; an item gone meanwhile is
    // passed over. Returns how many items were cleared.
    int markReturned(const std::vector<Loan>& returned);

private:
    // The loans of one catalogue, without their titles.
    std::vector<Loan> lentFrom(size_t catalogue) const;

    std::array<std::unique_ptr<ql::Table>, 4> m_tables;
};

} // namespace ql::loans
