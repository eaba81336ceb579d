#pragma once

#include "core/context.h"
#include "store/loans.h"
#include "widgets/modulewindow.h"

#include <QAbstractTableModel>
#include <memory>
#include <vector>

class QLineEdit;
class QPushButton;
class QTableView;

namespace ql {

namespace report {
class Report;
}

// The loans as the loans window lists them: catalogue, title, borrower, return date and days
// overdue, one row per lent item, in the loans order or sorted by a column, narrowed to the
// rows whose title or borrower holds a text.
class LoansModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { CatalogueColumn, TitleColumn, BorrowerColumn, ReturnDateColumn, OverdueColumn };

    explicit LoansModel(QObject* parent = nullptr);

    // The loans shown from now on, counted against `today`; the narrowing and the sort stay.
    void setLoans(std::vector<loans::Loan> loans, QDate today);
    // Shows only the loans whose title or borrower holds the text, ignoring case; all for none.
    void narrow(const QString& text);
    const loans::Loan& loanAt(int row) const { return m_loans[size_t(m_shown[size_t(row)])]; }
    // A row's loan read out as a screen reader says it.
    QString spoken(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // A column outside the five (-1) sorts in the loans order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    void order();
    QString text(const loans::Loan& loan, int column) const;

    std::vector<loans::Loan> m_loans;
    std::vector<int> m_shown; // indexes into m_loans, in the order shown
    // Per loan, its place in the loans order: its standing, then its return date (the longest
    // overdue and the soonest due first); loans of one day keep the order they were read in.
    std::vector<qint64> m_rank;
    QDate m_today;
    QString m_narrowing;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

// The loans window: every lent item of the four catalogues, the overdue first. It reads the
// catalogues' files with tables of its own when it opens; Returned clears the chosen items'
// borrowers and return dates, Open (a double click, Enter) shows an item in the collections
// window; the loans report groups the loans listed by borrower.
class TLoansForm : public ModuleWindow {
    Q_OBJECT
public:
    explicit TLoansForm(const RunContext& context, QWidget* parent = nullptr);
    ~TLoansForm() override;

    QLineEdit* SearchEdit;
    QTableView* LoansGrid;
    QPushButton* OpenBtn;
    QPushButton* ReturnedBtn;
    QPushButton* PreviewBtn;
    QPushButton* PrintBtn;
    QPushButton* HelpBtn;
    QPushButton* ExitBtn;

    LoansModel* model() const { return m_model; }

    void OpenBtnClick();
    void ReturnedBtnClick();
    // The loans report over the loans listed, in the preview or at once on the printer.
    void PreviewBtnClick();
    void PrintBtnClick();
    void HelpBtnClick();
    void ExitBtnClick();

private:
    void reload();
    std::vector<loans::Loan> chosen() const;
    void printListed(void (*operation)(QWidget*, report::Report&));

    const RunContext& m_context;
    std::unique_ptr<loans::Lending> m_lending;
    LoansModel* m_model;
};

// The loans window while it is open.
inline TLoansForm* LoansForm = nullptr;

// Opens the loans window over `owner`.
void openLoans(QWidget* owner, const RunContext& context);

// When the user chose the reminder in the options and items are overdue, says how many and
// offers to open the loans window.
void remindOfOverdueLoans(QWidget* owner, const RunContext& context);

} // namespace ql
