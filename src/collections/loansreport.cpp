#include "collections/loansreport.h"

#include "report/commonbands.h"
#include "store/error.h"
#include "store/session.h"
#include "store/tablebulk.h"
#include "store/tabledirectory.h"

#include <QUuid>

namespace ql {
namespace {

const TableDef& sheetDefinition()
{
    static const TableDef def{QStringLiteral("Loans.DB"),
                              {{QStringLiteral("LoanCode"), FieldType::AutoIncrement, 0, 11},
                               {QStringLiteral("Borrower"), FieldType::Text, 60, 60},
                               {QStringLiteral("Catalogue"), FieldType::Text, 10, 10},
                               {QStringLiteral("Title"), FieldType::Text, 70, 70},
                               {QStringLiteral("ReturnDate"), FieldType::Date, 0, 10},
                               {QStringLiteral("Overdue"), FieldType::Text, 10, 10}},
                              {{QStringLiteral("idxBorrower"), QStringLiteral("Borrower")}}};
    return def;
}

} // namespace

LoansSheet::LoansSheet(Session& session, const std::vector<loans::Loan>& loans, QDate today)
{
    if (!m_directory.isValid())
        throw Error(QStringLiteral("Cannot create a temporary folder for the loans report."));
    // A name and a password of this sheet alone, known for the run only.
    const QString name =
        QStringLiteral("QuilloryLoans") + QUuid::createUuid().toString(QUuid::Id128);
    const QString password = QUuid::createUuid().toString(QUuid::Id128);
    session.registerDatabase(name, m_directory.path());
    session.addPassword(password);
    TableDirectory(m_directory.path()).create(sheetDefinition(), password);
    m_table = std::make_unique<Table>(session, sheetDefinition(), QStringLiteral("tbLoans"));
    m_table->setDatabaseName(name);
    m_table->open();
    size_t next = 0;
    int appended = 0;
    TableBulk::appendRecords(
        *m_table,
        [&](Record& record) {
            if (next == loans.size())
                return false;
            const loans::Loan& loan = loans[next++];
            record.set(1, loan.borrower);
            record.set(2, loans::catalogueName(loan.catalogue));
            record.set(3, loan.title);
            record.set(4, loan.returnDate.isValid() ? QVariant(loan.returnDate) : QVariant());
            const int days = loans::daysOverdue(loan, today);
            record.set(5, days > 0 ? QVariant(QString::number(days)) : QVariant());
            return true;
        },
        appended);
    m_table->setIndexName(QStringLiteral("idxBorrower"));
    m_table->first();
}

LoansSheet::~LoansSheet() = default;

LoansReport::LoansReport(const LoansSheet& sheet, QObject* owner)
    : Report(owner, sheet.table())
{
    title = QStringLiteral("Quillory - Loans");
    const double width = bandWidth();
    constexpr double lineHeight = 18;

    report::Band* heading = report::addTitleBand(*this, QStringLiteral("Loans"), 11);
    report::Item* count =
        heading->addSystemData(QStringLiteral("QRSysData3"), report::SystemData::RecordCount,
                               QRectF(width - 120, 8, 120, lineHeight));
    count->font = font(10);
    count->alignment = Qt::AlignRight;
    heading->beforePrint = [this] { m_started = false; };

    // Per loan a band that never prints itself: it starts a borrower's group.
    const double columns[] = {0, 80, width - 200, width - 90};
    report::Band* loan = addBand(report::BandKind::Detail, QStringLiteral("QRBand2"), 0);
    loan->enabled = false;
    addBorrowerHeading(loan, columns, lineHeight);
    addLoanLine(loan, columns, lineHeight);
    // A borrower's heading comes before his first loan.
    loan->beforePrint = [this] {
        const QString borrower = fieldText(QStringLiteral("Borrower"));
        m_borrowerHeading->enabled =
            !m_started || borrower.compare(m_borrower, Qt::CaseInsensitive) != 0;
        m_started = true;
        m_borrower = borrower;
        m_borrowerName->caption =
            borrower.isEmpty() ? QStringLiteral("(no borrower named)") : borrower;
    };

    report::addPageFooter(*this);
}

// The borrower's name over the column titles.
void LoansReport::addBorrowerHeading(report::Band* loan, const double (&columns)[4],
                                     double lineHeight)
{
    const double width = bandWidth();
    m_borrowerHeading =
        addBand(report::BandKind::Child, QStringLiteral("QRBand4"), 2 * lineHeight + 14, loan);
    m_borrowerHeading->ruleAbove = true;
    m_borrowerName = m_borrowerHeading->addLabel(QStringLiteral("QRLabel2"), QString(),
                                                 QRectF(0, 6, width, lineHeight));
    m_borrowerName->font = font(10, true);
    const char* const titles[] = {"Catalogue", "Title", "Return Date", "Days Overdue"};
    for (int i = 0; i < 4; ++i) {
        report::Item* title = m_borrowerHeading->addLabel(
            QStringLiteral("QRLabel%1").arg(i + 3), QString::fromLatin1(titles[i]),
            QRectF(columns[i], 6 + lineHeight, (i < 3 ? columns[i + 1] : width) - columns[i] - 6,
                   lineHeight));
        title->font = font(9, true);
    }
}

// One line a loan: catalogue, title, return date, days overdue.
void LoansReport::addLoanLine(report::Band* loan, const double (&columns)[4], double lineHeight)
{
    const double width = bandWidth();
    report::Band* line =
        addBand(report::BandKind::Child, QStringLiteral("QRBand5"), lineHeight, loan);
    const char* const fields[] = {"Catalogue", "Title", "ReturnDate", "Overdue"};
    for (int i = 0; i < 4; ++i) {
        report::Item* value = line->addField(
            QStringLiteral("QRDBText%1").arg(i + 1), QString::fromLatin1(fields[i]),
            QRectF(columns[i], 0, (i < 3 ? columns[i + 1] : width) - columns[i] - 6, lineHeight));
        value->font = font(10);
    }
}

} // namespace ql
